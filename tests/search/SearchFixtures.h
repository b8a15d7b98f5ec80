#pragma once

#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"
#include "core/search/HitEntry.h"
#include "core/search/SearchEngine.h"

#include <QDir>
#include <QStringList>

// Record lines and index files for the search and browse tests, written the
// way the index file set holds them.
struct Rec
{
    QString name = QStringLiteral("Ka00012300");
    QString type = QStringLiteral("könyv");
    QString subject;
    QStringList creators = {QStringLiteral("01"), QStringLiteral("02"), QStringLiteral("03"),
                            QStringLiteral("04")};
    QString title;
    QString publication;
    QString publisher;
    QString volumeRun;
    QString year;
    QString pages;
    QString place;
    QString note;
    QString link;
    QString translated = QStringLiteral("0");
    QString language = QStringLiteral("magyar");
    QString medium = QStringLiteral("papír");

    QString line() const
    {
        QStringList fields{name, type, subject};
        fields += creators;
        fields += {title, publication, publisher, volumeRun,  year,     pages,
                   place, note,        link,      translated, language, medium};
        return RecordLine::join(fields);
    }
};

inline void writeChunk(const QString& dir, const QString& fileName, const QStringList& lines)
{
    TextFile::writeUnicode(QDir(dir).filePath(fileName), lines);
}

inline void writeRoles(const QString& dir)
{
    TextFile::write8Bit(QDir(dir).filePath(QStringLiteral("szerep.zda")),
                        {QStringLiteral("Szerző"), QStringLiteral("Szerkesztő"), QStringLiteral("Fordító"),
                         QStringLiteral("Bevezetést írta")});
}

// Collects what the search delivers.
class CollectingSink final : public SearchSink
{
public:
    explicit CollectingSink(QStringList roleNames = {}) : m_roleNames(std::move(roleNames)) {}

    QStringList names;
    QString text;
    int entries = 0;

    void hit(QByteArrayView recordName, const FieldGrid* record) override
    {
        names.append(QString::fromLatin1(recordName));
        if (record) {
            ++entries;
            text += HitEntry::plainText(HitEntry::build(*record, m_roleNames));
        }
    }

private:
    QStringList m_roleNames;
};
Q_DECLARE_METATYPE(SearchCriteria)
