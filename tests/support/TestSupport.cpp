#include "TestSupport.h"

#include "core/record/FileFailure.h"
#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QtTest>

TempWorkDir::TempWorkDir() : m_previous(QDir::currentPath())
{
    QVERIFY2(m_dir.isValid(), "cannot create a temporary folder");
    QDir::setCurrent(m_dir.path());
}

TempWorkDir::~TempWorkDir()
{
    QDir::setCurrent(m_previous);
}

void TempWorkDir::seedFromSample() const
{
    const QDir sample(QStringLiteral(NORLA_SAMPLE_DIR));
    for (const QString& name : sample.entryList(QDir::Files))
        QFile::copy(sample.filePath(name), file(name));
}

void TempWorkDir::writeBytes(const QString& name, const QByteArray& bytes) const
{
    QFile f(file(name));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray TempWorkDir::readBytes(const QString& name) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QString testDataPath(const QString& name)
{
    return QStringLiteral(NORLA_TEST_DATA_DIR) + u'/' + name;
}

QByteArray unicodeFileBytes(const QStringList& lines)
{
    return TextFile::encodeUnicode(lines);
}

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const NorlaError& error) {
        return error.message();
    }
    return {};
}

ProgramRun runProgram(const QString& program, const QStringList& args, const QString& workDir,
                      const QByteArray& input)
{
    QProcess process;
    if (!workDir.isEmpty())
        process.setWorkingDirectory(workDir);
    process.start(program, args);
    process.write(input);
    process.closeWriteChannel();
    ProgramRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QMap<QString, QByteArray> folderContents(const QString& path)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString name = QDir(path).relativeFilePath(info.filePath());
        QFile file(info.filePath());
        if (info.isSymLink())
            entries.insert(name, "-> " + QFile::encodeName(info.symLinkTarget()));
        else if (info.isDir())
            entries.insert(name, "<folder>");
        else
            entries.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>");
    }
    return entries;
}

QString cannotOpenFile(const QString& path)
{
    return FileFailure::message(FileFailure::Access::Open, path, 0);
}

QString cannotCreateFile(const QString& path)
{
    return FileFailure::message(FileFailure::Access::Create, path, 0);
}
