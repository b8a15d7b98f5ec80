#pragma once

#include "core/record/RecordSchema.h"

// The control of the data-entry page pressed with the mouse last (or changed
// last). It decides two things: a drop box passes its text on to its field
// only when the press before the drop was in the source window, and a click
// on a field label selects that field for the exchange.
struct PressedControl
{
    enum class Kind
    {
        Other, // any other control of the record, or a change by typing or choosing
        SourceWindow,
        DropBox,
        FieldLabel
    };

    Kind kind = Kind::Other;
    Field field = Field::RecordName; // of a drop box or a field label

    static constexpr PressedControl other() { return {}; }
    static constexpr PressedControl sourceWindow() { return {Kind::SourceWindow, Field::RecordName}; }
    static constexpr PressedControl dropBox(Field field) { return {Kind::DropBox, field}; }
    static constexpr PressedControl fieldLabel(Field field) { return {Kind::FieldLabel, field}; }

    friend constexpr bool operator==(const PressedControl&, const PressedControl&) = default;

    // The number scripts know the control by: 1000 for the source window,
    // 100 + n for the drop box of Edit n, n for the label of Edit n, 0 for any
    // other control.
    constexpr int tag() const
    {
        switch (kind) {
        case Kind::SourceWindow:
            return SourceWindowTag;
        case Kind::DropBox:
            return DropBoxTagBase + RecordSchema::entry(field).editNumber;
        case Kind::FieldLabel:
            return RecordSchema::entry(field).editNumber;
        case Kind::Other:
            break;
        }
        return 0;
    }

    static constexpr int SourceWindowTag = 1000;
    static constexpr int DropBoxTagBase = 100;
};
