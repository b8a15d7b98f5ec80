#include "ui/about/AboutBox.h"

#include "ui/common/Named.h"
#include "ui/common/WindowPlacement.h"

#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QShowEvent>
#include <QTextEdit>
#include <QUrl>

namespace {

// The names the tests and users' scripts find the controls by.
namespace ObjectName {
constexpr auto Dialog = "nevjform";
constexpr auto PicturePanel = "Panel1";
constexpr auto Picture = "Image1";
constexpr auto Title = "TntLabel1";
constexpr auto Subtitle = "TntLabel2";
constexpr auto Description = "TntMemo1";
constexpr auto Rights = "TntLabel3";
constexpr auto BeforeLink = "TntLabel4";
constexpr auto Link = "TntLabel5";
constexpr auto AfterLink = "TntLabel6";
constexpr auto Version = "TntLabel7";
} // namespace ObjectName

constexpr int ClientWidth = 646;
constexpr int ClientHeight = 417;
constexpr int PanelWidth = 290;
constexpr int PictureWidth = 286;
constexpr int PictureHeight = 500;
constexpr int ColumnLeft = PanelWidth + 6;
constexpr int ColumnWidth = 345;
constexpr int HeadingPixelSize = 21;
constexpr int ColumnPointSize = 8;

// The texts of the column, top to bottom.
constexpr int TitleTop = 14;
constexpr int TitleHeight = 30;
constexpr int SubtitleTop = 48;
constexpr int SubtitleHeight = 56;
constexpr int DescriptionTop = 112;
constexpr int DescriptionHeight = 214;
constexpr int LinkSentenceTop = 336;
constexpr int LinkSentenceLineGap = 2;
constexpr int RightsTop = 372;
constexpr int VersionTop = 392;
constexpr int SmallLineHeight = 18;

const QColor LinkColour = Qt::darkBlue;

QString title()
{
    return QStringLiteral("Norla");
}

QString subtitle()
{
    return QStringLiteral("Összesített szakirodalmi bibliográfia");
}

QString description()
{
    return QStringLiteral(
        "A Norla hét nyomtatott forrásbibliográfia (Kardel, Lunvek, Nosvair, Sivarnholdt, Vuranek, "
        "Zelnar és Gorval) tételeit és a folyamatosan gyűjtött mai adatokat egyesíti egyetlen "
        "adatbázisban. Könyvek, folyóiratcikkek, gyűjteményes kötetekben megjelent tanulmányok, "
        "különlenyomatok és recenziók leírásai rögzíthetők, javíthatók, indexelhetők és összetett "
        "feltételekkel kereshetők benne.\n"
        "\n"
        "Az adatbázist és a programot a Norla fejlesztőcsapata készítette a Norla Bibliográfiai "
        "Műhely munkatársaival együttműködésben. Az adatok rögzítésében és ellenőrzésében "
        "bibliográfusok, könyvtárosok és egyetemi hallgatók vettek részt.");
}

QString rightsLine()
{
    return QStringLiteral("© 2026 Norla Bibliográfiai Műhely");
}

// "Lucida Sans Unicode" is rarely installed outside Windows; the fallbacks
// keep the look close and cover the same characters.
QFont columnFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Lucida Sans Unicode"), QStringLiteral("Lucida Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setPointSize(ColumnPointSize);
    return font;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QFont& font)
{
    auto* label = named(new QLabel(text, parent), name);
    label->setFont(font);
    return label;
}

} // namespace

AboutBox::AboutBox(QWidget* parent) : QDialog(parent)
{
    named(this, ObjectName::Dialog);
    setWindowTitle(QStringLiteral("Névjegy"));
    setFixedSize(ClientWidth, ClientHeight);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    buildPicturePanel();
    buildTexts();
}

QString AboutBox::webPage()
{
    return QStringLiteral("https://norla.example.org");
}

QString AboutBox::picturePath()
{
    return QStringLiteral(":/shell/nevjegy.jpg");
}

void AboutBox::buildPicturePanel()
{
    auto* panel = named(new QFrame(this), ObjectName::PicturePanel);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setGeometry(0, 0, PanelWidth, ClientHeight);

    // Taller than the window on purpose: its lower part is cut off.
    auto* picture = named(new QLabel(panel), ObjectName::Picture);
    picture->setGeometry((PanelWidth - PictureWidth) / 2, (PanelWidth - PictureWidth) / 2, PictureWidth,
                         PictureHeight);
    picture->setPixmap(QPixmap(picturePath()));
}

void AboutBox::buildTexts()
{
    const QFont font = columnFont();
    QFont large = font;
    large.setPixelSize(HeadingPixelSize);

    QLabel* heading = makeLabel(this, ObjectName::Title, title(), large);
    heading->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    heading->setWordWrap(true);
    heading->setGeometry(ColumnLeft, TitleTop, ColumnWidth, TitleHeight);

    QLabel* second = makeLabel(this, ObjectName::Subtitle, subtitle(), large);
    second->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    second->setWordWrap(true);
    second->setGeometry(ColumnLeft, SubtitleTop, ColumnWidth, SubtitleHeight);

    auto* memo = named(new QTextEdit(this), ObjectName::Description);
    memo->setFont(font);
    memo->setReadOnly(true);
    memo->setFrameShape(QFrame::NoFrame);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette memoPalette = memo->palette();
    memoPalette.setColor(QPalette::Base, palette().color(QPalette::Window));
    memo->setPalette(memoPalette);
    QTextOption centred = memo->document()->defaultTextOption();
    centred.setAlignment(Qt::AlignHCenter);
    memo->document()->setDefaultTextOption(centred);
    memo->setPlainText(description());
    memo->setGeometry(ColumnLeft, DescriptionTop, ColumnWidth, DescriptionHeight);

    QLabel* before = makeLabel(this, ObjectName::BeforeLink, QStringLiteral("Az adatbázis a"), font);
    QLabel* link = makeLabel(this, ObjectName::Link, webPage(), font);
    QLabel* after = makeLabel(this, ObjectName::AfterLink, QStringLiteral("honlapon hozzáférhető."), font);
    m_link = link;
    QPalette linkPalette = link->palette();
    linkPalette.setColor(QPalette::WindowText, LinkColour);
    link->setPalette(linkPalette);
    link->setCursor(Qt::PointingHandCursor);
    link->installEventFilter(this);

    // The sentence is centred in the column; should the fonts make it too
    // wide, its last part moves to a second line rather than being cut.
    const int gap = QFontMetrics(font).horizontalAdvance(u' ');
    for (QLabel* part : {before, link, after})
        part->adjustSize();
    int top = LinkSentenceTop;
    const int oneLine = before->width() + gap + link->width() + gap + after->width();
    if (oneLine <= ColumnWidth) {
        int x = ColumnLeft + (ColumnWidth - oneLine) / 2;
        for (QLabel* part : {before, link, after}) {
            part->move(x, top);
            x += part->width() + gap;
        }
    } else {
        const int firstLine = before->width() + gap + link->width();
        before->move(ColumnLeft + (ColumnWidth - firstLine) / 2, top);
        link->move(before->x() + before->width() + gap, top);
        top += before->height() + LinkSentenceLineGap;
        after->move(ColumnLeft + (ColumnWidth - after->width()) / 2, top);
    }

    QLabel* rights = makeLabel(this, ObjectName::Rights, rightsLine(), font);
    rights->setAlignment(Qt::AlignHCenter);
    rights->setGeometry(ColumnLeft, RightsTop, ColumnWidth, SmallLineHeight);

    QLabel* version = makeLabel(this, ObjectName::Version, QStringLiteral("Verzió: 1.0"), font);
    version->setAlignment(Qt::AlignHCenter);
    version->setGeometry(ColumnLeft, VersionTop, ColumnWidth, SmallLineHeight);
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && watched == m_link) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && m_link->rect().contains(mouse->position().toPoint())) {
            openWebPage();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// The desktop decides how to open the page; when it cannot, there is nothing
// useful to tell the user beyond the address they can already see.
void AboutBox::openWebPage()
{
    QDesktopServices::openUrl(QUrl(m_link->text()));
}

void AboutBox::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        centreOnScreen(this);
}
