#pragma once

#include "core/record/RecordSchema.h"
#include "core/search/RecordView.h"
#include "core/search/SearchCriteria.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <vector>

// The test of one record against the criteria, on the 8-bit text of the
// FieldGrid: the restrictions in Tag order (the first that fails ends the
// test), then the translation flag, then the term or terms.
class RecordMatcher final
{
public:
    // `roles` is the role list (szerep.zda, 8-bit), which restriction 4 reads.
    RecordMatcher(const SearchCriteria& criteria, const QList<QByteArray>& roles);

    bool matches(const RecordView& record) const;

    // Whether texts are compared folded (Folding): then the record's rows are
    // folded before each comparison, and requiredText() is folded too.
    bool folded() const { return m_folded; }

    // A text that the 8-bit line of every matching record contains (in a
    // folded search: that the folded line contains), so a scanner may skip
    // lines without it; empty when no such text is known.
    const QByteArray& requiredText() const { return m_requiredText; }

    // For the plainest query (one term found as it is in the chosen term
    // fields, nothing else asked): whether an occurrence of requiredText()
    // lying in field `field` (0-based, the fields of the line cut at "**")
    // of `fieldLength` characters alone makes the record a hit, so that the
    // record need not be decoded. False tells nothing: the full test decides.
    bool hasOccurrenceRule() const { return m_occurrenceRule; }
    bool occurrenceMatches(int field, qsizetype fieldLength) const
    {
        if (field < 0 || field >= int(m_occurrenceFields.size()) || !m_occurrenceFields[size_t(field)])
            return false;
        // A creator slot counts only with a name after its role code.
        return RecordSchema::isCreator(RecordSchema::fieldAt(field))
                   ? fieldLength > RecordSchema::RoleCodeLength
                   : true;
    }

    // When the volume restriction takes part, the record name codes (first two
    // 8-bit characters of a line) whose volume can pass it; a line starting
    // otherwise cannot match. Empty when any line may match.
    bool hasVolumeGate() const { return m_volumeGate; }
    bool volumeGatePasses(char first, char second) const;

    // Letters and digits of the code page (accented letters included): what
    // may not touch a word match on either side.
    static bool isWordByte(char byte);

private:
    struct RowTest
    {
        int row = -1; // -1: the role names of the filled creator slots
        QByteArray text;
    };

    // The text criteria and record rows are compared in: the 8-bit text
    // itself, or its folded form.
    QByteArray criterionText(const QString& text) const;
    QByteArrayView comparable(QByteArrayView row, QByteArray& scratch) const;
    bool holds(const RowTest& test, const RecordView& record) const;
    bool roleMatches(const RecordView& record, const QByteArray& text) const;
    bool termFound(const RecordView& record, const QByteArray& term) const;
    bool rowHasTerm(QByteArrayView row, const QByteArray& term) const;
    void chooseRequiredText(const SearchCriteria& criteria);
    void chooseOccurrenceFields();

public:
    // The term fields run from the subject to the note; no field after the
    // note is ever searched for a term.
    static constexpr int FirstTermField = RecordSchema::position(Field::Subject);
    static constexpr int LastTermField = RecordSchema::position(Field::Note);

private:
    bool m_folded = false;
    std::vector<RowTest> m_restrictions;
    bool m_translationTest = false;
    bool m_translationYes = true;
    QList<QByteArray> m_terms;
    bool m_allTerms = true;
    bool m_wordMatch = false;
    std::vector<int> m_termRows; // distinct rows of the checked term fields
    QList<QByteArray> m_roles;
    QByteArray m_requiredText;
    bool m_volumeGate = false;
    std::vector<quint16> m_volumeCodes;
    bool m_occurrenceRule = false;
    std::array<bool, LastTermField + 1> m_occurrenceFields{};
};

// Whole-word occurrence: neither neighbour of the occurrence is a letter or digit.
bool containsWord(QByteArrayView text, QByteArrayView word);
