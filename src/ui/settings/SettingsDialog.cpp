#include "ui/settings/SettingsDialog.h"

#include "core/record/NorlaError.h"
#include "ui/common/Named.h"
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
    auto* label = named(new QLabel(text, parent), name);
    label->setGeometry(geometry);
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, const QRect& geometry)
{
    auto* button = named(new QPushButton(text, parent), name);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

} // namespace

SettingsDialog::SettingsDialog(QWidget* parent) : QDialog(parent)
{
    named(this, QStringLiteral("configform"));
    setWindowTitle(QStringLiteral("Beállítások"));
    setFixedSize(ClientWidth, ClientHeight);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_pages = named(new QTabWidget(this), QStringLiteral("soklap2"));
    m_pages->setGeometry(8, 8, ClientWidth - 16, 210);
    m_pages->addTab(buildDataFieldsPage(), QStringLiteral("Adatmezők"));
    m_pages->addTab(buildSubjectTreePage(), QStringLiteral("Tárgykör"));
    m_pages->addTab(buildGeneralPage(), QStringLiteral("Általános"));
    buildButtons();
}

QWidget* SettingsDialog::buildDataFieldsPage()
{
    auto* page = named(new QWidget, QStringLiteral("lap_adatmezok"));
    makeLabel(page, "Label1", QStringLiteral("Az adatmezők betűtípusa:"), {16, 16, 220, 18});

    m_fontFamilies = named(new QComboBox(page), QStringLiteral("fontc1"));
    m_fontFamilies->setGeometry(16, 38, 220, 24);
    m_fontFamilies->setItemDelegate(new FontSampleDelegate(m_fontFamilies));
    m_fontFamilies->addItems(installedFontFamilies());
    m_fontFamilies->setMaxVisibleItems(16);

    QLabel* sizeLabel = makeLabel(page, "Label2", QStringLiteral("betűmérete:"), {238, 38, 80, 24});
    sizeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_fontSizes = named(new QComboBox(page), QStringLiteral("cb_betumeret"));
    m_fontSizes->setGeometry(324, 38, 56, 24);
    m_fontSizes->addItems(fontSizes());

    connect(m_fontFamilies, &QComboBox::currentIndexChanged, this, &SettingsDialog::enableApply);
    connect(m_fontSizes, &QComboBox::currentIndexChanged, this, &SettingsDialog::enableApply);
    return page;
}

QWidget* SettingsDialog::buildSubjectTreePage()
{
    auto* page = named(new QWidget, QStringLiteral("lap_targykor"));
    makeLabel(page, "Label3", QStringLiteral("Tárgykör szerkezetet tartalmazó forrásfájl:"),
              {16, 16, 360, 18});

    m_subjectTreePath = named(new QLineEdit(page), QStringLiteral("edit_targykor"));
    m_subjectTreePath->setGeometry(16, 38, 280, 24);

    m_browseButton = makeButton(page, "gomb_targykor", QStringLiteral("Tallózás"), {304, 37, 75, 26});

    connect(m_subjectTreePath, &QLineEdit::textChanged, this, &SettingsDialog::enableApply);
    connect(m_browseButton, &QPushButton::clicked, this, &SettingsDialog::browseSubjectTree);
    return page;
}

QWidget* SettingsDialog::buildGeneralPage()
{
    auto* page = named(new QWidget, QStringLiteral("lap_altalanos"));
    m_sourceEditableBox =
        named(new QCheckBox(QStringLiteral("A forrásfájl ablakból törlődnek a kihúzott adatok"), page),
              QStringLiteral("cb91"));
    m_sourceEditableBox->setGeometry(16, 16, 365, 24);
    // Only a user's click counts as a change; the activation sets it quietly.
    connect(m_sourceEditableBox, &QCheckBox::clicked, this, &SettingsDialog::enableApply);
    return page;
}

void SettingsDialog::buildButtons()
{
    const int top = ClientHeight - 34;
    m_okButton = makeButton(this, "g_ok", QStringLiteral("Ok"), {ClientWidth - 255, top, 75, 25});
    m_cancelButton = makeButton(this, "g_megsem", QStringLiteral("Mégsem"), {ClientWidth - 170, top, 75, 25});
    m_applyButton =
        makeButton(this, "g_alkalmaz", QStringLiteral("Alkalmaz"), {ClientWidth - 85, top, 75, 25});
    m_applyButton->setEnabled(false);

    connect(m_okButton, &QPushButton::clicked, this, &SettingsDialog::applyAndClose);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_applyButton, &QPushButton::clicked, this, &SettingsDialog::apply);
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
    m_pages->setCurrentIndex(page);
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
    m_fontSizes->setCurrentIndex(m_fontSizes->findText(QString::number(settings.fontSize)));
    m_subjectTreePath->setText(settings.subjectTreePath);
    const int font = m_fontFamilies->findText(settings.fontName, Qt::MatchFixedString);
    m_fontFamilies->setCurrentIndex(font >= 0 ? font : 0);
    m_sourceEditableBox->setChecked(m_sourceEditable);
    // Last, so the changes made above leave it disabled.
    m_applyButton->setEnabled(false);
}

void SettingsDialog::enableApply()
{
    m_applyButton->setEnabled(true);
}

void SettingsDialog::browseSubjectTree()
{
    const QString path = UserDialogs::instance().chooseOpenFile(
        this, QStringLiteral("Tárgykör fájl kiválasztása"), QString(), m_subjectTreePath->text());
    if (!path.isEmpty())
        m_subjectTreePath->setText(path);
}

bool SettingsDialog::apply()
{
    if (!m_source)
        return false;
    return runGuarded(this, [this] {
        // With no font installed at all there is nothing to choose; the name
        // in the settings then stays as it is.
        const QString family =
            m_fontFamilies->count() > 0 ? m_fontFamilies->currentText() : m_settings.fontName;
        Q_EMIT fontFamilyApplied(family);
        // The size fails after the name has been applied, as the user saw it
        // happen: the fields already show the new face at their old size.
        if (m_fontSizes->currentIndex() < 0)
            throw NorlaError(noSizeMessage());
        const int size = m_fontSizes->currentText().toInt();
        Q_EMIT fontSizeApplied(size);

        m_sourceEditable = m_sourceEditableBox->isChecked();
        m_settings.sourceDeletion = m_sourceEditable ? 1 : 0;
        m_applyButton->setEnabled(false);
        m_settings.fontName = family;
        m_settings.fontSize = size;
        m_settings.subjectTreePath = m_subjectTreePath->text();
        Q_EMIT settingsApplied(m_settings, m_sourceEditable);
    });
}

void SettingsDialog::applyAndClose()
{
    if (apply())
        accept();
}
