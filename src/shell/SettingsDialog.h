#pragma once

#include <QDialog>

class TForm1;

// "Beállítások" (filled in by its own change).
class Tconfigform final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Tconfigform)

public:
    enum Page
    {
        DataFieldsPage = 0,
        SubjectTreePage = 1,
        GeneralPage = 2
    };

    explicit Tconfigform(QWidget* parent = nullptr);

    // The window whose settings and controls the dialog reads and changes.
    void setMainWindow(TForm1* mainWindow);
    // Shows the dialog modally on the given page.
    void openOnPage(Page page);
};
