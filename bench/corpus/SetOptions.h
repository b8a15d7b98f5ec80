#pragma once

#include <QDir>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <algorithm>

// The options of the benchmarks that time index sets of several sizes:
// `--sizes A,B,...`, `--dir DIR` (a folder per size is made under it) and
// `--runs N`. Any other `--name value` pair is kept for the benchmark itself.
struct SetOptions
{
    QList<int> sizes;
    QString root;
    int runs = 5;
    QMap<QString, QString> others;

    static SetOptions parse(const QStringList& args, const QList<int>& defaultSizes, const QString& rootName)
    {
        SetOptions options;
        options.sizes = defaultSizes;
        options.root = QDir::temp().filePath(rootName);
        for (qsizetype i = 0; i + 1 < args.size(); i += 2) {
            const QString& value = args[i + 1];
            if (args[i] == u"--sizes") {
                options.sizes.clear();
                for (const QString& size : value.split(u','))
                    options.sizes.append(size.toInt());
            } else if (args[i] == u"--dir") {
                options.root = value;
            } else if (args[i] == u"--runs") {
                options.runs = std::max(1, value.toInt());
            } else {
                options.others.insert(args[i], value);
            }
        }
        return options;
    }
};
