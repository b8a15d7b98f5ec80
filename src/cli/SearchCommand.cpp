#include "cli/CliArgs.h"
#include "cli/Commands.h"

int runSearchCommand(const QStringList& args)
{
    Q_UNUSED(args);
    cliErr() << "norla-cli: search is not available yet" << Qt::endl;
    return 2;
}
