#!/usr/bin/env python3
"""Writes the sample working folder data/ of Norla.

Everything in it is invented: authors, titles, journals and publishers are
made up, only the place names are real towns. The output is deterministic
(a fixed random seed), so running the script again gives the same bytes and a
change to the sample shows up as a readable diff of this script.

Files and their encodings, as the editor reads them:
  tipus.zda, szerep.zda, nyelv.zda, menu0.zda   8-bit text: Windows-1250, CR LF
  kotet.zda, adath.zda                          Unicode text file: FF FE, UTF-16LE, CR LF
  *.rtf (databases)                             Unicode text file: FF FE, UTF-16LE, CR LF

Usage: scripts/make-sample-data.py [OUTPUT_DIR]   (default: data/ beside scripts/)
Only the Python standard library is used.
"""

import random
import re
import sys
from pathlib import Path

SEPARATOR = "**"
FIELD_COUNT = 19

RECORD_TYPES = [
    "könyv",
    "folyóiratcikk",
    "cikk gyűjt. kötetben",
    "külön lenyomat",
    "rec.",
    "disszertáció",
    "kézirat",
]

ROLES = [
    "Szerző",
    "Szerkesztő",
    "Fordító",
    "Bevezetést írta",
    "Illusztrátor",
    "Sajtó alá rendező",
    "Összeállító",
    "Előszót írta",
    "Utószót írta",
    "Jegyzetekkel ellátta",
    "Lektor",
    "Fényképész",
    "Térképrajzoló",
    "Válogató",
    "Átdolgozó",
    "Tanulmányt írta",
    "Mutatót készítette",
    "Bibliográfiát összeállította",
    "Magyarázatokkal ellátta",
    "Grafikus",
    "Tipográfus",
    "Közreműködő",
    "Felelős kiadó",
    "Interjút készítette",
    "Nyersfordító",
    "A fordítást ellenőrizte",
    "Szakmai tanácsadó",
    "Képszerkesztő",
    "Sorozatszerkesztő",
    "Témavezető",
]

LANGUAGES = [
    "magyar",
    "latin",
    "német",
    "angol",
    "francia",
    "olasz",
    "görög",
    "orosz",
    "spanyol",
    "lengyel",
    "cseh",
    "szlovák",
    "román",
    "horvát",
    "szerb",
    "holland",
    "svéd",
    "finn",
    "török",
]

# (code, name) in the order of the volume table.
VOLUMES = [
    ("Ka", "Kardel"),
    ("Lu", "Lunvek"),
    ("No", "Nosvair"),
    ("Si", "Sivarnholdt"),
    ("Vu", "Vuranek"),
    ("Ze", "Zelnar"),
    ("Go", "Gorval"),
    ("Ma", "Mai adatok"),
]

# Years each printed volume covers; "Ma" is current data.
VOLUME_YEARS = {
    "Ka": (1901, 1925),
    "Lu": (1926, 1940),
    "No": (1941, 1955),
    "Si": (1956, 1970),
    "Vu": (1971, 1985),
    "Ze": (1986, 1995),
    "Go": (1996, 2005),
    "Ma": (2006, 2023),
}

MEDIA = ["papír", "CD-ROM", "mikrofilm"]

# Five levels, depth given by the leading asterisks; "*-" is a separator.
SUBJECT_TREE = """\
*Általános művek
**Bibliográfiák
**Lexikonok, enciklopédiák
**Folyóirat-repertóriumok
*Történettudomány
**Ókor
***Görög történelem
****Archaikus kor
****Klasszikus kor
*****Városállamok közigazgatása
*****Hadtörténet
****Hellenisztikus kor
***Római történelem
****Köztársaság kora
****Császárkor
*****Provinciák
*****Pannonia
**Középkor
***Magyar középkor
****Árpád-kor
****Anjou-kor
***Egyháztörténet
**Újkor
***Reformkor
***Helytörténet
*-
*Irodalomtudomány
**Irodalomelmélet
**Régi magyar irodalom
***Kódexirodalom
***Humanizmus
****Neolatin költészet
*****Epigrammák
**Világirodalom
***Ókori irodalom
***Modern irodalom
*Nyelvtudomány
**Általános nyelvészet
**Magyar nyelvtörténet
***Szókincstörténet
***Helynévkutatás
**Klasszika-filológia
***Szövegkiadások
***Papirológia
*Művészettörténet
**Építészet
**Festészet
**Iparművészet
*Könyvtártudomány
**Könyvtörténet
***Nyomdászattörténet
****Ősnyomtatványok
****Régi magyar nyomtatványok
***Könyvkötéstörténet
**Katalogizálás
**Olvasásszociológia
"""

SURNAMES = [
    "Almási", "Bencze", "Csorba", "Dévai", "Erdős", "Fehérvári", "Gálfi",
    "Hollósi", "Ivánka", "Jakabffy", "Kerekes", "Lendvai", "Mohácsi",
    "Nyárádi", "Orbók", "Pálfalvi", "Rédei", "Somlyai", "Tarján", "Ungvári",
    "Vadász", "Zsoldos", "Bükkösi", "Szentmarjai",
]
GIVEN_NAMES = [
    "Anna", "Bálint", "Csilla", "Dénes", "Emőke", "Ferenc", "Gréta",
    "Hajnalka", "Imre", "Judit", "Kornél", "Lilla", "Márton", "Noémi",
    "Ödön", "Piroska", "Réka", "Sándor", "Tünde", "Zoltán",
]
# Foreign creators of translated works; some need characters Windows-1250 lacks.
FOREIGN_NAMES = [
    "Heinrich Vogelsang", "Marie Duchâtel", "Giulia Santorelli",
    "Θεόδωρος Καλλιγᾶς", "Søren Lindahl", "Анна Береговая", "Tomasz Wierzbiłowski",
]
PUBLISHERS = [
    "Nádas Kiadó", "Kőrisfa Könyvek", "Lámpás Kiadó", "Ezüsthíd Kiadó",
    "Szélrózsa Kiadó", "Hársfa Könyvműhely", "Egyetemi Nyomda",
]
SERIES = [
    "Műhelytanulmányok", "Forráskiadványok", "Kis filológiai könyvtár",
    "Könyvtári füzetek", "Régi szövegek", "Helytörténeti dolgozatok",
]
JOURNALS = [
    "Északi Szemle", "Antik Hagyomány", "Nyelv és Kor",
    "Könyvtári Tájékoztató Füzetek", "Műhelyjegyzetek", "Levéltári Évkönyv",
]
PLACES = [
    "Budapest", "Szeged", "Debrecen", "Pécs", "Kolozsvár", "Pozsony",
    "Bécs", "Lipcse", "Róma", "Párizs",
]
TITLE_PATTERNS = [
    "{s}: tanulmányok",
    "Adatok és források – {s}",
    "Jegyzetek egy kéziratról ({l})",
    "{s}. Válogatott írások",
    "Új szempontok: {l}",
    "Kézikönyv és szöveggyűjtemény: {l}",
    "Kérdések és viták – {l}",
    "{s} a régi nyomtatványok tükrében",
]
# Free-text titles and notes with characters outside Windows-1250.
FOREIGN_TITLES = [
    "Λόγοι καὶ μῦθοι: görög prózai töredékek",
    "Старые книги: orosz könyvtörténeti tanulmányok",
    "Bøger og læsere: olvasás a skandináv városokban",
    "Ἡ βιβλιοθήκη τῆς πόλεως – egy városi könyvtár leltára",
]
FOREIGN_NOTES = [
    "Eredeti cím: Περὶ τῶν βιβλίων",
    "Párhuzamos cím: Книжное дело",
    "Az idézetek görögül (ἀρχή, λόγος) és latinul",
    "Melléklet: Ærø szigetének térképe",
]
PLAIN_NOTES = [
    "Mutatóval", "Képekkel", "Bibliográfiával", "Kétnyelvű kiadás",
    "Térképmelléklettel", "Rövidített változat", "Hasonmás kiadás",
]


def subjects():
    """Subject texts as a choice from the tree gives them (no leading asterisks)."""
    result = []
    for line in SUBJECT_TREE.splitlines():
        text = line[1:].lstrip("*")
        if text != "-":
            result.append(text)
    return result


def title_of(rng, subject):
    return rng.choice(TITLE_PATTERNS).format(s=subject, l=subject.lower())


def person(rng):
    return f"{rng.choice(SURNAMES)} {rng.choice(GIVEN_NAMES)}"


def creator_slots(rng, translated):
    """Four slots: role code + name; an empty slot is the bare code."""
    slots = ["01" + person(rng), "02", "03", "04"]
    if translated:
        slots[0] = "01" + rng.choice(FOREIGN_NAMES)
        slots[2] = "03" + person(rng)
    roll = rng.random()
    if roll < 0.25:
        slots[1] = "02" + person(rng)
    elif roll < 0.45:
        # A slot may carry any role, not only its default one.
        slots[3] = f"{rng.randint(5, 30):02d}" + person(rng)
    elif roll < 0.5:
        slots[0] = "07" + person(rng)  # an anonymous work with a compiler
    if rng.random() < 0.1:
        slots[3] = "04" + person(rng)
    return slots


def record_fields(rng, name, record_type, year, subject_list):
    translated = rng.random() < 0.2
    subject = rng.choice(subject_list)
    if rng.random() < 0.08:
        title = rng.choice(FOREIGN_TITLES)
    else:
        title = title_of(rng, subject)
    publication = publisher = volume = pages = place = ""
    if record_type in ("könyv", "külön lenyomat", "disszertáció"):
        publication = rng.choice(SERIES) if rng.random() < 0.6 else ""
        publisher = rng.choice(PUBLISHERS)
        volume = str(rng.randint(1, 40)) if publication else ""
        pages = f"{rng.randint(48, 620)} p."
        place = rng.choice(PLACES)
    elif record_type == "cikk gyűjt. kötetben":
        publication = "Emlékkönyv " + person(rng) + " tiszteletére"
        publisher = rng.choice(PUBLISHERS)
        volume = str(rng.randint(1, 3)) if rng.random() < 0.3 else ""
        first = rng.randint(1, 400)
        pages = f"{first}–{first + rng.randint(4, 40)}."
        place = rng.choice(PLACES)
    elif record_type in ("folyóiratcikk", "rec."):
        publication = rng.choice(JOURNALS)
        volume = f"{rng.randint(1, 80)}. évf. {rng.randint(1, 6)}. sz."
        first = rng.randint(1, 600)
        pages = f"{first}–{first + rng.randint(2, 30)}."
    else:  # kézirat
        pages = f"{rng.randint(10, 200)} fol."
        place = rng.choice(PLACES)

    if record_type == "rec.":
        note = "Ismertetett mű: " + title_of(rng, rng.choice(subject_list))
    elif rng.random() < 0.08:
        note = rng.choice(FOREIGN_NOTES)
    elif rng.random() < 0.3:
        note = rng.choice(PLAIN_NOTES)
    else:
        note = ""
    link = f"https://example.org/norla/{name}" if rng.random() < 0.1 else ""
    if translated:
        language = "magyar"
    else:
        language = rng.choice(["magyar"] * 6 + ["latin", "német", "angol", "francia", "olasz", "görög", ""])
    medium = rng.choices(MEDIA, weights=[8, 1, 1])[0]
    return [
        name, record_type, subject, *creator_slots(rng, translated), title, publication,
        publisher, volume, str(year), pages, place, note, link,
        "1" if translated else "0", language, medium,
    ]


def make_database(rng, volume_codes, count, subject_list):
    """About `count` records spread over the given volumes, in record-name order."""
    lines = []
    per_volume = count // len(volume_codes)
    for index, code in enumerate(volume_codes):
        number = rng.randint(1, 40)
        wanted = per_volume + (count - per_volume * len(volume_codes) if index == len(volume_codes) - 1 else 0)
        low, high = VOLUME_YEARS[code]
        made = 0
        while made < wanted:
            record_type = rng.choices(RECORD_TYPES, weights=[6, 6, 4, 2, 2, 1, 1])[0]
            year = rng.randint(low, high)
            suffixes = ["00"]
            # A few records share the number with further records ("0a", "1b").
            if rng.random() < 0.12 and made + 2 <= wanted:
                suffixes.append(rng.choice(["0a", "1b"]))
            for suffix in suffixes:
                name = f"{code}{number:06d}{suffix}"
                lines.append(SEPARATOR.join(record_fields(rng, name, record_type, year, subject_list)))
                made += 1
            number += rng.randint(1, 17)
    return lines


# Faults of real data, planted in a few records so that every check of the
# editor finds something in the sample on first use: proofreading a typo,
# the record check an impossible year, the name variants a name typed
# without accents beside its accented form, the unification of places an
# abbreviation beside the full name. Each is one field of one record; the
# value the generator gave is checked, so a change to the generator that
# moves the records stops the script here instead of planting elsewhere.
# (database, record name, field position, generated value, planted value)
PLANTED = [
    ("kotetek1.rtf", "Si0001080a", 7, "Világirodalom: tanulmányok", "Világirodalom: tanulmnyok"),
    ("kotetek1.rtf", "Ka00008300", 11, "1904", "19O4"),
    ("kotetek2.rtf", "Ze00001300", 5, "03Almási Réka", "03Almasi Reka"),
    ("kotetek1.rtf", "No00007100", 13, "Budapest", "Bp."),
]


def plant_faults(databases):
    for database, name, position, generated, planted in PLANTED:
        lines = databases[database]
        index = next(i for i, line in enumerate(lines) if line.split(SEPARATOR)[0] == name)
        fields = lines[index].split(SEPARATOR)
        assert fields[position] == generated, (name, fields[position])
        fields[position] = planted
        lines[index] = SEPARATOR.join(fields)


NAME_PATTERN = re.compile(r"^(Ka|Lu|No|Si|Vu|Ze|Go|Ma)\d{6}(00|\d[a-z])$")


# A small zdb field file for the conversion examples: one line per field
# value, the 8-character record key, the 3-digit field number, the value.
ZDB_RECORDS = [
    ("Lu000901", {1: "könyv", 2: "Halmi Ilona", 5: "Régi nyomtatványok jegyzéke", 6: "Forráskiadványok",
                  8: "1921", 9: "188 p.", 10: "Pécs", 20: "Ősnyomtatványok", 30: "magyar", 31: "papír"}),
    ("Lu000902", {1: "folyóiratcikk", 2: "Rédei Sándor", 5: "Levelek a kolostori könyvtárból",
                  6: "Levéltári Évkönyv", 7: "12. évf.", 8: "1922", 9: "41–58.", 20: "Helytörténet",
                  30: "magyar", 31: "papír"}),
    ("Lu000903", {1: "fordítás", 2: "Kerekes Lilla", 4: "Orbók Gréta", 5: "A városi írásbeliség kezdetei",
                  8: "1923", 9: "96 p.", 10: "Szeged", 11: "Németből fordítva", 20: "Császárkor",
                  30: "német", 31: "papír"}),
]


def zdb_lines():
    return [f"{key}{field:03d}{value}" for key, fields in ZDB_RECORDS for field, value in fields.items()]


def check_record(line):
    fields = line.split(SEPARATOR)
    assert line.count(SEPARATOR) == FIELD_COUNT - 1, line
    assert len(fields) == FIELD_COUNT, line
    for field in fields:
        # A field that starts or ends with "*" would move the separator.
        assert not field.startswith("*") and not field.endswith("*"), line
        assert "\r" not in field and "\n" not in field, line
    assert NAME_PATTERN.match(fields[0]), fields[0]
    assert fields[1] in RECORD_TYPES, fields[1]
    for slot in fields[3:7]:
        assert re.match(r"^(0[1-9]|[12]\d|30)", slot), slot
    assert fields[16] in ("0", "1"), fields[16]
    assert fields[17] == "" or fields[17] in LANGUAGES, fields[17]
    assert fields[18] in MEDIA, fields[18]
    # These fields pass through 8-bit text in the editor.
    for k in (0, 1, 15, 17, 18):
        fields[k].encode("cp1250")


def unicode_file(lines):
    return b"\xff\xfe" + "".join(line + "\r\n" for line in lines).encode("utf-16-le")


def eight_bit_file(lines):
    return "".join(line + "\r\n" for line in lines).encode("cp1250")


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "data"
    out.mkdir(parents=True, exist_ok=True)
    rng = random.Random(1972)
    subject_list = subjects()
    assert len(ROLES) == 30 and ROLES[:4] == ["Szerző", "Szerkesztő", "Fordító", "Bevezetést írta"]

    files = {
        "tipus.zda": eight_bit_file(RECORD_TYPES),
        "szerep.zda": eight_bit_file(ROLES),
        "nyelv.zda": eight_bit_file(LANGUAGES),
        "menu0.zda": eight_bit_file(SUBJECT_TREE.splitlines()),
        "kotet.zda": unicode_file([name for _, name in VOLUMES]),
        "adath.zda": unicode_file(MEDIA),
    }
    databases = {
        "kotetek1.rtf": make_database(rng, ["Ka", "Lu", "No", "Si"], 50, subject_list),
        "kotetek2.rtf": make_database(rng, ["Vu", "Ze", "Go"], 50, subject_list),
        "adatbazis.rtf": make_database(rng, ["Ma"], 50, subject_list),
    }
    plant_faults(databases)
    for name, lines in databases.items():
        for line in lines:
            check_record(line)
        files[name] = unicode_file(lines)
    files["regi.zdb"] = unicode_file(zdb_lines())

    for name, data in files.items():
        (out / name).write_bytes(data)
        print(f"{out / name}: {len(data)} bytes")


if __name__ == "__main__":
    main()
