#pragma once

#include <QString>
#include <QTextStream>

// Standard streams of the command line tool: results to stdout, progress and
// errors to stderr, both UTF-8.
QTextStream& cliOut();
QTextStream& cliErr();
