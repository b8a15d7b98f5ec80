#include "ui/about/LoadingWindow.h"
#include "ui/common/Named.h"

#include <QGridLayout>
#include <QLabel>

namespace {

// The names the tests and users' scripts find the controls by.
namespace ObjectName {
constexpr auto Window = "betoltform";
constexpr auto Notice = "Label1";
constexpr auto NameCaption = "lab_adatb0";
constexpr auto Path = "lab_adatb";
} // namespace ObjectName

constexpr int kWidth = 583;
constexpr int kHeight = 59;

} // namespace

LoadingWindow::LoadingWindow(QWidget* parent) : QDialog(parent)
{
    named(this, ObjectName::Window);
    setWindowTitle(QStringLiteral("Adatbázis betöltése"));
    // The user-interface thread is free while the file is read; the other
    // windows must still not start work on a document about to be replaced.
    setWindowModality(Qt::ApplicationModal);

    auto* notice =
        named(new QLabel(QStringLiteral("Adatbázis betöltése folyamatban. Türelmét kérem ..."), this),
              ObjectName::Notice);
    auto* nameCaption = named(new QLabel(QStringLiteral("Adatbázis neve:"), this), ObjectName::NameCaption);
    m_path = named(new QLabel(this), ObjectName::Path);
    QFont bold = m_path->font();
    bold.setBold(true);
    m_path->setFont(bold);

    auto* layout = new QGridLayout(this);
    layout->addWidget(notice, 0, 0, 1, 2);
    layout->addWidget(nameCaption, 1, 0);
    layout->addWidget(m_path, 1, 1);
    layout->setColumnStretch(1, 1);
    setFixedSize(kWidth, kHeight);
}

void LoadingWindow::showFor(const QString& path)
{
    m_path->setText(path);
    show();
    raise();
}

void LoadingWindow::closeWindow()
{
    hide();
}

void LoadingWindow::reject()
{
    Q_EMIT cancelRequested();
}
