#pragma once

#include "core/record/CreatorSlot.h"
#include "core/record/FieldGrid.h"
#include "core/search/BrowseList.h"

#include <QWidget>

#include <array>

class NameListModel;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;

// "Tallózás": every indexed record by name, and beside the list the chosen
// record field by field.
class BrowsePage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BrowsePage)

public:
    explicit BrowsePage(QWidget* parent = nullptr);

    // Loads the record directory (fsz1.zda, fsz0.zda) of the start directory and
    // shows the first record. With quietWhenAbsent a folder without any index
    // (neither file exists) leaves the page empty without a message. Failures
    // are shown in a message box; false when one stopped the loading.
    bool loadBrowseList(const QString& startDir, bool quietWhenAbsent);
    // Selects the first entry equal to the name (letter case ignored) and shows
    // it; false when there is none or showing it failed. With a chunk number
    // the entry of that chunk is preferred, so that of several records
    // sharing a name the one picked opens.
    bool openRecord(const QString& recordName, int chunkNumber = -1);

    const BrowseList& browseList() const { return m_list; }

Q_SIGNALS:
    // The button of the note a folder without an index shows: open the index dialog.
    void indexRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildNoIndexNote();
    void buildRecordView();
    QLineEdit* addRow(const QString& caption, const char* editName, int y, bool longEdit,
                      QLabel** label = nullptr);
    void selectRow(int row);
    void showClickedRecord();
    // Reads the selected record's chunk and fills the record view; throws
    // NorlaError when the record directory or the chunk is broken.
    void showSelectedRecord();
    void fillRecordView(const FieldGrid& record);
    void showCreators(QByteArrayView creators);
    void fitEditsToPanel();
    void fitCreatorColumns();

    QString m_startDir;
    BrowseList m_list;
    NameListModel* m_model = nullptr;
    QFrame* m_noIndexNote = nullptr;
    QListView* m_names = nullptr;
    QWidget* m_recordPanel = nullptr;
    QGroupBox* m_creatorGroup = nullptr;
    // A record names at most this many creators.
    static constexpr int CreatorSlots = CreatorSlot8::Count;
    std::array<QLabel*, CreatorSlots> m_creatorLabels{};
    std::array<QLineEdit*, CreatorSlots> m_creatorEdits{};
    QLabel* m_publicationLabel = nullptr;
    QLabel* m_volumeLabel = nullptr;
    std::array<QLineEdit*, FieldGrid::RowCount> m_rowEdits{}; // by FieldGrid row; null for rows not shown
    QLineEdit* m_translation = nullptr;
    QList<QWidget*> m_longEdits;
    static constexpr int NoRow = -1;
    int m_changedByPress = NoRow; // the row whose selection a mouse press just showed
    bool m_selecting = false;
};
