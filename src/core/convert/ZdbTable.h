#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <unordered_map>
#include <utility>
#include <vector>

// The intermediate table of a zdb file: one data row per record key, in the
// order the keys first appear; column 0 holds the key, column c (1 … 999) the
// value of field number c. Values are 8-bit text (Windows-1250 repertoire).
//
// A zdb line is: characters 1-8 the record key, 9-11 the field number (000 to
// 999), 12 onwards the value. Field number 000 replaces the row's key.
class ZdbTable final
{
public:
    static constexpr int MaxField = 999;

    // Empties the table, then reads the lines in order. Every line is first
    // brought to the 8-bit repertoire. A line whose characters 9-11 are not a
    // number throws NorlaError (naming the line); read() is complete before any
    // record is built from the table, so an error leaves nothing half-converted.
    void read(const QStringList& lines);

    void clear();
    // The row whose key equals `key` (the last such row when a rename made
    // several equal) gets the value; without one, a row is appended.
    void setValue(const QString& key, int field, const QString& value);

    // Data rows, 0-based here (the first data row is index 0).
    int rowCount() const { return int(m_rows.size()); }
    const QString& key(int row) const { return m_rows[row].key; }
    QString value(int row, int field) const;

private:
    struct Row
    {
        QString key;
        std::vector<std::pair<int, QString>> cells; // few per row, so a short scan beats a map
    };
    // Lines look rows up by their eight key characters, so the index holds
    // the rows whose key has exactly eight (a 000 line may give any key),
    // packed so that a look-up needs no allocation.
    static constexpr qsizetype KeyLength = 8;
    using PackedKey = std::array<char16_t, KeyLength>;
    struct PackedKeyHash
    {
        std::size_t operator()(const PackedKey& key) const noexcept;
    };
    static bool packs(QStringView key) { return key.size() == KeyLength; }
    static PackedKey pack(QStringView key);

    int lastRowWithKey(QStringView key) const;
    void indexRow(QStringView key, int row);
    void unindexRow(QStringView key, int row);
    void setValueAt(int row, int field, const QString& value);

    QList<Row> m_rows;
    // Every row carrying a key, in ascending order: the lookup the format asks
    // for ("scan all rows, the last match wins") without scanning, and still
    // right when field 000 renames rows so that several share a key.
    std::unordered_map<PackedKey, std::vector<int>, PackedKeyHash> m_rowsByKey;
};
