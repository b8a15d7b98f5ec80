#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringView>

#include <functional>

// The three sets of records that "export" and "publish" read: a database
// file, the index set of the working folder, or the hits of a search.
using LineVisitor = std::function<void(QStringView line)>;
using RecordSource = std::function<void(const LineVisitor&)>;

// True when any search option (other than --threads and --help) is given.
bool searchOptionsGiven(const QCommandLineParser& parser);

// The one source the options name: DATABASE, --index or search options.
// Throws UsageError when none or more than one is named, or when the
// search options make no search.
RecordSource recordSourceFrom(const QCommandLineParser& parser, const QString& folder);
