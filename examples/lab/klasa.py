#!/usr/bin/env python3
"""A class of 40 submissions for each task of the lab, to try the grading on.

    python3 klasa.py OUT_DIR

writes OUT_DIR/iloczyn/zgloszenia (named as a Moodle download names the
folders: "Imię Nazwisko_1000NN_assignsubmission_file_") and
OUT_DIR/odwrotnie/zgloszenia (named as GitHub Classroom names the
repositories: "odwrotnie-LOGIN"), each with oczekiwane.json beside it: for
every submission the outcome each case must get, as the JSON report of
`dorum-cli test` names it (passed, wrong, missing_label, error, limit,
input, missing), and the person and id the name gives. Without OUT_DIR the
classes go beside the suites (examples/lab/*/zgloszenia), where the suites'
own "submissions" look for them.

Every submission is made from one of the variants below: a correct solution
(several different ones, in code page 1250 or UTF-8, with CR LF or LF) or a
mistake students make, with the outcome it gets by construction. The cycle
limit is five times the reference's cycles in each case; the reference's ILO
takes 13 + 6·b cycles with the program, which the expectations of the slow
variants lean on.
"""
import json
import os
import shutil
import sys

ILOCZYN_CASES = ["przyklad", "zero", "ujemna", "jeden", "duze"]
ODWROTNIE_CASES = ["przyklad", "kropka", "polskie", "po_kropce", "czeka"]

# --- Task 1: ILO on the Pelt machine -------------------------------------

ILO_REFERENCE = """\
// (Ak)*((Ad))->Ak: X - mnożna, Y - iloczyn, Ak - licznik
ROZKAZ ILO;
czyt wys wei il;
wyad wea wyak wex weja ode weak;
wyak wey;
czyt wys weja przep weak JEŻELI zak TO @koniec;
@petla dak;
wyak wes;
wyy weja przep weak;
wyx weja dod weak;
wyak wey;
wys weja przep weak JEŻELI zak TO @koniec GDY NIE @petla;
@koniec wyy weja przep weak wyl wea;
"""

# The counter in Y, the product in Ak; the test before each addition.
ILO_WHILE = """\
// mnożenie: dodaję mnożną tyle razy, ile wynosi mnożnik
rozkaz ilo;
czyt wys wei il;
wyad wea wyak wex;          // mnożna do X
czyt wys wey;               // mnożnik do Y
wyak weja ode weak;         // Ak := 0
@test wyak wes;             // iloczyn do S
wyy weja przep weak JEŻELI zak TO @koniec;
dak;
wyak wey;
wys weja przep weak;
wyx weja dod weak DALEJ @test;
@koniec wys weja przep weak wyl wea;
"""

# Not repeated addition, but nothing in a run can tell.
ILO_MNO = """\
ROZKAZ ILO;
czyt wys wei il;
wyad wea;
czyt wys weja mno weak wyl wea;
"""

ILOCZYN_REFERENCE = """\
// wynik := a * b
start:  POB a
        ILO b
        ŁAD wynik
        STP
a:      RST 6
b:      RST 7
wynik:  RPA
"""

ILOCZYN_LOWER = """\
pob a
ilo b
ład wynik
stp
a: rst 6
b: rst 7
wynik: rpa
"""

# The multiplier in Ak: b·a takes 13 + 6·a cycles, too many for a = -3
# (1021 additions) and for a = 25, b = 1 (163 > 5·19).
ILOCZYN_SWAPPED = """\
start:  POB b
        ILO a
        ŁAD wynik
        STP
a:      RST 6
b:      RST 7
wynik:  RPA
"""

# Right for the example only.
ILOCZYN_CONSTANT = """\
start:  POB a
        ILO b
        POB odp
        ŁAD wynik
        STP
a:      RST 6
b:      RST 7
wynik:  RPA
odp:    RST 42
"""

# Multiplies in the program: right values, but ILO never runs.
ILOCZYN_WITHOUT_ILO = """\
start:  POB b
        SOZ koniec
petla:  POB wynik
        DOD a
        ŁAD wynik
        POB b
        ODE jeden
        ŁAD b
        SOZ koniec
        SOB petla
koniec: STP
a:      RST 6
b:      RST 7
wynik:  RPA
jeden:  RST 1
"""

ILOCZYN_WRONG_LABEL = """\
start:  POB a
        ILO b
        ŁAD iloczyn
        STP
a:      RST 6
b:      RST 7
iloczyn: RPA
"""

ILOCZYN_RENAMED = ILOCZYN_REFERENCE.replace("ILO b", "MNOZ b")


def ilo_without(old, new):
    changed = ILO_REFERENCE.replace(old, new)
    assert changed != ILO_REFERENCE, old
    return changed


def outcomes(cases, default, **special):
    return {name: special.get(name, default) for name in cases}


def iloczyn(ilo, program=ILOCZYN_REFERENCE, **special):
    files = {"iloczyn.prg": program}
    if ilo is not None:
        files["ilo.rzk"] = ilo
    return files, outcomes(ILOCZYN_CASES, special.pop("all", "passed"), **special)


ILOCZYN_VARIANTS = {
    "wzorcowe": iloczyn(ILO_REFERENCE),
    "licznik_w_y": iloczyn(ILO_WHILE),
    "mno": iloczyn(ILO_MNO),
    "male_litery": iloczyn(ILO_REFERENCE, ILOCZYN_LOWER),
    # b = 0: the counter goes below zero and round 1024 times.
    "bez_testu_zera": iloczyn(
        ilo_without("czyt wys weja przep weak JEŻELI zak TO @koniec;",
                    "czyt wys weja przep weak;"), zero="limit"),
    "iloczyn_od_mnoznej": iloczyn(
        ilo_without("wyak wex weja ode weak;\nwyak wey;", "wyak wex wey;"), all="wrong"),
    "literowka": iloczyn(ilo_without("wyy weja przep weak;\nwyx", "wyy weaj przep weak;\nwyx"),
                         all="error"),
    "argumenty_0": iloczyn(ilo_without("ROZKAZ ILO;", "ROZKAZ ILO;\nArgumenty 0;"), all="error"),
    "bez_dak": iloczyn(ilo_without("@petla dak;", "@petla ;"), all="limit", zero="passed"),
    # Without "wyl wea" the next fetch reads b's word: STP, before ŁAD.
    "bez_wyl_wea": iloczyn(
        ilo_without("@koniec wyy weja przep weak wyl wea;", "@koniec wyy weja przep weak;"),
        all="wrong", zero="passed"),
    # dak and weak in one cycle: the machine refuses the cycle.
    "dwa_zapisy_ak": iloczyn(
        ilo_without("@petla dak;\nwyak wes;", "@petla wyak wes;").replace(
            "wys weja przep weak JEŻELI zak TO @koniec GDY",
            "wys weja przep weak dak JEŻELI zak TO @koniec GDY"),
        all="error", zero="passed"),
    "inna_nazwa": iloczyn(ILO_REFERENCE.replace("ROZKAZ ILO;", "ROZKAZ MNOZ;"), ILOCZYN_RENAMED,
                          all="wrong"),
    "pusty_rozkaz": iloczyn("", all="error"),
    "zamienione": iloczyn(ILO_REFERENCE, ILOCZYN_SWAPPED, ujemna="limit", jeden="limit"),
    "stala": iloczyn(ILO_REFERENCE, ILOCZYN_CONSTANT, all="wrong", przyklad="passed"),
    "bez_ilo": iloczyn(ILO_REFERENCE, ILOCZYN_WITHOUT_ILO, all="wrong"),
    "zla_etykieta": iloczyn(ILO_REFERENCE, ILOCZYN_WRONG_LABEL, all="missing_label"),
    "brak_rozkazu": iloczyn(None, all="missing"),
}


def misnamed(variant, renames):
    files, expected = ILOCZYN_VARIANTS[variant]
    return {renames.get(k, k): v for k, v in files.items()}, outcomes(ILOCZYN_CASES, "missing")


ILOCZYN_VARIANTS["Iloczyn.prg"] = misnamed("wzorcowe", {"iloczyn.prg": "Iloczyn.prg"})
ILOCZYN_VARIANTS["iloczyn.txt"] = misnamed("wzorcowe", {"iloczyn.prg": "iloczyn.txt"})
ILOCZYN_VARIANTS["w_podfolderze"] = misnamed(
    "wzorcowe", {"iloczyn.prg": "lab3/iloczyn.prg", "ilo.rzk": "lab3/ilo.rzk"})
ILOCZYN_VARIANTS["z_notatkami"] = (
    dict(ILOCZYN_VARIANTS["wzorcowe"][0], **{"notatki.txt": "ILO: 6 taktów na obrót pętli\n",
                                              "ilo.rzk~": "ROZKAZ ILO;\n"}),
    outcomes(ILOCZYN_CASES, "passed"))

# (first name, surname, variant, encoding, line end); ids 100001 onwards.
MOODLE_CLASS = [
    ("Anna", "Nowak", "wzorcowe", "cp1250", "\r\n"),
    ("Anna", "Nowicka", "bez_testu_zera", "cp1250", "\r\n"),
    ("Bartłomiej", "Żółkiewski", "wzorcowe", "utf-8", "\n"),
    ("Celina", "Wiśniewska", "licznik_w_y", "cp1250", "\r\n"),
    ("Dariusz", "Kowalczyk", "literowka", "cp1250", "\r\n"),
    ("Ewa", "Zielińska", "wzorcowe", "utf-8-sig", "\r\n"),
    ("Franciszek", "Wójcik", "argumenty_0", "cp1250", "\r\n"),
    ("Grażyna", "Kamińska", "mno", "cp1250", "\n"),
    ("Henryk", "Lewandowski", "bez_dak", "utf-8", "\n"),
    ("Irena", "Dąbrowska", "male_litery", "cp1250", "\r\n"),
    ("Jan", "Kowalski", "brak_rozkazu", "cp1250", "\r\n"),
    ("Józef", "Szymański", "Iloczyn.prg", "cp1250", "\r\n"),
    ("Katarzyna", "Woźniak", "iloczyn.txt", "utf-8", "\n"),
    ("Łukasz", "Kozłowski", "zamienione", "cp1250", "\r\n"),
    ("Magdalena", "Jankowska", "licznik_w_y", "utf-8", "\n"),
    ("Mikołaj", "Mazur", "bez_wyl_wea", "cp1250", "\r\n"),
    ("Natalia", "Krawczyk", "wzorcowe", "cp1250", "\n"),
    ("Oskar", "Piotrowski", "iloczyn_od_mnoznej", "cp1250", "\r\n"),
    ("Paulina", "Grabowska", "stala", "cp1250", "\r\n"),
    ("Radosław", "Pawłowski", "dwa_zapisy_ak", "utf-8", "\n"),
    ("Stanisława", "Michalska", "z_notatkami", "cp1250", "\r\n"),
    ("Tomasz", "Król", "bez_ilo", "cp1250", "\r\n"),
    ("Urszula", "Wieczorek", "zla_etykieta", "cp1250", "\r\n"),
    ("Wojciech", "Jabłoński", "inna_nazwa", "utf-8", "\n"),
    ("Zofia", "Wróbel", "pusty_rozkaz", "cp1250", "\r\n"),
    ("Żaneta", "Nowakowska", "w_podfolderze", "cp1250", "\r\n"),
    ("Agnieszka", "Majewska", "mno", "utf-8", "\n"),
    ("Bożena", "Olszewska", "bez_testu_zera", "cp1250", "\r\n"),
    ("Cezary", "Stępień", "literowka", "utf-8", "\n"),
    ("Dorota", "Jaworska", "wzorcowe", "cp1250", "\r\n"),
    ("Małgorzata", "Brzęczyszczykiewicz-Wróblewska", "licznik_w_y", "cp1250", "\r\n"),
    ("Krzysztof", "Konstantynowicz-Szczepańczyk", "wzorcowe", "utf-8", "\n"),
    ("Przemysław", "Wszołkowski-Zdzieborski", "zamienione", "cp1250", "\r\n"),
    ("Jadwiga", "Świętochowska-Pietraszkiewicz", "argumenty_0", "cp1250", "\r\n"),
    ("Bogusław", "Grzegorzewski-Chrząszczewski", "z_notatkami", "utf-8", "\n"),
    ("Ludwik", "Sęk", "iloczyn_od_mnoznej", "cp1250", "\r\n"),
    ("Ola", "Ćwik", "bez_dak", "cp1250", "\r\n"),
    ("Piotr", "Nowak", "male_litery", "utf-8", "\n"),
    ("Anna", "Nowak-Kowalska", "wzorcowe", "cp1250", "\r\n"),
    ("Wiesław", "Ślusarczyk", "wzorcowe", "cp1250", "\r\n"),
]

# --- Task 2: reversing a line on the Ombra machine -----------------------

ODWROTNIE_REFERENCE = """\
start:    POB zero
          DNS             // dno stosu
czytaj:   WPR 1
          ŁAD znak
          ODE kropka
          SOZ wypisz
          POB znak
          DNS
          SOB czytaj
wypisz:   PZS
          SOZ koniec
          WYP 2
          SOB wypisz
koniec:   POB kropka
          WYP 2
          STP
znak:     RPA
kropka:   RST '.'
zero:     RST 0
"""

# The length counted in memory instead of a zero at the bottom of the stack.
ODWROTNIE_COUNTER = """\
start:    POB zero
          ŁAD ile
czytaj:   WPR 1
          ŁAD znak
          ODE kropka
          SOZ wypisz
          POB znak
          DNS
          POB ile
          DOD jeden
          ŁAD ile
          SOB czytaj
wypisz:   POB ile
          SOZ koniec
          ODE jeden
          ŁAD ile
          PZS
          WYP 2
          SOB wypisz
koniec:   POB kropka
          WYP 2
          STP
znak:     RPA
ile:      RPA
kropka:   RST '.'
jeden:    RST 1
zero:     RST 0
"""

# Every character as it comes: the line is not reversed.
ODWROTNIE_ECHO = """\
petla:    WPR 1
          WYP 2
          ODE kropka
          SOZ koniec
          SOB petla
koniec:   STP
kropka:   RST '.'
"""

# Reads up to the line's end (10), which the input never has.
ODWROTNIE_LINE_END = ODWROTNIE_REFERENCE.replace(
    "kropka:   RST '.'", "kropka:   RST 10").replace("koniec:   POB kropka\n          WYP 2\n",
                                                     "koniec:   ")

ODWROTNIE_LOWER_CASE = ODWROTNIE_REFERENCE.replace("""\
          WYP 2
          SOB wypisz
""", """\
          ŁAD znak
          ODE duze_a      // przed A: bez zmiany
          SOM pisz
          POB znak
          ODE po_duzym_z
          SOM mala
pisz:     POB znak
          WYP 2
          SOB wypisz
mala:     POB znak
          DOD roznica
          WYP 2
          SOB wypisz
""") + """\
duze_a:   RST 'A'
po_duzym_z: RST 91
roznica:  RST 32
"""

ODWROTNIE_UPPER_CASE = ODWROTNIE_LOWER_CASE.replace("RST 'A'", "RST 'a'").replace(
    "RST 91", "RST 123").replace("DOD roznica", "ODE roznica")


def odwrotnie_without(old, new, text=ODWROTNIE_REFERENCE):
    changed = text.replace(old, new)
    assert changed != text, old
    return changed


def odwrotnie(program, program_name="odwrotnie.prg", **special):
    files = {program_name: program, "README.md": "# odwrotnie\n"}
    return files, outcomes(ODWROTNIE_CASES, special.pop("all", "passed"), **special)


ODWROTNIE_VARIANTS = {
    "wzorcowe": odwrotnie(ODWROTNIE_REFERENCE),
    "licznik": odwrotnie(ODWROTNIE_COUNTER),
    "male_litery_rozkazow": odwrotnie(ODWROTNIE_REFERENCE.lower()),
    "echo": odwrotnie(ODWROTNIE_ECHO, all="wrong", kropka="passed"),
    "bez_kropki": odwrotnie(
        odwrotnie_without("koniec:   POB kropka\n          WYP 2\n", "koniec:   "),
        all="wrong", polskie="passed", czeka="passed"),
    "male_litery": odwrotnie(ODWROTNIE_LOWER_CASE, all="passed", przyklad="wrong",
                             polskie="wrong"),
    "wielkie_litery": odwrotnie(ODWROTNIE_UPPER_CASE, all="wrong", kropka="passed",
                                czeka="passed"),
    # Prints it all, then jumps in place instead of STP.
    "bez_stp": odwrotnie(odwrotnie_without("          STP\n", "stoj:     SOB stoj\n"),
                         all="limit", czeka="passed"),
    "do_konca_wiersza": odwrotnie(ODWROTNIE_LINE_END, all="input", czeka="passed"),
    "zly_port": odwrotnie(odwrotnie_without("WPR 1", "WPR 3"), all="error"),
    "literowka": odwrotnie(odwrotnie_without("SOB czytaj", "SBO czytaj"), all="error"),
    "nowy_wiersz": odwrotnie(
        odwrotnie_without("          STP\n", "          POB nowy\n          WYP 2\n          STP\n")
        + "nowy:     RST 10\n", all="wrong", polskie="passed", czeka="passed"),
    # The count goes down before the test: the last character stays on the
    # stack; with none, the count passes zero and the loop runs on.
    "o_jeden_mniej": odwrotnie(
        odwrotnie_without("""\
wypisz:   POB ile
          SOZ koniec
          ODE jeden
          ŁAD ile
""", """\
wypisz:   POB ile
          ODE jeden
          ŁAD ile
          SOZ koniec
""", ODWROTNIE_COUNTER), all="wrong", kropka="limit", czeka="passed"),
    "brak_programu": ({"README.md": "# odwrotnie\nNie zdążyłem.\n"},
                      outcomes(ODWROTNIE_CASES, "missing")),
    "Odwrotnie.prg": odwrotnie(ODWROTNIE_REFERENCE, "Odwrotnie.prg", all="missing"),
    "odwrotnie.txt": odwrotnie(ODWROTNIE_REFERENCE, "odwrotnie.txt", all="missing"),
}
ODWROTNIE_VARIANTS["z_workflow"] = (
    dict(ODWROTNIE_VARIANTS["wzorcowe"][0],
         **{".github/workflows/classroom.yml": "name: Autograding\n", ".gitignore": "*.bak\n"}),
    outcomes(ODWROTNIE_CASES, "passed"))

# (login, variant, encoding, line end)
CLASSROOM_CLASS = [
    ("annanowak", "wzorcowe", "cp1250", "\r\n"),
    ("annanowicka", "echo", "utf-8", "\n"),
    ("malgorzata-brzeczyszczykiewicz1", "licznik", "cp1250", "\r\n"),
    ("malgorzata-brzeczyszczykiewicz2", "bez_kropki", "cp1250", "\r\n"),
    ("bzolkiewski", "wzorcowe", "utf-8", "\n"),
    ("cwisniewska", "male_litery", "cp1250", "\r\n"),
    ("dkowalczyk", "do_konca_wiersza", "cp1250", "\r\n"),
    ("ewa-zielinska", "wzorcowe", "utf-8-sig", "\r\n"),
    ("fwojcik", "zly_port", "cp1250", "\r\n"),
    ("gkaminska", "licznik", "utf-8", "\n"),
    ("hlewandowski", "bez_stp", "cp1250", "\r\n"),
    ("idabrowska", "wielkie_litery", "cp1250", "\r\n"),
    ("jkowalski", "brak_programu", "cp1250", "\r\n"),
    ("jszymanski", "Odwrotnie.prg", "cp1250", "\r\n"),
    ("kwozniak", "odwrotnie.txt", "utf-8", "\n"),
    ("lkozlowski", "literowka", "cp1250", "\r\n"),
    ("mjankowska", "male_litery_rozkazow", "cp1250", "\r\n"),
    ("mmazur", "nowy_wiersz", "utf-8", "\n"),
    ("nkrawczyk", "wzorcowe", "cp1250", "\n"),
    ("opiotrowski", "echo", "cp1250", "\r\n"),
    ("pgrabowska", "o_jeden_mniej", "cp1250", "\r\n"),
    ("rpawlowski", "z_workflow", "utf-8", "\n"),
    ("smichalska", "licznik", "cp1250", "\r\n"),
    ("tkrol", "do_konca_wiersza", "cp1250", "\r\n"),
    ("uwieczorek", "bez_kropki", "utf-8", "\n"),
    ("wjablonski", "wzorcowe", "cp1250", "\r\n"),
    ("zwrobel", "literowka", "cp1250", "\r\n"),
    ("znowakowska", "male_litery", "utf-8", "\n"),
    ("amajewska", "wielkie_litery", "cp1250", "\r\n"),
    ("bolszewska", "wzorcowe", "cp1250", "\r\n"),
    ("cstepien", "echo", "cp1250", "\r\n"),
    ("djaworska", "z_workflow", "cp1250", "\r\n"),
    ("kkonstantynowicz", "licznik", "utf-8", "\n"),
    ("pwszolkowski", "bez_stp", "cp1250", "\r\n"),
    ("jswietochowska", "do_konca_wiersza", "cp1250", "\r\n"),
    ("bgrzegorzewski", "nowy_wiersz", "cp1250", "\r\n"),
    ("lsek", "wzorcowe", "utf-8", "\n"),
    ("ocwik", "male_litery_rozkazow", "cp1250", "\r\n"),
    ("pnowak", "wzorcowe", "cp1250", "\r\n"),
    ("wslusarczyk", "wzorcowe", "cp1250", "\r\n"),
]


def write_files(folder, files, encoding, line_end, header):
    for name, text in files.items():
        path = os.path.join(folder, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if name.endswith((".prg", ".rzk", ".txt")) and text:
            text = header + text
        # An empty file stays empty: no byte order mark either.
        data = text.replace("\n", line_end).encode(encoding) if text else b""
        with open(path, "wb") as f:
            f.write(data)


def write_class(out, task, cases, students):
    folder = os.path.join(out, task, "zgloszenia")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    expected = []
    for name, person, person_id, variant, files, outcome, encoding, line_end in students:
        write_files(os.path.join(folder, name), files, encoding, line_end,
                    f"// {person}, laboratorium 3\n")
        expected.append({"name": name, "person": person, "id": person_id, "variant": variant,
                         "outcomes": outcome})
    with open(os.path.join(out, task, "oczekiwane.json"), "w", encoding="utf-8") as f:
        json.dump({"suite": task, "cases": cases, "submissions": expected}, f,
                  ensure_ascii=False, indent=1)
        f.write("\n")


def moodle_students():
    for number, (first, last, variant, encoding, line_end) in enumerate(MOODLE_CLASS, 1):
        person, person_id = f"{first} {last}", str(100000 + number)
        files, outcome = ILOCZYN_VARIANTS[variant]
        yield (f"{person}_{person_id}_assignsubmission_file_", person, person_id, variant,
               files, outcome, encoding, line_end)


def classroom_students():
    for login, variant, encoding, line_end in CLASSROOM_CLASS:
        files, outcome = ODWROTNIE_VARIANTS[variant]
        yield (f"odwrotnie-{login}", login, login, variant, files, outcome, encoding, line_end)


def main():
    if len(sys.argv) > 2 or (len(sys.argv) == 2 and sys.argv[1].startswith("-")):
        sys.exit("użycie: klasa.py [FOLDER]")
    out = sys.argv[1] if len(sys.argv) == 2 else os.path.dirname(os.path.abspath(__file__))
    write_class(out, "iloczyn", ILOCZYN_CASES, list(moodle_students()))
    write_class(out, "odwrotnie", ODWROTNIE_CASES, list(classroom_students()))


if __name__ == "__main__":
    main()
