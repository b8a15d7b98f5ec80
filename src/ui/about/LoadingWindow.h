#pragma once

#include <QDialog>

class QLabel;

// "Adatbázis betöltése": tells which database is being read while another
// thread reads it. Esc (or closing the window) asks to stop the load; the
// window stays up until the load has ended.
class LoadingWindow final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LoadingWindow)

public:
    explicit LoadingWindow(QWidget* parent = nullptr);

    // Shows the window for `path`; it keeps the other windows from taking
    // commands until closeWindow().
    void showFor(const QString& path);
    void closeWindow();

Q_SIGNALS:
    void cancelRequested();

protected:
    // Esc and the close box: the load is asked to stop, and whoever runs it
    // closes the window once it has.
    void reject() override;

private:
    QLabel* m_path = nullptr;
};
