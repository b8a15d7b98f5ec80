#pragma once

#include <QDialog>

class QLabel;

// "Adatbázis betöltése": tells which database is being read while the
// user-interface thread is busy reading it.
class LoadingWindow final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LoadingWindow)

public:
    explicit LoadingWindow(QWidget* parent = nullptr);

    // Shows the window without making it modal and paints it at once.
    void showFor(const QString& path);
    void closeWindow();

private:
    QLabel* m_path = nullptr;
};
