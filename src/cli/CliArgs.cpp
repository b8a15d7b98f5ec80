#include "cli/CliArgs.h"

#include <cstdio>

QTextStream& cliOut()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& cliErr()
{
    static QTextStream stream(stderr);
    return stream;
}
