#include "ui/spelling/SpellingUnderline.h"

#include "core/spelling/Suggestions.h"
#include "core/spelling/TextSpelling.h"
#include "ui/common/Named.h"
#include "ui/common/UserDialogs.h"
#include "ui/spelling/SpellingService.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>

namespace {

// Long enough that a word typed at speed is judged once, short enough that
// the line appears as the typing stops.
constexpr int PauseMs = 120;
constexpr int WaveHeight = 2;
constexpr int WaveLength = 4;

const QColor UnknownColor(0xd0, 0x10, 0x10);
const QColor OldSpellingColor(0x80, 0x80, 0x80);

bool isLetterAt(const QString& text, int index)
{
    return index >= 0 && index < text.size() && text[index].isLetter();
}

} // namespace

// The see-through layer over the edit that draws the lines. It takes no
// input, so every click and key still goes to the edit beneath.
class UnderlineLayer final : public QWidget
{
public:
    UnderlineLayer(QLineEdit* edit, const SpellingUnderline* owner)
        : QWidget(edit), m_edit(edit), m_owner(owner)
    {
        named(this, QStringLiteral("spellingLayer"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        setGeometry(edit->rect());
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (m_owner->ranges().isEmpty())
            return;
        QPainter painter(this);
        painter.setClipRect(m_edit->contentsRect());
        for (const SpellingUnderline::Range& range : m_owner->ranges()) {
            const int left = xOf(range.start);
            const int right = xOf(range.start + range.length);
            if (range.kind == SpellingUnderline::Kind::Unknown)
                drawWave(painter, left, right);
            else
                drawDots(painter, left, right);
        }
    }

private:
    // The cursor rectangle is the one place QLineEdit tells where its text
    // stands now (after scrolling): its left edge lies five pixels before
    // the cursor. From there the font gives every other position.
    int xOf(int position) const
    {
        const QRect cursor = m_edit->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const QFontMetrics metrics(m_edit->font());
        const QString text = m_edit->displayText();
        const int cursorX = cursor.left() + 5;
        return cursorX + metrics.horizontalAdvance(text.left(position)) -
               metrics.horizontalAdvance(text.left(m_edit->cursorPosition()));
    }
    int baseline() const
    {
        const QRect cursor = m_edit->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        return cursor.bottom() - 1;
    }

    void drawWave(QPainter& painter, int left, int right) const
    {
        const int y = baseline();
        QPainterPath path(QPointF(left, y));
        bool up = true;
        for (int x = left + WaveLength / 2; x <= right; x += WaveLength / 2) {
            path.lineTo(x, up ? y - WaveHeight : y);
            up = !up;
        }
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(UnknownColor, 1));
        painter.drawPath(path);
    }
    void drawDots(QPainter& painter, int left, int right) const
    {
        painter.setPen(QPen(OldSpellingColor, 1, Qt::DotLine));
        painter.drawLine(left, baseline(), right, baseline());
    }

    QLineEdit* m_edit;
    const SpellingUnderline* m_owner;
};

SpellingUnderline::SpellingUnderline(QLineEdit* edit, SpellingService* service)
    : QObject(edit), m_edit(edit), m_watched(edit), m_service(service),
      m_layer(new UnderlineLayer(edit, this)),
      m_judge(
          std::make_unique<FieldJudge>(service->lexicon(), &service->wordList(), &service->skippedWords()))
{
    named(this, QStringLiteral("spellingUnderline"));
    m_pause.setSingleShot(true);
    m_pause.setInterval(PauseMs);
    connect(&m_pause, &QTimer::timeout, this, &SpellingUnderline::check);
    connect(edit, &QLineEdit::textChanged, this, [this] {
        dropStaleRanges();
        scheduleCheck();
    });
    connect(edit, &QLineEdit::cursorPositionChanged, m_layer, qOverload<>(&QWidget::update));
    connect(service, &SpellingService::dictionaryLoaded, this, &SpellingUnderline::scheduleCheck);
    connect(service, &SpellingService::wordsChanged, this, &SpellingUnderline::scheduleCheck);
    edit->installEventFilter(this);
    m_layer->show();
    scheduleCheck();
}

SpellingUnderline::~SpellingUnderline() = default;

SpellingUnderline* SpellingUnderline::of(const QLineEdit* edit)
{
    return edit ? edit->findChild<SpellingUnderline*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void SpellingUnderline::setRecord(const QString& language, bool oldSpelling)
{
    if (language == m_language && oldSpelling == m_oldSpelling)
        return;
    m_language = language;
    m_oldSpelling = oldSpelling;
    scheduleCheck();
}

void SpellingUnderline::scheduleCheck()
{
    m_pause.start();
}

void SpellingUnderline::recheckNow()
{
    m_pause.stop();
    check();
}

// The words of the edit judged again. Until the dictionaries have loaded
// nothing is underlined; text in no installed language (Latin, say) is never
// judged, so no foreign word is taken for a Hungarian typo.
void SpellingUnderline::check()
{
    if (!m_edit)
        return;
    const std::optional<FieldJudge::Languages> languages = m_service->languagesFor(m_language);
    QList<Range> ranges;
    QStringList words;
    QList<Dictionaries::Engine> engines;
    if (languages && !languages->empty()) {
        const QString text = m_edit->text();
        const FieldJudge::Verdict verdict = m_judge->judge(text, *languages, m_oldSpelling);
        for (const FieldJudge::Finding& finding : verdict.findings) {
            ranges.append({int(finding.span.start), int(finding.span.length),
                           finding.oldForm ? Kind::OldSpelling : Kind::Unknown});
            words.append(text.mid(finding.span.start, finding.span.length));
            engines.append((*languages)[size_t(finding.language)].engine);
        }
    }
    m_words = words;
    m_engines = engines;
    setRanges(ranges);
}

// While the pause runs, a line stays only under a word that is still there
// whole; an edited word loses its line at once instead of a moment later.
void SpellingUnderline::dropStaleRanges()
{
    const QString text = m_edit->text();
    QList<Range> kept;
    QStringList keptWords;
    QList<Dictionaries::Engine> keptEngines;
    for (qsizetype i = 0; i < m_ranges.size(); ++i) {
        const Range& range = m_ranges[i];
        if (text.mid(range.start, range.length) == m_words[i] && !isLetterAt(text, range.start - 1) &&
            !isLetterAt(text, range.start + range.length)) {
            kept.append(range);
            keptWords.append(m_words[i]);
            keptEngines.append(m_engines[i]);
        }
    }
    m_words = keptWords;
    m_engines = keptEngines;
    setRanges(kept);
}

void SpellingUnderline::setRanges(const QList<Range>& ranges)
{
    if (ranges == m_ranges)
        return;
    m_ranges = ranges;
    m_layer->update();
    Q_EMIT rangesChanged();
}

std::optional<SpellingUnderline::Range> SpellingUnderline::rangeAt(int position) const
{
    for (const Range& range : m_ranges)
        if (position >= range.start && position <= range.start + range.length)
            return range;
    return std::nullopt;
}

QMenu* SpellingUnderline::createContextMenu(int position)
{
    QMenu* menu = m_edit->createStandardContextMenu();
    const std::optional<Range> range = rangeAt(position);
    const qsizetype index = range ? m_ranges.indexOf(*range) : -1;
    if (index < 0 || !m_engines[index])
        return menu;
    const SpellEngine& engine = *m_engines[index];
    const QString word = m_edit->text().mid(range->start, range->length);
    QAction* first = menu->actions().value(0);
    auto addBefore = [&](const QString& text, const QString& name) {
        auto* action = named(new QAction(text, menu), name);
        menu->insertAction(first, action);
        return action;
    };

    QStringList suggestions;
    {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        suggestions = Suggestions::forWord(engine, word, MaxSuggestions,
                                           range->kind == Kind::OldSpelling
                                               ? m_service->lexicon().rulesFor(engine.name())
                                               : QList<SpellingLexicon::Rule>{});
        QGuiApplication::restoreOverrideCursor();
    }
    for (const QString& suggestion : std::as_const(suggestions)) {
        QAction* action = addBefore(suggestion, QStringLiteral("spellSuggestion"));
        QFont bold = action->font();
        bold.setBold(true);
        action->setFont(bold);
        action->setEnabled(!m_edit->isReadOnly());
        connect(action, &QAction::triggered, this,
                [this, range = *range, suggestion] { replace(range, suggestion); });
    }
    if (suggestions.isEmpty())
        addBefore(QStringLiteral("(nincs javaslat)"), QStringLiteral("spellNoSuggestion"))->setEnabled(false);
    menu->insertSeparator(first);
    connect(addBefore(QStringLiteral("Felvétel a szótárba"), QStringLiteral("spellAddWord")),
            &QAction::triggered, this,
            [this, word] { runGuarded(m_edit, [&] { m_service->acceptWords({word}); }); });
    connect(addBefore(QStringLiteral("Kihagyás"), QStringLiteral("spellSkipWord")), &QAction::triggered, this,
            [this, word] { m_service->skipWord(word); });
    menu->insertSeparator(first);
    return menu;
}

void SpellingUnderline::replace(const Range& range, const QString& replacement)
{
    if (!m_edit || m_edit->isReadOnly() || range.start + range.length > m_edit->text().size())
        return;
    m_edit->setSelection(range.start, range.length);
    m_edit->insert(replacement);
}

bool SpellingUnderline::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_watched) {
        if (event->type() == QEvent::Resize) {
            m_layer->setGeometry(m_edit->rect());
        } else if (event->type() == QEvent::ContextMenu) {
            auto* menuEvent = static_cast<QContextMenuEvent*>(event);
            const int position = m_edit->cursorPositionAt(menuEvent->pos());
            if (rangeAt(position)) {
                QMenu* menu = createContextMenu(position);
                menu->exec(menuEvent->globalPos());
                delete menu;
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
