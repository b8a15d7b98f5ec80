#pragma once

#include "core/overview/TextCounts.h"
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

// The counts of one pass over records, fed one record line at a time.
// A pass read by several threads keeps one tally per thread and adds them up
// with merge(), so nothing is shared while the records are read. Values are
// counted as the 8-bit text the search compares, so a count and the search
// that lists its records see the same text.
class RecordTally final
{
public:
    // The distinct values of one field with their counts, as 8-bit text.
    class ValueCounts final
    {
    public:
        using Map = std::unordered_map<std::string, qint64>;

        void add(std::string_view value) { ++m_counts[std::string(value)]; }
        // A value as the line holds it: counted as its 8-bit text, which is
        // made once per distinct value when the counts are asked for.
        void add(QStringView value) { m_unicode.add(value); }
        void merge(const ValueCounts& other);
        // Not to be called while another thread adds to these counts.
        const Map& counts() const;

    private:
        mutable Map m_counts;
        mutable TextCounts m_unicode; // not yet in m_counts
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
    // though no part of it is converted. A pass over a million records
    // spends most of its time here.
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

    // The widest vectors, in bits (512, 256, 128; 0 for none), that finding
    // a line's fields may use; by default all the processor has. Every width
    // gives the same counts: tests compare them.
    static void limitSweepWidth(int bits);

    // The year a year field names: the first number of exactly four digits
    // that stands as a word of its own ("1998/2" names 1998, "19. sz." and
    // "1998a" none); -1 when there is none.
    static int yearOf(QByteArrayView field);

    // Where each field of a line ends, in code units from its start.
    using FieldEnds = std::array<qsizetype, RecordSchema::FieldCount>;

private:
    // What add() and addLine() count once a line is cut into its fields,
    // either as 8-bit text or as the line's own Unicode text.
    template <typename View>
    void countFields(int volume, const std::array<View, RecordSchema::FieldCount>& fields);
    template <typename View>
    void countValues(int volume, View type, View language, View medium, View subject, View year);
    // The counts of `line` from the separators its sweep found.
    template <typename Seps> void addSwept(QStringView line, const Seps& seps);
    void addSeparated(int volume, QStringView line, const FieldEnds& ends);

    qint64 m_records = 0;
    std::array<qint64, CodeTables::VolumeCount + 1> m_volumes{};
    std::vector<qint64> m_decades = std::vector<qint64>(DecadeCount, 0);
    qint64 m_unknownYears = 0;
    ValueCounts m_types;
    ValueCounts m_languages;
    ValueCounts m_media;
    ValueCounts m_subjects;
    std::array<qint64, RecordSchema::FieldCount> m_emptyFields{};
};
