#include "core/publish/Bibliography.h"

#include "core/job/JobControl.h"
#include "core/publish/EntryText.h"
#include "core/publish/FilingRules.h"
#include "core/record/CodeTables.h"
#include "core/record/RecordLine.h"
#include "core/record/RecordSchema.h"

#include <QHash>
#include <QLocale>

#include <algorithm>

namespace {

using RecordSchema::value;

// How often a long loop looks at the stop request and moves the progress.
constexpr int CheckEvery = 1024;

void checkpoint(const JobControl& control, qsizetype done)
{
    if (done % CheckEvery == 0)
        control.throwIfStopped();
}

} // namespace

QCollator hungarianCollator()
{
    QCollator collator{QLocale(QLocale::Hungarian, QLocale::Hungary)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    return collator;
}

BibliographyBuilder::BibliographyBuilder(PublishOptions options, QStringList roleNames)
    : m_options(std::move(options)), m_roleNames(std::move(roleNames)), m_collator(hungarianCollator())
{
}

void BibliographyBuilder::setSubjectTree(SubjectTree::Tree tree)
{
    m_tree = std::move(tree);
    m_subjectEntries.clear();
    for (int entry = 0; entry < m_tree->entryCount(); ++entry) {
        if (m_tree->isSeparator(entry))
            continue;
        const QString subject = EntryText::indexForm(m_tree->subjectText(entry));
        if (!subject.isEmpty() && !m_subjectEntries.contains(subject))
            m_subjectEntries.insert(subject, entry);
    }
}

int BibliographyBuilder::groupOf(const QStringList& fields) const
{
    switch (m_options.grouping) {
    case Grouping::Subject:
        return m_subjectEntries.value(EntryText::indexForm(value(fields, Field::Subject)), -1);
    case Grouping::Volume:
        return CodeTables::volumePosition(
            RecordSchema::volumeCodeOf(QStringView(value(fields, Field::RecordName))));
    case Grouping::None:
        break;
    }
    return 0;
}

void BibliographyBuilder::add(QStringView line)
{
    const QStringList fields = RecordLine::split(line);
    const FilingRules::Tables& tables = FilingRules::Tables::shipped();
    Record record;
    record.line = line.toString();
    record.sortTitle = tables.filingTitle(value(fields, Field::Title), value(fields, Field::Language));
    // The main entry goes under the first author, family name first; a work
    // without one to three authors goes under its title.
    const QStringList authors =
        FilingRules::headingAuthors(FilingRules::creatorsOf(fields, m_roleNames, tables));
    record.sortName =
        authors.isEmpty() ? record.sortTitle : FilingRules::filingKey(tables.filingName(authors.first()));
    record.group = groupOf(fields);
    m_records.push_back(std::move(record));
}

void BibliographyBuilder::sortWithin(std::vector<int>& members, const JobControl& control)
{
    control.throwIfStopped();
    std::stable_sort(members.begin(), members.end(), [this](int a, int b) {
        const Record& left = m_records[size_t(a)];
        const Record& right = m_records[size_t(b)];
        if (const int byName = m_collator.compare(left.sortName, right.sortName))
            return byName < 0;
        return m_collator.compare(left.sortTitle, right.sortTitle) < 0;
    });
}

void BibliographyBuilder::appendGroup(Bibliography& book, const QString& heading, int depth,
                                      const std::vector<int>& members)
{
    BibliographyGroup group{heading, depth, int(book.lines.size()), int(members.size())};
    for (const int index : members)
        book.lines.push_back(std::move(m_records[size_t(index)].line));
    book.groups.append(group);
}

void BibliographyBuilder::groupBySubject(Bibliography& book, const std::vector<std::vector<int>>& members)
{
    // A heading is printed when its entry or any entry below it holds records;
    // the tree lists every entry before its descendants, so a walk from the
    // end can hand each entry's mark up to its parent.
    const int entries = m_tree ? m_tree->entryCount() : 0;
    std::vector<int> parent(size_t(entries), -1);
    std::vector<int> lastAtDepth(SubjectTree::MaxDepth + 1, -1);
    for (int entry = 0; entry < entries; ++entry) {
        const int depth = m_tree->depth(entry);
        parent[size_t(entry)] = depth > 1 ? lastAtDepth[size_t(depth - 1)] : -1;
        lastAtDepth[size_t(depth)] = entry;
    }
    std::vector<bool> shown(size_t(entries), false);
    for (int entry = entries - 1; entry >= 0; --entry) {
        if (!members[size_t(entry) + 1].empty())
            shown[size_t(entry)] = true;
        if (shown[size_t(entry)] && parent[size_t(entry)] >= 0)
            shown[size_t(parent[size_t(entry)])] = true;
    }
    for (int entry = 0; entry < entries; ++entry)
        if (shown[size_t(entry)])
            appendGroup(book, m_tree->caption(entry), m_tree->depth(entry), members[size_t(entry) + 1]);
    if (!members.front().empty())
        appendGroup(book, otherHeading(), 1, members.front());
}

void BibliographyBuilder::groupByVolume(Bibliography& book, const std::vector<std::vector<int>>& members)
{
    for (int volume = 0; volume < CodeTables::VolumeCount; ++volume)
        if (!members[size_t(volume) + 1].empty())
            appendGroup(book, CodeTables::volumeName(volume), 1, members[size_t(volume) + 1]);
    if (!members.front().empty())
        appendGroup(book, otherHeading(), 1, members.front());
}

Bibliography BibliographyBuilder::build(const JobControl& control)
{
    Bibliography book;
    book.title = m_options.title;
    book.subtitle = m_options.subtitle;
    book.compiler = m_options.compiler;
    book.place = m_options.place;
    book.year = m_options.year;
    book.roleNames = m_roleNames;

    // members[0] is "Egyéb", members[g + 1] group g.
    size_t groupCount = 1;
    if (m_options.grouping == Grouping::Subject)
        groupCount = size_t(m_tree ? m_tree->entryCount() : 0);
    else if (m_options.grouping == Grouping::Volume)
        groupCount = CodeTables::VolumeCount;
    std::vector<std::vector<int>> members(groupCount + 1);
    for (size_t i = 0; i < m_records.size(); ++i)
        members[size_t(m_records[i].group + 1)].push_back(int(i));
    for (std::vector<int>& group : members)
        sortWithin(group, control);

    book.lines.reserve(m_records.size());
    switch (m_options.grouping) {
    case Grouping::Subject:
        groupBySubject(book, members);
        break;
    case Grouping::Volume:
        groupByVolume(book, members);
        break;
    case Grouping::None:
        appendGroup(book, QString(), 1, members[1]);
        break;
    }
    m_records.clear();
    m_records.shrink_to_fit();
    buildIndexes(book, control);
    return book;
}

void BibliographyBuilder::buildIndexes(Bibliography& book, const JobControl& control)
{
    QHash<QString, QList<int>> names;
    QHash<QString, QList<int>> places;
    const FilingRules::Tables& tables = FilingRules::Tables::shipped();
    for (qsizetype i = 0; i < book.entryCount(); ++i) {
        checkpoint(control, i);
        const int number = int(i + 1);
        const QStringList fields = RecordLine::split(book.lines[size_t(i)]);
        for (const QString& name : EntryText::creatorNames(fields)) {
            QList<int>& numbers = names[tables.filingName(name)];
            if (numbers.isEmpty() || numbers.constLast() != number)
                numbers.append(number);
        }
        if (m_options.placeIndex) {
            const QString place = EntryText::indexForm(value(fields, Field::Place));
            if (!place.isEmpty()) {
                QList<int>& numbers = places[place];
                if (numbers.isEmpty() || numbers.constLast() != number)
                    numbers.append(number);
            }
        }
    }
    const auto sorted = [this, &control](const QHash<QString, QList<int>>& hash) {
        // Sorted by the filing key, so "Santorelli, Giulia" comes before "Santorelli Zita".
        std::vector<std::pair<QString, IndexLine>> keyed;
        keyed.reserve(size_t(hash.size()));
        for (auto it = hash.cbegin(); it != hash.cend(); ++it)
            keyed.emplace_back(FilingRules::filingKey(it.key()), IndexLine{it.key(), it.value()});
        control.throwIfStopped();
        std::sort(keyed.begin(), keyed.end(), [this](const auto& a, const auto& b) {
            if (const int order = m_collator.compare(a.first, b.first))
                return order < 0;
            return a.second.text < b.second.text;
        });
        QList<IndexLine> lines;
        lines.reserve(qsizetype(keyed.size()));
        for (auto& [key, line] : keyed)
            lines.append(std::move(line));
        return lines;
    };
    book.names = sorted(names);
    book.places = sorted(places);
}
