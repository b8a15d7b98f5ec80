#include "cli/CliArgs.h"
#include "cli/Commands.h"
#include "cli/SearchOptions.h"
#include "core/record/LookupList.h"
#include "core/record/NorlaError.h"
#include "core/record/Win1250.h"
#include "core/record/WorkFolder.h"
#include "core/search/HitEntry.h"
#include "core/search/SearchEngine.h"

#include <QCommandLineParser>
#include <QDir>

#include <array>
#include <cstdio>
#include <cstring>

namespace {

const char* const kSearchHelp = R"(Usage: norla-cli search [OPTIONS]

Searches the index file set (adatb*.ztf) of the current folder exactly as the
"Összetett keresés" dialog does, and prints the record names of the hits, one
per line, in hit order.

Terms (searched in the term fields; letter case and accents count):
  --term TEXT          one term ("egy kifejezésre")
  --terms T1,T2,...    several terms ("több kifejezésre"), separated by commas
  --term-list TEXT     one of several terms; repeat it for each term (use it
                       for terms that hold a comma; combines with --terms)
  --and                several terms: a record must hold every term ("és",
                       the default)
  --or                 several terms: a record must hold one of them ("vagy")
  --word               match whole words only ("szóra"): no letter or digit may
                       touch the match; in the creator field each name counts
                       on its own. Default: any part of a word ("szótöredékre")
  --fold               terms and restriction texts match regardless of letter
                       case and accents ("ékezet és kis/nagybetű nélkül"):
                       kovacs finds Kovács, strasse finds Straße
  --fields LIST        the term fields to search, separated by commas (default:
                       all twelve; an empty list searches none):
                         subject       Tárgykör          creator    Alkotó
                         title         Cím               publication Kiadvány
                         publisher     Kiadó             series     Könyvsorozat
                         volumenumber  Kötetszám         pages      Oldalszám
                         year          Év                annualrun  Évfolyam
                         place         Megjelenés helye  note       Megjegyzés
                       (series is the same field as publication, and
                       volumenumber the same as annualrun)

Restrictions (every one given must hold; the text must occur in the field as
it is, letter case counting unless --fold is given):
  --volume TEXT        Kötet: the volume name (Kardel, Lunvek, Nosvair,
                       Sivarnholdt, Vuranek, Zelnar, Gorval, Mai adatok)
  --type TEXT          Rekord típusa: the record type
  --creator TEXT       Alkotó: the creators (with their two-character role codes)
  --role TEXT          Közreműködés: the role name (from szerep.zda) of a creator
  --publisher TEXT     Kiadó: the publisher
  --place TEXT         Megjelenési hely: the place of publication
  --medium TEXT        Adathordozó típusa: the medium
  --language TEXT      Nyelv: the language
  --translated yes|no  Fordítás: the record is (yes) or is not (no) a translation

At least one term or one restriction with a text is needed; --translated alone
is not enough (as in the dialog).

Output:
  --text               print the results text of the "Találatok" page as plain
                       text (the entries of the first 499 hits) instead of names
  --threads N          chunk files searched at the same time (default: one per
                       processor); the output is the same for every N
  -h, --help           show this help

The number of hits goes to standard error as "N találat" ("0 találat" when
nothing matched); standard output holds the results only.

Examples (in the sample working folder):
  norla-cli search --term Császárkor
  norla-cli search --terms Ősnyomtatványok,Helytörténet --or --fields subject
  norla-cli search --term Bálint --word --fields creator --volume Kardel
  norla-cli search --creator Tarján --text

Exit status: 0 when the search ran (also without hits), 1 when a file cannot be
read (the hits found before it are printed), 2 for wrong usage.
)";

// Field names of the twelve term fields, in the dialog's order (cb21 … cb32).
constexpr std::array<const char*, SearchCriteria::TermFieldCount> kFieldNames = {
    "subject",      "creator", "title", "publication", "publisher", "series",
    "volumenumber", "pages",   "year",  "annualrun",   "place",     "note",
};

struct RestrictionOption
{
    const char* name;
    SearchCriteria::Restriction restriction;
};
constexpr RestrictionOption kRestrictionOptions[] = {
    {"volume", SearchCriteria::Volume},       {"type", SearchCriteria::RecordType},
    {"creator", SearchCriteria::Creator},     {"role", SearchCriteria::Role},
    {"publisher", SearchCriteria::Publisher}, {"place", SearchCriteria::Place},
    {"medium", SearchCriteria::Medium},       {"language", SearchCriteria::Language},
};

// Record names and results text go to stdout as UTF-8, in one write once the
// search is over: a search that starts again over a new index set then
// takes back nothing a reader already has.
class StdoutSink final : public SearchSink
{
public:
    StdoutSink(bool resultsText, QStringList roleNames)
        : m_resultsText(resultsText), m_roleNames(std::move(roleNames))
    {
        m_buffer.reserve(InitialCapacity);
    }
    ~StdoutSink() override { (void)flush(); }
    Q_DISABLE_COPY_MOVE(StdoutSink)

    void hit(QByteArrayView recordName, const FieldGrid* record) override
    {
        if (!m_resultsText) {
            appendUtf8(recordName);
            m_buffer.append('\n');
        } else if (record) {
            m_buffer.append(HitEntry::plainText(HitEntry::build(*record, m_roleNames)).toUtf8());
        }
    }

    // Nothing has reached standard output yet (it is written once the search
    // is over), so hits of a set replaced meanwhile are simply dropped.
    bool restart() override
    {
        m_buffer.resize(0);
        return true;
    }

    // False when standard output did not take everything (a full disk, a
    // closed pipe): a script must not read a cut list as the whole result.
    bool flush()
    {
        const auto size = size_t(m_buffer.size());
        const bool written = (size == 0 || std::fwrite(m_buffer.constData(), 1, size, stdout) == size) &&
                             std::fflush(stdout) == 0;
        m_buffer.resize(0); // keeps the capacity for the next hits
        return written;
    }

private:
    static constexpr qsizetype InitialCapacity = 1 << 16;

    // One table look-up per byte of the name: its UTF-8 sequence.
    struct Utf8Byte
    {
        char bytes[3];
        quint8 size;
    };
    static const std::array<Utf8Byte, 256>& utf8Table()
    {
        static const std::array<Utf8Byte, 256> table = [] {
            std::array<Utf8Byte, 256> t{};
            for (int b = 0; b < 256; ++b) {
                const char16_t c = Win1250::toUnicodeChar(static_cast<unsigned char>(b));
                Utf8Byte& e = t[size_t(b)];
                if (c < 0x80) {
                    e = {{char(c), 0, 0}, 1};
                } else if (c < 0x800) {
                    e = {{char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F)), 0}, 2};
                } else {
                    e = {{char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))},
                         3};
                }
            }
            return t;
        }();
        return table;
    }

    void appendUtf8(QByteArrayView text8)
    {
        const std::array<Utf8Byte, 256>& table = utf8Table();
        const qsizetype at = m_buffer.size();
        m_buffer.resize(at + 3 * text8.size());
        char* out = m_buffer.data() + at;
        for (const char byte : text8) {
            const Utf8Byte& e = table[static_cast<unsigned char>(byte)];
            std::memcpy(out, e.bytes, 3);
            out += e.size;
        }
        m_buffer.resize(out - m_buffer.constData());
    }

    bool m_resultsText;
    QStringList m_roleNames;
    QByteArray m_buffer;
};

} // namespace

QList<QCommandLineOption> searchOptions()
{
    QList<QCommandLineOption> options;
    const auto valued = [&options](const char* name) {
        options.append(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value")));
    };
    const auto flag = [&options](QStringList names) { options.append(QCommandLineOption(names)); };
    for (const char* name : {"term", "terms", "term-list", "fields", "translated", "threads"})
        valued(name);
    for (const RestrictionOption& option : kRestrictionOptions)
        valued(option.name);
    for (const char* name : {"and", "or", "word", "fold", "text"})
        flag({QString::fromLatin1(name)});
    flag({QStringLiteral("h"), QStringLiteral("help")});
    return options;
}

static std::array<bool, SearchCriteria::TermFieldCount> parseFields(const QString& list)
{
    std::array<bool, SearchCriteria::TermFieldCount> fields{};
    for (const QString& raw : list.split(u',', Qt::SkipEmptyParts)) {
        const QString name = raw.trimmed().toLower();
        const auto known =
            std::find_if(kFieldNames.begin(), kFieldNames.end(),
                         [&name](const char* candidate) { return name == QLatin1String(candidate); });
        if (known == kFieldNames.end())
            throw UsageError(
                QStringLiteral("unknown field \"%1\" in --fields (known: %2)")
                    .arg(raw, QStringLiteral("subject, creator, title, publication, publisher, series, "
                                             "volumenumber, pages, year, annualrun, place, note")));
        fields[size_t(known - kFieldNames.begin())] = true;
    }
    return fields;
}

SearchCriteria criteriaFrom(const QCommandLineParser& parser)
{
    SearchCriteria criteria;
    const bool several = parser.isSet(QStringLiteral("terms")) || parser.isSet(QStringLiteral("term-list"));
    if (several && parser.isSet(QStringLiteral("term")))
        throw UsageError(QStringLiteral("--term cannot be combined with --terms or --term-list"));
    if (parser.isSet(QStringLiteral("and")) && parser.isSet(QStringLiteral("or")))
        throw UsageError(QStringLiteral("--and and --or exclude each other"));
    if ((parser.isSet(QStringLiteral("and")) || parser.isSet(QStringLiteral("or"))) && !several)
        throw UsageError(QStringLiteral("--and and --or go with several terms (--terms, --term-list)"));

    if (several) {
        criteria.mode = SearchCriteria::Mode::SeveralTerms;
        for (const QString& value : parser.values(QStringLiteral("terms")))
            criteria.terms += value.split(u',', Qt::SkipEmptyParts);
        for (const QString& value : parser.values(QStringLiteral("term-list")))
            if (!value.isEmpty())
                criteria.terms.append(value);
        if (criteria.terms.isEmpty())
            throw UsageError(QStringLiteral("--terms and --term-list need at least one non-empty term"));
        if (parser.isSet(QStringLiteral("or")))
            criteria.connective = SearchCriteria::Connective::Or;
    } else {
        criteria.term = parser.value(QStringLiteral("term"));
    }
    if (parser.isSet(QStringLiteral("word")))
        criteria.matchKind = SearchCriteria::MatchKind::Word;
    criteria.folded = parser.isSet(QStringLiteral("fold"));
    if (parser.isSet(QStringLiteral("fields")))
        criteria.termFields = parseFields(parser.value(QStringLiteral("fields")));

    for (const RestrictionOption& option : kRestrictionOptions) {
        const QString name = QString::fromLatin1(option.name);
        if (parser.isSet(name))
            criteria.restrictions[option.restriction] = {true, parser.value(name)};
    }
    if (parser.isSet(QStringLiteral("translated"))) {
        const QString value = parser.value(QStringLiteral("translated"));
        if (value != u"yes" && value != u"no")
            throw UsageError(QStringLiteral("--translated takes yes or no, not \"%1\"").arg(value));
        criteria.translationChecked = true;
        criteria.translationYes = value == u"yes";
    }
    if (!criteria.canSearch())
        throw UsageError(
            QStringLiteral("give a term (--term, --terms, --term-list) or a restriction with a text"));
    return criteria;
}

int threadCount(const QCommandLineParser& parser)
{
    if (!parser.isSet(QStringLiteral("threads")))
        return 0;
    bool ok = false;
    const int threads = parser.value(QStringLiteral("threads")).toInt(&ok);
    if (!ok || threads < 1 || threads > 256)
        throw UsageError(QStringLiteral("--threads takes a number from 1 to 256"));
    return threads;
}

// The role list, as the dialog reads it when it is shown: a missing
// szerep.zda is reported and leaves the role names empty.
QList<QByteArray> rolesFor(const SearchCriteria& criteria, bool resultsText, const QString& folder)
{
    if (!resultsText && !criteria.restrictions[SearchCriteria::Role].active())
        return {};
    try {
        return LookupList::read8Bit(QDir(folder).filePath(WorkFolder::RolesFile));
    } catch (const NorlaError& error) {
        cliErr() << "norla-cli: " << error.message() << Qt::endl;
        return {};
    }
}

int runSearchCommand(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(searchOptions());
    if (!parser.parse(QStringList{QStringLiteral("norla-cli search")} + args)) {
        cliErr() << "norla-cli search: " << parser.errorText() << "\n"
                 << "Run \"norla-cli search --help\" for the options." << Qt::endl;
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        cliOut() << QString::fromUtf8(kSearchHelp) << Qt::flush;
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        cliErr() << "norla-cli search: unexpected argument \"" << parser.positionalArguments().first() << "\""
                 << Qt::endl;
        return 2;
    }
    try {
        const SearchCriteria criteria = criteriaFrom(parser);
        const bool resultsText = parser.isSet(QStringLiteral("text"));
        const QString folder = QDir::currentPath();
        const QList<QByteArray> roles = rolesFor(criteria, resultsText, folder);
        QStringList roleNames;
        for (const QByteArray& role : roles)
            roleNames.append(Win1250::toUnicode(role));

        SearchEngine engine(criteria, roles);
        engine.setThreadCount(threadCount(parser));
        StdoutSink sink(resultsText, roleNames);
        const qint64 hits = engine.run(folder, sink);
        // The count goes to standard error after the results, so a search
        // without hits is told apart from a fault while standard output
        // stays the plain list that scripts read.
        if (!sink.flush()) {
            cliErr() << "norla-cli search: cannot write the results to standard output" << Qt::endl;
            return 1;
        }
        cliErr() << hits << " találat" << Qt::endl;
        return 0;
    } catch (const UsageError& error) {
        cliErr() << "norla-cli search: " << error.message << "\n"
                 << "Run \"norla-cli search --help\" for the options." << Qt::endl;
        return 2;
    }
}
