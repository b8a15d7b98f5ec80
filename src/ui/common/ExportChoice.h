#pragma once

#include "core/exchange/RecordExporter.h"

#include <QString>

class QWidget;

// Asks where to export to; the format follows the chosen file's extension
// (.bib, .ris, .csv), which the dialog's filter adds. Returns an empty path
// when the user cancels or names a file of no known format (told to the user).
QString chooseExportFile(QWidget* parent, const QString& startPath, ExportFormat* format);
