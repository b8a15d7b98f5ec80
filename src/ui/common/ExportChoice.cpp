#include "ui/common/ExportChoice.h"

#include "ui/common/UserDialogs.h"

#include <QFileInfo>

QString chooseExportFile(QWidget* parent, const QString& startPath, ExportFormat* format)
{
    const QString path = UserDialogs::instance().chooseSaveFile(parent, QStringLiteral("Exportálás"),
                                                                RecordExporter::nameFilter(), startPath);
    if (path.isEmpty())
        return {};
    if (!RecordExporter::formatFromFileName(path, format)) {
        UserDialogs::instance().inform(
            parent, QStringLiteral("Az exportálás formátuma a fájl kiterjesztéséből derül ki: .bib (BibTeX), "
                                   ".ris (RIS) vagy .csv (CSV). A(z) %1 fájl nem készült el.")
                        .arg(path));
        return {};
    }
    // The save dialog is told not to ask (the other save commands ask
    // themselves, about the final name), so an existing file is asked about here.
    if (QFileInfo(path).exists() &&
        !UserDialogs::instance().askYesNo(
            parent,
            QStringLiteral("A(z) %1 fájl már létezik. Lecseréljem az exportált rekordokra?").arg(path)))
        return {};
    return path;
}
