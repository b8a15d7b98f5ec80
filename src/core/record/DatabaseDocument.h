#pragma once

#include "core/job/JobControl.h"
#include "core/record/DiskStamp.h"
#include "core/record/RecordSchema.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

// The open database: its lines in file order, the path of its file, whether it
// has unsaved changes, and the record-name list the workspace navigates by.
//
// Reading and writing never leave the document or the file half changed: a
// load that fails keeps the lines that were open, and a save writes through a
// temporary file, so a failed save keeps the previous file whole and the
// document stays modified.
//
// A database may hold a million lines. They are kept as one text (for a
// UTF-16LE file, the file's own bytes) with a table of where each line lies,
// so loading costs one read and one scan rather than a million allocations;
// lines appended or replaced since the load live beside it.
class DatabaseDocument final
{
    Q_DISABLE_COPY_MOVE(DatabaseDocument)

    // Where a line lies: in the loaded text, or (edited >= 0) in the edited lines.
    struct LineRef
    {
        qsizetype offset = 0;
        qsizetype length = 0;
        qsizetype edited = -1;
    };
    // Finds the lines and their names in text that arrives piece by piece.
    class LineSplitter;

public:
    // A database file read and split into lines, with its record-name list,
    // ready to become the document. It is built on any thread by read() and
    // taken over by adopt() in constant time, so a load can run beside the
    // user interface and be dropped unseen when it is cancelled.
    class Contents final
    {
    public:
        int lineCount() const { return int(m_lineRefs.size()); }

    private:
        friend class DatabaseDocument;
        QByteArray m_fileBytes;
        QString m_text;
        std::vector<LineRef> m_lineRefs;
        QByteArray m_names;
        QByteArray m_nameLengths;
        DiskStamp m_stamp; // the file as it was read
    };

    // The lines at one moment, cheap to take and safe to encode on another
    // thread while the document goes on changing.
    class Snapshot final
    {
    public:
        int lineCount() const { return int(m_lineRefs.size()); }
        QStringView line(int index) const;
        // The bytes of a database file holding these lines.
        QByteArray encode() const;

    private:
        friend class DatabaseDocument;
        QByteArray m_fileBytes; // keeps alive the text read in place
        QString m_text;
        std::vector<LineRef> m_lineRefs;
        QStringList m_edited;
    };

    // The path before any file was opened.
    static inline const QString InitialPath = QStringLiteral("Adatbazis");
    // Where Save writes when the path is empty.
    static inline const QString FallbackSavePath = QStringLiteral("adatbazis");
    static constexpr int RecordNameLength = int(RecordSchema::RecordNameLength);

    DatabaseDocument() = default;

    const QString& path() const { return m_path; }
    int lineCount() const { return int(m_lineRefs.size()); }
    // Valid until the document next changes.
    QStringView line(int index) const;
    // All lines as a list (a copy; meant for small documents and checks).
    QStringList lines() const;
    bool isModified() const { return m_modified; }
    // True once a file has been loaded; the window caption names it from then on.
    bool hasFile() const { return m_hasFile; }

    // Reads the whole file before touching anything; throws NorlaError
    // "Cannot open file" and leaves the document as it was on failure.
    void load(const QString& path);
    // The first half of load(), touching no document: safe on any thread.
    // Throws NorlaError "Cannot open file", or OperationCancelled when a stop
    // was asked, looked for between two pieces of the file.
    static Contents read(const QString& path, const JobControl& control = JobControl::none());
    // The second half: the document becomes the file at `path`, unmodified,
    // its record-name list built.
    void adopt(const QString& path, Contents&& contents);
    // Takes the lines of a recovery copy as the unsaved state of the database
    // at `databasePath`: the document is that database's, and modified.
    void loadRecovered(const QString& databasePath, const QString& copyPath);
    // The same with the copy already read.
    void adoptRecovered(const QString& databasePath, Contents&& copy);

    Snapshot snapshot() const;

    // The ".rtf" rule of every database save: appended unless the name
    // contains ".rtf" anywhere (case-sensitive).
    static QString withRtfExtension(const QString& path);
    // Writes an empty database (the byte-order mark alone) under the name the
    // ".rtf" rule gives and returns that name. Throws "Cannot create file".
    static QString createEmptyFile(const QString& chosenName);

    // The database file's bytes: FF FE, then every line in UTF-16LE followed by CR LF.
    QByteArray encode() const;
    // Writes the lines to `path` (after the ".rtf" rule) and clears the
    // modified state; returns the name written. Throws "Cannot create file"
    // and stays modified when the write fails.
    QString saveAs(const QString& path);
    // Save to the document's own path ("adatbazis" when it is empty).
    QString save();
    // The file a save to `path` writes (the document's own when empty).
    QString saveTarget(const QString& path = {}) const;

    // Whether someone else wrote the file a save to `path` would replace
    // since this document read or last wrote it. Only the file the document
    // came from (or was last saved to as its own) is watched; `thorough`
    // compares the content even when size and time agree (before a save).
    bool fileChangedOnDisk(const QString& path = {}, bool thorough = true) const;
    // The file the document last read or wrote as its own, as it was then.
    const DiskStamp& diskStamp() const { return m_diskStamp; }

    void markModified() { m_modified = true; }
    // Set by the undo history: clear again once the lines are back at the
    // state the file holds.
    void setModified(bool modified) { m_modified = modified; }
    void appendLine(const QString& line);
    void replaceLine(int index, const QString& line);
    void removeLine(int index);
    // Puts `line` at `index`, the lines from there on moving one down; an
    // index of lineCount() appends.
    void insertLine(int index, const QString& line);

    // The record-name list: item i is the first 10 characters of line i as
    // Windows-1250 text. It is a snapshot, taken by rebuildRecordNames(), so
    // a line replaced in place keeps the name the list showed.
    void rebuildRecordNames();
    int recordNameCount() const { return int(m_nameLengths.size()); }
    QByteArrayView recordName(int index) const;
    // The list followed one change at a time, as a rebuild would leave it,
    // without the cost of a million names: the name of line `index` put in
    // at its place, taken out, or taken again from its line.
    void insertRecordName(int index);
    void removeRecordName(int index);
    void refreshRecordName(int index);

    // The lines one per row, for the raw database view.
    QString plainText() const;

private:
    QString m_path = InitialPath;
    QByteArray m_fileBytes; // the loaded file, when m_text reads it in place
    QString m_text;
    std::vector<LineRef> m_lineRefs;
    QStringList m_edited;
    bool m_modified = false;
    bool m_hasFile = false;
    DiskStamp m_diskStamp;
    // All names in one block of RecordNameLength bytes each, so a list of a
    // million records costs two allocations instead of a million.
    QByteArray m_names;
    QByteArray m_nameLengths;
};
