#pragma once

#include "core/record/RecordLine.h"
#include "core/record/RecordSchema.h"
#include "core/record/Win1250.h"

#include <QByteArray>
#include <QStringList>

// A small corpus for the bibliography: every record type, accents that
// Hungarian order treats as letters of their own (cs, ö, zs), Greek, a
// record without a creator, and subjects inside and outside the tree.
namespace PublishFixture {

struct Record
{
    QString name;
    QString type;
    QString subject;
    QStringList creators; // role code + name
    QString title;
    QString publication;
    QString translation = QStringLiteral("0");
    QString place = QStringLiteral("Budapest");
};

inline QString line(const Record& r)
{
    QStringList fields(RecordSchema::FieldCount);
    using RecordSchema::value;
    value(fields, Field::RecordName) = r.name;
    value(fields, Field::RecordType) = r.type;
    value(fields, Field::Subject) = r.subject;
    for (int slot = 0; slot < RecordSchema::CreatorCount; ++slot)
        value(fields, RecordSchema::creator(slot)) =
            r.creators.value(slot, QStringLiteral("0%1").arg(slot + 1));
    value(fields, Field::Title) = r.title;
    value(fields, Field::Publication) = r.publication;
    value(fields, Field::Publisher) = QStringLiteral("Akadémiai Kiadó");
    value(fields, Field::VolumeRun) = QStringLiteral("12");
    value(fields, Field::Year) = QStringLiteral("1998");
    value(fields, Field::Pages) = QStringLiteral("34–56");
    value(fields, Field::Place) = r.place;
    value(fields, Field::Translation) = r.translation;
    value(fields, Field::Language) = QStringLiteral("magyar");
    value(fields, Field::Medium) = QStringLiteral("papír");
    return RecordLine::join(fields);
}

// In file order; the comments give the number each gets in the book.
inline QStringList lines()
{
    const auto s = [](const char* text) { return QString::fromUtf8(text); };
    return {
        // 4: Görög történelem, after Czakó
        line({s("Ka00000100"),
              s("könyv"),
              s("Görög történelem"),
              {s("01Csizmadia Ákos"), s("02Zsolt Béla")},
              s("A polisz"),
              s("Ókori tanulmányok")}),
        // 3
        line({s("Ka00000200"),
              s("folyóiratcikk"),
              s("Görög történelem"),
              {s("01Czakó Gábor")},
              s("Spárta"),
              s("Századok")}),
        // 2: Ókor, Ödön after Oszkár
        line({s("Lu00000100"), s("könyv"), s("Ókor"), {s("01Ödön Péter")}, s("Róma"), QString()}),
        // 1
        line({s("Lu00000200"),
              s("cikk gyűjt. kötetben"),
              s("Ókor"),
              {s("01Oszkár Pál")},
              s("Karthágó"),
              s("Emlékkönyv")}),
        // 6: Középkor, Zsolt after Zoltán
        line({s("No00000100"),
              s("rec."),
              s("Középkor"),
              {s("01Zsolt Anna")},
              s("Egy könyvről"),
              s("Irodalomtörténet"),
              s("0"),
              s("Szeged")}),
        // 5
        line({s("No00000200"),
              s("külön lenyomat"),
              s("Középkor"),
              {s("01Zoltán Imre")},
              s("Árpád-kor"),
              s("Hadtörténeti közlemények")}),
        // 8: Verstan, no creator
        line({s("Si00000100"), s("könyv"), s("Verstan"), {}, s("Ἰλιάς fordításai"), QString()}),
        // 10: Egyéb, Greek after Latin
        line({s("Ma00000100"),
              s("disszertáció"),
              s("Ismeretlen tárgy"),
              {s("01Θεόδωρος Παπαδόπουλος")},
              s("Bizánci krónikák"),
              QString(),
              s("0"),
              s("Pécs")}),
        // 7: Irodalom, a translation
        line({s("Vu00000100"),
              s("könyv"),
              s("Irodalom"),
              {s("01Csizmadia Ákos"), s("03Kovács Éva")},
              s("Versek"),
              QString(),
              s("1")}),
        // 9: Egyéb (no subject)
        line({s("Ze00000100"), s("kézirat"), QString(), {s("01Czakó Gábor")}, s("Napló"), QString()}),
    };
}

// "Nyelvészet" holds no records and is left out of the book.
inline QByteArray treeBytes()
{
    return Win1250::fromUnicode(
        QStringLiteral("*Történelem\r\n**Ókor\r\n***Görög történelem\r\n**Középkor\r\n"
                       "*-\r\n*Irodalom\r\n**Verstan\r\n*Nyelvészet\r\n"));
}

inline QStringList roleNames()
{
    return {QStringLiteral("Szerző"), QStringLiteral("Szerkesztő"), QStringLiteral("Fordító"),
            QStringLiteral("Bevezetést írta")};
}

} // namespace PublishFixture
