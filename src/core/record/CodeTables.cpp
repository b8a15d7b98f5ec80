#include "core/record/CodeTables.h"

#include <array>

namespace {

struct Volume
{
    const char16_t* code;
    const char16_t* caption;
    const char16_t* name;
};

constexpr std::array<Volume, CodeTables::VolumeCount> kVolumes = {{
    {u"Ka", u"Kardel", u"Kardel"},
    {u"Lu", u"Lunvek", u"Lunvek"},
    {u"No", u"Nosvair", u"Nosvair"},
    {u"Si", u"Sivarnholdt", u"Sivarnholdt"},
    {u"Vu", u"Vuranek", u"Vuranek"},
    {u"Ze", u"Zelnar", u"Zelnar"},
    {u"Go", u"Gorval", u"Gorval"},
    {u"Ma", u"Ma (új adatok)", u"Mai adatok"},
}};

bool validVolume(int position)
{
    return position >= 0 && position < CodeTables::VolumeCount;
}

} // namespace

namespace CodeTables {

QString volumeCode(int position)
{
    return validVolume(position) ? QString::fromUtf16(kVolumes[position].code) : QString();
}

QString volumeCaption(int position)
{
    return validVolume(position) ? QString::fromUtf16(kVolumes[position].caption) : QString();
}

QString volumeName(int position)
{
    return validVolume(position) ? QString::fromUtf16(kVolumes[position].name) : QString();
}

int volumePosition(QStringView code)
{
    for (int i = 0; i < VolumeCount; ++i)
        if (code == QStringView(kVolumes[i].code))
            return i;
    return -1;
}

QStringList volumeCaptions()
{
    QStringList captions;
    for (int i = 0; i < VolumeCount; ++i)
        captions.append(volumeCaption(i));
    return captions;
}

QString roleCode(int position)
{
    // Asked for every creator of every imported record, so the thirty codes
    // are made once.
    static const std::array<QString, WritableRoleCount + 1> codes = [] {
        std::array<QString, WritableRoleCount + 1> made;
        for (int p = 1; p <= WritableRoleCount; ++p)
            made[size_t(p)] = QString::number(p).rightJustified(2, u'0');
        return made;
    }();
    if (position < 1 || position > WritableRoleCount)
        return QStringLiteral("01");
    return codes[size_t(position)];
}

int rolePosition(QStringView code)
{
    if (code.size() != 2)
        return 0;
    const char16_t first = code[0].unicode();
    const char16_t second = code[1].unicode();
    if (first >= u'0' && first <= u'3' && second >= u'0' && second <= u'9') {
        const int value = (first - u'0') * 10 + (second - u'0');
        return value >= 1 ? value : 0;
    }
    if (first == u'0' && second >= u'a' && second <= u'n')
        return 10 + (second - u'a');
    return 0;
}

int roleComboIndex(QStringView code, int listSize)
{
    const int position = rolePosition(code);
    if (position < 1 || position > listSize)
        return -1;
    return position - 1;
}

int roleNameIndex(QStringView code, int listSize)
{
    const int position = rolePosition(code);
    if (position < 1 || position > listSize)
        return 0;
    return position - 1;
}

QString roleName(QStringView code, const QStringList& roles)
{
    if (roles.isEmpty())
        return QString();
    return roles.at(roleNameIndex(code, int(roles.size())));
}

const QStringList& suffixes()
{
    static const QStringList list = [] {
        QStringList out{QStringLiteral("00")};
        for (char16_t d = u'0'; d <= u'9'; ++d)
            for (char16_t l = u'a'; l <= u'z'; ++l)
                out.append(QString(QChar(d)) + QChar(l));
        return out;
    }();
    return list;
}

const QStringList& media()
{
    static const QStringList list{QStringLiteral("papír"), QStringLiteral("CD-ROM"),
                                  QStringLiteral("mikrofilm")};
    return list;
}

TypeCaptions typeCaptions(QStringView recordType)
{
    if (recordType == u"könyv")
        return {QStringLiteral("Könyvsorozat:"), QStringLiteral("Kötetszám:"), QStringLiteral("Könyvsorozat"),
                QStringLiteral("Kötetszám")};
    if (recordType == u"külön lenyomat")
        return {QStringLiteral("Sorozat:"), QStringLiteral("Kötetszám:"), QStringLiteral("Sorozat"),
                QStringLiteral("Kötetszám")};
    if (recordType == u"cikk gyűjt. kötetben")
        return {QStringLiteral("Kötetcím:"), QStringLiteral("Kötetszám:"), QStringLiteral("Kötetcím"),
                QStringLiteral("Kötetszám")};
    return {QStringLiteral("Kiadvány:"), QStringLiteral("Évfolyam:"), QStringLiteral("Kiadvány"),
            QStringLiteral("Évfolyam")};
}

} // namespace CodeTables
