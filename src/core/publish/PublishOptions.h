#pragma once

#include <QString>

// What the user chooses for a published bibliography.
enum class Grouping
{
    Subject, // under the subject tree's headings, the default
    Volume,  // under the source volumes, in the volume table's order
    None,
};

enum class PaperSize
{
    A4,
    B5,
};

enum class PublishFormat
{
    Pdf,
    Odt,
    Html,
};

struct PublishOptions
{
    Grouping grouping = Grouping::Subject;
    QString title;
    QString subtitle;
    QString compiler; // the title page's "Összeállította"
    QString place;    // the title page's foot: place and year
    QString year;
    PaperSize paper = PaperSize::A4;
    bool twoSided = false;   // inner and outer margins instead of left and right, for printing on both sides
    bool placeIndex = false; // "Földrajzi mutató" after the name index
};

namespace PublishNames {

// "subject", "volume", "none"; false for anything else.
bool groupingFromName(const QString& name, Grouping* grouping);
// "a4", "b5" (letter case ignored).
bool paperFromName(const QString& name, PaperSize* paper);
// "pdf", "odt", "html" (letter case ignored).
bool formatFromName(const QString& name, PublishFormat* format);
// ".pdf", ".odt", ".html".
QString suffixOf(PublishFormat format);

} // namespace PublishNames
