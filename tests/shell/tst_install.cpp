#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

bool writeScript(const QString& path, const QByteArray& body)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("#!/bin/sh\n" + body);
    file.close();
    return file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// `cmake --install` into a temporary prefix, then the start script run with
// stand-ins for the editor and norla-cli, so nothing graphical starts.
class TestInstall final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_prefix;
    QString m_sampleDir;

    struct Run
    {
        int exitCode = -1;
        QByteArray errors;
    };

    // A bin folder holding the installed start script beside fake programs
    // that record where and how they were started.
    QString makeFakeInstall(const QString& root) const
    {
        const QString bin = root + QStringLiteral("/bin");
        QDir().mkpath(bin);
        QDir().mkpath(root + QStringLiteral("/share/norla"));
        QFile::copy(m_prefix.filePath(QStringLiteral("bin/norla-start")),
                    bin + QStringLiteral("/norla-start"));
        QFile::setPermissions(bin + QStringLiteral("/norla-start"),
                              QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        writeScript(bin + QStringLiteral("/norla"), "pwd > \"$HOME/editor-started-in\"\n");
        writeScript(bin + QStringLiteral("/norla-cli"), "echo \"$*\" > \"$HOME/cli-args\"\n");
        QProcess::execute(QStringLiteral("cp"),
                          {QStringLiteral("-R"), m_sampleDir, root + QStringLiteral("/share/norla/sample")});
        return bin + QStringLiteral("/norla-start");
    }

    static Run runStart(const QString& script, const QString& home, const QStringList& arguments = {})
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        process.setProcessEnvironment(env);
        process.start(script, arguments);
        if (!process.waitForFinished(60000))
            return {};
        return {process.exitCode(), process.readAllStandardError()};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_prefix.isValid());
        m_sampleDir = m_prefix.filePath(QStringLiteral("share/norla/sample"));
        QProcess install;
        install.start(QStringLiteral(NORLA_CMAKE_COMMAND),
                      {QStringLiteral("--install"), QStringLiteral(NORLA_BINARY_DIR),
                       QStringLiteral("--prefix"), m_prefix.path()});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
    }

    void installedFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("executable");
        QTest::newRow("editor") << QStringLiteral("bin/norla") << true;
        QTest::newRow("command line") << QStringLiteral("bin/norla-cli") << true;
        QTest::newRow("start script") << QStringLiteral("bin/norla-start") << true;
        QTest::newRow("menu entry") << QStringLiteral("share/applications/norla.desktop") << false;
        QTest::newRow("icon") << QStringLiteral("share/icons/hicolor/scalable/apps/norla.svg") << false;
        QTest::newRow("manual page") << QStringLiteral("share/man/man1/norla-cli.1") << false;
#ifdef NORLA_HAS_USER_GUIDE
        QTest::newRow("user guide") << QStringLiteral("share/doc/norla/kezikonyv.html") << false;
        QTest::newRow("guide picture") << QStringLiteral("share/doc/norla/images/adatrogzites.png") << false;
#endif
    }

    void installedFiles()
    {
        QFETCH(QString, path);
        QFETCH(bool, executable);
        const QFileInfo info(m_prefix.filePath(path));
        QVERIFY2(info.isFile(), qPrintable(path));
        QCOMPARE(info.isExecutable(), executable);
    }

    void sampleFolderInstalledWhole()
    {
        const QDir source(QStringLiteral(NORLA_SAMPLE_DIR));
        const QStringList names = source.entryList(QDir::Files);
        QVERIFY(names.contains(QStringLiteral("adatbazis.rtf")));
        QCOMPARE(QDir(m_sampleDir).entryList(QDir::Files), names);
        for (const QString& name : names)
            QVERIFY2(fileBytes(m_sampleDir + u'/' + name) == fileBytes(source.filePath(name)),
                     qPrintable(name));
    }

    void menuEntry_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("type") << QByteArray("Type=Application");
        QTest::newRow("name") << QByteArray("Name=Norla");
        QTest::newRow("start script") << QByteArray("Exec=norla-start");
        QTest::newRow("icon") << QByteArray("Icon=norla");
        QTest::newRow("categories") << QByteArray("Categories=Office;Education;");
        QTest::newRow("comment") << QStringLiteral("Comment[hu]=Összesített").toUtf8();
    }

    void menuEntry()
    {
        QFETCH(QByteArray, line);
        const QByteArray entry =
            fileBytes(m_prefix.filePath(QStringLiteral("share/applications/norla.desktop")));
        QVERIFY(entry.startsWith("[Desktop Entry]\n"));
        QVERIFY2(entry.contains("\n" + line), line.constData());
    }

    // The first start prepares ~/Norla from the sample and starts the editor
    // there; later starts leave the user's files alone.
    void startSeedsWorkingFolderOnce()
    {
        QTemporaryDir root;
        const QString script = makeFakeInstall(root.path());
        const QString home = root.filePath(QStringLiteral("home"));
        QDir().mkpath(home);
        const QString work = home + QStringLiteral("/Norla");

        Run run = runStart(script, home);
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        QCOMPARE(QDir(work).entryList(QDir::Files), QDir(m_sampleDir).entryList(QDir::Files));
        QCOMPARE(fileBytes(home + QStringLiteral("/editor-started-in")).trimmed(), QFile::encodeName(work));
        QCOMPARE(fileBytes(home + QStringLiteral("/cli-args")).trimmed(), QByteArray("index --all"));

        QFile::remove(home + QStringLiteral("/cli-args"));
        QFile::remove(work + QStringLiteral("/kotetek1.rtf"));
        {
            QFile tipus(work + QStringLiteral("/tipus.zda"));
            QVERIFY(tipus.open(QIODevice::WriteOnly | QIODevice::Truncate));
            tipus.write("sajat\r\n");
        }
        run = runStart(script, home);
        QCOMPARE(run.exitCode, 0);
        QVERIFY(!QFile::exists(work + QStringLiteral("/kotetek1.rtf")));
        QCOMPARE(fileBytes(work + QStringLiteral("/tipus.zda")), QByteArray("sajat\r\n"));
        QVERIFY(!QFile::exists(home + QStringLiteral("/cli-args")));
    }

    void startInGivenFolder()
    {
        QTemporaryDir root;
        const QString script = makeFakeInstall(root.path());
        const QString home = root.filePath(QStringLiteral("home"));
        QDir().mkpath(home);
        const QString other = root.filePath(QStringLiteral("masik mappa/bibliografia"));

        const Run run = runStart(script, home, {other});
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        QVERIFY(QFile::exists(other + QStringLiteral("/adatbazis.rtf")));
        QCOMPARE(fileBytes(home + QStringLiteral("/editor-started-in")).trimmed(), QFile::encodeName(other));
        QVERIFY(!QFile::exists(home + QStringLiteral("/Norla")));
    }

    void startRefusesAFileAsFolder()
    {
        QTemporaryDir root;
        const QString script = makeFakeInstall(root.path());
        const QString home = root.filePath(QStringLiteral("home"));
        QDir().mkpath(home);
        writeScript(home + QStringLiteral("/Norla"), "");

        const Run run = runStart(script, home);
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.errors.contains("is not a folder"));
        QVERIFY(!QFile::exists(home + QStringLiteral("/editor-started-in")));
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
