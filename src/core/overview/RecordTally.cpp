#include "core/overview/RecordTally.h"

#include "core/record/FieldCursor.h"
#include "core/record/RecordLine.h"
#include "core/record/Win1250.h"
#include "core/search/RecordMatcher.h"

namespace {

std::string_view asString(QByteArrayView bytes)
{
    return {bytes.data(), size_t(bytes.size())};
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Blanks alone leave a field as empty as no text does.
bool isBlank(QByteArrayView field)
{
    for (const char c : field)
        if (c != ' ' && c != '\t')
            return false;
    return true;
}

struct VolumeCodes
{
    std::array<QByteArray, CodeTables::VolumeCount> codes;
    VolumeCodes()
    {
        for (int i = 0; i < CodeTables::VolumeCount; ++i)
            codes[size_t(i)] = Win1250::fromUnicode(CodeTables::volumeCode(i));
    }
};

int volumeOf(QByteArrayView line)
{
    static const VolumeCodes table;
    if (line.size() < 2)
        return RecordTally::UnknownVolume;
    const QByteArrayView code = line.first(2);
    for (int i = 0; i < CodeTables::VolumeCount; ++i)
        if (code == table.codes[size_t(i)])
            return i;
    return RecordTally::UnknownVolume;
}

} // namespace

void RecordTally::ValueCounts::merge(const ValueCounts& other)
{
    for (const auto& [value, count] : other.m_counts)
        m_counts[value] += count;
}

int RecordTally::yearOf(QByteArrayView field)
{
    for (qsizetype i = 0; i < field.size();) {
        if (!isDigit(field[i])) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < field.size() && isDigit(field[end]))
            ++end;
        const bool freeBefore = i == 0 || !RecordMatcher::isWordByte(field[i - 1]);
        const bool freeAfter = end == field.size() || !RecordMatcher::isWordByte(field[end]);
        if (end - i == 4 && freeBefore && freeAfter && field[i] != '0')
            return field.sliced(i, 4).toInt();
        i = end;
    }
    return -1;
}

void RecordTally::add(QByteArrayView padded)
{
    ++m_records;
    ++m_volumes[size_t(volumeOf(padded))];

    // The fields are cut as the search's record view cuts them, so the
    // values counted are those a search compares.
    FieldCursor8 cursor(padded, RecordLine::MaxReadLength);
    std::array<QByteArrayView, RecordSchema::FieldCount> fields;
    for (QByteArrayView& field : fields)
        field = cursor.next();

    for (int i = 0; i < RecordSchema::FieldCount; ++i) {
        const Field field = RecordSchema::fieldAt(i);
        const QByteArrayView value = fields[size_t(i)];
        // A creator slot holding its role code alone names nobody.
        const bool empty = RecordSchema::isCreator(field) ? value.size() <= 2 : isBlank(value);
        if (empty)
            ++m_emptyFields[size_t(i)];
    }

    m_types.add(asString(fields[size_t(RecordSchema::position(Field::RecordType))]));
    m_languages.add(asString(fields[size_t(RecordSchema::position(Field::Language))]));
    m_media.add(asString(fields[size_t(RecordSchema::position(Field::Medium))]));
    m_subjects.add(asString(fields[size_t(RecordSchema::position(Field::Subject))]));

    const int year = yearOf(fields[size_t(RecordSchema::position(Field::Year))]);
    if (year >= FirstYear)
        ++m_decades[size_t((year - FirstYear) / 10)];
    else
        ++m_unknownYears;
}

void RecordTally::merge(const RecordTally& other)
{
    m_records += other.m_records;
    for (size_t i = 0; i < m_volumes.size(); ++i)
        m_volumes[i] += other.m_volumes[i];
    for (size_t i = 0; i < m_decades.size(); ++i)
        m_decades[i] += other.m_decades[i];
    m_unknownYears += other.m_unknownYears;
    m_types.merge(other.m_types);
    m_languages.merge(other.m_languages);
    m_media.merge(other.m_media);
    m_subjects.merge(other.m_subjects);
    for (size_t i = 0; i < m_emptyFields.size(); ++i)
        m_emptyFields[i] += other.m_emptyFields[i];
}
