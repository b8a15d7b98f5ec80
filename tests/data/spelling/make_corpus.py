#!/usr/bin/env python3
"""Writes the proofreading corpus: corpus.rtf, a database of a few hundred
records in the program's own format (UTF-16 with a byte-order mark, fields
joined by "**"), and corpus_key.tsv, the words planted in it that a
proofreader must report: single-edit typos of dictionary words ("typo") and
old spellings in records older than 1922 ("old"). Everything else in the
corpus is correct: Hungarian, German and Latin titles in records of either
language, names, bibliographic abbreviations and journal sigla.

Run again with the same seed to get the same files:  python3 make_corpus.py
"""
import random
import os

SEED = 1922
RECORDS = 420
HERE = os.path.dirname(os.path.abspath(__file__))

FAMILY = ["Kovács", "Szabó", "Tóth", "Horváth", "Varga", "Kiss", "Molnár", "Németh", "Farkas", "Balogh",
          "Pálfalvi", "Somlyai", "Orbók", "Jakabffy", "Szentmarjai", "Wierzbiłowski", "Bükkösi", "Nyárádi",
          "Ungvári", "Fehérvári", "Hollósi", "Rédei", "Lendvai", "Tarján", "Gálfi", "Zsoldos", "Csorba",
          "Kerekes", "Mohácsi", "Dévai", "Borsa", "Pintér", "Gulyás", "Fitz", "Szinnyei", "Petrik",
          "Ecsedy", "Madas", "Monok", "Hubay", "Kovátsné", "Vizkelety", "Zvara", "Soltész"]
GIVEN = ["János", "Gedeon", "Ilona", "Márton", "Judit", "Péter", "Katalin", "Ferenc", "Anna", "István",
         "Edit", "Zoltán", "Réka", "Attila", "Erzsébet", "Gábor", "Noémi", "Béla"]
GERMAN_NAMES = ["Heinrich Vogelsang", "Karl Schottenloher", "Ferdinand Geldner", "Elisabeth Soltész",
                "Konrad Haebler", "Ernst Consentius", "Gisela Mayer"]
PUBLISHERS = ["Akadémiai Kiadó", "Balassi Kiadó", "Osiris Kiadó", "Gondolat", "Argumentum Kiadó",
              "Universitas Kiadó", "Országos Széchényi Könyvtár", "Franklin-Társulat", "Athenaeum"]
PLACES = ["Budapest", "Bp.", "Szeged", "Debrecen", "Pécs", "Kolozsvár", "Pozsony", "Wien", "Leipzig",
          "München", "Eger", "Sárospatak"]

# Hungarian titles, in sentence case as Hungarian bibliographies write them.
HU_SUBJECTS = ["a magyar könyvtártörténet", "a régi magyar nyomtatványok", "a hazai könyvkiadás",
               "a nyomdászat története", "a kódexek világa", "a humanista könyvgyűjtés",
               "a sárospataki kollégium könyvtára", "a debreceni nyomda", "az egyházi könyvtárak",
               "a magyar sajtó", "a folyóirat-irodalom", "a könyvkötészet", "az olvasás története",
               "a bibliográfia elmélete", "a könyvtári katalógusok", "a régi magyar irodalom",
               "a tizenhatodik századi magyar nyelv", "a felvilágosodás kori könyvkultúra",
               "a főúri könyvtárak", "a kolostori könyvgyűjtemények", "a nyomtatott kalendáriumok",
               "a protestáns iskolák könyvei", "a magyar hírlapok", "a cenzúra gyakorlata"]
HU_FRAMES = ["{S} története", "Tanulmányok {s} köréből", "Adatok {s} történetéhez",
             "{S} a tizennyolcadik században", "Források {s} kutatásához", "Új eredmények: {s}",
             "{S} és Európa", "Vázlatok {s} történetéhez", "{S}. Válogatott tanulmányok",
             "Kérdések és viták: {s}", "{S} a reformáció korában", "Fejezetek {s} történetéből"]
HU_NOTES = ["Bibliográfiával", "Névmutatóval", "Képekkel és hasonmásokkal", "Hasonmás kiadás",
            "Angol nyelvű összefoglalóval", "Különny. a MKsz {y}. évi számából", "Szerk. {name}",
            "Ism. az ItK {y}. évfolyamában", "Bibliogr. a kötet végén", "Az RMNy {n}. tételének leírásával",
            "Ford. {name}", "Térképmelléklettel", "A kötet tanulmányait vál. és szerk. {name}",
            "Különny. az ItK {y}. évfolyamából", "Ism. az MKsz-ben: {name}",
            "Részletek a szerző ItK-beli tanulmányából", "Az OSZK gyűjteményéből", "Az RMK I. {n}. számú nyomtatvány hasonmása",
            "Ism.: {name}, MKsz {y}", "Előszó: {name}", "A szöveget gond. és jegyz. {name}"]
HU_PERSON_TITLES = ["{name} emlékezete", "{name} könyvtára", "{name} levelezése",
                    "{name} és a magyar bibliográfia", "{fam} hagyatéka a kézirattárban",
                    "Emlékkönyv {name} születésének századik évfordulójára",
                    "{hist} nyomdája", "{hist} és a magyar könyvkiadás", "Adatok {hist} életéhez",
                    "{hist} könyvtárának jegyzéke", "Újabb adatok {hist} működéséhez"]
# People of the book's history who are no creators of the corpus: only the
# capital and the missing near word tell that they are names.
HISTORICAL = ["Heltai Gáspár", "Hess András", "Misztótfalusi Kis Miklós", "Szenci Molnár Albert",
              "Bornemisza Péter", "Apáczai Csere János", "Kazinczy Ferenc", "Teleki Sámuel", "Ráday Gedeon",
              "Jankovich Miklós", "Batthyány Ignác", "Huszár Gál", "Manlius János", "Sylvester János",
              "Pesti Gábor", "Dévai Bíró Mátyás", "Klösz György", "Landerer Mihály", "Trattner Mátyás",
              "Haiczinger Gáspár", "Bél Mátyás", "Czvittinger Dávid", "Sándor István", "Toldy Ferenc"]
HISTORICAL_WORDS = {w for name in HISTORICAL for w in name.split()}
BILINGUAL = ["A pesti nyomdák története = Geschichte der Pester Druckereien",
             "Régi magyar könyvtár = Alte ungarische Bibliothek",
             "„Corpus juris Hungarici”: a magyar jog forrásai",
             "A Corvina-könyvtár = Bibliotheca Corviniana",
             "Hungarian book history: a magyar könyvtörténet angolul",
             "„Historia regni Hungariae”: egy kézirat sorsa"]
PUBLICATIONS = ["Magyar Könyvszemle", "MKsz", "ItK", "Irodalomtörténeti Közlemények", "Századok",
                "Könyvtári Figyelő", "OSZK Évkönyv", "Az Országos Széchényi Könyvtár Évkönyve", "Helikon",
                "Könyv és Nevelés", "Magyar Nyelv", "Egyháztörténeti Szemle", "Fons"]

DE_TITLES = ["Geschichte des Buchdrucks in Ungarn", "Die Bibliothek des Königs Matthias Corvinus",
             "Studien zur Geschichte der Buchkultur", "Der Buchhandel im achtzehnten Jahrhundert",
             "Die Inkunabeln der Universitätsbibliothek", "Beiträge zur Geschichte des Buchwesens",
             "Handschriften und frühe Drucke", "Die Buchdrucker des sechzehnten Jahrhunderts",
             "Bibliotheken und Leser in der frühen Neuzeit", "Verzeichnis der gedruckten Bücher",
             "Der Einband im Zeitalter der Reformation", "Zeitschriften und Zeitungen im Wandel",
             "Lesegesellschaften in Mitteleuropa", "Die Zensur im Habsburgerreich",
             "Kalender und Almanache", "Buchkunst und Typographie"]
LA_TITLES = ["Historia regni Hungariae", "Corpus juris Hungarici", "De origine Hungarorum",
             "Annales ecclesiastici regni Hungariae", "Epistolae ad amicos", "Catalogus librorum bibliothecae",
             "Dissertatio de antiquitate typographiae", "Memoria Hungarorum et provincialium",
             "Oratio de laudibus litterarum", "Monumenta Hungariae historica", "Acta litteraria Hungariae",
             "Scriptores rerum Hungaricarum", "Decreta et constitutiones regni", "De bello Turcico commentarius",
             "Carmina et epistolae", "Institutiones juris ecclesiastici", "Index librorum prohibitorum",
             "Historia litteraria Hungariae", "Opera omnia", "Syllabus librorum in bibliotheca"]
EN_TITLES = ["The history of printing in Hungary", "Books and readers in Central Europe",
             "A catalogue of incunabula", "The library of King Matthias"]

# Old records: titles in the spelling of their time, each with its old forms.
OLD_TITLES = [("A magyar irodalom története. Második kötet", []),
              ("Czikkek és tanulmányok a hazai irodalomból", ["Czikkek"]),
              ("Gyüjtemény a magyar nyelv emlékeiből", ["Gyüjtemény"]),
              ("A könyvnyomtatás története Magyarországon", []),
              ("Levelek és iratok czímjegyzéke", ["czímjegyzéke"]),
              ("A régi magyar iró élete és munkái", ["iró"]),
              ("Költemények gyüjteménye", ["gyüjteménye"]),
              ("A debreczeni nyomda története", ["debreczeni"]),
              ("Magyar nyelvemlékek. Kiadja a Magyar Tudományos Akadémia", []),
              ("A hazai könyvtárak ismertetése", []),
              ("Tanulmányok a magyar nyelv multjából", ["multjából"]),
              ("A mohácsi vész előtti irodalom. Első rész", []),
              ("Régi magyar költők tára", []),
              ("Az egyházi irodalom forrásai", []),
              ("A Ráday-könyvtár czímtára", ["czímtára"]),
              ("Irodalomtörténeti emlékek", []),
              ("Ujabb adatok a nyomdászat történetéhez", ["Ujabb"]),
              ("A budai vár épitése és könyvtára", ["épitése"]),
              ("Magyar Könyvszemle. Uj folyam", ["Uj"]),
              ("A magyar nemzeti muzeum könyvtára", ["muzeum"])]

PLANTED_SKIP = {"Vázatok", "kódexék", "történtéhez", "költök"}  # dictionary words all the same, found by a run
HU_ACCENTS = {"a": "á", "á": "a", "e": "é", "é": "e", "i": "í", "í": "i", "o": "ó", "ó": "o", "ö": "ő",
              "ő": "ö", "u": "ú", "ú": "u", "ü": "ű", "ű": "ü"}
LETTERS_HU = "aábcdeéfghiíjklmnoóöőprstuúüűvz"
LETTERS_DE = "abcdefghiklmnoprstuvwzäöü"
DE_ACCENTS = {"a": "ä", "ä": "a", "o": "ö", "ö": "o", "u": "ü", "ü": "u"}


def typo(word, rng, letters, accents):
    """One edit of a word: a letter left out, added, changed, swapped, or its accent."""
    for _ in range(50):
        kind = rng.choice(["drop", "insert", "change", "swap", "accent"])
        i = rng.randrange(1, len(word) - 1)
        if kind == "drop":
            t = word[:i] + word[i + 1:]
        elif kind == "insert":
            t = word[:i] + rng.choice(letters) + word[i:]
        elif kind == "change":
            t = word[:i] + rng.choice(letters) + word[i + 1:]
        elif kind == "swap":
            t = word[:i] + word[i + 1] + word[i] + word[i + 2:]
        else:
            places = [k for k in range(1, len(word)) if word[k] in accents]
            if not places:
                continue
            k = rng.choice(places)
            t = word[:k] + accents[word[k]] + word[k + 1:]
        if t != word and t not in PLANTED_SKIP:
            return t
    return None


def record_line(fields):
    return "**".join(fields)


def main():
    rng = random.Random(SEED)
    lines, key = [], []

    def person():
        return rng.choice(FAMILY) + " " + rng.choice(GIVEN)

    for n in range(RECORDS):
        name = "Ko%06d00" % (n + 1)
        kind = rng.random()
        year = str(rng.randint(1950, 2023))
        language = "magyar"
        subject = ""
        publication = rng.choice(PUBLICATIONS + [""] * 4)
        note = ""
        planted_lang = "magyar"
        old_forms = []
        if kind < 0.50:
            s = rng.choice(HU_SUBJECTS)
            title = rng.choice(HU_FRAMES).format(S=s[0].upper() + s[1:], s=s)
            language = rng.choice(["magyar"] * 6 + ["német", "angol", ""])
            subject = rng.choice(["Könyvtártörténet", "Nyomdászattörténet", "Sajtótörténet",
                                  "Bibliográfia", "Irodalomtörténet", "Művelődéstörténet"])
        elif kind < 0.60:
            title = rng.choice(HU_PERSON_TITLES).format(name=person(), fam=rng.choice(FAMILY),
                                                        hist=rng.choice(HISTORICAL))
            subject = "Személyek"
        elif kind < 0.64:
            title = rng.choice(BILINGUAL)
            language = rng.choice(["magyar", "német", "latin", "angol"])
            subject = "Könyvtörténet"
        elif kind < 0.74:
            title = rng.choice(DE_TITLES)
            language = rng.choice(["német", "német", "magyar"])
            planted_lang = "német"
            subject = rng.choice(["Buchgeschichte", "Könyvtörténet", ""])
        elif kind < 0.84:
            title = rng.choice(LA_TITLES)
            language = rng.choice(["latin", "latin", "magyar"])
            year = str(rng.randint(1550, 1800))
            planted_lang = None
            subject = rng.choice(["Régi nyomtatványok", "Egyháztörténet", ""])
        elif kind < 0.87:
            title = rng.choice(EN_TITLES)
            language = "angol"
            planted_lang = None
        else:
            title, old_forms = rng.choice(OLD_TITLES)
            year = str(rng.randint(1860, 1921))
            subject = rng.choice(["Irodalomtörténet", "Nyelvtörténet", ""])
            planted_lang = None if old_forms else "magyar"
        if rng.random() < 0.55:
            note = rng.choice(HU_NOTES).format(y=rng.randint(1960, 2020), n=rng.randint(100, 4000),
                                               name=person())
        if language == "német" and rng.random() < 0.3:
            note = "Mit Abbildungen"

        # One planted typo in about one record in six, now and then in the note.
        if note and not note.startswith("Mit ") and rng.random() < 0.04:
            # Abbreviations are left alone: no dictionary judges "Bibliogr."
            words = [w.strip(",:;()") for w in note.split()]
            words = [w for w in words if len(w) >= 6 and w.isalpha() and w not in FAMILY and w not in GIVEN]
            if words:
                target = rng.choice(words)
                t = typo(target, rng, LETTERS_HU, HU_ACCENTS)
                if t:
                    note = note.replace(target, t, 1)
                    key.append((name, t, "typo", target))
        elif planted_lang and rng.random() < 0.17:
            # Names are left alone: no dictionary knows how they are written.
            words = [w.strip(".,:;()") for w in title.split()]
            words = [w for w in words if len(w) >= 6 and w.isalpha() and w not in FAMILY and w not in GIVEN
                     and w not in HISTORICAL_WORDS]
            if words:
                target = rng.choice(words)
                t = typo(target, rng, *((LETTERS_HU, HU_ACCENTS) if planted_lang == "magyar" else (LETTERS_DE, DE_ACCENTS)))
                if t:
                    title = title.replace(target, t, 1)
                    key.append((name, t, "typo", target))
        for form in old_forms:
            key.append((name, form, "old", ""))

        creators = ["01" + (rng.choice(GERMAN_NAMES) if planted_lang == "német" else person()), "02", "03", "04"]
        if rng.random() < 0.3:
            creators[1] = "02" + person()
        fields = [name, rng.choice(["könyv", "cikk folyóiratban", "tanulmány kötetben"]), subject] + creators + [
            title, publication, rng.choice(PUBLISHERS), "", year, "%d p." % rng.randint(40, 600),
            rng.choice(PLACES), note, "", "", language, "papír"]
        lines.append(record_line(fields))

    with open(os.path.join(HERE, "corpus.rtf"), "wb") as out:
        out.write(b"\xff\xfe" + "\r\n".join(lines).encode("utf-16-le") + "\r\n".encode("utf-16-le"))
    with open(os.path.join(HERE, "corpus_key.tsv"), "w", encoding="utf-8") as out:
        out.write("# rekord\tszó\tfajta (typo: elírás, old: régi alak)\taz elírt szó\n")
        for name, word, what, meant in key:
            out.write("%s\t%s\t%s\t%s\n" % (name, word, what, meant))
    print(len(lines), "records,", sum(1 for k in key if k[2] == "typo"), "typos,",
          sum(1 for k in key if k[2] == "old"), "old forms")


if __name__ == "__main__":
    main()
