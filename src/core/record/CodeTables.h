#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The fixed tables that give field values their meaning: volumes, creator
// roles, record-name suffixes, media and the captions that follow the record type.
namespace CodeTables {

inline constexpr int VolumeCount = 8;
// Position 0..7 -> "Ka" … "Ma"; empty outside.
QString volumeCode(int position);
// Radio caption of the volume groups ("Kardel" … "Ma (új adatok)").
QString volumeCaption(int position);
// Volume name shown for a record ("Kardel" … "Mai adatok").
QString volumeName(int position);
// Case-sensitive; -1 when the code is none of the eight.
int volumePosition(QStringView code);
QStringList volumeCaptions();

inline constexpr int WritableRoleCount = 30;
// List position p (1-based) -> "01" … "30"; anything else (no selection, beyond 30) -> "01".
QString roleCode(int position);
// "01" … "39" -> 1 … 39, "0a" … "0n" -> 10 … 23; 0 for any other code, the empty one included.
int rolePosition(QStringView code);
// Editor rule: 0-based combo index of the code, -1 (no selection) when unknown or beyond the list.
int roleComboIndex(QStringView code, int listSize);
// Browse rule: 0-based index into the role list; unknown codes and positions beyond the list give 0.
int roleNameIndex(QStringView code, int listSize);
// Browse rule applied to a list; empty only when the list is empty.
QString roleName(QStringView code, const QStringList& roles);

// "00", then "0a" … "0z", "1a" … "9z": 261 entries.
const QStringList& suffixes();
// "papír", "CD-ROM", "mikrofilm".
const QStringList& media();

struct TypeCaptions
{
    QString publicationLabel; // label beside the publication field, with ":"
    QString volumeLabel;      // label beside the volume/annual-run field, with ":"
    QString publicationMenu;  // extraction menu entry 6
    QString volumeMenu;       // extraction menu entry 8
};
// Exact comparison with "könyv", "külön lenyomat", "cikk gyűjt. kötetben"; anything else the defaults.
TypeCaptions typeCaptions(QStringView recordType);

} // namespace CodeTables
