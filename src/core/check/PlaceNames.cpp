#include "core/check/PlaceNames.h"

#include "core/search/Folding.h"

#include <QByteArray>
#include <QHash>
#include <QString>

namespace PlaceNames {
namespace {

// One place a row: its name in each language, the first the Hungarian one.
// Each name is followed by its abbreviations and inflected forms after a
// colon, separated by commas: these are written short and group as one form
// of it, while the names in other languages are names of their own.
struct PlaceRow
{
    const char16_t* names[5];
};

constexpr PlaceRow Places[] = {
    {{u"Budapest: Bp., Bpest, B.pest, Budap."}},
    {{u"Kolozsvár: Kvár, K.vár, Kolozsv., Kolozsvárt, Kolozsvárott", u"Klausenburg", u"Cluj, Cluj-Napoca",
      u"Claudiopolis: Claudiopoli, Claudiopoli Transylvanorum"}},
    {{u"Pozsony: Pozs., Pozsonyban", u"Pressburg", u"Bratislava", u"Posonium: Posonii, Posonio"}},
    {{u"Marosvásárhely: Mvhely, Marosvhely, M.vásárhely, Mvásárhely", u"Neumarkt am Mieresch",
      u"Târgu Mureș: Tîrgu Mureș, Targu Mures"}},
    {{u"Nagyvárad: Nvárad, N.várad", u"Großwardein", u"Oradea", u"Varadinum"}},
    {{u"Székesfehérvár: Szfvár, Székesfvár, Szfehérvár, Sz.fehérvár", u"Stuhlweißenburg", u"Alba Regia"}},
    {{u"Gyulafehérvár: Gyfvár, Gyulafvár, Gy.fehérvár", u"Karlsburg", u"Alba Iulia", u"Alba Carolina"}},
    {{u"Szombathely: Szhely, Szombathh.", u"Steinamanger", u"Sabaria"}},
    {{u"Nagyszombat: Nszombat, N.szombat", u"Tyrnau", u"Trnava", u"Tyrnavia: Tyrnaviae"}},
    {{u"Hódmezővásárhely: Hmvhely, Hódmezővhely, H.m.vásárhely"}},
    {{u"Sátoraljaújhely: S.a.újhely, Sátoraljaújh., Saújhely"}},
    {{u"Balassagyarmat: Bgyarmat, B.gyarmat"}},
    {{u"Nagykanizsa: Nkanizsa, N.kanizsa"}},
    {{u"Debrecen: Debr.", u"Debrecinum: Debrecini"}},
    {{u"Szeged: Szeg.", u"Segedinum"}},
    {{u"Pécs", u"Fünfkirchen", u"Quinque Ecclesiae"}},
    {{u"Kassa", u"Kaschau", u"Košice", u"Cassovia: Cassoviae"}},
    {{u"Temesvár", u"Temeswar", u"Timișoara: Timisoara"}},
    {{u"Eperjes", u"Preschau", u"Prešov"}},
    {{u"Zágráb", u"Agram", u"Zagreb"}},
    {{u"Bécs", u"Wien", u"Vienna: Viennae", u"Vindobona: Vindobonae"}},
    {{u"Lipcse", u"Leipzig", u"Lipsia: Lipsiae"}},
    {{u"Párizs", u"Paris"}},
    {{u"Róma: Roma, Romae", u"Rome"}},
    {{u"Prága", u"Prag", u"Praha"}},
    {{u"Krakkó", u"Krakau", u"Kraków: Krakow"}},
    {{u"Varsó", u"Warschau", u"Warszawa"}},
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
            for (int l = 0; l < int(std::size(Places[p].names)) && Places[p].names[l]; ++l) {
                const QString name = QString::fromUtf16(Places[p].names[l]);
                const qsizetype colon = name.indexOf(u':');
                QStringList forms{name.left(colon).trimmed()};
                if (colon >= 0)
                    for (const QString& shortForm : name.mid(colon + 1).split(u','))
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
