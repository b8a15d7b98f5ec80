#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// The ways a write can fail that a user meets, made on the real file system.
// Tests run as root, where permission bits stop nothing, so every fault is one
// that holds for root too.
enum class Fault
{
    ImmutableFolder,   // the folder has the immutable attribute: nothing in it can be created, replaced or
                       // removed
    ParentIsFile,      // the path's folder is a regular file
    FullDevice,        // the folder is a small file system with no space left
    TargetIsDirectory, // the target name is taken by a folder
    LockedTarget,      // the target file itself is immutable: the closest Linux has to a locked file
};

const char* faultName(Fault fault);

// A place under `base` where writing the file `name` fails in the given way,
// with an earlier file of that name holding `earlier` where the fault allows
// one. The constructor prepares the folder, so a test can add its own files;
// arm() puts the fault in place. The destructor lifts the fault and unmounts
// what it mounted.
class FaultSite final
{
public:
    FaultSite(Fault fault, const QString& base, const QString& name, const QByteArray& earlier);
    ~FaultSite();
    FaultSite(const FaultSite&) = delete;
    FaultSite& operator=(const FaultSite&) = delete;

    // Puts the fault in place and takes note of what the site holds; false
    // when the fault cannot be made on this machine (unavailable() says why).
    bool arm();
    const QString& unavailable() const { return m_unavailable; }
    // The folder the file goes into, and the file's full path.
    const QString& folder() const { return m_folder; }
    const QString& target() const { return m_target; }

    // Everything under the site is as it was made: the earlier file byte for
    // byte, no file added or removed (no temporary file left behind). Files
    // whose names match one of `mayChange` (wildcards) are not looked at.
    // Returns an empty text when so, else what changed.
    QString changes(const QStringList& mayChange = {}) const;

    // Removes the fault (the earlier file stays), so that the same write can
    // show that the program still works.
    void lift();

private:
    QMap<QString, QByteArray> snapshot() const;

    Fault m_fault;
    QString m_base;
    QString m_root; // what the site made under base
    QString m_folder;
    QString m_target;
    QString m_unavailable;
    QString m_immutable; // path carrying the attribute, if any
    bool m_mounted = false;
    QMap<QString, QByteArray> m_before;
};
