#!/usr/bin/python3
"""The bundled sample applications run end to end headless, each from a fresh folder holding
only what the build puts beside its archive: the tables they create are read back with
python3-dbf, the stock report's text file is checked line by line, and the label PDF through
pdftotext.

    examples_test.py VORLAN EXAMPLES_DIR [unittest arguments]

EXAMPLES_DIR is the build's examples folder (the archives, and a folder per example with the
files it reads at run time)."""

import datetime
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

VORLAN = ""
EXAMPLES = ""

try:
    import dbf
except ImportError:  # the test says so and skips (fails under CI)
    dbf = None


def read_table(path):
    """The records of a table as dictionaries of trimmed values, deleted ones left out."""
    table = dbf.Table(path, codepage="cp1250")
    table.open(dbf.READ_ONLY)
    try:
        rows = []
        for record in table:
            if dbf.is_deleted(record):
                continue
            row = {}
            for name in table.field_names:
                value = record[name]
                row[name.upper()] = value.rstrip() if isinstance(value, str) else value
            rows.append(row)
        return rows
    finally:
        table.close()


def number(text):
    """A number as reports write it in Czech: blanks between thousands, a decimal comma."""
    return float(text.strip().replace(" ", "").replace("\xa0", "").replace(",", "."))


def under_ci():
    return os.environ.get("CI", "") not in ("", "0", "false")


class ExampleRun(unittest.TestCase):
    """A fresh folder with one example's archive and files; runs it headless."""

    name = ""
    archive = ""

    def setUp(self):
        if dbf is None:
            self.missing("python3-dbf is not installed")
        self.dir = tempfile.mkdtemp(prefix="vorlan-example-")
        self.addCleanup(shutil.rmtree, self.dir, True)
        shutil.copy(os.path.join(EXAMPLES, self.archive), self.dir)
        shutil.copytree(os.path.join(EXAMPLES, self.name), self.dir, dirs_exist_ok=True)

    def missing(self, what):
        """Skips the test on a developer's machine; under CI, where scripts/install-deps.sh
        installs every tool, a missing one fails it."""
        if under_ci():
            self.fail(what + " (scripts/install-deps.sh installs it)")
        self.skipTest(what)

    def run_example(self, *options, program_args=("/AUTO",)):
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(self.dir, ".config"),
                   QT_QPA_PLATFORM="offscreen")
        done = subprocess.run([VORLAN, "--headless", *options, self.archive, *program_args],
                              cwd=self.dir, env=env, capture_output=True, timeout=120)
        return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")

    def path(self, name):
        return os.path.join(self.dir, name)

    def table(self, name):
        return read_table(self.path(name))


class Sklad(ExampleRun):
    name = "sklad"
    archive = "SKLAD.VRL"

    def stock(self):
        return {r["KOD"]: r for r in self.table("SKLAD.DBF")}

    def test_first_start_creates_the_tables_and_books_the_movements(self):
        status, out, err = self.run_example()
        self.assertEqual(status, 0, out + err)
        for table in ("SKLAD.DBF", "POHYBY.DBF", "DODAVAT.DBF"):
            self.assertIn("Založena tabulka", out)
            self.assertTrue(os.path.exists(self.path(table)), table)
        self.assertFalse(os.path.exists(self.path("STRUKTUR.DBF")))

        stock = self.stock()
        self.assertEqual(len(stock), 12)
        self.assertEqual(stock["N002"]["NAZEV"], "Šroubovák křížový PH2")
        self.assertEqual(stock["B002"]["SKUPINA"], "BARVY")
        # A receipt of 10, an issue of 120, and an issue above the stock that was refused.
        self.assertEqual(stock["N003"]["MNOZSTVI"], 16)
        self.assertEqual(stock["S002"]["MNOZSTVI"], 380)
        self.assertEqual(stock["E001"]["MNOZSTVI"], 9)
        self.assertIn("Výdej 50 ks zboží E001 nelze provést, na skladě je jen 9.", out)

        moves = self.table("POHYBY.DBF")
        self.assertEqual(len(moves), 6)
        today = datetime.date.today()
        self.assertEqual([(m["DATUM"], m["KOD"], m["DRUH"], m["MNOZSTVI"], m["DOKLAD"])
                          for m in moves[4:]],
                         [(today, "N003", "P", 10, "PR-0004"), (today, "S002", "V", 120, "VY-0002")])
        self.assertEqual(moves[0]["DATUM"], datetime.date(2026, 11, 2))

        suppliers = self.table("DODAVAT.DBF")
        self.assertEqual([s["MESTO"] for s in suppliers],
                         ["Brno", "Ostrava", "Hradec Králové", "Plzeň"])

    def test_the_group_filter_lists_only_that_group_with_its_suppliers(self):
        status, out, err = self.run_example()
        self.assertEqual(status, 0, out + err)
        listing = out[out.index("Filtr: skupina NÁŘADÍ"):out.index("Filtr zrušen")]
        lines = [l for l in listing.splitlines() if l[:1] in ("N", "S", "B", "E")]
        self.assertEqual([l[:4] for l in lines], ["N001", "N002", "N003", "N004"])
        self.assertIn("Železářství Novák s.r.o.", lines[0])
        self.assertIn("Šroubárna Kovo a.s.", lines[2])
        self.assertIn("Položek: 4", listing)

    def test_the_stock_report_is_character_text_grouped_with_totals(self):
        status, out, err = self.run_example()
        self.assertEqual(status, 0, out + err)
        with open(self.path("SKLAD.TXT"), "rb") as report:
            raw = report.read()
        # Character pages: rows ended by LF, a row's one layer by CR, Windows-1250, and an A4
        # page of 70 rows at six lines an inch.
        self.assertNotIn(b"\r\r", raw)
        rows = raw.decode("cp1250").split("\n")
        self.assertEqual(len(rows) - 1, 70)
        self.assertTrue(all(r == "" or r.endswith("\r") for r in rows))
        text = [r.rstrip() for r in rows if r.strip()]
        self.assertEqual(text[0].split()[:2], ["SKLADOVÁ", "ZÁSOBA"])
        self.assertIn("všechny skupiny", text[1])
        groups = [r.split(":")[1].strip() for r in text if r.startswith("Skupina:")]
        self.assertEqual(groups, ["BARVY", "ELEKTRO", "NÁŘADÍ", "SPOJOVACÍ"])

        stock = self.stock()
        value = {k: r["MNOZSTVI"] * r["CENA"] for k, r in stock.items()}
        body = {r[:4]: r for r in text if r[:4] in stock}
        self.assertEqual(len(body), 12)
        # The row of the pile saw: code, name, unit, quantity, price and value in their columns.
        saw = body["N003"]
        self.assertEqual(saw[8:38].rstrip(), "Pilka na železo")
        self.assertEqual(saw[40:43].rstrip(), "ks")
        self.assertEqual(saw[44:54], "        16")
        self.assertEqual(saw[56:66], "    245,50")
        self.assertEqual(saw[68:80], "    3 928,00")
        self.assertAlmostEqual(number(body["S003"][56:66]), 0.85)
        sums = [r for r in text if r.startswith(" " * 10) and "Celkem za skupinu" in r]
        self.assertEqual(len(sums), 4)
        tools = sum(v for k, v in value.items() if k.startswith("N"))
        self.assertAlmostEqual(number(sums[2][68:80]), tools)
        total = [r for r in text if "Hodnota skladu" in r][0]
        self.assertAlmostEqual(number(total[66:80]), sum(value.values()))
        self.assertIn("Počet položek:", total)
        self.assertEqual(total[24:30].strip(), "12")
        # The console shows the same text.
        self.assertIn(text[0], out)
        self.assertIn(total, out)

    def test_a_second_start_keeps_the_tables_and_books_again(self):
        self.run_example()
        status, out, err = self.run_example()
        self.assertEqual(status, 0, out + err)
        self.assertNotIn("Založena tabulka", out)
        self.assertEqual(self.stock()["N003"]["MNOZSTVI"], 26)
        self.assertEqual(len(self.table("POHYBY.DBF")), 8)

    def test_a_damaged_table_is_reported_not_a_crash(self):
        with open(self.path("SKLAD.DBF"), "wb") as damaged:
            damaged.write(b"\x03 this is no table")
        status, out, err = self.run_example()
        self.assertIn(status, (0, 2), out + err)
        self.assertIn("Tabulku SKLAD nelze otevřít.", out)
        self.assertNotIn("Hotovo.", out)


class Adresy(ExampleRun):
    name = "adresy"
    archive = "ADRESY.VRL"

    PRAGUE = ["Zuzana Pospíšilová", "Lukáš Veselý", "Martin Němec", "Jan Novák",
              "Marie Svobodová", "Tomáš Procházka", "Pavel Růžička"]

    def labels(self, pdf):
        done = subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True,
                              timeout=60)
        self.assertEqual(done.returncode, 0, done.stderr)
        return done.stdout.decode("utf-8")

    def test_imports_the_csv_and_prints_the_chosen_labels_in_three_columns(self):
        if not shutil.which("pdftotext"):
            self.missing("pdftotext is not installed")
        status, out, err = self.run_example("--print-to", "STITKY.pdf")
        self.assertEqual(status, 0, out + err)
        self.assertIn("Import ADRESY.CSV: nových adres 16, už v tabulce 0, chybných řádků 0.", out)
        self.assertIn("Vybráno 7 adres z 16 (výběr: Praha).", out)
        self.assertIn("[print]", err)

        rows = self.table("ADRESY.DBF")
        self.assertEqual(len(rows), 16)
        self.assertEqual(rows[2], {"JMENO": "Petr Dvořák", "ULICE": "Hlavní 24",
                                   "PSC": "602 00", "MESTO": "Brno"})

        text = self.labels(self.path("STITKY.pdf"))
        lines = [" ".join(l.split()) for l in text.splitlines() if l.strip()]
        # Label rows in the order of towns: three names side by side on one line.
        self.assertIn(" ".join(self.PRAGUE[0:3]), lines)
        self.assertIn(" ".join(self.PRAGUE[3:6]), lines)
        self.assertIn(self.PRAGUE[6], lines)
        self.assertIn("110 00 Praha 1 120 00 Praha 2 120 00 Praha 2", lines)
        for other in ("Petr Dvořák", "Eva Černá", "Brno", "Plzeň"):
            self.assertNotIn(other, text)

    def test_selects_by_postcode_prefix_or_by_a_czech_town_in_any_case(self):
        if not shutil.which("pdftotext"):
            self.missing("pdftotext is not installed")
        status, out, err = self.run_example("--print-to", "PSC.pdf", program_args=("/AUTO", "12"))
        self.assertEqual(status, 0, out + err)
        self.assertIn("Vybrány 2 adresy z 16 (výběr: 12).", out)
        lines = [" ".join(l.split()) for l in self.labels(self.path("PSC.pdf")).splitlines()]
        self.assertIn("Lukáš Veselý Martin Němec", lines)

        status, out, err = self.run_example("--print-to", "MESTO.pdf",
                                            program_args=("/auto", "české budějovice"))
        self.assertEqual(status, 0, out + err)
        self.assertIn("Vybrána 1 adresa z 16 (výběr: české budějovice).", out)
        self.assertIn("Lenka Marková", self.labels(self.path("MESTO.pdf")))

        # A selection that matches nothing prints nothing.
        status, out, err = self.run_example("--print-to", "NIC.pdf", program_args=("/AUTO", "999"))
        self.assertEqual(status, 0, out + err)
        self.assertIn("Výběr je prázdný, není co tisknout.", out)
        self.assertFalse(os.path.exists(self.path("NIC.pdf")))

    def test_a_second_import_adds_nothing(self):
        self.run_example()
        status, out, err = self.run_example()
        self.assertEqual(status, 0, out + err)
        self.assertIn("nových adres 0, už v tabulce 16", out)
        self.assertEqual(len(self.table("ADRESY.DBF")), 16)

    def test_a_windows_1250_file_with_a_bad_line_reads_the_same(self):
        with open(self.path("ADRESY.CSV"), encoding="utf-8") as csv:
            lines = csv.read().splitlines()
        lines.insert(3, "jen jméno bez adresy")
        with open(self.path("ADRESY.CSV"), "wb") as csv:
            csv.write("\r\n".join(lines).encode("cp1250"))
        status, out, err = self.run_example()
        self.assertEqual(status, 0, out + err)
        self.assertIn("nových adres 16, už v tabulce 0, chybných řádků 1.", out)
        names = [r["JMENO"] for r in self.table("ADRESY.DBF")]
        self.assertIn("Kateřina Králová", names)
        self.assertIn("Ondřej Hájek", names)

    def test_a_damaged_table_is_reported_and_nothing_is_imported(self):
        with open(self.path("ADRESY.DBF"), "wb") as damaged:
            damaged.write(b"\x03 no table here")
        status, out, err = self.run_example("--print-to", "STITKY.pdf")
        self.assertIn(status, (0, 2), out + err)
        self.assertIn("Tabulku ADRESY.DBF nelze otevřít ani založit.", out)
        self.assertNotIn("Import", out)
        self.assertFalse(os.path.exists(self.path("STITKY.pdf")))
        with open(self.path("ADRESY.DBF"), "rb") as damaged:
            self.assertEqual(damaged.read(), b"\x03 no table here")

    def test_a_missing_csv_file_is_reported(self):
        os.remove(self.path("ADRESY.CSV"))
        status, out, err = self.run_example()
        self.assertEqual(status, 0, out + err)
        self.assertIn("Soubor ADRESY.CSV neexistuje.", out)
        self.assertIn("Výběr je prázdný, není co tisknout.", out)
        self.assertEqual(self.table("ADRESY.DBF"), [])


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    VORLAN, EXAMPLES = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:])
