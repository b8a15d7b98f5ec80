#include "ui/check/NameCompleter.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QStringListModel>

NameCompleter::NameCompleter(QLineEdit* edit, Lookup lookup, QObject* parent)
    : QObject(parent), m_edit(edit), m_watched(edit), m_lookup(std::move(lookup))
{
    m_model = new QStringListModel(this);
    // A tool window takes no focus from the edit: typing goes on while the
    // list is open.
    m_popup = new QListView(edit);
    m_popup->setObjectName(edit->objectName() + QStringLiteral("_kiegeszites"));
    m_popup->setWindowFlags(Qt::ToolTip);
    m_popup->setAttribute(Qt::WA_ShowWithoutActivating);
    m_popup->setFocusPolicy(Qt::NoFocus);
    m_popup->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_popup->setUniformItemSizes(true);
    m_popup->setModel(m_model);
    m_popup->hide();
    connect(m_popup, &QListView::clicked, this, [this](const QModelIndex& index) { take(index.row()); });
    connect(edit, &QLineEdit::textEdited, this, &NameCompleter::refresh);
    edit->installEventFilter(this);
}

NameCompleter::~NameCompleter()
{
    if (m_watched)
        m_watched->removeEventFilter(this);
}

bool NameCompleter::isOpen() const
{
    return m_popup->isVisible();
}

QStringList NameCompleter::entries() const
{
    return m_model->stringList();
}

void NameCompleter::refresh(const QString& typed)
{
    if (m_taking)
        return;
    if (typed.size() < MinimumTyped || !m_lookup) {
        close();
        return;
    }
    const QStringList found = m_lookup(typed);
    if (found.isEmpty()) {
        close();
        return;
    }
    m_model->setStringList(found);
    m_popup->setCurrentIndex({});
    place();
    m_popup->show();
}

void NameCompleter::place()
{
    const int rows = qMin(int(m_model->rowCount()), 10);
    const int rowHeight = qMax(m_popup->sizeHintForRow(0), m_edit->fontMetrics().height() + 2);
    m_popup->resize(qMax(m_edit->width(), m_popup->sizeHintForColumn(0) + 24), rows * rowHeight + 4);
    m_popup->move(m_edit->mapToGlobal(QPoint(0, m_edit->height())));
}

void NameCompleter::take(int row)
{
    const QStringList list = m_model->stringList();
    if (row < 0 || row >= list.size())
        return;
    const QString entry = list.at(row);
    close();
    m_taking = true;
    // As typed: selectAll + insert keeps the edit's undo and sends textEdited.
    m_edit->selectAll();
    m_edit->insert(entry);
    m_taking = false;
    Q_EMIT taken(entry);
}

void NameCompleter::close()
{
    m_popup->hide();
}

bool NameCompleter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_watched)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::FocusOut || event->type() == QEvent::Hide) {
        close();
    } else if (event->type() == QEvent::KeyPress && isOpen()) {
        auto* key = static_cast<QKeyEvent*>(event);
        const int rows = m_model->rowCount();
        const int current = m_popup->currentIndex().isValid() ? m_popup->currentIndex().row() : -1;
        switch (key->key()) {
        case Qt::Key_Down:
            m_popup->setCurrentIndex(m_model->index(qMin(current + 1, rows - 1)));
            return true;
        case Qt::Key_Up:
            if (current <= 0)
                m_popup->setCurrentIndex({});
            else
                m_popup->setCurrentIndex(m_model->index(current - 1));
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (current >= 0) {
                take(current);
                return true;
            }
            close();
            return false;
        case Qt::Key_Escape:
            close();
            return true;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
