#include "ui/common/DesktopOpener.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace {

class SystemOpener final : public DesktopOpener
{
public:
    bool openUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

DesktopOpener* g_installed = nullptr;

} // namespace

DesktopOpener& DesktopOpener::instance()
{
    static SystemOpener system;
    return g_installed ? *g_installed : system;
}

void DesktopOpener::install(DesktopOpener* opener)
{
    g_installed = opener;
}

QString userManualPath(const QString& programDir)
{
    const QDir dir(programDir);
    for (const QString& candidate :
         {QStringLiteral("../share/doc/norla/kezikonyv.html"), QStringLiteral("docs/kezikonyv.html")}) {
        const QFileInfo file(dir.filePath(candidate));
        if (file.isFile())
            return file.canonicalFilePath();
    }
    return {};
}
