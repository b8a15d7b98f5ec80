#pragma once

#include "core/spelling/FieldJudge.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <optional>

#include <QLineEdit>
class QMenu;
class SpellingService;
class UnderlineLayer;

// Proofreads a single-line edit as the user types, as FieldJudge decides:
// unknown words get a red wavy underline, and the old forms of a record older
// than the old-spelling year a grey dotted one ("régi alak?"). The lines are drawn by a see-through layer
// over the edit, so the control stays the same QLineEdit with its name, signals and undo; its context menu
// gains the suggestions for the word under the pointer, "Felvétel a szótárba" and "Kihagyás".
//
// The words are judged a moment after the text changes, never inside the
// keystroke, and only once the dictionaries of every language the field may
// be in have loaded.
class SpellingUnderline final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SpellingUnderline)

public:
    enum class Kind
    {
        Unknown,
        OldSpelling
    };
    struct Range
    {
        int start = 0;
        int length = 0;
        Kind kind = Kind::Unknown;
        bool operator==(const Range&) const = default;
    };

    static constexpr int MaxSuggestions = 8;

    SpellingUnderline(QLineEdit* edit, SpellingService* service);
    ~SpellingUnderline() override;

    // The underline attached to `edit`, if any.
    static SpellingUnderline* of(const QLineEdit* edit);

    QLineEdit* edit() const { return m_edit; }
    // The record shown: the language picks the dictionary, the year the kind of line.
    void setRecord(const QString& language, bool oldSpelling);
    const QString& language() const { return m_language; }

    // The underlined words, in text order, as the layer draws them.
    const QList<Range>& ranges() const { return m_ranges; }
    // Judges the words now instead of after the pause.
    void recheckNow();
    // The range that holds text position `position`, if any.
    std::optional<Range> rangeAt(int position) const;

    // The edit's context menu for a click on text position `position`: the
    // standard one, headed by the spelling entries when the word there is
    // underlined. The caller owns it.
    QMenu* createContextMenu(int position);
    // Puts `replacement` in place of the range's word, as typing would: one
    // step of the edit's undo, and textEdited()/textChanged() sent.
    void replace(const Range& range, const QString& replacement);

Q_SIGNALS:
    void rangesChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void scheduleCheck();
    void check();
    void dropStaleRanges();
    void setRanges(const QList<Range>& ranges);

    QPointer<QLineEdit> m_edit;
    // The same edit as a plain QObject: events still reach the filter while
    // the edit is being destroyed, when it is no longer a QLineEdit.
    QPointer<QObject> m_watched;
    SpellingService* m_service = nullptr;
    UnderlineLayer* m_layer = nullptr;
    QTimer m_pause;
    QString m_language;
    bool m_oldSpelling = false;
    std::unique_ptr<FieldJudge> m_judge;
    QList<Range> m_ranges;
    QStringList m_words;                   // the word under each range
    QList<Dictionaries::Engine> m_engines; // the dictionary that judged each range
};
