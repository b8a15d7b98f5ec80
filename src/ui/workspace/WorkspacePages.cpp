#include "ui/workspace/WorkspacePages.h"

#include "core/record/FieldGrid.h"

#include <QHeaderView>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QVBoxLayout>

namespace WorkspacePages {

QWidget* createFieldGridPage(QTableWidget*& grid)
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("lap_racs"));
    grid = new QTableWidget(FieldGrid::RowCount, 2, page);
    grid->setObjectName(QStringLiteral("racs0"));
    grid->setColumnWidth(0, 100);
    for (int row = 0; row < FieldGrid::RowCount; ++row) {
        grid->setItem(row, 0, new QTableWidgetItem(FieldGrid::titles()[row]));
        grid->setItem(row, 1, new QTableWidgetItem);
    }
    grid->horizontalHeader()->setStretchLastSection(true);
    (new QVBoxLayout(page))->addWidget(grid);
    return page;
}

QWidget* createRawDatabasePage(QPlainTextEdit*& view)
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("lap_forras"));
    view = new QPlainTextEdit(page);
    view->setObjectName(QStringLiteral("re_forras"));
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setReadOnly(true);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    return page;
}

} // namespace WorkspacePages
