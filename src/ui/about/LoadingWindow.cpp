#include "ui/about/LoadingWindow.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>

LoadingWindow::LoadingWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("betoltform"));
    setWindowTitle(QStringLiteral("Adatbázis betöltése"));
    setModal(false);

    auto* notice = new QLabel(QStringLiteral("Adatbázis betöltése folyamatban. Türelmét kérem ..."), this);
    notice->setObjectName(QStringLiteral("Label1"));
    auto* nameCaption = new QLabel(QStringLiteral("Adatbázis neve:"), this);
    nameCaption->setObjectName(QStringLiteral("lab_adatb0"));
    m_path = new QLabel(this);
    m_path->setObjectName(QStringLiteral("lab_adatb"));
    QFont bold = m_path->font();
    bold.setBold(true);
    m_path->setFont(bold);

    auto* layout = new QGridLayout(this);
    layout->addWidget(notice, 0, 0, 1, 2);
    layout->addWidget(nameCaption, 1, 0);
    layout->addWidget(m_path, 1, 1);
    layout->setColumnStretch(1, 1);
    setFixedSize(583, 59);
}

void LoadingWindow::showFor(const QString& path)
{
    m_path->setText(path);
    show();
    raise();
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void LoadingWindow::closeWindow()
{
    hide();
}
