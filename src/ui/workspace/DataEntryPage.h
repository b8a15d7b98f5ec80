#pragma once

#include <QWidget>

#include <array>

class DropBox;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTextEdit;
class QToolBar;
class RadioGroup;

// The data-entry page "Adatrögzítés" (lap_rogzites): the tool bar on top, the
// source window, the field panel below it and the side panel on the right.
// It only lays the controls out; the main window gives them their behaviour.
class DataEntryPage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DataEntryPage)

public:
    // The form's fields by number: 1 the record name, 2 the subject, 3-6 the
    // creators, 7-14 title to note (Edit1 … Edit14).
    static constexpr int FirstField = 1;
    static constexpr int FirstDataField = 2; // the fields a database line holds as typed
    static constexpr int FirstDropField = 3; // the fields that text from the source can reach
    static constexpr int LastField = 14;
    // The fields whose label selects them for the exchange.
    static constexpr std::array<int, 9> SelectableFields = {2, 7, 8, 9, 10, 11, 12, 13, 14};

    DataEntryPage(QToolBar* toolBar, QWidget* parent = nullptr);

    // The tool bar was made before the page and the drop boxes after their
    // fields; Tab follows what the user sees instead: the tool bar, the
    // source window, the field rows from top to bottom, each from left to
    // right, then the side panel from top to bottom. Called once the page is
    // in its window, as moving it into one starts its focus chain anew.
    void setTabOrderByLayout();

    // Indexed by field number; unused slots stay null.
    std::array<QLineEdit*, LastField + 1> edits{};
    std::array<QCheckBox*, LastField + 1> keepBoxes{};
    std::array<DropBox*, LastField + 1> dropBoxes{};
    std::array<QLabel*, LastField + 1> fieldLabels{};
    std::array<QComboBox*, 4> roleLists{};

    QTextEdit* sourceWindow = nullptr;
    QLabel* recordNameCaption = nullptr;
    QWidget* pan101 = nullptr;
    QLabel* recordNameLabel = nullptr; // lab_reknev
    QWidget* pan102 = nullptr;
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
    QToolBar* m_toolBar = nullptr;

    QWidget* buildFieldPanel();
    QWidget* buildSidePanel();
    QWidget* buildRecordNameRow(QWidget* parent);
};
