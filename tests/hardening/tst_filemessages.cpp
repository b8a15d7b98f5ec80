// The file messages and their causes: "Cannot open file" and "Cannot create
// file" keep their first line, and a Hungarian line follows that names the
// cause and what to do. The readers and writers of the core all give it.
#include "FaultSite.h"
#include "TestSupport.h"

#include "core/index/DatabaseStream.h"
#include "core/record/DatabaseDocument.h"
#include "core/record/FileFailure.h"
#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"
#ifdef NORLA_HAVE_SPELLING
#include "core/spelling/WordList.h"
#endif

#include <QDir>
#include <QFile>
#include <QtTest>

#include <unistd.h>

Q_DECLARE_METATYPE(Fault)
Q_DECLARE_METATYPE(FileFailure::Cause)

namespace {

using FileFailure::Access;
using FileFailure::Cause;

QString opening(const QString& path, Cause cause)
{
    return QStringLiteral("Cannot open file %1\n").arg(path) +
           FileFailure::explain(Access::Open, cause, path, 0);
}

QString creating(const QString& path, Cause cause)
{
    return QStringLiteral("Cannot create file %1\n").arg(path) +
           FileFailure::explain(Access::Create, cause, path, 0);
}

#define ARM_OR_SKIP(site)                                                                                    \
    if (!(site).arm())                                                                                       \
        QSKIP(qPrintable((site).unavailable()));

} // namespace

class TestFileMessages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openCauses_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<FileFailure::Cause>("cause");
        QTest::addColumn<QString>("line");
        QTest::newRow("missing file")
            << QStringLiteral("nincs.rtf") << Cause::NotFound
            << QStringLiteral("A fájl nem található: nincs ilyen nevű fájl a mappában "
                              "(talán áthelyezték, átnevezték vagy törölték). Ellenőrizze "
                              "a fájl nevét és helyét.");
        QTest::newRow("missing folder") << QStringLiteral("nincs/db.rtf") << Cause::FolderMissing
                                        << QStringLiteral("mappa nem létezik, vagy nem érhető el");
        QTest::newRow("a folder") << QStringLiteral("mappa") << Cause::IsFolder
                                  << QStringLiteral("Ez a név egy mappáé, nem fájlé. Válasszon egy fájlt.");
    }
    void openCauses()
    {
        QFETCH(QString, name);
        QFETCH(FileFailure::Cause, cause);
        QFETCH(QString, line);
        TempWorkDir dir;
        QDir(dir.path()).mkdir(QStringLiteral("mappa"));
        const QString path = dir.file(name);
        const QString expected = opening(path, cause);
        QVERIFY2(expected.section(u'\n', 1).contains(line), qPrintable(expected));
        // Every reader says the same.
        QCOMPARE(errorOf([&] { TextFile::readBytes(path); }), expected);
        QCOMPARE(errorOf([&] { DatabaseDocument::read(path); }), expected);
        QCOMPARE(errorOf([&] { DatabaseStream stream(path); }), expected);
        QCOMPARE(errorOf([&] { TextFile::read8Bit(path); }), expected);
    }

    void createCauses_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<FileFailure::Cause>("cause");
        QTest::addColumn<QString>("line");
        QTest::newRow("read-only folder") << Fault::ImmutableFolder << Cause::ReadOnlyFolder
                                          << QStringLiteral("mappa írásvédett (vagy nincs benne írási joga)");
        QTest::newRow("full disk") << Fault::FullDevice << Cause::DiskFull
                                   << QStringLiteral("Megtelt a lemez: nincs elég szabad hely");
        QTest::newRow("write-protected file") << Fault::LockedTarget << Cause::ReadOnlyFile
                                              << QStringLiteral("A fájl írásvédett, ezért nem írható felül.");
        QTest::newRow("name taken by a folder")
            << Fault::TargetIsDirectory << Cause::IsFolder << QStringLiteral("Ezen a néven egy mappa áll.");
        QTest::newRow("folder is a file") << Fault::ParentIsFile << Cause::FolderMissing
                                          << QStringLiteral("mappa nem létezik, vagy nem érhető el");
    }
    void createCauses()
    {
        QFETCH(Fault, fault);
        QFETCH(FileFailure::Cause, cause);
        QFETCH(QString, line);
        TempWorkDir base;
        const QByteArray earlier = TextFile::encodeUnicode({QStringLiteral("Ka00000100**könyv")});
        FaultSite site(fault, base.path(), QStringLiteral("db.rtf"), earlier);
        ARM_OR_SKIP(site);
        const QString expected = creating(site.target(), cause);
        QVERIFY2(expected.section(u'\n', 1).contains(line), qPrintable(expected));
        QCOMPARE(errorOf([&] { TextFile::writeBytes(site.target(), "x"); }), expected);
        DatabaseDocument document;
        document.appendLine(QStringLiteral("Ka00000200**könyv"));
        QCOMPARE(errorOf([&] { document.saveAs(site.target()); }), expected);
        QCOMPARE(site.changes(), QString());
        // Known before any write is tried, where the protection shows.
        if (cause == Cause::ReadOnlyFolder || cause == Cause::ReadOnlyFile)
            QCOMPARE(FileFailure::unwritable(site.target()), std::optional<Cause>(cause));
    }

    // Permission bits stop an ordinary user only; root passes them.
    void permissionsOfAnOrdinaryUser()
    {
        if (::geteuid() == 0)
            QSKIP("permission bits do not stop root");
        TempWorkDir dir;
        dir.writeBytes(QStringLiteral("titkos.rtf"), "x");
        QVERIFY(QFile::setPermissions(dir.file(QStringLiteral("titkos.rtf")), {}));
        QCOMPARE(errorOf([&] { TextFile::readBytes(dir.file(QStringLiteral("titkos.rtf"))); }),
                 opening(dir.file(QStringLiteral("titkos.rtf")), Cause::NoPermission));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("vedett")));
        const QString folder = dir.file(QStringLiteral("vedett"));
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QCOMPARE(errorOf([&] { TextFile::writeBytes(folder + QStringLiteral("/db.rtf"), "x"); }),
                 creating(folder + QStringLiteral("/db.rtf"), Cause::ReadOnlyFolder));
        QCOMPARE(FileFailure::unwritable(folder + QStringLiteral("/db.rtf")),
                 std::optional<Cause>(Cause::ReadOnlyFolder));
        QFile::setPermissions(folder,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    // The folder of an open database taken away (a pen drive pulled, a share
    // gone): the save says the folder is missing, not that it is protected.
    void folderDeletedWhileOpen()
    {
        TempWorkDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("kotetek")));
        const QString path = dir.file(QStringLiteral("kotetek/db.rtf"));
        TextFile::writeUnicode(path, {QStringLiteral("Ka00000100**könyv")});
        DatabaseDocument document;
        document.load(path);
        document.appendLine(QStringLiteral("Ka00000200**könyv"));
        QVERIFY(QDir(dir.file(QStringLiteral("kotetek"))).removeRecursively());
        const QString message = errorOf([&] { document.save(); });
        QCOMPARE(message, creating(path, Cause::FolderMissing));
        QVERIFY2(message.contains(QStringLiteral("törölték, áthelyezték, amíg a program dolgozott")),
                 qPrintable(message));
        QVERIFY(document.isModified());
    }

#ifdef NORLA_HAVE_SPELLING
    // Accepting a word in a folder that takes no writes blames the folder,
    // not a colleague who would be saving the list.
    void wordListInReadOnlyFolder()
    {
        TempWorkDir base;
        FaultSite site(Fault::ImmutableFolder, base.path(), QStringLiteral("sajatszavak.txt"), "Pálfalvi\n");
        ARM_OR_SKIP(site);
        WordList words = WordList::ofFolder(site.folder());
        const QString message = errorOf([&] { words.add({QStringLiteral("Somlyai")}); });
        QCOMPARE(message, creating(site.target(), Cause::ReadOnlyFolder));
        QVERIFY(!message.contains(QStringLiteral("más éppen menti")));
        QCOMPARE(site.changes(), QString());
    }
#endif

    // Nothing stops a save in a plain folder.
    void writableFolderIsNotFlagged()
    {
        TempWorkDir dir;
        QCOMPARE(FileFailure::unwritable(dir.file(QStringLiteral("db.rtf"))), std::optional<Cause>());
        dir.writeBytes(QStringLiteral("db.rtf"), "x");
        QCOMPARE(FileFailure::unwritable(dir.file(QStringLiteral("db.rtf"))), std::optional<Cause>());
    }
};

QTEST_GUILESS_MAIN(TestFileMessages)
#include "tst_filemessages.moc"
