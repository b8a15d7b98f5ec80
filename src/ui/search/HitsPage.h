#pragma once

#include "core/search/BrowseList.h"
#include "core/search/HitEntry.h"
#include "core/search/SearchCriteria.h"

#include <optional>

#include <QWidget>

class NameListModel;
class QPushButton;
class QListView;
class QTextEdit;

// "Találatok": the names of the records the last composite search found, and
// beside them the found records as formatted text.
class HitsPage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HitsPage)

public:
    explicit HitsPage(QWidget* parent = nullptr);

    void clearHitList();
    void clearResultsText();
    // Appended names appear in the hit list at the next showAppendedHits().
    void appendHit(QByteArrayView recordName);
    void showAppendedHits();
    void appendEntry(const QList<HitRun>& entry);

    const ByteStringList& hitNames() const { return m_names; }

    // What the last search looked for and where, so that all its hits can be
    // exported (the list shows them all, the text only the first 499).
    void setLastSearch(const SearchCriteria& criteria, const QList<QByteArray>& roles,
                       const QString& startDir);

Q_SIGNALS:
    // A hit was clicked: the main window opens it on its browse page.
    void openHitRequested(const QString& recordName);

private:
    void openHit(const QModelIndex& index);
    void exportHits();

    struct LastSearch
    {
        SearchCriteria criteria;
        QList<QByteArray> roles;
        QString startDir;
    };

    ByteStringList m_names;
    NameListModel* m_model = nullptr;
    QListView* m_list = nullptr;
    QTextEdit* m_text = nullptr;
    QPushButton* m_exportButton = nullptr;
    std::optional<LastSearch> m_lastSearch;
};
