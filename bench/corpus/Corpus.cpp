#include "Corpus.h"

#include "core/record/CodeTables.h"
#include "core/record/NorlaError.h"

#include <QFileInfo>
#include <QSaveFile>

#include <array>

namespace {

// splitmix64: tiny, fast and good enough to make every record different; a
// record's generator starts from its index so records can be made out of order.
class Random
{
public:
    Random(int index, quint32 seed)
        : m_state((quint64(seed) << 32) ^ quint64(quint32(index)) ^ 0x9E3779B97F4A7C15ull)
    {
        next();
    }

    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % quint64(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool chance(int percent) { return below(100) < percent; }

    template <typename List> const auto& pick(const List& list) { return list[below(int(std::size(list)))]; }

private:
    quint64 m_state;
};

template <std::size_t N> using WordArray = std::array<const char16_t*, N>;

constexpr WordArray<5> kTypes = {u"könyv", u"folyóiratcikk", u"cikk gyűjt. kötetben", u"külön lenyomat",
                                 u"rec."};
// Articles outnumber books in the printed bibliographies.
constexpr std::array<int, 5> kTypeWeights = {30, 40, 18, 7, 5};

constexpr WordArray<8> kVolumeCodes = {u"Ka", u"Lu", u"No", u"Si", u"Vu", u"Ze", u"Go", u"Ma"};
constexpr std::array<int, 8> kVolumeWeights = {10, 14, 12, 16, 11, 13, 9, 15};

constexpr WordArray<28> kSubjects = {
    u"Irodalomtörténet",
    u"Magyar irodalom – 19. század",
    u"Nyelvészet – hangtan",
    u"Nyelvtörténet",
    u"Néprajz – népköltészet",
    u"Népzene és néptánc",
    u"Művészettörténet – építészet",
    u"Egyháztörténet",
    u"Hadtörténet – török kor",
    u"Gazdaságtörténet",
    u"Helytörténet – Erdély",
    u"Helytörténet – Felvidék",
    u"Sajtótörténet",
    u"Könyvtártudomány",
    u"Színháztörténet",
    u"Filozófia – esztétika",
    u"Neveléstörténet",
    u"Orvostörténet",
    u"Régészet – honfoglalás kor",
    u"Zenetörténet",
    u"Földrajz – vízrajz",
    u"Jogtörténet",
    u"Klasszika-filológia",
    u"Összehasonlító irodalomtudomány",
    u"Verstan",
    u"Családtörténet – genealógia",
    u"Művelődéstörténet",
    u"Életrajz – emlékezések",
};

constexpr WordArray<40> kFamilyNames = {
    u"Kovács",  u"Szabó",  u"Tóth",    u"Nagy",    u"Horváth",  u"Varga",   u"Kiss",       u"Molnár",
    u"Németh",  u"Farkas", u"Balogh",  u"Papp",    u"Takács",   u"Juhász",  u"Lakatos",    u"Mészáros",
    u"Oláh",    u"Simon",  u"Rácz",    u"Fekete",  u"Szilágyi", u"Török",   u"Fehér",      u"Gál",
    u"Pásztor", u"Bíró",   u"Szűcs",   u"Hegedűs", u"Kőrösi",   u"Ördögh",  u"Vörösmarty", u"Csűrös",
    u"Erdős",   u"Győri",  u"Lőrincz", u"Sárközi", u"Dévényi",  u"Ürmössy", u"Öllős",      u"Kállai",
};

constexpr WordArray<32> kGivenNames = {
    u"János",  u"István",   u"László",    u"József", u"Zoltán", u"Sándor", u"Gábor",     u"Ferenc",
    u"Attila", u"Péter",    u"Tibor",     u"Gyula",  u"Lajos",  u"Ödön",   u"Dezső",     u"Jenő",
    u"Mária",  u"Erzsébet", u"Katalin",   u"Éva",    u"Ilona",  u"Anna",   u"Zsuzsanna", u"Judit",
    u"Ágnes",  u"Erika",    u"Krisztina", u"Enikő",  u"Ildikó", u"Tünde",  u"Győző",     u"Ákos",
};

constexpr WordArray<96> kTitleWords = {
    u"adatok",         u"a",           u"az",           u"és",         u"magyar",         u"irodalom",
    u"történetéhez",   u"vázlat",      u"tanulmány",    u"jegyzetek",  u"levelezése",     u"ismeretlen",
    u"kézirat",        u"forrásai",    u"századi",      u"költészet",  u"nyelvjárás",     u"szókincse",
    u"vidékén",        u"kapcsolatai", u"fogadtatása",  u"emlékezete", u"műhelyében",     u"fordításai",
    u"elméleti",       u"kérdései",    u"újabb",        u"szempontok", u"értelmezéséhez", u"hagyomány",
    u"népi",           u"gyűjtés",     u"Erdélyben",    u"Budapesten", u"Debrecenben",    u"reformkor",
    u"felvilágosodás", u"nemzeti",     u"könyvtár",     u"levéltári",  u"dokumentumok",   u"egy",
    u"elfeledett",     u"költő",       u"írói",         u"pályája",    u"hatása",         u"művészetére",
    u"tükrében",       u"között",      u"után",         u"előtt",      u"körül",          u"iskola",
    u"egyház",         u"város",       u"falu",         u"parasztság", u"polgárság",      u"nemesség",
    u"gazdasági",      u"viszonyai",   u"művelődés",    u"kultúra",    u"színház",        u"zene",
    u"ének",           u"ballada",     u"mese",         u"mítosz",     u"szimbólum",      u"szerkezete",
    u"rímei",          u"időmérték",   u"verselés",     u"próza",      u"regény",         u"novella",
    u"dráma",          u"kritika",     u"sajtó",        u"folyóirat",  u"szerkesztő",     u"kiadás",
    u"bibliográfia",   u"mutató",      u"összeállítás", u"pótlások",   u"helyesbítések",  u"visszhangja",
    u"ösztöndíj",      u"külföldön",   u"útinapló",     u"önéletírás", u"műfordítás",     u"ütközőpontok",
};

// Occasional words outside the 8-bit code page, as in titles quoting Greek.
constexpr WordArray<8> kGreekWords = {u"λόγος", u"ἦθος",  u"μῦθος",    u"ποίησις",
                                      u"τέχνη", u"φύσις", u"κάθαρσις", u"ἀρετή"};

constexpr WordArray<18> kPublications = {
    u"Irodalomtörténeti Közlemények",
    u"Magyar Nyelv",
    u"Ethnographia",
    u"Századok",
    u"Budapesti Szemle",
    u"Erdélyi Múzeum",
    u"Magyar Könyvszemle",
    u"Nyugat",
    u"Egyetemes Philologiai Közlöny",
    u"Itk Füzetek",
    u"Studia Litteraria",
    u"Acta Ethnographica",
    u"Új Írás",
    u"Tiszatáj",
    u"Jelenkor",
    u"Kortárs",
    u"Vigilia",
    u"Alföld",
};

constexpr WordArray<16> kPublishers = {
    u"Akadémiai Kiadó", u"Gondolat",      u"Szépirodalmi Könyvkiadó",
    u"Magvető",         u"Európa",        u"Osiris",
    u"Balassi Kiadó",   u"Kriterion",     u"Franklin Társulat",
    u"Athenaeum",       u"Tankönyvkiadó", u"Móra",
    u"Corvina",         u"Helikon",       u"Kossuth",
    u"Universitas",
};

constexpr WordArray<16> kPlaces = {
    u"Budapest", u"Szeged",  u"Debrecen",    u"Pécs",   u"Kolozsvár", u"Pozsony",
    u"Győr",     u"Miskolc", u"Eger",        u"Sopron", u"Veszprém",  u"Székesfehérvár",
    u"Újvidék",  u"Kassa",   u"Nyíregyháza", u"Bécs",
};

constexpr WordArray<9> kLanguages = {u"magyar", u"magyar", u"magyar",  u"magyar", u"német",
                                     u"angol",  u"latin",  u"francia", u"orosz"};

constexpr WordArray<8> kNotes = {
    u"Ism.: ",       u"Klny. a folyóiratból.", u"Bibliogr. a jegyzetekben.", u"Német nyelvű összefoglalóval.",
    u"Illusztrált.", u"Hasonmás kiadás.",      u"Ua. más címmel is.",        u"Az eredeti kézirat lappang.",
};

int weighted(Random& rng, const auto& weights)
{
    int total = 0;
    for (int w : weights)
        total += w;
    int roll = rng.below(total);
    for (int i = 0; i < int(std::size(weights)); ++i) {
        if (roll < weights[i])
            return i;
        roll -= weights[i];
    }
    return 0;
}

QString str(const char16_t* text)
{
    return QString::fromUtf16(text);
}

QString recordName(Random& rng, int index)
{
    const int volume = weighted(rng, kVolumeWeights);
    QString name = str(kVolumeCodes[volume]);
    name += QStringLiteral("%1").arg((index % 999999) + 1, 6, 10, QLatin1Char('0'));
    // About one record in twelve shares its number with an earlier one.
    const QStringList& suffixes = CodeTables::suffixes();
    name +=
        rng.chance(8) ? suffixes[1 + rng.below(rng.chance(80) ? 5 : int(suffixes.size()) - 1)] : suffixes[0];
    return name;
}

QString personName(Random& rng)
{
    QString name = str(rng.pick(kFamilyNames));
    name += u' ';
    name += str(rng.pick(kGivenNames));
    if (rng.chance(10)) {
        name += u' ';
        name += str(rng.pick(kGivenNames));
    }
    return name;
}

QString creatorSlot(Random& rng, int slot, int fillPercent)
{
    if (!rng.chance(fillPercent))
        return QStringLiteral("%1").arg(slot, 2, 10, QLatin1Char('0'));
    const int role = rng.chance(60) ? slot : rng.between(1, CodeTables::WritableRoleCount);
    return QStringLiteral("%1").arg(role, 2, 10, QLatin1Char('0')) + personName(rng);
}

QString title(Random& rng)
{
    const int target = rng.between(30, 150);
    QString text;
    bool greek = rng.chance(2);
    while (text.size() < target) {
        QString word = greek && text.size() > 10 ? str(rng.pick(kGreekWords)) : str(rng.pick(kTitleWords));
        if (greek && text.size() > 10)
            greek = false;
        if (!text.isEmpty() && text.size() + 1 + word.size() > 150)
            break;
        const bool sentence = !text.isEmpty() && rng.chance(6);
        if (!text.isEmpty())
            text += sentence ? QStringLiteral(". ") : QStringLiteral(" ");
        if (sentence)
            word[0] = word[0].toUpper();
        text += word;
    }
    if (text.size() < 30)
        text += QStringLiteral(" – adalékok és jegyzetek");
    text[0] = text[0].toUpper();
    return text;
}

QString volumeOrRun(Random& rng, int type)
{
    if (type == 0 || type == 3)
        return rng.chance(60) ? QString() : QString::number(rng.between(1, 40));
    return QStringLiteral("%1. évf. %2. sz.").arg(rng.between(1, 120)).arg(rng.between(1, 12));
}

QString pages(Random& rng, int type)
{
    if (type == 0)
        return QStringLiteral("%1 p.").arg(rng.between(48, 780));
    const int first = rng.between(1, 600);
    return QStringLiteral("%1–%2.").arg(first).arg(first + rng.between(1, 40));
}

QString note(Random& rng)
{
    if (!rng.chance(25))
        return {};
    QString text = str(rng.pick(kNotes));
    if (text.endsWith(u' '))
        text += personName(rng);
    return text;
}

QString medium(Random& rng)
{
    const int roll = rng.below(100);
    return CodeTables::media().at(roll < 90 ? 0 : roll < 96 ? 1 : 2);
}

} // namespace

namespace Corpus {

QString record(int index, quint32 seed)
{
    Random rng(index, seed);
    const int type = weighted(rng, kTypeWeights);
    QStringList fields;
    fields.reserve(19);
    fields << recordName(rng, index) << str(kTypes[type]) << str(rng.pick(kSubjects));
    fields << creatorSlot(rng, 1, 90) << creatorSlot(rng, 2, 35) << creatorSlot(rng, 3, 12)
           << creatorSlot(rng, 4, 4);
    fields << title(rng);
    fields << (type == 0 && rng.chance(50) ? QString() : str(rng.pick(kPublications)));
    fields << (type == 1 || rng.chance(15) ? QString() : str(rng.pick(kPublishers)));
    fields << volumeOrRun(rng, type);
    fields << QString::number(rng.between(1850, 2024));
    fields << pages(rng, type);
    fields << (rng.chance(12) ? QString() : str(rng.pick(kPlaces)));
    fields << note(rng);
    fields << (rng.chance(3) ? QStringLiteral("https://real.mtak.hu/%1/").arg(rng.between(1000, 99999))
                             : QString());
    fields << (rng.chance(8) ? QStringLiteral("1") : QStringLiteral("0"));
    fields << (rng.chance(5) ? QString() : str(rng.pick(kLanguages)));
    fields << medium(rng);
    return fields.join(QStringLiteral("**"));
}

QStringList records(int count, quint32 seed)
{
    QStringList out;
    out.reserve(count);
    for (int i = 0; i < count; ++i)
        out.append(record(i, seed));
    return out;
}

void writeDatabase(const QString& path, int count, quint32 seed, int firstIndex)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw NorlaError::cannotCreate(QFileInfo(path).absoluteFilePath());
    QByteArray buffer;
    buffer.reserve(1 << 20);
    buffer.append("\xFF\xFE", 2);
    auto flush = [&] {
        if (file.write(buffer) != buffer.size())
            throw NorlaError::cannotCreate(QFileInfo(path).absoluteFilePath());
        buffer.clear();
    };
    for (int i = 0; i < count; ++i) {
        const QString line = record(firstIndex + i, seed) + QStringLiteral("\r\n");
        for (const QChar ch : line) {
            const char16_t c = ch.unicode();
            buffer.append(char(c & 0xFF)).append(char(c >> 8));
        }
        if (buffer.size() > (1 << 20) - 4096)
            flush();
    }
    flush();
    if (!file.commit())
        throw NorlaError::cannotCreate(QFileInfo(path).absoluteFilePath());
}

} // namespace Corpus
