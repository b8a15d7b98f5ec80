#include "core/convert/DbfTable.h"

#include "core/record/RecordLine.h"

#include "core/record/NorlaError.h"

#include <QFile>
#include <QFileInfo>

#include <shapefil.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

namespace {

constexpr qint64 kFileHeaderSize = 32;
constexpr qint64 kFieldDescriptorSize = 32;
constexpr char kHeaderTerminator = 0x0D;

QString absolute(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

NorlaError damaged(const QString& path, const QString& reason)
{
    return NorlaError(QStringLiteral("A(z) %1 fájl nem ép dBase tábla: %2.").arg(absolute(path), reason));
}

quint32 littleEndian(const QByteArray& bytes, int at, int size)
{
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// shapelib trusts the header; a header that promises more than the file
// holds, or columns that do not fit the record, would make it read past its
// buffers. So the header is checked against the file first, field by field
// the way shapelib itself will take it.
void checkStructure(const QString& path)
{
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        throw NorlaError::cannotOpen(absolute(path));
    const qint64 fileSize = file.size();
    const QByteArray fixed = file.read(kFileHeaderSize);
    if (fixed.size() < kFileHeaderSize)
        throw damaged(path, QStringLiteral("rövidebb a fejlécnél"));
    const qint64 recordCount = littleEndian(fixed, 4, 4);
    const qint64 headerLength = littleEndian(fixed, 8, 2);
    const qint64 recordLength = littleEndian(fixed, 10, 2);
    if (headerLength < kFileHeaderSize + kFieldDescriptorSize || headerLength > fileSize)
        throw damaged(path, QStringLiteral("a fejléc hossza (%1 bájt) lehetetlen").arg(headerLength));

    const QByteArray descriptors = file.read(headerLength - kFileHeaderSize);
    if (descriptors.size() != headerLength - kFileHeaderSize)
        throw NorlaError::cannotOpen(absolute(path));
    qint64 fieldsLength = 0;
    int fieldCount = 0;
    static const QByteArray knownTypes = QByteArrayLiteral("CNFLDMBGPYTIV@O+0");
    for (qint64 at = 0; at + kFieldDescriptorSize <= descriptors.size(); at += kFieldDescriptorSize) {
        if (descriptors[at] == kHeaderTerminator)
            break;
        if (descriptors[at] == 0 || !knownTypes.contains(descriptors[at + 11]))
            throw damaged(path, QStringLiteral("a(z) %1. oszlop leírása olvashatatlan").arg(fieldCount + 1));
        fieldsLength += static_cast<unsigned char>(descriptors[at + 16]);
        ++fieldCount;
    }
    if (fieldCount == 0)
        throw damaged(path, QStringLiteral("nincs benne oszlop"));
    if (recordLength != fieldsLength + 1)
        throw damaged(
            path, QStringLiteral("a rekordhossz (%1 bájt) nem egyezik az oszlopok összhosszával (%2 bájt)")
                      .arg(recordLength)
                      .arg(fieldsLength + 1));
    const qint64 roomFor = (fileSize - headerLength) / recordLength;
    if (recordCount > roomFor || recordCount > std::numeric_limits<int>::max())
        throw damaged(path,
                      QStringLiteral("a fejléce szerint %1 rekordot tartalmaz, de csak %2 teljes rekord "
                                     "fér el benne (a fájl csonka)")
                          .arg(recordCount)
                          .arg(roomFor));
}

// shapelib builds the file name from the one it is given, with the extension
// replaced by ".dbf" or ".DBF", and looks for a ".cpg" companion. These hooks
// make it open exactly the chosen file (whatever its extension) read-only,
// ignore companions, and keep its error text instead of printing it.
thread_local std::string t_openPath;
thread_local std::string t_lastError;

SAFile openChosenFile(const char* requested, const char* access)
{
    const std::size_t length = std::strlen(requested);
    const bool isTable = length >= 4 && (std::strcmp(requested + length - 4, ".dbf") == 0 ||
                                         std::strcmp(requested + length - 4, ".DBF") == 0);
    if (!isTable || std::strchr(access, 'w') || std::strchr(access, '+'))
        return nullptr;
    return reinterpret_cast<SAFile>(std::fopen(t_openPath.c_str(), "rb"));
}

void keepError(const char* message)
{
    t_lastError = message ? message : "";
}

} // namespace

struct DbfTable::Handle
{
    DBFHandle dbf = nullptr;
};

const QStringList& DbfTable::columnNames()
{
    static const QStringList names = {
        QStringLiteral("N1"),       QStringLiteral("KOTET"),      QStringLiteral("REKORD"),
        QStringLiteral("FORD"),     QStringLiteral("LINK"),       QStringLiteral("REKTIPUS"),
        QStringLiteral("NYELV"),    QStringLiteral("ADATHORDOZ"), QStringLiteral("TARGYK"),
        QStringLiteral("SZERZO"),   QStringLiteral("SZERKESZTO"), QStringLiteral("FORDITO"),
        QStringLiteral("BEVEZETO"), QStringLiteral("CIM"),        QStringLiteral("KIADVANY"),
        QStringLiteral("KIADO"),    QStringLiteral("EVFOLYAM"),   QStringLiteral("EV"),
        QStringLiteral("OLDSZAM"),  QStringLiteral("MEGJHELY"),   QStringLiteral("MEGJEGYZES"),
    };
    return names;
}

DbfTable::~DbfTable()
{
    close();
}

void DbfTable::close()
{
    if (m_handle) {
        DBFClose(m_handle->dbf);
        delete m_handle;
        m_handle = nullptr;
    }
    m_path.clear();
    m_codePage.clear();
    m_languageDriver = 0;
}

void DbfTable::open(const QString& path)
{
    close();
    checkStructure(path);

    SAHooks hooks;
    SASetupDefaultHooks(&hooks);
    hooks.FOpen = openChosenFile;
    hooks.Error = keepError;
    t_openPath = QFile::encodeName(path).toStdString();
    t_lastError.clear();
    DBFHandle dbf = DBFOpenLL(t_openPath.c_str(), "rb", &hooks);
    if (!dbf) {
        if (t_lastError.empty())
            throw NorlaError::cannotOpen(absolute(path));
        throw damaged(path, QString::fromLocal8Bit(t_lastError));
    }
    auto handle = std::make_unique<Handle>();
    handle->dbf = dbf;

    QStringList missing;
    for (int column = 0; column < ColumnCount; ++column) {
        m_columnIndex[column] = DBFGetFieldIndex(dbf, columnNames()[column].toLatin1().constData());
        if (m_columnIndex[column] < 0)
            missing.append(columnNames()[column]);
    }
    if (!missing.isEmpty()) {
        DBFClose(dbf);
        throw NorlaError(QStringLiteral("A(z) %1 dBase táblából hiányzó oszlop: %2.")
                             .arg(absolute(path), missing.join(QStringLiteral(", "))));
    }
    m_handle = handle.release();
    m_path = path;
    try {
        readCodePage();
    } catch (...) {
        close();
        throw;
    }
}

void DbfTable::readCodePage()
{
    m_languageDriver = static_cast<unsigned char>(m_handle->dbf->iLanguageDriver);
    m_codePage = DbfCodePage::forLanguageDriver(m_languageDriver);
    if (m_codePage.isEmpty()) {
        // Many producers leave the driver byte 0 (LibreOffice does so for 852
        // and 1250 alike); the character data of the rows converted decides.
        DbfCodePage::Detector detector;
        const DBFHandle dbf = m_handle->dbf;
        const int rows = DBFGetRecordCount(dbf);
        for (int row = firstLiveRow() + 1; row < rows; ++row) {
            if (DBFIsRecordDeleted(dbf, row))
                continue;
            const char* tuple = DBFReadTuple(dbf, row);
            if (!tuple)
                break;
            detector.feed(QByteArrayView(tuple, dbf->nRecordLength).sliced(1));
        }
        m_codePage = detector.verdict();
    }
    m_toText = DbfCodePage::toWin1250RoundTripTable(m_codePage);
}

// A value as the table gives it: trailing blanks (and the NUL padding some
// producers write) are not part of the text, so an all-blank value is empty.
// Numbers are right-aligned, so their leading blanks go too; character data
// keeps its leading blanks.
QByteArrayView DbfTable::fieldText(QByteArrayView raw, char type)
{
    qsizetype end = raw.size();
    while (end > 0 && (raw[end - 1] == ' ' || raw[end - 1] == '\0'))
        --end;
    qsizetype begin = 0;
    if (type != 'C')
        while (begin < end && raw[begin] == ' ')
            ++begin;
    return raw.sliced(begin, end - begin);
}

int DbfTable::firstLiveRow() const
{
    const DBFHandle dbf = m_handle->dbf;
    const int rows = DBFGetRecordCount(dbf);
    int row = 0;
    while (row < rows && DBFIsRecordDeleted(dbf, row))
        ++row;
    return row;
}

// Cuts the values from one raw read of the row instead of one library call
// per column, by the field offsets shapelib keeps. False when the row cannot
// be read; t_lastError says why.
bool DbfTable::readRow(int row, Record& record) const
{
    const DBFHandle dbf = m_handle->dbf;
    t_lastError.clear();
    const char* tuple = DBFReadTuple(dbf, row);
    if (!tuple)
        return false;
    for (int column = 0; column < ColumnCount; ++column) {
        const int field = m_columnIndex[column];
        const QByteArrayView value =
            fieldText(QByteArrayView(tuple + dbf->panFieldOffset[field], dbf->panFieldSize[field]),
                      dbf->pachFieldType[field]);
        record[column] = RecordLine::singleLine(DbfCodePage::decode(value, m_toText));
    }
    return true;
}

void DbfTable::forEachRecord(const std::function<void(const Record&)>& visit) const
{
    if (!m_handle)
        throw NorlaError(
            QStringLiteral("Nincs megnyitott dBase tábla: előbb nyissa meg a forrásfájlt (1. lépés)."));
    const DBFHandle dbf = m_handle->dbf;
    const int rows = DBFGetRecordCount(dbf);
    Record record;
    for (int row = firstLiveRow() + 1; row < rows; ++row) {
        if (DBFIsRecordDeleted(dbf, row))
            continue;
        if (!readRow(row, record))
            throw NorlaError(QStringLiteral("A(z) %1 dBase tábla %2. rekordja nem olvasható: %3")
                                 .arg(absolute(m_path))
                                 .arg(row + 1)
                                 .arg(QString::fromLocal8Bit(t_lastError)));
        visit(record);
    }
}

std::optional<DbfTable::Record> DbfTable::leftOutRecord() const
{
    if (!m_handle)
        return std::nullopt;
    const int row = firstLiveRow();
    if (row >= DBFGetRecordCount(m_handle->dbf))
        return std::nullopt;
    Record record;
    if (!readRow(row, record))
        record = Record{};
    return record;
}
