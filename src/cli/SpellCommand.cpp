#include "cli/CliArgs.h"
#include "cli/Commands.h"
#include "core/record/DatabaseDocument.h"
#include "core/record/NorlaError.h"
#include "core/record/RecordSchema.h"
#include "core/spelling/Dictionaries.h"
#include "core/spelling/Proofreader.h"
#include "core/spelling/SpellingLexicon.h"
#include "core/spelling/SpellingSettings.h"
#include "core/spelling/Suggestions.h"
#include "core/spelling/WordList.h"

#include <QCommandLineParser>
#include <QDir>

namespace {

constexpr int MaxSuggestions = 5;

const char* const kSpellHelp = R"(Usage: norla-cli spell [--threads N] [--suggest] DATABASE
       norla-cli spell --accept WORD...

Proofreads the subject, title, publication and note of every record of
DATABASE, as "Műveletek" > "Helyesírás-ellenőrzés..." does. Each part of a
field is judged in the installed language whose dictionary knows most of its
words (the record's "Nyelv" field wins a tie; an empty one reads as
Hungarian). Latin text, and text no installed dictionary fits, is left
unchecked, and a notice says so. Accepted without a word: the folder's word
list (sajatszavak.txt), the bibliographic abbreviations and sigla
(roviditesek.txt, shipped and the folder's own), the words of the index
set's and the database's names and of publications that several records
name, and capitalised words with no dictionary word one letter away (names,
not typos).

Each unknown word is one line: the word, the number of records holding it,
the language and the names of those records, separated by tabs; a fifth
field "régi alak?" marks a word found only in records published before the
old-spelling year (helyesiras.regi_ev in config.kzs, default 1922) that an
old-spelling rule (regi_iras.txt) turns into a dictionary word. The most
frequent words come first. "N ismeretlen szó" goes to standard error.
With --suggest, a field after the records lists the suggestions for the
word, likeliest first, separated by ", " (before "régi alak?").

  --accept      add the words to the folder's word list instead
  --suggest     list the suggestions for each word (takes longer)
  --threads N   threads that share the work (default 2)
  -h, --help    show this help

Exit status: 0 when the run finished (also with unknown words), 1 when a
file cannot be read or written, 2 for wrong usage.
)";

int usageError(const QString& message)
{
    cliErr() << "norla-cli spell: " << message << "\nRun \"norla-cli spell --help\" for the options."
             << Qt::endl;
    return 2;
}

QString recordNames(const DatabaseDocument::Snapshot& lines, const QList<int>& records)
{
    QStringList names;
    names.reserve(records.size());
    for (int index : records)
        names.append(RecordSchema::listedName(lines.line(index)));
    return names.join(QStringLiteral(", "));
}

int acceptWords(const QStringList& words)
{
    WordList list = WordList::ofFolder(QDir::currentPath());
    list.add(words);
    return 0;
}

} // namespace

int runSpellCommand(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(QCommandLineOption(QStringLiteral("accept")));
    parser.addOption(QCommandLineOption(QStringLiteral("suggest")));
    parser.addOption(QCommandLineOption(QStringLiteral("threads"), QString(), QStringLiteral("value")));
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    if (!parser.parse(QStringList{QStringLiteral("norla-cli spell")} + args))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        cliOut() << QString::fromUtf8(kSpellHelp) << Qt::flush;
        return 0;
    }
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(QStringLiteral("accept")))
        return positional.isEmpty() ? usageError(QStringLiteral("--accept needs at least one word"))
                                    : acceptWords(positional);
    if (positional.size() != 1)
        return usageError(positional.isEmpty()
                              ? QStringLiteral("missing DATABASE")
                              : QStringLiteral("unexpected argument \"%1\"").arg(positional.at(1)));
    Proofreader::Options options;
    if (parser.isSet(QStringLiteral("threads"))) {
        bool ok = false;
        options.threads = parser.value(QStringLiteral("threads")).toInt(&ok);
        if (!ok || options.threads < 1 || options.threads > 16)
            return usageError(QStringLiteral("--threads takes a number from 1 to 16"));
    }

    const QString folder = QDir::currentPath();
    const SpellingSettings settings = SpellingSettings::read(folder);
    options.oldSpellingBefore = settings.oldSpellingBefore;
    SpellingLanguages languages;
    settings.applyTo(languages);
    Dictionaries dictionaries(languages);
    WordList accepted = WordList::ofFolder(folder);
    accepted.reload();
    const SpellingLexicon lexicon = SpellingLexicon::ofFolder(folder);
    options.lexicon = &lexicon;

    DatabaseDocument document;
    document.load(positional.first());
    const DatabaseDocument::Snapshot lines = document.snapshot();
    JobControl job;
    const Proofreader::Result result = Proofreader(dictionaries, accepted, options)
                                           .run(
                                               lines.lineCount(), [&](int i) { return lines.line(i); }, job);

    const bool suggest = parser.isSet(QStringLiteral("suggest"));
    QTextStream& out = cliOut();
    for (const Proofreader::Word& word : result.words) {
        out << word.word << '\t' << word.count() << '\t' << word.language << '\t'
            << recordNames(lines, word.records);
        if (suggest) {
            QStringList suggestions;
            if (const Dictionaries::Engine engine = dictionaries.loadedForLanguage(word.language))
                suggestions = Suggestions::forWord(*engine, word.word, MaxSuggestions,
                                                   word.oldSpelling ? lexicon.rulesFor(engine->name())
                                                                    : QList<SpellingLexicon::Rule>{});
            out << '\t' << suggestions.join(QStringLiteral(", "));
        }
        if (word.oldSpelling)
            out << QStringLiteral("\trégi alak?");
        out << '\n';
    }
    out << Qt::flush;
    for (const auto& [language, records] : result.uncheckedLanguages)
        cliErr() << QStringLiteral(
                        "%1 rekordban „%2” nyelvű szöveg nincs ellenőrizve: ehhez a nyelvhez nincs "
                        "telepített szótár")
                        .arg(records)
                        .arg(language.isEmpty() ? QStringLiteral("üres") : language)
                 << '\n';
    if (result.unrecognisedRecords > 0)
        cliErr() << QStringLiteral(
                        "%1 rekordban olyan szöveg van, amelyre egyik telepített szótár sem illik; "
                        "ez nincs ellenőrizve")
                        .arg(result.unrecognisedRecords)
                 << '\n';
    for (const QString& error : result.dictionaryErrors)
        cliErr() << error << '\n';
    cliErr() << QStringLiteral("%1 ismeretlen szó").arg(result.words.size()) << Qt::endl;
    return 0;
}
