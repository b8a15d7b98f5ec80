#include "ui/settings/SettingsDialog.h"

#include "core/record/NorlaError.h"
#include "ui/common/UserDialogs.h"
#include "ui/common/WindowPlacement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTabWidget>

#include <algorithm>

namespace {

constexpr int ClientWidth = 415;
constexpr int ClientHeight = 260;

// Each font of the list is shown by name, followed by the sample "Abc" drawn
// in that font, so the user sees the face before choosing it. The name stays
// in the dialog's own font: symbol fonts would make it unreadable otherwise.
class FontSampleDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        const QFont sample = sampleFont(option, index);
        painter->save();
        painter->setFont(sample);
        painter->setPen(option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                                   : QPalette::Text));
        const QRect area = option.rect.adjusted(0, 0, -6, 0);
        painter->drawText(area, Qt::AlignRight | Qt::AlignVCenter, SampleText);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const QFontMetrics metrics(sampleFont(option, index));
        size.setHeight(std::max(size.height(), metrics.height() + 2));
        size.setWidth(size.width() + metrics.horizontalAdvance(SampleText) + 16);
        return size;
    }

private:
    static inline const QString SampleText = QStringLiteral("Abc");

    static QFont sampleFont(const QStyleOptionViewItem& option, const QModelIndex& index)
    {
        QFont font = option.font;
        font.setFamilies({index.data(Qt::DisplayRole).toString()});
        return font;
    }
};

QStringList installedFontFamilies()
{
    QStringList families;
    for (const QString& family : QFontDatabase::families())
        if (!QFontDatabase::isPrivateFamily(family))
            families.append(family);
    std::sort(families.begin(), families.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return families;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, const QRect& geometry)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

} // namespace

SettingsDialog::SettingsDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("configform"));
    setWindowTitle(QStringLiteral("Beállítások"));
    setFixedSize(ClientWidth, ClientHeight);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_soklap2 = new QTabWidget(this);
    m_soklap2->setObjectName(QStringLiteral("soklap2"));
    m_soklap2->setGeometry(8, 8, ClientWidth - 16, 210);
    m_soklap2->addTab(buildDataFieldsPage(), QStringLiteral("Adatmezők"));
    m_soklap2->addTab(buildSubjectTreePage(), QStringLiteral("Tárgykör"));
    m_soklap2->addTab(buildGeneralPage(), QStringLiteral("Általános"));
    buildButtons();
}

QWidget* SettingsDialog::buildDataFieldsPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("lap_adatmezok"));
    makeLabel(page, "Label1", QStringLiteral("Az adatmezők betűtípusa:"), {16, 16, 220, 18});

    m_fontc1 = new QComboBox(page);
    m_fontc1->setObjectName(QStringLiteral("fontc1"));
    m_fontc1->setGeometry(16, 38, 220, 24);
    m_fontc1->setItemDelegate(new FontSampleDelegate(m_fontc1));
    m_fontc1->addItems(installedFontFamilies());
    m_fontc1->setMaxVisibleItems(16);

    QLabel* sizeLabel = makeLabel(page, "Label2", QStringLiteral("betűmérete:"), {238, 38, 80, 24});
    sizeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_cb_betumeret = new QComboBox(page);
    m_cb_betumeret->setObjectName(QStringLiteral("cb_betumeret"));
    m_cb_betumeret->setGeometry(324, 38, 56, 24);
    m_cb_betumeret->addItems(fontSizes());

    connect(m_fontc1, &QComboBox::currentIndexChanged, this, &SettingsDialog::enableApply);
    connect(m_cb_betumeret, &QComboBox::currentIndexChanged, this, &SettingsDialog::enableApply);
    return page;
}

QWidget* SettingsDialog::buildSubjectTreePage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("lap_targykor"));
    makeLabel(page, "Label3", QStringLiteral("Tárgykör szerkezetet tartalmazó forrásfájl:"),
              {16, 16, 360, 18});

    m_edit_targykor = new QLineEdit(page);
    m_edit_targykor->setObjectName(QStringLiteral("edit_targykor"));
    m_edit_targykor->setGeometry(16, 38, 280, 24);

    m_gomb_targykor = makeButton(page, "gomb_targykor", QStringLiteral("Tallózás"), {304, 37, 75, 26});

    connect(m_edit_targykor, &QLineEdit::textChanged, this, &SettingsDialog::enableApply);
    connect(m_gomb_targykor, &QPushButton::clicked, this, &SettingsDialog::browseSubjectTree);
    return page;
}

QWidget* SettingsDialog::buildGeneralPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("lap_altalanos"));
    m_cb91 = new QCheckBox(QStringLiteral("A forrásfájl ablakból törlődnek a kihúzott adatok"), page);
    m_cb91->setObjectName(QStringLiteral("cb91"));
    m_cb91->setGeometry(16, 16, 365, 24);
    // Only a user's click counts as a change; the activation sets it quietly.
    connect(m_cb91, &QCheckBox::clicked, this, &SettingsDialog::enableApply);
    return page;
}

void SettingsDialog::buildButtons()
{
    const int top = ClientHeight - 34;
    m_g_ok = makeButton(this, "g_ok", QStringLiteral("Ok"), {ClientWidth - 255, top, 75, 25});
    m_g_megsem = makeButton(this, "g_megsem", QStringLiteral("Mégsem"), {ClientWidth - 170, top, 75, 25});
    m_g_alkalmaz =
        makeButton(this, "g_alkalmaz", QStringLiteral("Alkalmaz"), {ClientWidth - 85, top, 75, 25});
    m_g_alkalmaz->setEnabled(false);

    connect(m_g_ok, &QPushButton::clicked, this, &SettingsDialog::okClicked);
    connect(m_g_megsem, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_g_alkalmaz, &QPushButton::clicked, this, &SettingsDialog::apply);
}

const QStringList& SettingsDialog::fontSizes()
{
    static const QStringList sizes{
        QStringLiteral("6"),  QStringLiteral("7"),  QStringLiteral("8"),  QStringLiteral("9"),
        QStringLiteral("10"), QStringLiteral("11"), QStringLiteral("12"), QStringLiteral("13"),
        QStringLiteral("14"), QStringLiteral("15"), QStringLiteral("16"),
    };
    return sizes;
}

QString SettingsDialog::noSizeMessage()
{
    return QStringLiteral("Nincs kiválasztott betűméret. Válasszon egy méretet a listából!");
}

void SettingsDialog::openOnPage(Page page)
{
    m_soklap2->setCurrentIndex(page);
    exec();
}

void SettingsDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        centreOnScreen(this);
        fillFromSettings();
    }
}

// The controls show the settings afresh at every showing, so a choice that
// was cancelled last time is not offered again.
void SettingsDialog::fillFromSettings()
{
    if (!m_source)
        return;
    const Current current = m_source();
    m_settings = current.settings;
    m_sourceEditable = current.sourceEditable;
    const AppSettings& settings = m_settings;
    m_cb_betumeret->setCurrentIndex(m_cb_betumeret->findText(QString::number(settings.fontSize)));
    m_edit_targykor->setText(settings.subjectTreePath);
    const int font = m_fontc1->findText(settings.fontName, Qt::MatchFixedString);
    m_fontc1->setCurrentIndex(font >= 0 ? font : 0);
    m_cb91->setChecked(m_sourceEditable);
    // Last, so the changes made above leave it disabled.
    m_g_alkalmaz->setEnabled(false);
}

void SettingsDialog::enableApply()
{
    m_g_alkalmaz->setEnabled(true);
}

void SettingsDialog::browseSubjectTree()
{
    const QString path = UserDialogs::instance().chooseOpenFile(
        this, QStringLiteral("Tárgykör fájl kiválasztása"), QString(), m_edit_targykor->text());
    if (!path.isEmpty())
        m_edit_targykor->setText(path);
}

bool SettingsDialog::apply()
{
    if (!m_source)
        return false;
    return runGuarded(this, [this] {
        // With no font installed at all there is nothing to choose; the name
        // in the settings then stays as it is.
        const QString family = m_fontc1->count() > 0 ? m_fontc1->currentText() : m_settings.fontName;
        Q_EMIT fontFamilyApplied(family);
        // The size fails after the name has been applied, as the user saw it
        // happen: the fields already show the new face at their old size.
        if (m_cb_betumeret->currentIndex() < 0)
            throw NorlaError(noSizeMessage());
        const int size = m_cb_betumeret->currentText().toInt();
        Q_EMIT fontSizeApplied(size);

        m_sourceEditable = m_cb91->isChecked();
        m_settings.sourceDeletion = m_sourceEditable ? 1 : 0;
        m_g_alkalmaz->setEnabled(false);
        m_settings.fontName = family;
        m_settings.fontSize = size;
        m_settings.subjectTreePath = m_edit_targykor->text();
        Q_EMIT settingsApplied(m_settings, m_sourceEditable);
    });
}

void SettingsDialog::okClicked()
{
    if (apply())
        accept();
}
