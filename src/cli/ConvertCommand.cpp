#include "cli/CliArgs.h"
#include "cli/Commands.h"

int runConvertCommand(const QStringList& args)
{
    Q_UNUSED(args);
    cliErr() << "norla-cli: convert is not available yet" << Qt::endl;
    return 2;
}
