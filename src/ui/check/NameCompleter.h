#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class QLineEdit;
class QListView;
class QStringListModel;

// Offers names for a line edit while the user types: after two characters a
// list of at most twenty entries opens under the edit. Down moves into the
// list and Enter (or a click) takes the entry; Esc closes the list. The typed
// text is never replaced unless an entry is taken, and a taken entry goes in
// as typing does (one step of the edit's own undo, with its change signals),
// so the save rule and the keep boxes see it like any other edit.
class NameCompleter final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NameCompleter)

public:
    static constexpr int MinimumTyped = 2;
    // The entries for a typed text, best first.
    using Lookup = std::function<QStringList(const QString& typed)>;

    NameCompleter(QLineEdit* edit, Lookup lookup, QObject* parent = nullptr);
    ~NameCompleter() override;

    QListView* popup() const { return m_popup; }
    QLineEdit* edit() const { return m_edit; }
    bool isOpen() const;
    QStringList entries() const;

Q_SIGNALS:
    void taken(const QString& entry);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh(const QString& typed);
    void take(int row);
    void close();
    void place();

    QPointer<QLineEdit> m_edit;
    // The same edit as a plain QObject: events still reach the filter while
    // the edit is being destroyed, when it is no longer a QLineEdit, so the
    // filter and the destructor must not look at it through m_edit.
    QPointer<QObject> m_watched;
    Lookup m_lookup;
    QListView* m_popup = nullptr;
    QStringListModel* m_model = nullptr;
    bool m_taking = false;
};
