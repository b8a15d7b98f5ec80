#pragma once

#include "DbfFixture.h"
#include "TestSupport.h"

#include <QStringList>

// The three sources the page and command line tests convert, with the lines
// each must give.
inline QString writeSampleTable(const TempWorkDir& dir)
{
    const QString path = dir.file(QStringLiteral("minta.dbf"));
    writeDbfFixture(
        path,
        {dbfRow("Ka00000000", {{QStringLiteral("CIM"), "mintasor"}}),
         dbfRow("Lu00001200", {{QStringLiteral("REKTIPUS"), "k\xf6nyv"},
                               {QStringLiteral("SZERZO"), "1Kov\xe1\x63s J\xe1nos"},
                               {QStringLiteral("SZERKESZTO"), "2"},
                               {QStringLiteral("CIM"), "\xc1rv\xedzt\xfbr\xf5 t\xfck\xf6rf\xfar\xf3g\xe9p"},
                               {QStringLiteral("EV"), "1998"},
                               {QStringLiteral("FORD"), "0"},
                               {QStringLiteral("ADATHORDOZ"), "pap\xedr"}}),
         dbfRow("Lu00001300",
                {{QStringLiteral("BEVEZETO"), "aSzab\xf3 P\xe9ter"}, {QStringLiteral("FORD"), "1"}})},
        0xC8);
    return path;
}

inline QStringList sampleTableLines()
{
    return {QStringLiteral(
                "Lu00001200**könyv****01Kovács János**02**03**04**Árvíztűrő tükörfúrógép********1998********"
                "**0****papír"),
            QStringLiteral("Lu00001300******01**02**03**0aSzabó Péter********************1****")};
}

inline QStringList sampleZdbLines()
{
    return {
        QStringLiteral(
            "Ka00000100**könyv**Könyvtártörténet**01Kovács János**02**03**04**A magyar bibliográfia "
            "története********1998****Budapest**Első megjegyzés. Második megjegyzés.****0****"),
        QStringLiteral(
            "Ka00000200**fordítás****01Szabó Éva**02**03**04**Őszi tűz******************1**magyar**papír")};
}

// For the volume "Zelnar" (index 5).
inline QStringList sampleDirectorLines()
{
    return {QStringLiteral(
                "Ze00004200**könyv****01Kiss Ödön**02**03Fordító Ferenc**04**Árvíztűrő tükörfúrógép**Magyar "
                "Könyvszemle**Akadémiai Kiadó**12/3**1999**123 p.**Budapest**Jegyzet****0**magyar**papír"),
            QStringLiteral(
                "Ze12345600**folyóiratcikk****01Nagy Ágnes**02**03**04**Cikk címe**Századok******2001******"
                "****0****papír")};
}
