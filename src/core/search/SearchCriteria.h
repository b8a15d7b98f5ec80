#pragma once

#include "core/record/FieldGrid.h"

#include <QString>
#include <QStringList>

#include <array>

// What the composite search looks for: the state of the search dialog's
// controls as plain data, so the dialog and the command line share one engine.
struct SearchCriteria
{
    enum class Mode
    {
        OneTerm,
        SeveralTerms
    };
    enum class Connective
    {
        And,
        Or
    };
    enum class MatchKind
    {
        Word,
        Fragment
    };

    // The twelve term fields of "Miben keressen", in the order of cb21 … cb32.
    static constexpr int TermFieldCount = 12;
    static constexpr std::array<int, TermFieldCount> TermFieldRows = {
        FieldGrid::Subject,   FieldGrid::Creators,    FieldGrid::Title,     FieldGrid::Publication,
        FieldGrid::Publisher, FieldGrid::Publication, FieldGrid::VolumeRun, FieldGrid::Pages,
        FieldGrid::Year,      FieldGrid::VolumeRun,   FieldGrid::Place,     FieldGrid::Note,
    };

    // Restrictions with a text, in the order the dialog lists them.
    enum Restriction
    {
        Volume = 0,
        RecordType,
        Creator,
        Role,
        Publisher,
        Place,
        Medium,
        Language,
    };
    static constexpr int TextRestrictionCount = 8;

    struct TextRestriction
    {
        bool checked = false;
        QString text;
        // Only a checked restriction with a text takes part.
        bool active() const { return checked && !text.isEmpty(); }
    };

    Mode mode = Mode::OneTerm;
    QString term;      // the one term ("Keresendő:")
    QStringList terms; // the list of several terms
    Connective connective = Connective::And;
    MatchKind matchKind = MatchKind::Fragment;
    // Terms and restriction texts match regardless of letter case and accents.
    bool folded = false;
    std::array<bool, TermFieldCount> termFields = {true, true, true, true, true, true,
                                                   true, true, true, true, true, true};
    std::array<TextRestriction, TextRestrictionCount> restrictions;
    bool translationChecked = false; // the "Fordítás:" restriction
    bool translationYes = true;      // rb_lista1 "igen" / rb_lista2 "nem"

    // The terms that take part: the one term, or the list in several-terms mode.
    QStringList activeTerms() const
    {
        if (mode == Mode::OneTerm)
            return term.isEmpty() ? QStringList() : QStringList{term};
        return terms;
    }

    // The rule of the Keresés button: a term, a term list, or a restriction 1–8
    // with a text. The translation restriction alone is not enough.
    bool canSearch() const
    {
        if (!activeTerms().isEmpty())
            return true;
        for (const TextRestriction& r : restrictions)
            if (r.active())
                return true;
        return false;
    }
};
