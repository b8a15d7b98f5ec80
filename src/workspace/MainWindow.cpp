#include "workspace/MainWindow.h"

#include "convert/ConversionPage.h"
#include "record/NorlaError.h"
#include "search/BrowsePage.h"
#include "search/HitsPage.h"
#include "shell/UserDialogs.h"

#include <QCloseEvent>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTabBar>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

// The tabs shown, with the page index each one selects.
struct TabPage
{
    int page;
    const char16_t* caption;
};
constexpr TabPage kTabs[] = {
    {TForm1::ConvertPage, u"Konvertálás"},
    {TForm1::EntryPage, u"Adatrögzítés"},
    {TForm1::HitsPageIndex, u"Találatok"},
    {TForm1::BrowsePageIndex, u"Tallózás"},
};

} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    m_startDir = QDir::currentPath();
    setWindowTitle(QStringLiteral("Norla 7.2"));

    try {
        m_settings = AppSettings::read(m_startDir);
    } catch (const NorlaError&) {
        m_settings = AppSettings::defaults(m_startDir);
    }
    // Rewritten at once, so unknown keys disappear and missing ones appear. A
    // failure here must not keep the program from starting.
    try {
        m_settings.write(m_startDir);
    } catch (const NorlaError&) {
    }

    m_sourceWindow = new QTextEdit(this);
    m_sourceWindow->setObjectName(QStringLiteral("re1"));
    m_rawView = new QPlainTextEdit(this);
    m_rawView->setObjectName(QStringLiteral("re_forras"));
    for (int k = 2; k <= 14; ++k) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("Edit%1").arg(k));
        m_dataFields.append(edit);
    }
    buildPages();
    setGeometry(m_settings.left, m_settings.top, m_settings.width, m_settings.height);
}

TForm1::~TForm1() = default;

void TForm1::setCompanions(const Companions& companions)
{
    m_companions = companions;
}

void TForm1::buildPages()
{
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_soklap = new QStackedWidget(central);
    m_soklap->setObjectName(QStringLiteral("soklap"));
    m_conversionPage = new ConversionPage;
    m_hitsPage = new HitsPage;
    m_browsePage = new BrowsePage;
    for (int i = 0; i < PageCount; ++i) {
        QWidget* page = nullptr;
        if (i == ConvertPage)
            page = m_conversionPage;
        else if (i == HitsPageIndex)
            page = m_hitsPage;
        else if (i == BrowsePageIndex)
            page = m_browsePage;
        else
            page = new QWidget;
        m_soklap->addWidget(page);
    }

    m_tabs = new QTabBar(central);
    m_tabs->setObjectName(QStringLiteral("soklap_tabs"));
    m_tabs->setShape(QTabBar::RoundedSouth);
    for (const TabPage& tab : kTabs) {
        const int at = m_tabs->addTab(QString::fromUtf16(tab.caption));
        m_tabs->setTabData(at, tab.page);
    }
    connect(m_tabs, &QTabBar::tabBarClicked, this, [this](int tab) {
        if (tab >= 0)
            showPage(m_tabs->tabData(tab).toInt());
    });

    layout->addWidget(m_soklap, 1);
    layout->addWidget(m_tabs);
    setCentralWidget(central);
}

void TForm1::showPage(int index)
{
    if (index < 0 || index >= PageCount)
        return;
    m_soklap->setCurrentIndex(index);
    const QSignalBlocker blocker(m_tabs);
    for (int tab = 0; tab < m_tabs->count(); ++tab)
        if (m_tabs->tabData(tab).toInt() == index)
            m_tabs->setCurrentIndex(tab);
}

int TForm1::currentPage() const
{
    return m_soklap->currentIndex();
}

bool TForm1::sourceEditable() const
{
    return !m_sourceWindow->isReadOnly();
}

void TForm1::setSourceEditable(bool editable)
{
    m_sourceWindow->setReadOnly(!editable);
}

void TForm1::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_firstActivationDone)
        firstActivation();
}

void TForm1::firstActivation()
{
    m_firstActivationDone = true;
    showPage(BrowsePageIndex);
}

void TForm1::writeSettingsOnLeave()
{
    const QRect frame = geometry();
    m_settings.left = frame.x();
    m_settings.top = frame.y();
    m_settings.width = frame.width();
    m_settings.height = frame.height();
    runGuarded(this, [this] { m_settings.write(m_startDir); });
}

void TForm1::closeEvent(QCloseEvent* event)
{
    writeSettingsOnLeave();
    event->accept();
}
