#pragma once

#include "core/search/SearchCriteria.h"

#include <QByteArray>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>

// The search options that "search" and "export" share.

class UsageError
{
public:
    explicit UsageError(QString text) : message(std::move(text)) {}
    QString message;
};

// The options of "norla-cli search", --help included.
QList<QCommandLineOption> searchOptions();
// Throws UsageError for options that do not make a search.
SearchCriteria criteriaFrom(const QCommandLineParser& parser);
// --threads, 0 when not given; throws UsageError.
int threadCount(const QCommandLineParser& parser);
// The role list of the working folder as the search reads it; a missing
// szerep.zda is reported and gives an empty list.
QList<QByteArray> rolesFor(const SearchCriteria& criteria, bool resultsText, const QString& folder);
