#include "cli/CliArgs.h"
#include "cli/Commands.h"
#include "core/check/NameTally.h"
#include "core/check/NameVariants.h"
#include "core/search/SearchEngine.h"

#include <QCommandLineParser>
#include <QDir>

namespace {

const char* const kNamesHelp = R"HELP(Usage: norla-cli names [--variants] [--kind KIND]

Reads the index file set (adatb*.ztf) of the current folder and lists its
names with the number of records that use each, most used first: creators
(alkoto.zda), publishers (kiado.zda), places of publication (megjhely.zda)
or publications.

With --variants it lists, as "Műveletek" > "Névváltozatok..." does, groups
of forms that are probably one name: forms equal once letter case and accents
are ignored, a given name written as an initial ("Kovács J." and "Kovács
János"), and forms one edit apart when both are longer than 8 characters.
Places are also grouped with their usual abbreviations and other-language
names by a table ("Bp." with "Budapest", "Pressburg" with "Pozsony").
Each group starts with a line "KIND: FORM (N rekord)", naming the form offered
as the authorised one (the most used whole form), followed by one line per
form: the form, its record count and the databases it is in, separated by
tabs; a form that may name someone or something else has a fourth column:
"más családnév", "más utónév" or "más nyelvű név" (the editor's
"Névváltozatok" window starts such forms unticked). An empty line ends the
group. An initial that fits several names is listed as "KIND (kétértelmű):
FORM" and is never offered for making a database uniform.

  --variants    list the groups of variants
  --kind KIND   creators (the default), publishers, places, publications or all
  -h, --help    show this help

Exit status: 0 on success, 1 when a file cannot be read, 2 for wrong usage.
)HELP";

struct KindName
{
    NameKind kind;
    const char16_t* option;
    const char16_t* caption;
};

constexpr KindName kKinds[] = {
    {NameKind::Creator, u"creators", u"alkotó"},
    {NameKind::Publisher, u"publishers", u"kiadó"},
    {NameKind::Place, u"places", u"megjelenési hely"},
    {NameKind::Publication, u"publications", u"kiadvány"},
};

QString databasesOf(const NameForm& form, const QStringList& databases)
{
    QStringList names;
    for (const int d : form.databases)
        if (d >= 0 && d < databases.size())
            names.append(databases[d]);
    return names.join(QStringLiteral(", "));
}

} // namespace

int runNamesCommand(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(QCommandLineOption(QStringLiteral("variants")));
    parser.addOption(QCommandLineOption(QStringLiteral("kind"), QString(), QStringLiteral("kind")));
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    if (!parser.parse(QStringList{QStringLiteral("norla-cli names")} + args) ||
        !parser.positionalArguments().isEmpty()) {
        cliErr()
            << "norla-cli names: "
            << (parser.positionalArguments().isEmpty()
                    ? parser.errorText()
                    : QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first()))
            << "\nRun \"norla-cli names --help\" for the options." << Qt::endl;
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        cliOut() << QString::fromUtf8(kNamesHelp) << Qt::flush;
        return 0;
    }
    const QString kindOption = parser.value(QStringLiteral("kind"));
    std::vector<KindName> kinds;
    for (const KindName& k : kKinds)
        if (kindOption.isEmpty() ? k.kind == NameKind::Creator
                                 : (kindOption == u"all" || kindOption == QStringView(k.option)))
            kinds.push_back(k);
    if (kinds.empty()) {
        cliErr() << "norla-cli names: --kind takes creators, publishers, places, publications or all"
                 << Qt::endl;
        return 2;
    }
    const QString folder = QDir::currentPath();
    JobControl control;
    const NameTally tally = NameTally::fromIndexSet(folder, control);
    QTextStream& out = cliOut();
    qsizetype listed = 0;
    for (const KindName& k : kinds) {
        const QString caption = QString::fromUtf16(k.caption);
        if (!parser.isSet(QStringLiteral("variants"))) {
            std::vector<NameForm> forms = tally.forms(k.kind);
            std::stable_sort(forms.begin(), forms.end(),
                             [](const NameForm& a, const NameForm& b) { return a.count > b.count; });
            listed += qsizetype(forms.size());
            for (const NameForm& form : forms)
                out << caption << '\t' << form.text << '\t' << form.count << '\t'
                    << databasesOf(form, tally.databases()) << '\n';
            continue;
        }
        const std::vector<NameVariants::Group> groups =
            NameVariants::find(k.kind, tally.forms(k.kind), control);
        listed += qsizetype(groups.size());
        for (const NameVariants::Group& group : groups) {
            const QString& authorised = group.ambiguous
                                            ? group.forms.front().text
                                            : group.forms[NameVariants::firstAuthorised(group)].text;
            out << caption << (group.ambiguous ? QStringLiteral(" (kétértelmű): ") : QStringLiteral(": "))
                << authorised << " (" << group.recordCount() << " rekord)\n";
            for (const NameForm& form : group.forms) {
                out << "  " << form.text << '\t' << form.count << '\t'
                    << databasesOf(form, tally.databases());
                const NameVariants::Difference difference =
                    group.ambiguous ? NameVariants::Difference::None
                                    : NameVariants::differenceFrom(k.kind, authorised, form.text);
                if (difference != NameVariants::Difference::None)
                    out << '\t' << NameVariants::differenceText(difference);
                out << '\n';
            }
            out << '\n';
        }
    }
    out << Qt::flush;
    cliErr() << listed
             << (parser.isSet(QStringLiteral("variants")) ? QStringLiteral(" csoport")
                                                          : QStringLiteral(" név"))
             << Qt::endl;
    return 0;
}
