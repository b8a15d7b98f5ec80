#include "core/search/RecordMatcher.h"

#include "core/record/CodeTables.h"
#include "core/record/Win1250.h"
#include "core/search/Folding.h"

#include <QChar>

#include <algorithm>

namespace {

constexpr std::array<int, SearchCriteria::TextRestrictionCount> kRestrictionRows = {
    FieldGrid::VolumeName, FieldGrid::RecordType, FieldGrid::Creators, -1,
    FieldGrid::Publisher,  FieldGrid::Place,      FieldGrid::Medium,   FieldGrid::Language,
};

struct WordBytes
{
    std::array<bool, 256> table{};
    WordBytes()
    {
        for (int b = 0; b < 256; ++b)
            table[b] = QChar(Win1250::toUnicodeChar(static_cast<unsigned char>(b))).isLetterOrNumber();
    }
};

// A text can prove a line irrelevant only when every FieldGrid occurrence of
// it is also an occurrence in the line: "*" may come from the separators the
// creator row adds, "?" from characters the code page lacks, and a line break
// never lies inside a line.
bool usableAsRequiredText(const QByteArray& text)
{
    return !text.isEmpty() && !text.contains('*') && !text.contains('?') && !text.contains('\r') &&
           !text.contains('\n');
}

} // namespace

bool RecordMatcher::isWordByte(char byte)
{
    static const WordBytes bytes;
    return bytes.table[static_cast<unsigned char>(byte)];
}

bool containsWord(QByteArrayView text, QByteArrayView word)
{
    for (qsizetype at = Bytes::find(text, word); at >= 0; at = Bytes::find(text, word, at + 1)) {
        const qsizetype end = at + word.size();
        const bool freeBefore = at == 0 || !RecordMatcher::isWordByte(text[at - 1]);
        const bool freeAfter = end == text.size() || !RecordMatcher::isWordByte(text[end]);
        if (freeBefore && freeAfter)
            return true;
    }
    return false;
}

RecordMatcher::RecordMatcher(const SearchCriteria& criteria, const QList<QByteArray>& roles)
    : m_folded(criteria.folded), m_roles(roles)
{
    if (m_folded)
        for (QByteArray& role : m_roles)
            role = Folding::fold8(role);
    for (int tag = 0; tag < SearchCriteria::TextRestrictionCount; ++tag) {
        const SearchCriteria::TextRestriction& restriction = criteria.restrictions[tag];
        if (restriction.active())
            m_restrictions.push_back({kRestrictionRows[tag], criterionText(restriction.text)});
    }
    m_translationTest = criteria.translationChecked;
    m_translationYes = criteria.translationYes;

    for (const QString& term : criteria.activeTerms())
        m_terms.append(criterionText(term));
    m_allTerms = criteria.connective == SearchCriteria::Connective::And;
    m_wordMatch = criteria.matchKind == SearchCriteria::MatchKind::Word;
    for (int field = 0; field < SearchCriteria::TermFieldCount; ++field) {
        const int row = SearchCriteria::TermFieldRows[field];
        if (criteria.termFields[field] &&
            std::find(m_termRows.begin(), m_termRows.end(), row) == m_termRows.end())
            m_termRows.push_back(row);
    }
    std::sort(m_termRows.begin(), m_termRows.end());
    chooseRequiredText(criteria);
    chooseOccurrenceFields();

    const SearchCriteria::TextRestriction& volume = criteria.restrictions[SearchCriteria::Volume];
    if (volume.active()) {
        m_volumeGate = true;
        const QByteArray text = criterionText(volume.text);
        for (int i = 0; i < CodeTables::VolumeCount; ++i) {
            const QByteArray code = Win1250::fromUnicode(CodeTables::volumeCode(i));
            if (Bytes::contains(criterionText(CodeTables::volumeName(i)), text))
                m_volumeCodes.push_back(quint16(quint8(code[0]) << 8 | quint8(code[1])));
        }
    }
}

QByteArray RecordMatcher::criterionText(const QString& text) const
{
    return m_folded ? Folding::fold(text) : Win1250::fromUnicode(text);
}

// The matcher is shared by the scanning threads, so the folded row goes into
// a buffer of the caller's thread.
QByteArrayView RecordMatcher::comparable(QByteArrayView row, QByteArray& scratch) const
{
    if (!m_folded)
        return row;
    scratch.resize(0);
    Folding::appendFolded(row, scratch);
    return scratch;
}

bool RecordMatcher::volumeGatePasses(char first, char second) const
{
    const quint16 code = quint16(quint8(first) << 8 | quint8(second));
    return std::find(m_volumeCodes.begin(), m_volumeCodes.end(), code) != m_volumeCodes.end();
}

void RecordMatcher::chooseRequiredText(const SearchCriteria& criteria)
{
    QList<QByteArray> candidates;
    for (const RowTest& test : m_restrictions)
        if (test.row != FieldGrid::VolumeName && test.row != -1)
            candidates.append(test.text);
    // With "vagy" no single term is needed; with one term or "és" every one is.
    if (m_allTerms || criteria.mode == SearchCriteria::Mode::OneTerm || m_terms.size() == 1)
        candidates.append(m_terms);
    for (const QByteArray& text : std::as_const(candidates))
        if (usableAsRequiredText(text) && text.size() > m_requiredText.size())
            m_requiredText = text;
}

// With one term and nothing else to test, the record is a hit as soon as the
// term occurs in one of the chosen rows. A row of a term field is the text of
// one field of the line (the creator row joins the slots that hold a name),
// and the term holds no "*", so an occurrence never straddles a separator:
// the field it lies in tells whether it lies in a chosen row.
void RecordMatcher::chooseOccurrenceFields()
{
    if (m_folded || m_wordMatch || !m_restrictions.empty() || m_translationTest || m_terms.size() != 1 ||
        m_requiredText.isEmpty() || m_terms.first() != m_requiredText)
        return;
    for (const int row : m_termRows)
        for (int field = FirstTermField; field <= LastTermField; ++field)
            if (RecordSchema::gridRow(RecordSchema::fieldAt(field)) == row)
                m_occurrenceFields[size_t(field)] = true;
    m_occurrenceRule = true;
}

bool RecordMatcher::matches(const RecordView& record) const
{
    for (const RowTest& test : m_restrictions)
        if (!holds(test, record))
            return false;
    if (m_translationTest && (record.row(FieldGrid::Translation) == "1") != m_translationYes)
        return false;
    if (m_terms.isEmpty())
        return true;
    for (const QByteArray& term : m_terms) {
        const bool found = termFound(record, term);
        if (found && !m_allTerms)
            return true;
        if (!found && m_allTerms)
            return false;
    }
    return m_allTerms;
}

bool RecordMatcher::holds(const RowTest& test, const RecordView& record) const
{
    if (test.row < 0)
        return roleMatches(record, test.text);
    thread_local QByteArray scratch;
    return Bytes::contains(comparable(record.row(test.row), scratch), test.text);
}

// The role name of a slot follows the browse view's rule: an unknown code or
// a position beyond the list names the first role.
bool RecordMatcher::roleMatches(const RecordView& record, const QByteArray& text) const
{
    if (m_roles.isEmpty())
        return false;
    for (int i = 0; i < record.creatorCount(); ++i) {
        const QByteArrayView slot = record.creator(i);
        const char16_t code[2] = {Win1250::toUnicodeChar(static_cast<unsigned char>(slot[0])),
                                  Win1250::toUnicodeChar(static_cast<unsigned char>(slot[1]))};
        const int index = CodeTables::roleNameIndex(QStringView(code, 2), int(m_roles.size()));
        if (Bytes::contains(m_roles.at(index), text))
            return true;
    }
    return false;
}

bool RecordMatcher::termFound(const RecordView& record, const QByteArray& term) const
{
    for (const int row : m_termRows) {
        if (row == FieldGrid::Creators && m_wordMatch) {
            // Each creator's name is a text of its own: the role code before
            // it and the separator after it are word boundaries.
            thread_local QByteArray scratch;
            for (int i = 0; i < record.creatorCount(); ++i)
                if (containsWord(comparable(record.creator(i).sliced(2), scratch), term))
                    return true;
            continue;
        }
        if (rowHasTerm(record.row(row), term))
            return true;
    }
    return false;
}

bool RecordMatcher::rowHasTerm(QByteArrayView row, const QByteArray& term) const
{
    thread_local QByteArray scratch;
    const QByteArrayView text = comparable(row, scratch);
    return m_wordMatch ? containsWord(text, term) : Bytes::contains(text, term);
}
