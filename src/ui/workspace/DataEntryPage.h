#pragma once

#include "core/record/RecordSchema.h"

#include <QWidget>

#include <array>

class DropBox;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTextEdit;
class QToolBar;
class QVBoxLayout;
class RadioGroup;

// The data-entry page "Adatrögzítés" (lap_rogzites): the tool bar on top, the
// source window, the field panel below it and the side panel on the right.
// It only lays the controls out; the record editor gives them their behaviour.
class DataEntryPage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DataEntryPage)

public:
    // The fields with an edit of their own (Edit1 … Edit14), in form order.
    static constexpr std::array<Field, 14> FormFields = {
        Field::RecordName, Field::Subject, Field::Creator1,    Field::Creator2,  Field::Creator3,
        Field::Creator4,   Field::Title,   Field::Publication, Field::Publisher, Field::VolumeRun,
        Field::Year,       Field::Pages,   Field::Place,       Field::Note};
    // The fields a record holds as typed: each has a keep box, and the
    // settings' font reaches them (never the record name).
    static constexpr std::array<Field, 13> DataFields = {
        Field::Subject, Field::Creator1,    Field::Creator2,  Field::Creator3,  Field::Creator4,
        Field::Title,   Field::Publication, Field::Publisher, Field::VolumeRun, Field::Year,
        Field::Pages,   Field::Place,       Field::Note};
    // The fields text from the source can reach: each has a drop box and an
    // entry in the extraction menus, in this order.
    static constexpr std::array<Field, 12> DropFields = {
        Field::Creator1, Field::Creator2,    Field::Creator3,  Field::Creator4,
        Field::Title,    Field::Publication, Field::Publisher, Field::VolumeRun,
        Field::Year,     Field::Pages,       Field::Place,     Field::Note};
    // The fields whose label selects them for the exchange.
    static constexpr std::array<Field, 9> SelectableFields = {
        Field::Subject, Field::Title, Field::Publication, Field::Publisher, Field::VolumeRun,
        Field::Year,    Field::Pages, Field::Place,       Field::Note};

    DataEntryPage(QToolBar* toolBar, QWidget* parent = nullptr);

    // The tool bar was made before the page and the drop boxes after their
    // fields; Tab follows what the user sees instead: the tool bar, the
    // source window, the field rows from top to bottom, each from left to
    // right, then the side panel from top to bottom. Called once the page is
    // in its window, as moving it into one starts its focus chain anew.
    void setTabOrderByLayout();

    // The controls of a field; null where the field has none (only the form
    // fields have an edit, the data fields a keep box, the drop fields a drop
    // box, the selectable fields a label).
    QLineEdit* edit(Field field) const { return m_edits[slotOf(field)]; }
    QCheckBox* keepBox(Field field) const { return m_keepBoxes[slotOf(field)]; }
    DropBox* dropBox(Field field) const { return m_dropBoxes[slotOf(field)]; }
    QLabel* fieldLabel(Field field) const { return m_fieldLabels[slotOf(field)]; }

    // A line under the field panel for a short notice about the record
    // (what a check found, say); the page owns it from then on and shows it
    // as the widget's own visibility says. A second notice goes below the first.
    void addNotice(QWidget* notice);

    // Indexed by creator slot 0 … 3 (cbox1 … cbox4).
    std::array<QComboBox*, RecordSchema::CreatorCount> roleLists{};

    // The bar under the tool bar that says how the database is open when it
    // cannot be written: read only (who holds it), or in a write-protected
    // folder. Hidden otherwise.
    QLabel* accessBar = nullptr; // lab_hozzaferes

    QTextEdit* sourceWindow = nullptr;
    QLabel* recordNameCaption = nullptr;
    QWidget* shownNamePanel = nullptr; // pan101: the shown record's name, in Browse
    QLabel* recordNameLabel = nullptr; // lab_reknev
    QWidget* newNamePanel = nullptr;   // pan102: the suffix and the record count, for new records
    QLabel* suffixCaption = nullptr;
    QComboBox* suffixList = nullptr; // cb_recszam
    QLabel* recordCount = nullptr;   // labrek

    QCheckBox* translation = nullptr; // cb_forditas
    QLabel* linkCaption = nullptr;
    QLineEdit* link = nullptr; // edit_link
    QLabel* recordTypeCaption = nullptr;
    QComboBox* recordType = nullptr; // cb_rektipus
    QLabel* languageCaption = nullptr;
    QComboBox* language = nullptr; // cb_nyelv
    RadioGroup* medium = nullptr;  // rg_adathordozo
    RadioGroup* volume = nullptr;  // rg_kotet

private:
    static std::size_t slotOf(Field field) { return std::size_t(RecordSchema::position(field)); }

    QWidget* buildFieldPanel();
    QWidget* buildSidePanel();
    QWidget* buildRecordNameRow(QWidget* parent);

    QToolBar* m_toolBar = nullptr;
    QVBoxLayout* m_leftColumn = nullptr;
    std::array<QLineEdit*, RecordSchema::FieldCount> m_edits{};
    std::array<QCheckBox*, RecordSchema::FieldCount> m_keepBoxes{};
    std::array<DropBox*, RecordSchema::FieldCount> m_dropBoxes{};
    std::array<QLabel*, RecordSchema::FieldCount> m_fieldLabels{};
};
