#include "core/record/FieldGrid.h"

#include "core/record/CodeTables.h"
#include "core/record/CreatorSlot.h"
#include "core/record/FieldCursor.h"
#include "core/record/RecordLine.h"
#include "core/record/RecordSchema.h"
#include "core/record/Win1250.h"

FieldGrid FieldGrid::decode(QByteArrayView line)
{
    FieldGrid grid;
    QByteArray padded = line.toByteArray() + "**";
    const QByteArrayView text(padded);
    grid.rows[Name] = RecordSchema::recordName(text).toByteArray();
    const int volume = CodeTables::volumePosition(Win1250::toUnicode(RecordSchema::volumeCodeOf(text)));
    if (volume >= 0)
        grid.rows[VolumeName] = Win1250::fromUnicode(CodeTables::volumeName(volume));

    FieldCursor8 fields(text, RecordLine::MaxReadLength);
    fields.skip(); // the record name is already in row 0
    grid.rows[RecordType] = fields.next().toByteArray();
    grid.rows[Subject] = fields.next().toByteArray();
    for (int slot = 0; slot < CreatorSlot8::Count; ++slot) {
        const QByteArrayView value = fields.next();
        if (value.size() > CreatorSlot8::RoleLength)
            grid.rows[Creators].append(value).append("**");
    }
    for (int at = RecordSchema::position(Field::Title); at < RecordSchema::FieldCount; ++at)
        grid.rows[RecordSchema::gridRow(RecordSchema::fieldAt(at))] = fields.next().toByteArray();
    return grid;
}

FieldGrid FieldGrid::decodeUnicode(QStringView line)
{
    return decode(Win1250::fromUnicode(line));
}

const std::array<QString, FieldGrid::RowCount>& FieldGrid::titles()
{
    static const std::array<QString, RowCount> list = {
        QStringLiteral("  0.   Rekordnév"),  QStringLiteral("  1.   Rekord típus"),
        QStringLiteral("  2.   Tárgykör"),   QStringLiteral("  3.   Alkotó"),
        QStringLiteral("  4.   Cím"),        QStringLiteral("  5.   Kiadvány"),
        QStringLiteral("  6.   Kiadó"),      QStringLiteral("  7.   Évfolyam"),
        QStringLiteral("  8.   Év"),         QStringLiteral("  9.   Oldalszám"),
        QStringLiteral("10.   Megj. helye"), QStringLiteral("11.   Megjegyzés"),
        QStringLiteral("12.   Link"),        QStringLiteral("13.   Fordítás"),
        QStringLiteral("14.   Nyelv"),       QStringLiteral("15.   Adathordozó"),
        QStringLiteral("16.   Kötet"),       QStringLiteral("17.   Közreműködés"),
    };
    return list;
}
