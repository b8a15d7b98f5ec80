#pragma once

#include <QStringView>
#include <QtGlobal>

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

// Counts of short UTF-16 texts (a record's type, language, medium, subject),
// kept in one open-addressed table whose texts sit one after the other in
// one buffer. A pass over a million records adds four values a record; a
// library map would hash each byte by byte, divide by a prime to find its
// bucket and allocate a node for each new value.
class TextCounts final
{
public:
    void add(QStringView text)
    {
        // A field's values mostly differ in length (a type, a language, a
        // medium): the value last counted of this length is tried first,
        // without hashing.
        qint32& recent = m_recentByLength[std::size_t(text.size()) % m_recentByLength.size()];
        if (recent >= 0 && equals(m_slots[std::size_t(recent)], text)) {
            ++m_slots[std::size_t(recent)].count;
            return;
        }
        if (4 * (m_used + 1) > 3 * qsizetype(m_slots.size()))
            grow();
        const std::uint64_t hash = hashOf(text);
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = std::size_t(hash) & mask;; i = (i + 1) & mask) {
            Slot& slot = m_slots[i];
            if (slot.count == 0) {
                store(slot, hash, text);
                recent = qint32(i);
                return;
            }
            if (slot.hash == hash && equals(slot, text)) {
                ++slot.count;
                recent = qint32(i);
                return;
            }
        }
    }

    bool isEmpty() const { return m_used == 0; }
    void clear()
    {
        m_slots.clear();
        m_units.clear();
        m_used = 0;
        m_recentByLength.fill(-1);
    }

    // Calls `visit(text, count)` for every text counted, in no set order.
    template <typename Visit> void forEach(Visit visit) const
    {
        for (const Slot& slot : m_slots)
            if (slot.count != 0)
                visit(QStringView(m_units.data() + slot.start, slot.length), slot.count);
    }

private:
    struct Slot
    {
        std::uint64_t hash = 0;
        qsizetype start = 0;
        qsizetype length = 0;
        qint64 count = 0; // 0: the slot is free
    };

    // Four units at a time: each word is multiplied on its own, so the
    // multiplies of a value overlap, and only an add and a rotation wait
    // for the word before; one mix at the end spreads the bits.
    static std::uint64_t hashOf(QStringView text)
    {
        constexpr std::uint64_t kOdd = 0x9E3779B97F4A7C15ULL;
        const char16_t* units = text.utf16();
        const qsizetype size = text.size();
        std::uint64_t hash = std::uint64_t(size) * kOdd;
        qsizetype i = 0;
        for (; i + 4 <= size; i += 4) {
            std::uint64_t word = 0;
            std::memcpy(&word, units + i, 8);
            hash = std::rotl(hash + word * kOdd, 27);
        }
        if (i < size) {
            std::uint64_t word = 0;
            for (int shift = 0; i < size; ++i, shift += 16)
                word |= std::uint64_t(units[i]) << shift;
            hash = std::rotl(hash + word * kOdd, 27);
        }
        hash ^= hash >> 31;
        hash *= 0xBF58476D1CE4E5B9ULL;
        return hash ^ (hash >> 29);
    }

    // Compared here rather than through a library call: most values are
    // shorter than the call.
    bool equals(const Slot& slot, QStringView text) const
    {
        if (slot.length != text.size())
            return false;
        const char16_t* stored = m_units.data() + slot.start;
        const char16_t* units = text.utf16();
        qsizetype i = 0;
        for (; i + 4 <= text.size(); i += 4) {
            std::uint64_t left = 0;
            std::uint64_t right = 0;
            std::memcpy(&left, stored + i, 8);
            std::memcpy(&right, units + i, 8);
            if (left != right)
                return false;
        }
        for (; i < text.size(); ++i)
            if (stored[i] != units[i])
                return false;
        return true;
    }

    void store(Slot& slot, std::uint64_t hash, QStringView text)
    {
        slot.hash = hash;
        slot.start = qsizetype(m_units.size());
        slot.length = text.size();
        slot.count = 1;
        m_units.insert(m_units.end(), text.utf16(), text.utf16() + text.size());
        ++m_used;
    }

    void grow()
    {
        std::vector<Slot> old(m_slots.empty() ? 64 : 2 * m_slots.size());
        old.swap(m_slots);
        const std::size_t mask = m_slots.size() - 1;
        for (const Slot& slot : old) {
            if (slot.count == 0)
                continue;
            std::size_t i = std::size_t(slot.hash) & mask;
            while (m_slots[i].count != 0)
                i = (i + 1) & mask;
            m_slots[i] = slot;
        }
        m_recentByLength.fill(-1);
    }

    std::vector<Slot> m_slots; // a power of two in size, at most three quarters used
    std::vector<char16_t> m_units;
    qsizetype m_used = 0;
    // Per length (modulo the size): the slot of the value last counted.
    std::array<qint32, 64> m_recentByLength = filled(-1);

    static std::array<qint32, 64> filled(qint32 value)
    {
        std::array<qint32, 64> table{};
        table.fill(value);
        return table;
    }
};
