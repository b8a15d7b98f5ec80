#include "core/record/FieldGrid.h"

#include "core/record/CodeTables.h"
#include "core/record/RecordLine.h"
#include "core/record/Win1250.h"

namespace {

// Takes the text before the first "**" and leaves the rest (at most 5000
// characters) in `rest`; with no "**" left the value is everything.
QByteArrayView takeField(QByteArrayView& rest)
{
    const qsizetype at = rest.indexOf("**");
    QByteArrayView value;
    if (at < 0) {
        value = rest;
        rest = {};
    } else {
        value = rest.first(at);
        rest = rest.sliced(at + 2);
    }
    if (rest.size() > RecordLine::MaxReadLength)
        rest = rest.first(RecordLine::MaxReadLength);
    return value;
}

} // namespace

FieldGrid FieldGrid::decode(QByteArrayView line)
{
    FieldGrid grid;
    QByteArray padded = line.toByteArray() + "**";
    QByteArrayView rest(padded);
    grid.rows[Name] = rest.first(qMin<qsizetype>(10, rest.size())).toByteArray();
    const int volume =
        CodeTables::volumePosition(Win1250::toUnicode(rest.first(qMin<qsizetype>(2, rest.size()))));
    if (volume >= 0)
        grid.rows[VolumeName] = Win1250::fromUnicode(CodeTables::volumeName(volume));

    takeField(rest); // the record name is already in row 0
    grid.rows[RecordType] = takeField(rest).toByteArray();
    grid.rows[Subject] = takeField(rest).toByteArray();
    for (int slot = 0; slot < 4; ++slot) {
        const QByteArrayView value = takeField(rest);
        if (value.size() > 2)
            grid.rows[Creators].append(value).append("**");
    }
    for (int row = Title; row <= Medium; ++row)
        grid.rows[row] = takeField(rest).toByteArray();
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
