#include "convert/ZdbTable.h"

#include "record/NorlaError.h"
#include "record/Win1250.h"

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
        const QString line = Win1250::roundTrip(lines[i]);
        const QStringView text(line);
        const int field = fieldNumber(text.mid(kKeyLength, kFieldNumberLength));
        if (field < 0)
            throw NorlaError(QStringLiteral("A zdb fájl %1. sorában a 9–11. karakter nem mezőszám: \"%2\".")
                                 .arg(i + 1)
                                 .arg(text.mid(kKeyLength, kFieldNumberLength)));
        setValue(text.first(kKeyLength).toString(), field, text.mid(kValueStart).toString());
    }
}

int ZdbTable::lastRowWithKey(const QString& key) const
{
    const auto it = m_rowsByKey.constFind(key);
    return it == m_rowsByKey.cend() || it->isEmpty() ? -1 : it->last();
}

void ZdbTable::indexRow(const QString& key, int row)
{
    QList<int>& rows = m_rowsByKey[key];
    rows.insert(std::lower_bound(rows.begin(), rows.end(), row), row);
}

void ZdbTable::unindexRow(const QString& key, int row)
{
    const auto it = m_rowsByKey.find(key);
    if (it == m_rowsByKey.end())
        return;
    it->removeOne(row);
    if (it->isEmpty())
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
