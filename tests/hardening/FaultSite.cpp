#include "FaultSite.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

bool setImmutable(const QString& path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Fills the file system holding `folder` to the last byte.
void fillUp(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder + QStringLiteral("/filler"));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    const QByteArray block(4096, 'x');
    while (::write(fd, block.constData(), size_t(block.size())) > 0) {
    }
    while (::write(fd, block.constData(), 1) > 0) {
    }
    ::close(fd);
}

qint64 freeBytes(const QString& folder)
{
    struct statvfs info
    {
    };
    if (::statvfs(QFile::encodeName(folder).constData(), &info) != 0)
        return -1;
    return qint64(info.f_bavail) * qint64(info.f_frsize);
}

} // namespace

const char* faultName(Fault fault)
{
    switch (fault) {
    case Fault::ImmutableFolder:
        return "immutable folder";
    case Fault::ParentIsFile:
        return "folder is a file";
    case Fault::FullDevice:
        return "full device";
    case Fault::TargetIsDirectory:
        return "target is a folder";
    case Fault::LockedTarget:
        return "locked target";
    }
    return "?";
}

FaultSite::FaultSite(Fault fault, const QString& base, const QString& name, const QByteArray& earlier)
    : m_fault(fault), m_base(base), m_root(base + QStringLiteral("/site"))
{
    m_folder = m_root;
    QDir().mkpath(m_root);
    switch (fault) {
    case Fault::ParentIsFile:
        m_folder = m_root + QStringLiteral("/blocker");
        writeFile(m_folder, earlier);
        break;
    case Fault::FullDevice:
        if (::mount("norla-test", QFile::encodeName(m_folder).constData(), "tmpfs",
                    MS_NOSUID | MS_NODEV | MS_NOEXEC, "size=64k,mode=0755") != 0) {
            m_unavailable = QStringLiteral("cannot mount a small file system here: %1")
                                .arg(QString::fromLocal8Bit(std::strerror(errno)));
            break;
        }
        m_mounted = true;
        writeFile(m_folder + u'/' + name, earlier);
        break;
    case Fault::TargetIsDirectory:
        QDir().mkpath(m_folder + u'/' + name);
        writeFile(m_folder + u'/' + name + QStringLiteral("/inside"), earlier);
        break;
    case Fault::ImmutableFolder:
    case Fault::LockedTarget:
        writeFile(m_folder + u'/' + name, earlier);
        break;
    }
    m_target = m_folder + u'/' + name;
}

bool FaultSite::arm()
{
    const auto makeImmutable = [this](const QString& path, const QString& probe) {
        if (!setImmutable(path, true)) {
            m_unavailable = QStringLiteral("this file system has no immutable attribute");
            return;
        }
        m_immutable = path;
        if (writeFile(probe, "x")) {
            QFile::remove(probe);
            m_unavailable = QStringLiteral("the immutable attribute does not stop this user");
        }
    };
    if (m_unavailable.isEmpty()) {
        switch (m_fault) {
        case Fault::ImmutableFolder:
            makeImmutable(m_folder, m_folder + QStringLiteral("/probe"));
            break;
        case Fault::LockedTarget:
            makeImmutable(m_target, m_target);
            break;
        case Fault::FullDevice:
            fillUp(m_folder);
            if (freeBytes(m_folder) != 0)
                m_unavailable = QStringLiteral("the small file system did not fill up (%1 bytes free)")
                                    .arg(freeBytes(m_folder));
            break;
        case Fault::ParentIsFile:
        case Fault::TargetIsDirectory:
            break;
        }
    }
    m_before = snapshot();
    return m_unavailable.isEmpty();
}

FaultSite::~FaultSite()
{
    // The process may have made the site its working folder; a mount point
    // in use cannot be detached cleanly.
    if (QDir::currentPath().startsWith(m_root))
        QDir::setCurrent(m_base);
    lift();
    if (m_mounted)
        ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
}

void FaultSite::lift()
{
    if (!m_immutable.isEmpty()) {
        setImmutable(m_immutable, false);
        m_immutable.clear();
    }
    switch (m_fault) {
    case Fault::ParentIsFile:
        if (QFileInfo(m_folder).isFile()) {
            QFile::remove(m_folder);
            QDir().mkpath(m_folder);
        }
        break;
    case Fault::FullDevice:
        QFile::remove(m_folder + QStringLiteral("/filler"));
        break;
    case Fault::TargetIsDirectory:
        QDir(m_target).removeRecursively();
        break;
    default:
        break;
    }
}

QMap<QString, QByteArray> FaultSite::snapshot() const
{
    QMap<QString, QByteArray> files;
    QDirIterator it(m_root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        QByteArray content;
        if (info.isDir()) {
            content = "<folder>";
        } else if (info.fileName() != u"filler") {
            QFile file(info.filePath());
            content = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
        }
        files.insert(info.filePath(), content);
    }
    return files;
}

QString FaultSite::changes(const QStringList& mayChange) const
{
    const QMap<QString, QByteArray> now = snapshot();
    const auto ignored = [&mayChange](const QString& path) {
        const QString name = QFileInfo(path).fileName();
        for (const QString& pattern : mayChange)
            if (QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern))
                    .match(name)
                    .hasMatch())
                return true;
        return false;
    };
    QStringList what;
    for (auto it = m_before.cbegin(); it != m_before.cend(); ++it) {
        if (ignored(it.key()))
            continue;
        if (!now.contains(it.key()))
            what.append(QStringLiteral("removed %1").arg(it.key()));
        else if (now.value(it.key()) != it.value())
            what.append(QStringLiteral("changed %1").arg(it.key()));
    }
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (!m_before.contains(it.key()) && !ignored(it.key()))
            what.append(QStringLiteral("added %1").arg(it.key()));
    return what.join(QStringLiteral("; "));
}
