#pragma once

#include "core/search/BrowseList.h"
#include "core/search/HitEntry.h"
#include "core/search/SearchCriteria.h"

#include <optional>

#include <QWidget>

class BackgroundJob;
class NameListModel;
class QPushButton;
class QListView;
class QTextDocument;
class QTextEdit;

// "Találatok": the names of the records the last composite search found, and
// beside them the found records as formatted text.
class HitsPage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HitsPage)

public:
    explicit HitsPage(QWidget* parent = nullptr);

    // Appended names appear in the hit list at the next showAppendedHits().
    // `chunkNumber`: the chunk file the hit was found in (-1: unknown), so
    // that of several records sharing a name the very one opens.
    void appendHit(QByteArrayView recordName, int chunkNumber = -1);
    void showAppendedHits();
    void appendEntry(const QList<HitRun>& entry);
    // The running search starts again (the index set was replaced under
    // it): the hits and entries it delivered so far go.
    void clearDelivered();

    const ByteStringList& hitNames() const { return m_names; }

    // A search is about to fill the page: what it shows now is put aside,
    // the page is emptied and remembers this search for the export.
    void beginSearch(const SearchCriteria& criteria, const QList<QByteArray>& roles, const QString& startDir);
    // The search ended: `keep` leaves what it delivered (it completed, or
    // failed with the hits found so far), otherwise the page shows again
    // what it showed before, as if the search had never run.
    void endSearch(bool keep);

    // What the last search looked for and where, so that all its hits can be
    // exported (the list shows them all, the text only the first 499).
    void setLastSearch(const SearchCriteria& criteria, const QList<QByteArray>& roles,
                       const QString& startDir);

    struct LastSearch
    {
        SearchCriteria criteria;
        QList<QByteArray> roles;
        QString startDir;
    };
    // What the last search looked for, so that another command can run it
    // again over all its hits; none before the first search.
    const std::optional<LastSearch>& lastSearch() const { return m_lastSearch; }

Q_SIGNALS:
    // A hit was clicked: the main window opens it on its browse page.
    void openHitRequested(const QString& recordName, int chunkNumber);

private:
    void openHit(const QModelIndex& index);
    void exportHits();

    ByteStringList m_names;
    std::vector<int> m_chunkNumbers; // at the positions of m_names
    NameListModel* m_model = nullptr;
    QListView* m_list = nullptr;
    QTextEdit* m_text = nullptr;
    bool m_pressedCurrent = false; // the last press was on the current hit
    QPushButton* m_exportButton = nullptr;
    QPushButton* m_exportStopButton = nullptr; // shown only while an export runs
    BackgroundJob* m_job = nullptr;
    std::optional<LastSearch> m_lastSearch;

    // What the page showed before the search that is running.
    struct Earlier
    {
        ByteStringList names;
        std::vector<int> chunkNumbers;
        QTextDocument* text = nullptr; // owned by the page meanwhile
        std::optional<LastSearch> lastSearch;
        bool exportEnabled = false;
        int currentHit = -1;
        int textScroll = 0;
    };
    std::optional<Earlier> m_earlier;
};
