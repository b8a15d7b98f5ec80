#pragma once

#include <QDialog>

class QLabel;

// "Névjegy": the picture, title, description, the project's web page and the
// version. Modal, closed with the window's close box; it has no buttons.
class AboutBox final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutBox)

public:
    explicit AboutBox(QWidget* parent = nullptr);

    // The address the link label shows and opens.
    static QString webPage();
    // The picture beside the texts (a resource of the program).
    static QString picturePath();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPicturePanel();
    void buildTexts();
    void openWebPage();

    QLabel* m_link = nullptr;
};
