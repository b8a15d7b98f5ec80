#include "core/check/PlaceNames.h"

#include "core/search/Folding.h"

#include <QByteArray>
#include <QHash>
#include <QString>

namespace PlaceNames {
namespace {

// One place a row. The names of the place in different languages are
// separated by " / "; each name is followed by its abbreviations and
// inflected forms after a colon, separated by commas.
constexpr const char16_t* Places[] = {
    u"Budapest: Bp., Bpest, B.pest, Budap.",
    u"Kolozsvár: Kvár, K.vár, Kolozsv., Kolozsvárt, Kolozsvárott / Klausenburg / Cluj, Cluj-Napoca / "
    u"Claudiopolis: Claudiopoli, Claudiopoli Transylvanorum",
    u"Pozsony: Pozs., Pozsonyban / Pressburg / Bratislava / Posonium: Posonii, Posonio",
    u"Marosvásárhely: Mvhely, Marosvhely, M.vásárhely, Mvásárhely / Neumarkt am Mieresch / Târgu Mureș: "
    u"Tîrgu Mureș, Targu Mures",
    u"Nagyvárad: Nvárad, N.várad / Großwardein / Oradea / Varadinum",
    u"Székesfehérvár: Szfvár, Székesfvár, Szfehérvár, Sz.fehérvár / Stuhlweißenburg / Alba Regia",
    u"Gyulafehérvár: Gyfvár, Gyulafvár, Gy.fehérvár / Karlsburg / Alba Iulia / Alba Carolina",
    u"Szombathely: Szhely, Szombathh. / Steinamanger / Sabaria",
    u"Nagyszombat: Nszombat, N.szombat / Tyrnau / Trnava / Tyrnavia: Tyrnaviae",
    u"Hódmezővásárhely: Hmvhely, Hódmezővhely, H.m.vásárhely",
    u"Sátoraljaújhely: S.a.újhely, Sátoraljaújh., Saújhely",
    u"Balassagyarmat: Bgyarmat, B.gyarmat",
    u"Nagykanizsa: Nkanizsa, N.kanizsa",
    u"Debrecen: Debr. / Debrecinum: Debrecini",
    u"Szeged: Szeg. / Segedinum",
    u"Pécs: Fünfkirchen / Quinque Ecclesiae",
    u"Kassa: Kaschau / Košice / Cassovia: Cassoviae",
    u"Temesvár: Temeswar / Timișoara: Timisoara",
    u"Eperjes: Preschau / Prešov",
    u"Zágráb: Agram / Zagreb",
    u"Bécs: Wien / Vienna: Viennae / Vindobona: Vindobonae",
    u"Lipcse: Leipzig / Lipsia: Lipsiae",
    u"Párizs: Paris",
    u"Róma: Roma, Romae / Rome",
    u"Prága: Prag / Praha",
    u"Krakkó: Krakau / Kraków: Krakow",
    u"Varsó: Warschau / Warszawa",
};

// Folded, without full stops and blanks: "B. pest" and "Bpest" are one key.
QByteArray keyOf(QStringView form)
{
    QByteArray folded = Folding::fold(form);
    folded.removeIf([](char c) { return c == '.' || c == ' ' || c == '-'; });
    return folded;
}

const QHash<QByteArray, Place>& table()
{
    static const QHash<QByteArray, Place> keys = [] {
        QHash<QByteArray, Place> out;
        for (int p = 0; p < int(std::size(Places)); ++p) {
            const QStringList names = QString::fromUtf16(Places[p]).split(QStringLiteral(" / "));
            for (int l = 0; l < names.size(); ++l) {
                const qsizetype colon = names[l].indexOf(u':');
                QStringList forms{names[l].left(colon).trimmed()};
                if (colon >= 0)
                    for (const QString& shortForm : names[l].mid(colon + 1).split(u','))
                        forms.append(shortForm.trimmed());
                for (qsizetype f = 0; f < forms.size(); ++f)
                    out.insert(keyOf(forms[f]), Place{p, l, f > 0});
            }
        }
        return out;
    }();
    return keys;
}

} // namespace

std::optional<Place> placeOf(QStringView form)
{
    const auto it = table().constFind(keyOf(form));
    if (it == table().cend())
        return std::nullopt;
    return *it;
}

} // namespace PlaceNames
