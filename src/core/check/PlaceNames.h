#pragma once

#include <QStringView>

#include <optional>

// The usual abbreviations and other-language names of places of publication,
// as one table (PlaceNames.cpp) a bibliographer can read and extend. "Bp."
// is Budapest written short, and a variant of it; "Pressburg" is Pozsony in
// German, the same place but a name of its own, which a record transcribes
// as the title page prints it.
namespace PlaceNames {

struct Place
{
    int place = -1;         // the row of the table
    int language = -1;      // the name within the row, with its abbreviations
    bool shortened = false; // an abbreviation or inflected form, not the name itself
};

// The place `form` names, by the table; letter case, accents, full stops and
// blanks do not count ("B.pest", "bp").
std::optional<Place> placeOf(QStringView form);

} // namespace PlaceNames
