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
    static constexpr int FirstField = 1;
    static constexpr int LastField = 14;
    static constexpr int FirstDropField = 3;
    // The fields whose label selects them for the exchange.
    static constexpr std::array<int, 9> SelectableFields = {2, 7, 8, 9, 10, 11, 12, 13, 14};

    DataEntryPage(QToolBar* toolBar, QWidget* parent = nullptr);

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
    QWidget* buildFieldPanel();
    QWidget* buildSidePanel();
    QWidget* buildRecordNameRow(QWidget* parent);
};
