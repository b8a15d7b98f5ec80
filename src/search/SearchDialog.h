#pragma once

#include <QDialog>

class HitsPage;

// "Összetett keresés" (filled in by its own change).
class Tkeresform final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Tkeresform)

public:
    explicit Tkeresform(QWidget* parent = nullptr);

    // Where the hit list and the results text live (the main window's page).
    void setHitsPage(HitsPage* page);
    void setStartDir(const QString& startDir);

Q_SIGNALS:
    // "Találatok": the main window switches to its hits page.
    void showHitsRequested();
};
