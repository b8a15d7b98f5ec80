#pragma once

#include "PublishFixture.h"

#include <QByteArray>
#include <QStringList>

// A few hundred records that try a page layout: long titles, long Hungarian
// compounds, a word no pattern breaks, web addresses, Cyrillic and Greek
// names, extents with units and page ranges, under a three-level subject
// tree whose headings come at every height of a page.
namespace LayoutFixture {

inline QByteArray treeBytes()
{
    QString tree;
    for (int top = 1; top <= 4; ++top) {
        tree += QStringLiteral("*Főcsoport %1\r\n").arg(top);
        for (int sub = 1; sub <= 4; ++sub) {
            tree += QStringLiteral("**Alcsoport %1.%2\r\n").arg(top).arg(sub);
            for (int leaf = 1; leaf <= 2; ++leaf)
                tree += QStringLiteral("***Részterület %1.%2.%3\r\n").arg(top).arg(sub).arg(leaf);
        }
    }
    return Win1250::fromUnicode(tree);
}

// The subjects records go under: every level of the tree.
inline QStringList subjects()
{
    QStringList list;
    for (int top = 1; top <= 4; ++top)
        for (int sub = 1; sub <= 4; ++sub) {
            list.append(QStringLiteral("Alcsoport %1.%2").arg(top).arg(sub));
            for (int leaf = 1; leaf <= 2; ++leaf)
                list.append(QStringLiteral("Részterület %1.%2.%3").arg(top).arg(sub).arg(leaf));
        }
    return list;
}

inline QStringList lines(int count = 320)
{
    const QStringList names = {
        QStringLiteral("Csizmadia Ákos"),    QStringLiteral("Zsolt Béla"),
        QStringLiteral("Анна Береговая"),    QStringLiteral("Θεόδωρος Παπαδόπουλος"),
        QStringLiteral("Giulia Santorelli"), QStringLiteral("Őri Ödön"),
        QStringLiteral("Nyárádi Emőke"),     QStringLiteral("Gyulai Tünde"),
        QStringLiteral("Ábel Szilveszter"),  QStringLiteral("Tyukodi Lajos"),
        QStringLiteral("Kovács Éva"),        QStringLiteral("Lyka Károly"),
    };
    const QStringList words = {
        QStringLiteral("könyvtártudományi"),
        QStringLiteral("megszentségteleníthetetlenségeskedéseitekért"),
        QStringLiteral("a"),
        QStringLiteral("régi"),
        QStringLiteral("nyomtatványok"),
        QStringLiteral("tükrében"),
        QStringLiteral("és"),
        QStringLiteral("Книжное дело"),
        QStringLiteral("bibliográfiai"),
        QStringLiteral("tanulmányok"),
        QStringLiteral("Kelet-Európa"),
        QStringLiteral("forráskiadványok"),
        QStringLiteral("az"),
        QStringLiteral("olvasástörténet"),
        QStringLiteral("Ἰλιάς"),
    };
    const QStringList types = {
        QStringLiteral("könyv"),   QStringLiteral("folyóiratcikk"),  QStringLiteral("cikk gyűjt. kötetben"),
        QStringLiteral("rec."),    QStringLiteral("külön lenyomat"), QStringLiteral("disszertáció"),
        QStringLiteral("kézirat"),
    };
    const QStringList subjectList = subjects();
    QStringList result;
    quint32 seed = 12345;
    const auto next = [&seed](int below) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 16) % quint32(below));
    };
    for (int i = 0; i < count; ++i) {
        PublishFixture::Record record;
        record.name = QStringLiteral("Ka%1").arg(i + 1, 8, 10, QLatin1Char('0'));
        record.type = types[i % types.size()];
        record.subject = subjectList[next(subjectList.size())];
        const int creators = next(4);
        for (int c = 0; c < creators; ++c)
            record.creators.append(QStringLiteral("0%1").arg(c == 0 ? 1 : 1 + next(3)) +
                                   names[next(names.size())]);
        QStringList title;
        const int length = next(5) == 0 ? 30 + next(20) : 3 + next(10);
        for (int w = 0; w < length; ++w)
            title.append(words[next(words.size())]);
        record.title = title.join(u' ');
        if (i % 7 != 0)
            record.publication = QStringLiteral("Magyar Könyvszemle");
        QStringList fields = RecordLine::split(PublishFixture::line(record));
        using RecordSchema::value;
        value(fields, Field::Pages) = i % 2 == 0 ? QStringLiteral("%1 p.").arg(100 + next(800))
                                                 : QStringLiteral("%1–%2.").arg(300 + i).arg(305 + i);
        value(fields, Field::VolumeRun) = QStringLiteral("%1. évf. 3. sz.").arg(1 + next(90));
        if (i % 5 == 0)
            value(fields, Field::Note) =
                QStringLiteral(
                    "Elérhető: https://www.example.org/konyvtar/katalogus/tetel?azonosito=%1&forma=teljes")
                    .arg(1000000 + i);
        if (i % 11 == 0)
            value(fields, Field::Note) =
                QStringLiteral("Jelzet: MKVI%1ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789").arg(i);
        result.append(RecordLine::join(fields));
    }
    return result;
}

} // namespace LayoutFixture
