// make_corpus DIR COUNT [FILES]: writes COUNT generated records into FILES
// database files (korpusz01.rtf, korpusz02.rtf, …) in DIR, record names running
// on from one file to the next. For benchmarks and trying the program out.
#include "Corpus.h"

#include "core/record/NorlaError.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = QCoreApplication::arguments().mid(1);
    bool countOk = false;
    bool filesOk = true;
    const int count = args.value(1).toInt(&countOk);
    const int files = args.size() > 2 ? args.at(2).toInt(&filesOk) : 1;
    if (args.size() < 2 || args.size() > 3 || !countOk || !filesOk || count < 0 || files < 1) {
        err << "Usage: make_corpus DIR COUNT [FILES]\n"
               "Writes COUNT generated records into FILES database files (default 1) in DIR.\n";
        return 2;
    }
    const QDir dir(args.at(0));
    if (!QDir().mkpath(dir.path())) {
        err << "make_corpus: cannot create folder " << dir.path() << Qt::endl;
        return 1;
    }
    try {
        int first = 0;
        for (int f = 0; f < files; ++f) {
            const int n = count / files + (f < count % files ? 1 : 0);
            const QString name = QStringLiteral("korpusz%1.rtf").arg(f + 1, 2, 10, QLatin1Char('0'));
            Corpus::writeDatabase(dir.filePath(name), n, 1, first);
            err << name << ": " << n << " records" << Qt::endl;
            first += n;
        }
    } catch (const NorlaError& error) {
        err << "make_corpus: " << error.message() << Qt::endl;
        return 1;
    }
    return 0;
}
