#include "ui/about/AboutBox.h"

#include "ui/common/WindowPlacement.h"

#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QShowEvent>
#include <QTextEdit>
#include <QUrl>

namespace {

constexpr int ClientWidth = 646;
constexpr int ClientHeight = 417;
constexpr int PanelWidth = 290;
constexpr int PictureWidth = 286;
constexpr int PictureHeight = 500;
constexpr int ColumnLeft = PanelWidth + 6;
constexpr int ColumnWidth = 345;

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
    font.setPointSize(8);
    return font;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QFont& font)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    return label;
}

} // namespace

AboutBox::AboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("nevjform"));
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
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setGeometry(0, 0, PanelWidth, ClientHeight);

    // Taller than the window on purpose: its lower part is cut off.
    auto* picture = new QLabel(panel);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setGeometry((PanelWidth - PictureWidth) / 2, (PanelWidth - PictureWidth) / 2, PictureWidth,
                         PictureHeight);
    picture->setPixmap(QPixmap(picturePath()));
}

void AboutBox::buildTexts()
{
    const QFont font = columnFont();
    QFont large = font;
    large.setPixelSize(21);

    QLabel* heading = makeLabel(this, "TntLabel1", title(), large);
    heading->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    heading->setWordWrap(true);
    heading->setGeometry(ColumnLeft, 14, ColumnWidth, 30);

    QLabel* second = makeLabel(this, "TntLabel2", subtitle(), large);
    second->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    second->setWordWrap(true);
    second->setGeometry(ColumnLeft, 48, ColumnWidth, 56);

    auto* memo = new QTextEdit(this);
    memo->setObjectName(QStringLiteral("TntMemo1"));
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
    memo->setGeometry(ColumnLeft, 112, ColumnWidth, 214);

    QLabel* before = makeLabel(this, "TntLabel4", QStringLiteral("Az adatbázis a"), font);
    QLabel* link = makeLabel(this, "TntLabel5", webPage(), font);
    QLabel* after = makeLabel(this, "TntLabel6", QStringLiteral("honlapon hozzáférhető."), font);
    QPalette linkPalette = link->palette();
    linkPalette.setColor(QPalette::WindowText, QColor(0, 0, 128));
    link->setPalette(linkPalette);
    link->setCursor(Qt::PointingHandCursor);
    link->installEventFilter(this);

    // The sentence is centred in the column; should the fonts make it too
    // wide, its last part moves to a second line rather than being cut.
    const int gap = QFontMetrics(font).horizontalAdvance(u' ');
    for (QLabel* part : {before, link, after})
        part->adjustSize();
    int top = 336;
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
        top += before->height() + 2;
        after->move(ColumnLeft + (ColumnWidth - after->width()) / 2, top);
    }

    QLabel* rights = makeLabel(this, "TntLabel3", rightsLine(), font);
    rights->setAlignment(Qt::AlignHCenter);
    rights->setGeometry(ColumnLeft, 372, ColumnWidth, 18);

    QLabel* version = makeLabel(this, "TntLabel7", QStringLiteral("Verzió: 1.0"), font);
    version->setAlignment(Qt::AlignHCenter);
    version->setGeometry(ColumnLeft, 392, ColumnWidth, 18);
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && watched->objectName() == u"TntLabel5") {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto* label = static_cast<QLabel*>(watched);
        if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint())) {
            TntLabel5Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// The desktop decides how to open the page; when it cannot, there is nothing
// useful to tell the user beyond the address they can already see.
void AboutBox::TntLabel5Click()
{
    const auto* link = findChild<QLabel*>(QStringLiteral("TntLabel5"));
    QDesktopServices::openUrl(QUrl(link->text()));
}

void AboutBox::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        centreOnScreen(this);
}
