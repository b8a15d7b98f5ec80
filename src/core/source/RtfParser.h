#pragma once

#include "core/job/JobControl.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <Qt>

#include <optional>

// A compact parser for Rich Text Format, enough for the sources that
// bibliographers copy from: text, paragraphs and the common character and
// paragraph formatting, handed to a sink that builds whatever shows them. It
// never recurses and does a bounded amount of work per input byte, so broken
// or hostile files cannot crash it or hang it.
namespace Rtf {

struct Color
{
    quint8 red = 0;
    quint8 green = 0;
    quint8 blue = 0;

    bool operator==(const Color&) const = default;
};

enum class Underline : quint8
{
    None,
    Single,
    Dotted,
    Dash,
    DashDot,
    DashDotDot,
    Wave,
};

enum class VerticalAlignment : quint8
{
    Normal,
    Superscript,
    Subscript,
};

// The formatting of a run of text, with the font and colour tables resolved.
struct CharFormat
{
    QString fontFamily; // empty when the font table does not name the font
    int halfPoints = 24;
    std::optional<Color> foreground; // none: the default colour
    std::optional<Color> background;
    Underline underline = Underline::None;
    VerticalAlignment verticalAlignment = VerticalAlignment::Normal;
    bool bold = false;
    bool italic = false;
    bool strike = false;

    bool operator==(const CharFormat&) const = default;
};

// Distances in twips (1/1440 inch), within plus or minus 22 inches.
struct ParagraphFormat
{
    Qt::Alignment alignment = Qt::AlignLeft;
    int leftTwips = 0;
    int rightTwips = 0;
    int firstLineTwips = 0;
    int beforeTwips = 0;
    int afterTwips = 0;

    bool operator==(const ParagraphFormat&) const = default;
};

// Receives the document in reading order. The document starts with one open
// paragraph. Line breaks arrive as U+2028 inside the text and table cells as
// tabs; a table row ends its paragraph.
class Sink
{
public:
    virtual ~Sink() = default;

    // Text of the current paragraph in one format. Never empty; holds no
    // paragraph separator, no lone surrogate and none of the characters a text
    // document reserves for itself (U+FFFC, U+FFFE, U+FFFF, U+FDD0..U+FDEF).
    virtual void text(QStringView text, const CharFormat& format) = 0;
    // The current paragraph is complete and has this format. It may be called
    // again for the same paragraph (a table cell's last paragraph mark is taken
    // back); the last call holds.
    virtual void paragraphEnd(const ParagraphFormat& format) = 0;
    // A new paragraph follows the completed one. A paragraph mark with nothing
    // after it opens none, so a closing \par adds no empty paragraph.
    virtual void paragraphStart() = 0;
};

// True when the bytes start (after optional whitespace / byte-order mark) with "{\rtf".
bool looksLikeRtf(QByteArrayView bytes);
// Reads the whole document into the sink; a truncated one up to where it breaks off.
// A stop is looked for every 64 KiB of input and throws OperationCancelled.
void parse(QByteArrayView bytes, Sink& sink, const JobControl& control = JobControl::none());

} // namespace Rtf
