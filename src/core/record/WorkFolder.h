#pragma once

#include <QString>

// The files of a working folder (the start directory), by the names the
// user's folder, the settings and the index set share. Every reader and
// writer takes a name from here, so a folder means the same to all of them.
namespace WorkFolder {

// The settings, and the default subject menu tree.
inline const QString SettingsFile = QStringLiteral("config.kzs");
inline const QString SubjectTreeFile = QStringLiteral("menu0.zda");

// The user-editable lists (see LookupList) and the search's other pick lists.
inline const QString RecordTypesFile = QStringLiteral("tipus.zda");
inline const QString RolesFile = QStringLiteral("szerep.zda");
inline const QString LanguagesFile = QStringLiteral("nyelv.zda");
inline const QString VolumesFile = QStringLiteral("kotet.zda");
inline const QString MediaFile = QStringLiteral("adath.zda");

// The index set: three name lists, the record directory and the chunks.
inline const QString CreatorsFile = QStringLiteral("alkoto.zda");
inline const QString PublishersFile = QStringLiteral("kiado.zda");
inline const QString PlacesFile = QStringLiteral("megjhely.zda");
inline const QString ChunkNumbersFile = QStringLiteral("fsz0.zda"); // chunk number per record
inline const QString RecordNamesFile = QStringLiteral("fsz1.zda");  // record name per record
// Every chunk file, as readers look for them (letter case ignored).
inline const QString ChunkFilePattern = QStringLiteral("adatb*.ztf");
// Chunk `number`, counting from 1: adatb1.ztf, adatb2.ztf, …
inline QString chunkFile(int number)
{
    return QStringLiteral("adatb%1.ztf").arg(number);
}

// Which databases the index set was built from, one file name a line
// (UTF-8); written after each build, read to tell a stale index.
inline const QString IndexSourcesFile = QStringLiteral(".norla-index-sources");

// Held by the one index run of the folder, from the editor or the command line.
inline const QString IndexLockFile = QStringLiteral(".norla-index-zarolas");
// While the new set takes the place of the previous one, the previous set
// waits in the first folder and the rest of the new one in the second; a
// reader that sees either, or sees them come and go, has met the swap.
inline const QString IndexPreviousFolder = QStringLiteral(".norla-index-previous");
inline const QString IndexMovingFolder = QStringLiteral(".norla-index-moving");

// The words everyone working in the folder accepted in proofreading, one a
// line (UTF-8).
inline const QString AcceptedWordsFile = QStringLiteral("sajatszavak.txt");

// The database the main window opens at start-up; never offered for indexing.
inline const QString DefaultDatabaseFile = QStringLiteral("adatbazis.rtf");

} // namespace WorkFolder
