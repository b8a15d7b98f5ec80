#include "core/search/DuplicateFinder.h"

#include "core/record/NorlaError.h"
#include "core/record/RecordSchema.h"
#include "core/record/TextFile.h"
#include "core/search/ChunkText.h"
#include "core/search/Folding.h"
#include "core/search/OrderedWork.h"
#include "core/search/RecordMatcher.h"
#include "core/search/RecordView.h"
#include "core/search/SearchEngine.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <set>

namespace {

using Reason = DuplicateFinder::Reason;

// A line's place: its chunk file (position in the visiting order) and the
// unit where it starts.
constexpr int kOffsetBits = 40;
quint64 placeOf(int file, qsizetype start)
{
    return quint64(file) << kOffsetBits | quint64(start);
}
int fileOf(quint64 place)
{
    return int(place >> kOffsetBits);
}
qsizetype startOf(quint64 place)
{
    return qsizetype(place & ((quint64(1) << kOffsetBits) - 1));
}

struct KeyHash
{
    quint64 hash = 0;
    quint64 place = 0;
    Reason reason = Reason::SameName;
};

quint64 hashOf(QByteArrayView key, Reason reason)
{
    const quint64 h =
        qHashBits(key.data(), size_t(key.size()), reason == Reason::SameName ? 0x9e37u : 0x7f4au);
    return h == 0 ? 1 : h; // 0 marks an empty slot
}

using RecordNameBuffer = char[RecordSchema::RecordNameLength];

// The record name as the search gives it.
qsizetype recordName(const ChunkText::LineReader& reader, qsizetype start, qsizetype end,
                     RecordNameBuffer& name)
{
    return RecordSchema::writeShownName(
        end - start, [&](qsizetype i) { return ChunkText::LineReader::toCodePage(reader.unit(start + i)); },
        name);
}

QByteArray recordName(const ChunkText::LineReader& reader, qsizetype start, qsizetype end)
{
    RecordNameBuffer name;
    return QByteArray(name, recordName(reader, start, end, name));
}

// Reads one chunk file and computes the key hashes of its lines.
class KeyScanner final
{
public:
    void scan(const QString& path, int file, std::vector<KeyHash>& out, const std::atomic<bool>* cancel)
    {
        const QByteArray bytes = TextFile::readBytes(path);
        QByteArray storage;
        const ChunkText::LineReader reader(ChunkText::utf16Body(bytes, storage));
        const auto& folding = Folding::unitTable();
        const qsizetype units = reader.unitCount();
        qint64 lines = 0;
        for (qsizetype start = 0; start < units;) {
            if (cancel && ++lines % 4096 == 0 && cancel->load(std::memory_order_relaxed))
                return;
            const qsizetype end = reader.convertLineFolded(start, m_folded, folding, true);
            const quint64 place = placeOf(file, start);
            RecordNameBuffer name;
            const qsizetype nameLength = recordName(reader, start, end, name);
            out.push_back(
                {hashOf(QByteArrayView(name, nameLength), Reason::SameName), place, Reason::SameName});
            DuplicateFinder::workKey(m_folded.view(), m_key);
            if (!m_key.isEmpty())
                out.push_back({hashOf(m_key, Reason::SameWork), place, Reason::SameWork});
            start = reader.nextLineStart(end);
        }
    }

private:
    ChunkText::LineBuffer m_folded;
    QByteArray m_key;
};

// Open addressing on the 64-bit hashes: per distinct key the hash and the
// place of its first record.
class KeyTable final
{
public:
    // Returns the first place of the key when it was seen before (and only
    // the first time: later repeats return 0 with `repeat` set), or nothing.
    bool insert(quint64 hash, quint64 place, quint64& firstPlace, bool& firstRepeat)
    {
        if ((m_used + 1) * 2 > m_slots.size())
            grow();
        size_t i = size_t(hash) & (m_slots.size() - 1);
        for (;; i = (i + 1) & (m_slots.size() - 1)) {
            Slot& slot = m_slots[i];
            if (slot.hash == 0) {
                slot = {hash, place};
                ++m_used;
                return false;
            }
            if (slot.hash == hash) {
                firstRepeat = !(slot.place & kRepeated);
                firstPlace = slot.place & ~kRepeated;
                slot.place |= kRepeated;
                return true;
            }
        }
    }

private:
    // Sixteen bytes a key: the top bit of the place, which places never
    // use, tells that the key has been seen again.
    static constexpr quint64 kRepeated = quint64(1) << 63;
    struct Slot
    {
        quint64 hash = 0;
        quint64 place = 0;
    };

    void grow()
    {
        std::vector<Slot> old = std::move(m_slots);
        m_slots.assign(qMax<size_t>(1024, old.size() * 2), Slot{});
        for (const Slot& slot : old) {
            if (slot.hash == 0)
                continue;
            size_t i = size_t(slot.hash) & (m_slots.size() - 1);
            while (m_slots[i].hash != 0)
                i = (i + 1) & (m_slots.size() - 1);
            m_slots[i] = slot;
        }
    }

    std::vector<Slot> m_slots;
    size_t m_used = 0;
};

// What a worker hands over for one chunk file: its key hashes, or the path
// that could not be read.
struct ScannedKeys
{
    QString failedPath;
    std::vector<KeyHash> keys;
};

bool cancelled(const std::atomic<bool>* cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

// RecordMatcher::isWordByte as a table of this file, looked up in the
// innermost loop.
const std::array<bool, 256>& wordBytes()
{
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[size_t(b)] = RecordMatcher::isWordByte(char(b));
        return t;
    }();
    return table;
}

bool isWord(char c)
{
    return wordBytes()[static_cast<unsigned char>(c)];
}

// Appends the word characters of `text` to `out`, each run of anything else
// as one blank between words. Written through a pointer: appending byte by
// byte would cost more than the rest of the key.
void appendWords(QByteArrayView text, QByteArray& out)
{
    const std::array<bool, 256>& word = wordBytes();
    const qsizetype before = out.size();
    out.resize(before + 2 * text.size());
    char* const begin = out.data();
    char* dst = begin + before;
    bool gap = false;
    for (const char c : text) {
        if (!word[static_cast<unsigned char>(c)]) {
            gap = true;
            continue;
        }
        if (gap && dst != begin + before)
            *dst++ = ' ';
        gap = false;
        *dst++ = c;
    }
    out.resize(dst - begin);
}

QByteArrayView typeFamily(QByteArrayView type)
{
    if (type.contains("cikk"))
        return "cikk";
    if (type == "konyv" || type == "kulon lenyomat")
        return "konyv";
    return type;
}

} // namespace

QByteArray DuplicateFinder::workKey(QByteArrayView foldedLine)
{
    QByteArray key;
    workKey(foldedLine, key);
    return key;
}

void DuplicateFinder::workKey(QByteArrayView foldedLine, QByteArray& key)
{
    key.resize(0);
    // The key takes the type, the creators, the title and the year; the
    // fields after the year are never looked at.
    std::array<QByteArrayView, RecordSchema::position(Field::Year) + 1> fields;
    qsizetype from = 0;
    for (int k = 0; k < int(fields.size()); ++k) {
        const qsizetype at = Bytes::find(foldedLine, "**", from);
        fields[size_t(k)] = foldedLine.sliced(from, (at < 0 ? foldedLine.size() : at) - from);
        if (at < 0)
            break;
        from = at + 2;
    }
    const auto field = [&fields](Field f) { return fields[size_t(RecordSchema::position(f))]; };
    key.append(typeFamily(field(Field::RecordType))).append('\x1f');
    const qsizetype titleStart = key.size();
    appendWords(field(Field::Title), key);
    if (key.size() == titleStart) {
        key.resize(0);
        return;
    }
    key.append('\x1f');
    for (const char c : field(Field::Year))
        if (c >= '0' && c <= '9')
            key.append(c);
    key.append('\x1f');
    for (int slot = 0; slot < RecordSchema::CreatorCount; ++slot) {
        const QByteArrayView creator = field(RecordSchema::creator(slot));
        if (creator.size() <= RecordSchema::RoleCodeLength)
            continue;
        const QByteArrayView name = creator.sliced(RecordSchema::RoleCodeLength);
        qsizetype i = 0;
        while (i < name.size() && !isWord(name[i]))
            ++i;
        const qsizetype wordStart = i;
        while (i < name.size() && isWord(name[i]))
            ++i;
        key.append(name.sliced(wordStart, i - wordStart));
        break;
    }
}

std::optional<std::vector<DuplicateFinder::Group>> DuplicateFinder::run(const QString& startDir,
                                                                        const std::atomic<bool>* cancel) const
{
    const QStringList files = SearchEngine::chunkFiles(startDir);
    struct Repeat
    {
        quint64 hash;
        quint64 place;
        Reason reason;
    };
    std::vector<Repeat> repeats;
    {
        KeyTable table;
        OrderedWork<ScannedKeys> scan(files.size(), orderedWorkThreads(m_threads, files.size()), [&] {
            return [&, scanner = KeyScanner()](int index) mutable {
                ScannedKeys result;
                try {
                    scanner.scan(files.at(index), index, result.keys, cancel);
                } catch (...) {
                    result.failedPath = files.at(index);
                }
                return result;
            };
        });
        for (int f = 0; f < files.size(); ++f) {
            ScannedKeys scanned = scan.take(f, [] {});
            if (!scanned.failedPath.isEmpty())
                throw NorlaError::cannotOpen(scanned.failedPath);
            const std::vector<KeyHash> keys = std::move(scanned.keys);
            if (cancelled(cancel))
                return std::nullopt;
            for (const KeyHash& key : keys) {
                quint64 first = 0;
                bool firstRepeat = false;
                if (!table.insert(key.hash, key.place, first, firstRepeat))
                    continue;
                if (firstRepeat)
                    repeats.push_back({key.hash, first, key.reason});
                repeats.push_back({key.hash, key.place, key.reason});
            }
        }
    }

    // Read again only the chunks that hold a repeated key; take the lines
    // and the keys in full.
    std::sort(repeats.begin(), repeats.end(),
              [](const Repeat& a, const Repeat& b) { return a.place < b.place; });
    std::map<std::pair<int, QByteArray>, Group> byKey; // reason, full key
    std::vector<std::pair<quint64, std::pair<int, QByteArray>>> firstSeen;
    ChunkText::LineBuffer exact;
    ChunkText::LineBuffer folded;
    for (size_t i = 0; i < repeats.size();) {
        if (cancelled(cancel))
            return std::nullopt;
        const int file = fileOf(repeats[i].place);
        const QString& path = files.at(file);
        const QByteArray bytes = TextFile::readBytes(path);
        QByteArray storage;
        const ChunkText::LineReader reader(ChunkText::utf16Body(bytes, storage));
        for (; i < repeats.size() && fileOf(repeats[i].place) == file; ++i) {
            const qsizetype start = startOf(repeats[i].place);
            const qsizetype end = reader.convertLine(start, exact);
            QByteArray key;
            if (repeats[i].reason == Reason::SameName) {
                key = recordName(reader, start, end);
            } else {
                reader.convertLineFolded(start, folded, Folding::unitTable(), true);
                key = workKey(folded.view());
            }
            const std::pair<int, QByteArray> id(int(repeats[i].reason), key);
            Group& group = byKey[id];
            if (group.members.empty()) {
                group.reason = repeats[i].reason;
                group.key = key;
                firstSeen.push_back({repeats[i].place, id});
            }
            group.members.push_back({recordName(reader, start, end), SearchEngine::chunkNumberOf(path),
                                     exact.view().toByteArray()});
        }
    }

    // A work group that holds exactly the records of a name group says
    // nothing new: the same record indexed twice.
    std::set<std::vector<QByteArray>> nameGroups;
    const auto membersOf = [](const Group& group) {
        std::vector<QByteArray> lines;
        for (const Member& m : group.members)
            lines.push_back(QByteArray::number(m.chunkNumber) + ':' + m.line);
        return lines;
    };
    for (const auto& [id, group] : byKey)
        if (group.reason == Reason::SameName && group.members.size() > 1)
            nameGroups.insert(membersOf(group));

    std::sort(firstSeen.begin(), firstSeen.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : a.second < b.second;
    });
    std::vector<Group> groups;
    for (const auto& [place, id] : firstSeen) {
        Group& group = byKey[id];
        if (group.members.size() < 2)
            continue; // a hash collision, not a repeated key
        if (group.reason == Reason::SameWork && nameGroups.count(membersOf(group)))
            continue;
        groups.push_back(std::move(group));
    }
    return groups;
}
