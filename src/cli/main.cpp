#include "cli/CliArgs.h"
#include "cli/Commands.h"
#include "core/record/NorlaError.h"

#include <QCoreApplication>
#ifdef NORLA_WITH_PUBLISH
#include <QGuiApplication>
#endif

#include <cstring>
#include <memory>

namespace {

const char* const kUsage = R"(Usage: norla-cli COMMAND [OPTIONS]

Works on the current directory as the working folder, like the editor.

Commands:
  index    build the index file set: index [--per-file auto|infinite|N] (--all | NAME...)
  search   search the index file set
  convert  convert a dBase table, zdb file, Director export, RIS or BibTeX
           file into a database
  duplicates  list the indexed records that are probably the same work
  export   write a database, the index set or the hits of a search as
           BibTeX, RIS or CSV
  check    check every record of a database: check [--csv] DATABASE
  names    the index set's names, or with --variants the groups of forms
           that are probably one name
  replace  replace a text in the records of a database, preview first:
           replace [--field F] (--find T | --regex R) --with W [--apply] DATABASE
  spell    proofread a database in its records' languages
  stats    count the records by volume, decade, type, language, subject
           and database, and the empty fields
)"
#ifdef NORLA_WITH_PUBLISH
                           R"(  publish  write a database, the index set or the hits of a search as a
           bibliography to print: PDF, ODT or HTML
)"
#endif
                           R"(
Run "norla-cli COMMAND --help" for the options of a command.

Examples (in the sample working folder, ~/Norla after ./run.sh):
  norla-cli index --all
  norla-cli search --term Császárkor
  norla-cli search --terms Ősnyomtatványok,Helytörténet --or --text
  norla-cli convert zdb regi.zdb regi.rtf
  norla-cli stats --format csv
)";

// Text layout needs fonts, which only a GUI application has, so "publish"
// gets one; on a machine without a display it draws nowhere but the file.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char* argv[])
{
#ifdef NORLA_WITH_PUBLISH
    if (argc > 1 && std::strcmp(argv[1], "publish") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
            qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(argc, argv);
    }
#endif
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace

int main(int argc, char* argv[])
{
    const std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.first() == u"--help" || args.first() == u"-h") {
        (args.isEmpty() ? cliErr() : cliOut()) << kUsage << Qt::flush;
        return args.isEmpty() ? 2 : 0;
    }
    const QString command = args.takeFirst();
    try {
        if (command == u"index")
            return runIndexCommand(args);
        if (command == u"search")
            return runSearchCommand(args);
        if (command == u"convert")
            return runConvertCommand(args);
        if (command == u"duplicates")
            return runDuplicatesCommand(args);
        if (command == u"export")
            return runExportCommand(args);
        if (command == u"check")
            return runCheckCommand(args);
        if (command == u"names")
            return runNamesCommand(args);
        if (command == u"replace")
            return runReplaceCommand(args);
#ifdef NORLA_WITH_PUBLISH
        if (command == u"publish")
            return runPublishCommand(args);
#endif
#ifdef NORLA_HAVE_SPELLING
        if (command == u"spell")
            return runSpellCommand(args);
#endif
        if (command == u"stats")
            return runStatsCommand(args);
    } catch (const NorlaError& error) {
        cliErr() << "norla-cli: " << error.message() << Qt::endl;
        return 1;
    }
    cliErr() << "norla-cli: unknown command \"" << command << "\"\n" << kUsage << Qt::flush;
    return 2;
}
