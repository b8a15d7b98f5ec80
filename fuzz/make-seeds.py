#!/usr/bin/env python3
"""Writes small, well-formed starting inputs for the fuzz targets whose
formats the test fixtures do not cover as files: dBase tables, zdb files,
Director exports, chunk files and the record directory. Deterministic;
the output is committed under fuzz/seeds/<target>/."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
COLUMNS = ["N1", "KOTET", "REKORD", "FORD", "LINK", "REKTIPUS", "NYELV", "ADATHORDOZ", "TARGYK", "SZERZO",
           "SZERKESZTO", "FORDITO", "BEVEZETO", "CIM", "KIADVANY", "KIADO", "EVFOLYAM", "EV", "OLDSZAM",
           "MEGJHELY", "MEGJEGYZES"]


def out(target, name, data):
    folder = os.path.join(HERE, "seeds", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def utf16_file(lines):
    return b"\xff\xfe" + "".join(line + "\r\n" for line in lines).encode("utf-16-le")


def record(k, name="Kovács Ödön", title="Cím"):
    return (f"Ka{k:06d}00**könyv**tárgy**01{name}**02**03**04**{title}**sor**Gondolat**1**1990**9 p."
            "**Budapest**jegyzet****0**magyar**papír")


def dbf(rows, width=12, language_driver=0xC8, deleted=(), field_type=b"C"):
    header_length = 32 + 32 * len(COLUMNS) + 1
    record_length = 1 + width * len(COLUMNS)
    head = struct.pack("<BBBBIHH", 3, 124, 1, 1, len(rows), header_length, record_length)
    head += b"\0" * 17 + bytes([language_driver]) + b"\0\0"
    fields = b""
    for name in COLUMNS:
        fields += name.encode().ljust(11, b"\0") + field_type + b"\0" * 4 + bytes([width, 0]) + b"\0" * 14
    body = b""
    for i, row in enumerate(rows):
        body += b"*" if i in deleted else b" "
        for name in COLUMNS:
            body += row.get(name, b"").ljust(width, b" ")[:width]
    return head + fields + b"\r" + body + b"\x1a"


def main():
    rows = [
        {"KOTET": b"Ka", "REKORD": b"123", "CIM": "Első cím".encode("cp1250")},
        {"KOTET": b"Lu", "REKORD": b"124", "SZERZO": "Kovács".encode("cp1250"), "FORD": b"1"},
        {"KOTET": b"Ma", "REKORD": b"0b", "CIM": "sor\r\nvég".encode("cp1250"), "EV": b"1990"},
    ]
    out("fuzz_dbf", "cp1250.dbf", dbf(rows))
    out("fuzz_dbf", "no-driver-852.dbf", dbf([{k: v.decode("cp1250").encode("cp852") for k, v in r.items()}
                                               for r in rows], language_driver=0))
    out("fuzz_dbf", "deleted.dbf", dbf(rows, deleted=(0, 2)))
    out("fuzz_dbf", "numeric.dbf", dbf(rows[:2], width=4, field_type=b"N"))

    out("fuzz_zdb", "two-records.zdb", utf16_file([
        "00000123001könyv", "00000123002Kovács Ödön", "00000123005Cím", "00000123030magyar",
        "00000124001fordítás", "00000124020tárgy", "00000124000renamed1", "renamed1031papír",
    ]))
    out("fuzz_zdb", "eight-bit.zdb", "0000001200 1\r\n000000120019egy\r\n".encode("cp1250"))

    block = ["könyv", "Kovács Ödön", "Cím", "al", "cím", "kiadvány", "Gon", "dolat", "1", "1990", "9 p.",
             "Budapest", "123", "Fordító", "magyar", "megj"]
    out("fuzz_director", "volume-ka.txt", b"\x01" + "\r\n".join(block * 2 + ["", "x"]).encode("cp1250"))
    out("fuzz_director", "unicode.txt", b"\x08" + utf16_file(block + [""] + block[1:]))

    chunk = utf16_file([record(k) for k in range(1, 4)] + [record(4, "KOVÁCS", "Ödön\u2028tovább")])
    out("fuzz_chunks", "fragment.bin", b"\x00Kov\n" + chunk)
    out("fuzz_chunks", "word-or.bin", b"\x03" + "Cím Budapest\n".encode("cp1250") + chunk)
    out("fuzz_chunks", "creator-role.bin", b"\x08" + "Kovács\n".encode("cp1250") + chunk)
    out("fuzz_chunks", "translation.bin", b"\x30\n" + chunk)

    names = "".join(f"Ka{k:06d}00\r\n" for k in range(1, 5)).encode("cp1250")
    numbers = b"1\r\n1\r\n2\r\n+3\r\n"
    out("fuzz_browselist", "set.bin", names + b"\n==\n" + numbers + b"\n==\n" + chunk)


if __name__ == "__main__":
    main()
