#pragma once

#include "core/publish/PublishOptions.h"
#include "core/source/SubjectTree.h"

#include <QCollator>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

class JobControl;

// A heading and the entries under it. Entries are numbered in one run
// through the whole book, so a group holds a range of them; a heading whose
// records all sit deeper in the tree holds none.
struct BibliographyGroup
{
    QString heading; // empty: no heading (a book without grouping)
    int depth = 1;   // 1 … 5, the heading's level
    int first = 0;   // index of the group's first entry
    int count = 0;

    bool operator==(const BibliographyGroup&) const = default;
};

// A line of the name or place index: the text and the numbers of its entries,
// ascending. A name is given in its filing form, family name first.
struct IndexLine
{
    QString text;
    QList<int> numbers;

    bool operator==(const IndexLine&) const = default;
};

// The book's contents in reading order: what every writer and the print
// preview lay out, so all of them carry the same entries and numbers.
struct Bibliography
{
    QString title;
    QString subtitle;
    QString compiler; // the title page's other lines; empty ones are left out
    QString place;
    QString year;
    QStringList roleNames;
    std::vector<QString> lines; // the entries' record lines; entry i has the number i + 1
    QList<BibliographyGroup> groups;
    QList<IndexLine> names;
    QList<IndexLine> places; // empty unless the place index was asked for

    qsizetype entryCount() const { return qsizetype(lines.size()); }
};

// Hungarian alphabetical order ("cs" after "cz", "ö" after "o", "zs" after
// "z"), letter case ignored, digits read as numbers.
QCollator hungarianCollator();

// Collects records one by one (from a database, the index set or a search)
// and puts them in the book's order.
class BibliographyBuilder final
{
    Q_DISABLE_COPY_MOVE(BibliographyBuilder)

public:
    // `roleNames`: the role list (szerep.zda) in Unicode.
    BibliographyBuilder(PublishOptions options, QStringList roleNames);

    // The tree the subject grouping follows; without one, every record goes
    // under "Egyéb".
    void setSubjectTree(SubjectTree::Tree tree);

    void add(QStringView line);
    qsizetype recordCount() const { return qsizetype(m_records.size()); }

    // Groups, sorts and numbers the records and builds the indexes. Stops
    // with OperationCancelled when `control` asks.
    Bibliography build(const JobControl& control);

    static QString otherHeading() { return QStringLiteral("Egyéb"); }

private:
    struct Record
    {
        QString line;
        QString sortName;  // the first author's filing form, or the filing title when the work goes under it
        QString sortTitle; // the title without its leading article
        int group = -1;    // a subject tree entry or a volume position; -1 for "Egyéb"
    };

    int groupOf(const QStringList& fields) const;
    void sortWithin(std::vector<int>& members, const JobControl& control);
    void groupBySubject(Bibliography& book, const std::vector<std::vector<int>>& members);
    void groupByVolume(Bibliography& book, const std::vector<std::vector<int>>& members);
    void appendGroup(Bibliography& book, const QString& heading, int depth, const std::vector<int>& members);
    void buildIndexes(Bibliography& book, const JobControl& control);

    PublishOptions m_options;
    QStringList m_roleNames;
    std::optional<SubjectTree::Tree> m_tree;
    QHash<QString, int> m_subjectEntries; // subject text -> its first tree entry
    std::vector<Record> m_records;
    QCollator m_collator;
};
