#pragma once

#include "core/convert/DbfTable.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <shapefil.h>

#include <utility>

// Writes dBase tables the way a real producer does, through shapelib's own
// writer, with the columns and declared sizes of the conversion's tables.
struct DbfFixtureRow
{
    QHash<QString, QByteArray> values; // column -> raw bytes in the table's code page
    bool deleted = false;
    QList<QString> nullColumns;
};

inline int declaredSize(const QString& column)
{
    static const QHash<QString, int> sizes = {
        {QStringLiteral("KOTET"), 2},       {QStringLiteral("REKORD"), 10},   {QStringLiteral("FORD"), 2},
        {QStringLiteral("LINK"), 8},        {QStringLiteral("REKTIPUS"), 30}, {QStringLiteral("NYELV"), 25},
        {QStringLiteral("ADATHORDOZ"), 20},
    };
    return sizes.value(column, 250);
}

// `languageDriver` is written to byte 29 of the header.
inline bool writeDbfFixture(const QString& path, const QList<DbfFixtureRow>& rows, int languageDriver = 0xC8,
                            const QStringList& leaveOut = {})
{
    QFile::remove(path);
    const QByteArray codePage = "LDID/" + QByteArray::number(languageDriver);
    DBFHandle dbf = DBFCreateEx(QFile::encodeName(path).constData(), codePage.constData());
    if (!dbf)
        return false;
    QHash<QString, int> index;
    for (const QString& column : DbfTable::columnNames()) {
        if (leaveOut.contains(column))
            continue;
        const QByteArray name = column.toLatin1();
        const int at = column == u"N1"
                           ? DBFAddField(dbf, name.constData(), FTDouble, 10, 0)
                           : DBFAddField(dbf, name.constData(), FTString, declaredSize(column), 0);
        index.insert(column, at);
    }
    for (int row = 0; row < rows.size(); ++row) {
        if (index.contains(QStringLiteral("N1")))
            DBFWriteDoubleAttribute(dbf, row, index.value(QStringLiteral("N1")), row + 1);
        for (auto it = index.cbegin(); it != index.cend(); ++it) {
            if (it.key() == u"N1")
                continue;
            if (rows[row].nullColumns.contains(it.key()))
                DBFWriteNULLAttribute(dbf, row, it.value());
            else
                DBFWriteStringAttribute(dbf, row, it.value(), rows[row].values.value(it.key()).constData());
        }
        if (rows[row].deleted)
            DBFMarkRecordDeleted(dbf, row, 1);
    }
    DBFClose(dbf);
    return true;
}

// A row whose REKORD is `name` and other columns as given.
inline DbfFixtureRow dbfRow(const QByteArray& name, QHash<QString, QByteArray> values = {})
{
    values.insert(QStringLiteral("REKORD"), name);
    DbfFixtureRow row;
    row.values = std::move(values);
    return row;
}
