#pragma once

#include <QString>
#include <QUrl>

// Hands a file or web address to the desktop (its browser, its viewer).
// The program uses the desktop's own opener; tests install a stand-in that
// records the address, so no browser is started.
class DesktopOpener
{
public:
    virtual ~DesktopOpener() = default;

    // False when the desktop cannot open the address.
    virtual bool openUrl(const QUrl& url) = 0;

    static DesktopOpener& instance();
    // Takes no ownership; nullptr restores the desktop's opener.
    static void install(DesktopOpener* opener);
};

// Where the user guide (kezikonyv.html) is: installed beside the program in
// share/doc/norla, or, when the program runs from its build folder, in the
// docs/ folder of the build. Empty when neither exists.
QString userManualPath(const QString& programDir);
