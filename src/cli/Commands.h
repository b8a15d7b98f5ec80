#pragma once

#include <QStringList>

// One function per norla-cli command; each gets the arguments after its name
// and returns the process exit status.
int runIndexCommand(const QStringList& args);
int runSearchCommand(const QStringList& args);
int runConvertCommand(const QStringList& args);
int runDuplicatesCommand(const QStringList& args);
int runExportCommand(const QStringList& args);
int runCheckCommand(const QStringList& args);
int runNamesCommand(const QStringList& args);
int runReplaceCommand(const QStringList& args);
#ifdef NORLA_WITH_PUBLISH
int runPublishCommand(const QStringList& args);
#endif
#ifdef NORLA_HAVE_SPELLING
int runSpellCommand(const QStringList& args);
#endif
int runStatsCommand(const QStringList& args);
