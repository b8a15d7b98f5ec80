#include "core/record/FileFailure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

using FileFailure::Access;
using FileFailure::Cause;

QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path);
}

bool mayWrite(const QString& path)
{
    return ::access(nativePath(path).constData(), W_OK) == 0;
}

bool mayRead(const QString& path)
{
    return ::access(nativePath(path).constData(), R_OK) == 0;
}

bool deviceFull(const QString& folder)
{
    struct statvfs info
    {
    };
    return ::statvfs(nativePath(folder).constData(), &info) == 0 && info.f_bavail == 0 &&
           (info.f_flag & ST_RDONLY) == 0;
}

bool readOnlyDevice(const QString& folder)
{
    struct statvfs info
    {
    };
    return ::statvfs(nativePath(folder).constData(), &info) == 0 && (info.f_flag & ST_RDONLY) != 0;
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// The system's own words, for a cause none of the lines above names.
QString systemText(int errorNumber)
{
    if (errorNumber == 0)
        return QStringLiteral("ismeretlen hiba");
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

} // namespace

namespace FileFailure {

Cause diagnose(Access access, const QString& path, int errorNumber)
{
    const QFileInfo file(path);
    const QString folder = file.absolutePath();
    const QFileInfo folderInfo(folder);
    if (errorNumber == ESTALE)
        return Cause::Deleted;
    if (access == Access::Create && (errorNumber == ENOSPC || errorNumber == EDQUOT))
        return Cause::DiskFull;
    if (errorNumber == EIO)
        return Cause::DeviceError;
    if (!folderInfo.isDir())
        return Cause::FolderMissing;
    if (file.isDir())
        return Cause::IsFolder;
    if (access == Access::Open) {
        if (!file.exists())
            return Cause::NotFound;
        if (!mayRead(path) || errorNumber == EACCES || errorNumber == EPERM)
            return Cause::NoPermission;
        return Cause::Other;
    }
    if (errorNumber == EROFS || readOnlyDevice(folder) || !mayWrite(folder))
        return Cause::ReadOnlyFolder;
    if (file.exists() && !mayWrite(path))
        return Cause::ReadOnlyFile;
    if (errorNumber == EACCES || errorNumber == EPERM)
        return Cause::NoPermission;
    if (deviceFull(folder))
        return Cause::DiskFull;
    return Cause::Other;
}

QString explain(Access access, Cause cause, const QString& path, int errorNumber)
{
    const QString folder = native(QFileInfo(path).absolutePath());
    const bool open = access == Access::Open;
    switch (cause) {
    case Cause::NotFound:
        return QStringLiteral("A fájl nem található: nincs ilyen nevű fájl a mappában (talán áthelyezték, "
                              "átnevezték vagy törölték). Ellenőrizze a fájl nevét és helyét.");
    case Cause::FolderMissing:
        return QStringLiteral("A(z) %1 mappa nem létezik, vagy nem érhető el: talán elírták a nevét, vagy "
                              "törölték, áthelyezték, amíg a program dolgozott, vagy megszakadt a kapcsolat "
                              "a hálózati meghajtóval. %2")
            .arg(folder, open ? QStringLiteral("Ellenőrizze az útvonalat.")
                              : QStringLiteral("Mentsen egy létező mappába."));
    case Cause::IsFolder:
        return open ? QStringLiteral("Ez a név egy mappáé, nem fájlé. Válasszon egy fájlt.")
                    : QStringLiteral("Ezen a néven egy mappa áll. Válasszon másik fájlnevet.");
    case Cause::NoPermission:
        return open ? QStringLiteral("Nincs joga olvasni ezt a fájlt. Kérjen olvasási jogot a fájl "
                                     "tulajdonosától vagy a rendszergazdától.")
                    : QStringLiteral("Nincs joga írni ezt a fájlt. Mentsen egy másik mappába, vagy kérjen "
                                     "írási jogot a rendszergazdától.");
    case Cause::ReadOnlyFolder:
        return QStringLiteral("A(z) %1 mappa írásvédett (vagy nincs benne írási joga): ide nem kerülhet "
                              "fájl. Mentsen egy írható mappába („Mentés másként...”), vagy kérjen írási "
                              "jogot.")
            .arg(folder);
    case Cause::ReadOnlyFile:
        return QStringLiteral("A fájl írásvédett, ezért nem írható felül. Vegye le róla az írásvédelmet, "
                              "vagy mentsen más néven.");
    case Cause::DiskFull:
        return QStringLiteral("Megtelt a lemez: nincs elég szabad hely a(z) %1 mappa meghajtóján. "
                              "Szabadítson fel helyet, vagy mentsen másik meghajtóra; a korábbi fájl "
                              "épen maradt.")
            .arg(folder);
    case Cause::Deleted:
        return QStringLiteral("A fájlt (vagy a mappáját) törölték vagy áthelyezték, amíg nyitva volt, "
                              "vagy a hálózati meghajtó már nem éri el. %1")
            .arg(open ? QStringLiteral("Ellenőrizze, megvan-e még.")
                      : QStringLiteral("Mentsen egy elérhető mappába."));
    case Cause::DeviceError:
        return QStringLiteral("A lemez vagy a hálózati kapcsolat hibát jelzett %1 közben. Próbálja "
                              "újra; ha ismétlődik, %2")
            .arg(open ? QStringLiteral("olvasás") : QStringLiteral("írás"),
                 open ? QStringLiteral("másolja a fájlt egy másik meghajtóra, és onnan nyissa meg.")
                      : QStringLiteral("mentsen másik meghajtóra."));
    case Cause::Other:
        break;
    }
    return open
               ? QStringLiteral("A fájl nem olvasható (a rendszer üzenete: %1).").arg(systemText(errorNumber))
               : QStringLiteral("A fájl nem írható (a rendszer üzenete: %1).").arg(systemText(errorNumber));
}

QString message(Access access, const QString& path, int errorNumber)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QString first = access == Access::Open ? QStringLiteral("Cannot open file %1").arg(absolute)
                                                 : QStringLiteral("Cannot create file %1").arg(absolute);
    return first + u'\n' + explain(access, diagnose(access, absolute, errorNumber), absolute, errorNumber);
}

std::optional<Cause> unwritable(const QString& path)
{
    const QFileInfo file(path);
    const QString folder = file.absolutePath();
    if (!QFileInfo(folder).isDir())
        return std::nullopt; // said when a save is tried
    if (readOnlyDevice(folder) || !mayWrite(folder))
        return Cause::ReadOnlyFolder;
    if (file.exists() && !mayWrite(path))
        return Cause::ReadOnlyFile;
    return std::nullopt;
}

} // namespace FileFailure
