#pragma once

#include "core/record/CodeTables.h"
#include "core/record/RecordSchema.h"

#include <QByteArrayView>
#include <QStringView>
#include <QtGlobal>

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The counts of one pass over records, fed one 8-bit record line at a time.
// A pass read by several threads keeps one tally per thread and adds them up
// with merge(), so nothing is shared while the records are read. Values are
// kept as the 8-bit text the search compares, so a count and the search that
// lists its records see the same text.
class RecordTally final
{
public:
    // The distinct values of one field with their counts.
    class ValueCounts final
    {
    public:
        ValueCounts() = default;
        // A copy or a move starts without the remembered value: it points
        // into the map it came from.
        ValueCounts(const ValueCounts& other) : m_counts(other.m_counts) {}
        ValueCounts(ValueCounts&& other) noexcept : m_counts(std::move(other.m_counts)) { other.forget(); }
        ValueCounts& operator=(const ValueCounts& other)
        {
            if (this != &other) {
                m_counts = other.m_counts;
                forget();
            }
            return *this;
        }
        ValueCounts& operator=(ValueCounts&& other) noexcept
        {
            if (this != &other) {
                m_counts = std::move(other.m_counts);
                forget();
                other.forget();
            }
            return *this;
        }
        ~ValueCounts() = default;

        void add(std::string_view value)
        {
            // Records in a row often share their type, language or medium:
            // the value of the record before is counted without hashing.
            if (m_last != nullptr && value == m_lastValue) {
                ++*m_last;
                return;
            }
            auto at = m_counts.find(value);
            if (at == m_counts.end())
                at = m_counts.emplace(std::string(value), 0).first;
            ++at->second;
            // The map's entries stay where they are while it grows.
            m_lastValue = at->first;
            m_last = &at->second;
        }
        void merge(const ValueCounts& other);
        const auto& counts() const { return m_counts; }

    private:
        struct Hash
        {
            // The standard library looks for exactly this name to allow
            // look-ups by string_view without building a std::string.
            using is_transparent = void; // NOLINT(readability-identifier-naming)
            std::size_t operator()(std::string_view text) const
            {
                return std::hash<std::string_view>()(text);
            }
        };
        void forget()
        {
            m_last = nullptr;
            m_lastValue = {};
        }

        std::unordered_map<std::string, qint64, Hash, std::equal_to<>> m_counts;
        std::string_view m_lastValue; // the key of *m_last
        qint64* m_last = nullptr;
    };

    // Years are counted from 1000 to 9999, by decade.
    static constexpr int FirstYear = 1000;
    static constexpr int DecadeCount = (9999 - FirstYear + 1) / 10;
    static constexpr int UnknownVolume = CodeTables::VolumeCount;

    // `padded`: one record line as 8-bit text, followed by "**" as the
    // record view reads it.
    void add(QByteArrayView padded);
    // One record line as the chunk files and the databases hold it (Unicode,
    // no "**" after it): the counts add() gives for its padded 8-bit text,
    // but only the fields counted by their value are converted. A pass over
    // a million records spends most of its time here.
    void addLine(QStringView line);
    void merge(const RecordTally& other);

    qint64 records() const { return m_records; }
    // Per volume position 0 … 7, then the records of no known volume.
    const std::array<qint64, CodeTables::VolumeCount + 1>& volumes() const { return m_volumes; }
    // Per decade from 1000–1009 on; unknownYears() for the rest.
    const std::vector<qint64>& decades() const { return m_decades; }
    qint64 unknownYears() const { return m_unknownYears; }
    const ValueCounts& recordTypes() const { return m_types; }
    const ValueCounts& languages() const { return m_languages; }
    const ValueCounts& media() const { return m_media; }
    const ValueCounts& subjects() const { return m_subjects; }
    // Per field of the line: the records that leave it empty.
    const std::array<qint64, RecordSchema::FieldCount>& emptyFields() const { return m_emptyFields; }

    // The year a year field names: the first number of exactly four digits
    // that stands as a word of its own ("1998/2" names 1998, "19. sz." and
    // "1998a" none); -1 when there is none.
    static int yearOf(QByteArrayView field);

private:
    // The parts of add() and addLine() that do not depend on the text's form.
    template <typename View> void countEmptyFields(const std::array<View, RecordSchema::FieldCount>& fields);
    // The fields counted by their value, as 8-bit text.
    struct Values
    {
        QByteArrayView type;
        QByteArrayView language;
        QByteArrayView medium;
        QByteArrayView subject;
        QByteArrayView year;
    };
    void countValues(int volume, const Values& values);

    qint64 m_records = 0;
    std::array<qint64, CodeTables::VolumeCount + 1> m_volumes{};
    std::vector<qint64> m_decades = std::vector<qint64>(DecadeCount, 0);
    qint64 m_unknownYears = 0;
    ValueCounts m_types;
    ValueCounts m_languages;
    ValueCounts m_media;
    ValueCounts m_subjects;
    std::array<qint64, RecordSchema::FieldCount> m_emptyFields{};
    // Room for the fields of one line and the converted ones, reused from
    // line to line rather than made anew for each of a million.
    std::array<QStringView, RecordSchema::FieldCount> m_lineFields;
    std::string m_converted;
};
