#include "core/convert/ZdbTable.h"

#include "core/convert/EightBitText.h"
#include "core/record/NorlaError.h"

#include <algorithm>

namespace {

constexpr qsizetype kKeyLength = 8;
constexpr qsizetype kFieldNumberLength = 3;
constexpr qsizetype kValueStart = kKeyLength + kFieldNumberLength;

// Characters 9-11 as a decimal number: one to three digits, nothing else (a
// line of 9 or 10 characters has a one- or two-digit field number).
int fieldNumber(QStringView digits)
{
    if (digits.isEmpty())
        return -1;
    int number = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return -1;
        number = number * 10 + (c.unicode() - u'0');
    }
    return number;
}

} // namespace

void ZdbTable::clear()
{
    m_rows.clear();
    m_rowsByKey.clear();
}

void ZdbTable::read(const QStringList& lines)
{
    clear();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = EightBitText::fromSourceLine(lines[i]);
        const QStringView text(line);
        const int field = fieldNumber(text.mid(kKeyLength, kFieldNumberLength));
        if (field < 0)
            throw NorlaError(QStringLiteral("A zdb fájl %1. sorában a 9–11. karakter nem mezőszám: \"%2\".")
                                 .arg(i + 1)
                                 .arg(text.mid(kKeyLength, kFieldNumberLength)));
        const QStringView key = text.first(kKeyLength);
        int row = lastRowWithKey(key);
        if (row < 0) {
            row = int(m_rows.size());
            m_rows.append(Row{key.toString(), {}});
            m_rows.last().cells.reserve(16);
            indexRow(key, row);
        }
        setValueAt(row, field, text.mid(kValueStart).toString());
    }
}

std::size_t ZdbTable::PackedKeyHash::operator()(const PackedKey& key) const noexcept
{
    return qHash(QStringView(key.data(), KeyLength));
}

ZdbTable::PackedKey ZdbTable::pack(QStringView key)
{
    PackedKey packed{};
    std::copy(key.utf16(), key.utf16() + KeyLength, packed.begin());
    return packed;
}

int ZdbTable::lastRowWithKey(QStringView key) const
{
    if (!packs(key)) {
        // Not from a line; the plain scan is right for any key.
        for (int row = int(m_rows.size()) - 1; row >= 0; --row)
            if (m_rows[row].key == key)
                return row;
        return -1;
    }
    const auto it = m_rowsByKey.find(pack(key));
    return it == m_rowsByKey.end() || it->second.empty() ? -1 : it->second.back();
}

void ZdbTable::indexRow(QStringView key, int row)
{
    if (!packs(key))
        return;
    std::vector<int>& rows = m_rowsByKey[pack(key)];
    rows.insert(std::lower_bound(rows.begin(), rows.end(), row), row);
}

void ZdbTable::unindexRow(QStringView key, int row)
{
    if (!packs(key))
        return;
    const auto it = m_rowsByKey.find(pack(key));
    if (it == m_rowsByKey.end())
        return;
    // Sorted, and the row renamed is mostly the last: a binary search keeps a
    // file that renames many rows away from one key linear.
    std::vector<int>& rows = it->second;
    const auto at = std::lower_bound(rows.begin(), rows.end(), row);
    if (at != rows.end() && *at == row)
        rows.erase(at);
    if (rows.empty())
        m_rowsByKey.erase(it);
}

void ZdbTable::setValue(const QString& key, int field, const QString& value)
{
    int row = lastRowWithKey(key);
    if (row < 0) {
        row = int(m_rows.size());
        m_rows.append(Row{key, {}});
        indexRow(key, row);
    }
    setValueAt(row, field, value);
}

void ZdbTable::setValueAt(int row, int field, const QString& value)
{
    Row& target = m_rows[row];
    if (field == 0) {
        unindexRow(target.key, row);
        target.key = value;
        indexRow(target.key, row);
        return;
    }
    for (auto& cell : target.cells) {
        if (cell.first == field) {
            cell.second = value;
            return;
        }
    }
    target.cells.emplace_back(field, value);
}

QString ZdbTable::value(int row, int field) const
{
    if (field == 0)
        return m_rows[row].key;
    for (const auto& cell : m_rows[row].cells)
        if (cell.first == field)
            return cell.second;
    return {};
}
