#pragma once

#include <QByteArrayView>
#include <QStringView>

#include <type_traits>

// Position of the first "**" in a record's text, or -1. Searches move
// sixteen bytes or eight UTF-16 units at a time where the processor allows:
// the search and the indexer cut every record of a database.
namespace FieldSeparator {

qsizetype find(QByteArrayView text);
qsizetype find(QStringView text);

} // namespace FieldSeparator

// Takes the "**"-separated fields of a record from the front, one after the
// other, as views into the text (nothing is copied). A field is the text
// before the first "**" of what is left; with no "**" left it is all of it,
// and every field after that is empty. The one rule for every reader of a
// record line, in Unicode (QStringView) and in 8-bit (QByteArrayView).
template <typename View> class BasicFieldCursor final
{
    static_assert(std::is_same_v<View, QStringView> || std::is_same_v<View, QByteArrayView>);

public:
    static constexpr qsizetype NoLimit = -1;

    // With a read limit, what is left after each field taken is cut to that
    // many characters: a reader keeps only the front of an overlong line.
    explicit BasicFieldCursor(View text, qsizetype readLimit = NoLimit) : m_rest(text), m_limit(readLimit) {}

    // Cuts the text as if "**" followed it, without copying it. This changes
    // only a text that does not end in "**": a last field ending in "*" loses
    // that "*" (it pairs with the first appended one), and a field "*" of its
    // own follows.
    static BasicFieldCursor asIfSeparatorAppended(View text)
    {
        BasicFieldCursor cursor(text);
        cursor.m_appended = 2;
        return cursor;
    }

    View next()
    {
        View value;
        const qsizetype at = FieldSeparator::find(m_rest);
        if (at >= 0) {
            value = m_rest.first(at);
            m_rest = m_rest.sliced(at + 2);
        } else if (m_appended == 2 && !m_rest.isEmpty() && isStar(m_rest.back())) {
            value = m_rest.first(m_rest.size() - 1);
            m_rest = {};
            m_appended = 1;
        } else if (m_appended == 1) {
            // Only the second appended "*" is left (the text is used up).
            value = star();
            m_appended = 0;
        } else {
            value = m_rest;
            m_rest = {};
            m_appended = 0;
        }
        if (m_limit >= 0 && m_rest.size() > m_limit)
            m_rest = m_rest.first(m_limit);
        return value;
    }

    void skip(int count = 1)
    {
        while (count-- > 0)
            next();
    }

    // Nothing is left to take: every further field is empty.
    bool atEnd() const { return m_rest.isEmpty() && m_appended == 0; }
    // Whether what is left starts with "*", an appended separator included.
    bool restStartsWithStar() const { return m_rest.isEmpty() ? m_appended > 0 : isStar(m_rest.front()); }

private:
    static bool isStar(QChar c) { return c == u'*'; }
    static bool isStar(char c) { return c == '*'; }
    static View star()
    {
        if constexpr (std::is_same_v<View, QStringView>)
            return QStringView(u"*", 1);
        else
            return QByteArrayView("*", 1);
    }

    View m_rest;
    qsizetype m_limit = NoLimit;
    int m_appended = 0; // stars of an appended "**" not yet taken
};

using FieldCursor = BasicFieldCursor<QStringView>;
using FieldCursor8 = BasicFieldCursor<QByteArrayView>;
