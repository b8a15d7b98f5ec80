#pragma once

#include "core/convert/DbfTable.h"
#include "core/convert/SourceFormat.h"
#include "core/job/JobControl.h"
#include "core/record/DatabaseLock.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QSaveFile;

// The record lines of a conversion written as they come, for a caller that
// only saves them: into a temporary file beside the database file they
// become, which takes that file's place on commit() only. Nothing is kept
// per line, and the file's bytes are never all in memory. A result dropped
// without commit() (a stop, an error) leaves an earlier file as it was.
class ConversionResult final
{
    Q_DISABLE_COPY_MOVE(ConversionResult)

public:
    // Opens the temporary file for the name the chosen one is saved under
    // (ConversionSession::resultFileName); throws NorlaError when it cannot,
    // or when another process has that database open.
    explicit ConversionResult(const QString& chosen);
    ~ConversionResult();
    void append(QStringView line);
    qsizetype lineCount() const { return m_lineCount; }
    // Writes the rest, syncs it and puts it in place; returns the file name.
    QString commit();

private:
    void writeBuffer();
    void startWriteBack();

    QString m_name;
    std::unique_ptr<DatabaseLock> m_targetLock; // held until the file is in place
    std::unique_ptr<QSaveFile> m_file;
    QByteArray m_buffer;
    qsizetype m_lineCount = 0;
    qint64 m_writeBackFrom = 0; // what lies before was handed to the disk already
};

// The state of a conversion and its three steps, shared by the conversion
// page and the command line so both write the same bytes: the kind of
// source, the chosen volume, the source path, the open dBase table and the
// lines of a text source.
class ConversionSession final
{
    Q_DISABLE_COPY_MOVE(ConversionSession)

public:
    ConversionSession() = default;

    SourceKind kind() const { return m_kind; }
    void setKind(SourceKind kind);
    const SourceFormat* format() const { return SourceFormat::forKind(m_kind); }

    int volume() const { return m_volume; }
    void setVolume(int volume) { m_volume = volume; }

    const QString& sourcePath() const { return m_sourcePath; }
    // Cut from the text on first use for a kind that converts from the whole
    // text, so that a conversion without a view of the lines never cuts them.
    const QStringList& sourceLines() const;
    const DbfTable& table() const { return m_table; }

    // Step 1 once a file is chosen: remembers the path; a dBase source closes
    // the table and opens the new one, any other kind reads the file as text,
    // like a database file. Throws NorlaError; the table stays closed or the
    // lines empty then.
    void openSource(const QString& path);

    // Step 2: builds the record lines of the current kind; nothing for none.
    // A stop ends it with OperationCancelled before another line is handed
    // on; lines handed on before stay handed on, so a caller that wants all
    // or nothing collects them aside.
    void convert(const RecordLineSink& sink, const JobControl& control = JobControl::none()) const;
    // What step 2 passes over in the current source by design (the first
    // dBase row, the lines after the last whole Director record, broken RIS
    // and BibTeX entries), as Hungarian sentences for the page and the
    // command line. Kept from step 2 when it found them on its way.
    QStringList leftOutNotes() const;

    // Step 3: ".rtf" is appended to a name that does not contain it
    // (case-sensitive); the lines are written as a database file, atomically,
    // replacing what was there. Returns the name written. Callers ask (or
    // need --force) first when replacesExistingFile() holds for that name.
    static QString resultFileName(const QString& chosen);
    // True when writing `fileName` would replace a file that is there. A
    // folder of that name is not replaced but fails the write, so it is no
    // reason to ask.
    static bool replacesExistingFile(const QString& fileName);
    // A stop ends it with OperationCancelled and the file as it was.
    static QString saveResult(const QString& chosen, const QStringList& lines,
                              const JobControl& control = JobControl::none());

private:
    ConversionInput input() const;

    SourceKind m_kind = SourceKind::None;
    int m_volume = -1;
    QString m_sourcePath;
    // For a kind that reads the whole text, the text; the lines are cut from
    // it when asked for.
    QString m_sourceText;
    mutable QStringList m_sourceLines;
    bool m_textRead = false;
    mutable bool m_sourceLinesCut = true;
    mutable std::optional<QStringList> m_leftOutNotes;
    DbfTable m_table;
};
