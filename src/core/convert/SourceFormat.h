#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>

class DbfTable;

enum class SourceKind
{
    None,
    DBase,
    Zdb,
    Director,
    Ris,
    BibTeX
};

// What a conversion reads: the dBase table opened in step 1, or the lines of
// the text file loaded in step 1 (or its whole text, for a kind that reads
// it so), and the volume chosen for Director records.
struct ConversionInput
{
    const DbfTable& table;
    const QStringList& lines;
    int volume = -1; // 0..7, -1 when none is chosen
    // Set by the kinds that read the whole text (readsWholeText()); they
    // read it instead of `lines`.
    const QString* text = nullptr;
    // When set, a kind that finds its left-out notes while converting stores
    // them here, so that they need not be looked for a second time.
    std::optional<QStringList>* leftOutNotes = nullptr;
};

// Receives each record line as soon as it is built (Unicode).
using RecordLineSink = std::function<void(const QString& line)>;

// One older form that records are converted from: what it is called, which
// files it reads, and how its records become record lines.
class SourceFormat
{
public:
    virtual ~SourceFormat() = default;

    virtual SourceKind kind() const = 0;
    // The command line's name: "dbf", "zdb", "director".
    virtual QString shortName() const = 0;
    // The open dialog's filter ("Description|*.ext").
    virtual QString nameFilter() const = 0;
    // Extension of its files, without the dot (for converting a folder).
    virtual QString fileSuffix() const = 0;
    // Opened as a table rather than loaded as text lines.
    virtual bool isTable() const { return false; }
    // Its records take the volume chosen on the page (or --volume).
    virtual bool needsVolume() const { return false; }
    // The text lines of a file of this kind; the default reads it like a
    // database file. Throws NorlaError "Cannot open file".
    virtual QStringList readLines(const QString& path) const;
    // True for a kind that converts from the whole text of its file, read
    // once by readText(), rather than from its lines; the lines are then
    // only cut for whoever shows them.
    virtual bool readsWholeText() const { return false; }
    // The whole text of a file of this kind; only for readsWholeText().
    // Throws NorlaError "Cannot open file".
    virtual QString readText(const QString& path) const;
    // Builds the lines. Throws NorlaError; lines handed on before stay handed on.
    virtual void convert(const ConversionInput& input, const RecordLineSink& sink) const = 0;
    // What convert() passes over in the source by design, one Hungarian
    // sentence each, so that nothing goes missing without the user knowing.
    virtual QStringList leftOutNotes(const ConversionInput& input) const
    {
        Q_UNUSED(input);
        return {};
    }

    static const QList<const SourceFormat*>& all();
    // nullptr for SourceKind::None and unknown names.
    static const SourceFormat* forKind(SourceKind kind);
    static const SourceFormat* forShortName(QStringView name);
};
