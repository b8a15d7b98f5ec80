#pragma once

#include "core/record/CodeTables.h"
#include "core/record/RecordSchema.h"

#include <QByteArrayView>
#include <QStringView>
#include <QtGlobal>

#include <array>
#include <cstdint>
#include <cstring>
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
            if (m_last != nullptr && Equal()(value, m_lastValue)) {
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
            // The values are short (a type, a language, a subject): eight
            // bytes at a time through a multiply, inline, costs a fraction
            // of the library's byte hash, called for nearly every record.
            std::size_t operator()(std::string_view text) const
            {
                std::uint64_t hash = 0x9E3779B97F4A7C15ULL ^ text.size();
                std::size_t i = 0;
                for (; i + 8 <= text.size(); i += 8) {
                    std::uint64_t word = 0;
                    std::memcpy(&word, text.data() + i, 8);
                    hash = mix(hash ^ word);
                }
                if (i < text.size()) {
                    std::uint64_t word = 0;
                    for (int shift = 0; i < text.size(); ++i, shift += 8)
                        word |= std::uint64_t(static_cast<unsigned char>(text[i])) << shift;
                    hash = mix(hash ^ word);
                }
                return std::size_t(hash);
            }
            static std::uint64_t mix(std::uint64_t value)
            {
                value *= 0xBF58476D1CE4E5B9ULL;
                return value ^ (value >> 31);
            }
        };
        // The values are a few bytes long: compared a word at a time,
        // inline, rather than through a library call per record.
        struct Equal
        {
            using is_transparent = void; // NOLINT(readability-identifier-naming)
            bool operator()(std::string_view a, std::string_view b) const
            {
                if (a.size() != b.size())
                    return false;
                std::size_t i = 0;
                for (; i + 8 <= a.size(); i += 8) {
                    std::uint64_t left = 0;
                    std::uint64_t right = 0;
                    std::memcpy(&left, a.data() + i, 8);
                    std::memcpy(&right, b.data() + i, 8);
                    if (left != right)
                        return false;
                }
                for (; i < a.size(); ++i)
                    if (a[i] != b[i])
                        return false;
                return true;
            }
        };
        void forget()
        {
            m_last = nullptr;
            m_lastValue = {};
        }

        std::unordered_map<std::string, qint64, Hash, Equal> m_counts;
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
    // Counts the line at the start of `text`, which runs up to the first
    // line break (CR, LF, U+2028) or the end, as addLine() counts it;
    // returns its length. Finding the line's end and its fields in one
    // sweep spares a pass over the index set's lines.
    qsizetype addFirstLine(QStringView text);
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
    // The counts of `line`, its fields cut into m_lineFields.
    void addCutLine(QStringView line);

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
