#pragma once

#include "core/convert/DbfCodePage.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

// The dBase table of a conversion (`tabla1`), read through shapelib: opened
// read-only by its exact path, its 21 columns bound by name, each value handed
// on as text in the program's 8-bit Windows-1250 repertoire.
class DbfTable final
{
    Q_DISABLE_COPY_MOVE(DbfTable)

public:
    enum Column
    {
        N1,
        KOTET,
        REKORD,
        FORD,
        LINK,
        REKTIPUS,
        NYELV,
        ADATHORDOZ,
        TARGYK,
        SZERZO,
        SZERKESZTO,
        FORDITO,
        BEVEZETO,
        CIM,
        KIADVANY,
        KIADO,
        EVFOLYAM,
        EV,
        OLDSZAM,
        MEGJHELY,
        MEGJEGYZES,
        ColumnCount
    };
    using Record = std::array<QString, ColumnCount>;

    static const QStringList& columnNames();

    DbfTable() = default;
    ~DbfTable();

    // Closes what was open, then opens the table. Throws NorlaError for a file
    // that cannot be read, a damaged or truncated table and a missing column;
    // the table is closed then.
    void open(const QString& path);
    void close();
    bool isOpen() const { return m_handle != nullptr; }
    const QString& path() const { return m_path; }

    // Byte 29 of the header, and the code page the character data is read in.
    unsigned char languageDriver() const { return m_languageDriver; }
    const QByteArray& codePage() const { return m_codePage; }

    // Every live row from the second one on, in table order. Rows marked
    // deleted are invisible, as in the engine the tables come from: the row
    // left out is the first live one. A blank or null value is empty text;
    // blanks around a value are not kept. Throws NorlaError when the table is
    // closed or a row cannot be read.
    void forEachRecord(const std::function<void(const Record&)>& visit) const;
    // The row forEachRecord leaves out, so that the user can be told which
    // one it was; nullopt when the table is closed or has no live row. Its
    // values are empty when it cannot be read: it is only reported.
    std::optional<Record> leftOutRecord() const;

private:
    static QByteArrayView fieldText(QByteArrayView raw, char type);
    struct Handle;
    void readCodePage();
    int firstLiveRow() const;
    bool readRow(int row, Record& record) const;

    Handle* m_handle = nullptr;
    QString m_path;
    std::array<int, ColumnCount> m_columnIndex{};
    unsigned char m_languageDriver = 0;
    QByteArray m_codePage;
    DbfCodePage::Table m_toText{};
};
