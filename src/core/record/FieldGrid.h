#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>

// The decoded view of one record: 18 numbered 8-bit (Windows-1250) values.
// Search and the browse view read records through it.
struct FieldGrid
{
    enum Row
    {
        Name = 0,
        RecordType = 1,
        Subject = 2,
        Creators = 3,
        Title = 4,
        Publication = 5,
        Publisher = 6,
        VolumeRun = 7,
        Year = 8,
        Pages = 9,
        Place = 10,
        Note = 11,
        Link = 12,
        Translation = 13,
        Language = 14,
        Medium = 15,
        VolumeName = 16,
        Contribution = 17,
    };
    static constexpr int RowCount = 18;

    std::array<QByteArray, RowCount> rows;

    const QByteArray& operator[](int row) const { return rows[row]; }

    // Decodes an 8-bit line.
    static FieldGrid decode(QByteArrayView line);
    // Converts a Unicode line to 8-bit first ("?" for what the code page lacks).
    static FieldGrid decodeUnicode(QStringView line);

    // "  0.   Rekordnév" … "17.   Közreműködés".
    static const std::array<QString, RowCount>& titles();
};
