#include "cli/CliArgs.h"
#include "cli/Commands.h"

int runIndexCommand(const QStringList& args)
{
    Q_UNUSED(args);
    cliErr() << "norla-cli: index is not available yet" << Qt::endl;
    return 2;
}
