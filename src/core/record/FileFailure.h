#pragma once

#include <QString>

#include <optional>

// Why a file could not be read or written, told the user in one Hungarian
// line with what to do about it. The cause is found from the error number of
// the failed call where there is one, and from what the file system shows
// now (a missing folder, a folder that takes no writes), which holds even
// when the number was lost on the way.
namespace FileFailure {

enum class Access
{
    Open,  // reading a file
    Create // writing (creating or replacing) a file
};

enum class Cause
{
    NotFound,       // no file of that name
    FolderMissing,  // its folder is gone (deleted or moved while in use, a network drive lost)
    IsFolder,       // the name is a folder's
    NoPermission,   // the user may not read or write it
    ReadOnlyFolder, // the folder (or its whole drive) takes no new files
    ReadOnlyFile,   // the file itself is write-protected
    DiskFull,       // no space left
    Deleted,        // removed while it was open (a network file handle gone stale)
    DeviceError,    // the disk or the connection failed
    Other
};

Cause diagnose(Access access, const QString& path, int errorNumber);
// The Hungarian line: the cause and what to do.
QString explain(Access access, Cause cause, const QString& path, int errorNumber);
// The whole message: the line the system has always shown ("Cannot open
// file <path>" or "Cannot create file <path>", the absolute path), then the
// Hungarian line with the cause.
QString message(Access access, const QString& path, int errorNumber);

// Why nothing can be saved as `path` (the database file itself or a new file
// of that name in its folder), without trying: its folder or the file is
// write-protected. Nothing when a save may work.
std::optional<Cause> unwritable(const QString& path);

} // namespace FileFailure
