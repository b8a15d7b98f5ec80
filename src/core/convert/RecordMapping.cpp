#include "core/convert/RecordMapping.h"

#include "core/convert/ZdbTable.h"
#include "core/record/CodeTables.h"
#include "core/record/NorlaError.h"
#include "core/record/RecordLine.h"
#include "core/record/RecordNumber.h"
#include "core/record/Win1250.h"

namespace {

const QString kOwnSuffix = QStringLiteral("00");

// A dBase creator column holds the names after a one-character role code
// ("1Kovács", "aSzabó"): "0" in front makes the two-character code. An empty
// column gets its slot's own role.
QString creatorSlot(const QString& value, QChar slotRole)
{
    return value.isEmpty() ? QStringLiteral("0") + slotRole : QStringLiteral("0") + value;
}

QString directorRecordType(const QString& word)
{
    if (word == u"folyocikk")
        return QStringLiteral("folyóiratcikk");
    if (word == u"konyv")
        return QStringLiteral("könyv");
    if (word == u"cikkgyujtkotetben")
        return QStringLiteral("cikk gyűjt. kötetben");
    return word; // "rec." and every other word stay as they are
}

} // namespace

namespace RecordMapping {

QString fromDbase(const DbfTable::Record& r)
{
    using T = DbfTable;
    return RecordLine::join({
        r[T::REKORD],
        r[T::REKTIPUS],
        r[T::TARGYK],
        creatorSlot(r[T::SZERZO], u'1'),
        creatorSlot(r[T::SZERKESZTO], u'2'),
        creatorSlot(r[T::FORDITO], u'3'),
        creatorSlot(r[T::BEVEZETO], u'4'),
        r[T::CIM],
        r[T::KIADVANY],
        r[T::KIADO],
        r[T::EVFOLYAM],
        r[T::EV],
        r[T::OLDSZAM],
        r[T::MEGJHELY],
        r[T::MEGJEGYZES],
        r[T::LINK],
        r[T::FORD],
        r[T::NYELV],
        r[T::ADATHORDOZ],
    });
}

QString fromZdb(const ZdbTable& table, int row)
{
    const auto field = [&](int c) { return table.value(row, c); };
    const QString type = field(1);
    return RecordLine::join({
        RecordNumber::fixWidth(table.key(row), 8) + kOwnSuffix,
        type,
        field(20),
        QStringLiteral("01") + field(2),
        QStringLiteral("02") + field(3),
        QStringLiteral("03") + field(4),
        QStringLiteral("04"),
        field(5),
        field(6),
        QString(),
        field(7),
        field(8),
        field(9),
        field(10),
        field(19) + field(11),
        QString(),
        type == u"fordítás" ? QStringLiteral("1") : QStringLiteral("0"),
        field(30),
        field(31),
    });
}

QString fromDirector(const QStringList& block, const QString& volumeCode)
{
    const auto line = [&](int k) { return block.value(k - 1); };
    return RecordLine::join({
        volumeCode + RecordNumber::fixWidth(line(13), 6) + kOwnSuffix,
        directorRecordType(line(1)),
        QString(),
        QStringLiteral("01") + line(2),
        QStringLiteral("02"),
        QStringLiteral("03") + line(14),
        QStringLiteral("04"),
        line(3),
        line(4) + line(5),
        line(6),
        line(7) + line(8),
        line(9),
        line(10),
        line(11),
        line(12),
        QString(),
        QStringLiteral("0"),
        line(15),
        QStringLiteral("papír"),
    });
}

QString directorVolumeCode(int volume)
{
    if (volume < 0 || volume >= CodeTables::VolumeCount)
        throw NorlaError(QStringLiteral("Nincs kiválasztva kötet: a Director állomány konvertálása előtt "
                                        "válassza ki a kötetet."));
    const QString caption = Win1250::roundTrip(CodeTables::volumeCaption(volume));
    return caption.size() < 2 ? QStringLiteral("xx") : caption.first(2);
}

} // namespace RecordMapping
