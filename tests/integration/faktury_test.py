"""The invoicing example end to end: its automatic session (/AUTO) run headless from a fresh copy
of the archive and its report template, then the tables it made and changed read with another
DBF implementation and the printed invoice read back from the PDF.

    faktury_test.py VORLAN EXAMPLES_BUILD_DIR
"""
import datetime
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import dbf

VORLAN, EXAMPLES = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
SAMPLE_NUMBERS = {"2026001", "2026002", "2026003"}


def records(path):
    """(deleted, {field: value}) of every record, texts without trailing blanks."""
    table = dbf.Table(path, codepage="cp1250")
    table.open(dbf.READ_ONLY)
    try:
        out = []
        for rec in table:
            values = {}
            for name in table.field_names:
                value = rec[name]
                values[name.upper()] = value.rstrip() if isinstance(value, str) else value
            out.append((dbf.is_deleted(rec), values))
        return out
    finally:
        table.close()


def live(path):
    return [values for deleted, values in records(path) if not deleted]


class FakturyExample(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="faktury-")
        shutil.copy(os.path.join(EXAMPLES, "FAKTURY.VRL"), cls.work)
        shutil.copytree(os.path.join(EXAMPLES, "faktury"), cls.work, dirs_exist_ok=True)
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(cls.work, "config"))
        os.makedirs(os.path.join(cls.work, "tisk"))
        cls.run_ = subprocess.run(
            [VORLAN, "--headless", "--print-to", os.path.join(cls.work, "tisk"), "FAKTURY.VRL",
             "/AUTO"], cwd=cls.work, env=env, capture_output=True, timeout=120)
        cls.out = cls.run_.stdout.decode("utf-8")
        cls.err = cls.run_.stderr.decode("utf-8")
        cls.today = datetime.date.today()

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.work, name)

    def new_invoice(self):
        heads = [h for h in live(self.path("FAKTURY.DBF")) if h["CISLO"] not in SAMPLE_NUMBERS]
        self.assertEqual(len(heads), 1, heads)
        return heads[0]

    def test_session_runs_to_its_end_without_errors(self):
        self.assertEqual(self.run_.returncode, 0, self.err)
        self.assertNotIn("[message] VORLAN", self.err)
        self.assertIn("Tabulky: odběratelů 12, faktur 3.", self.out)
        self.assertIn('Hledání "pekař": 2026002 Pekařství Čermák', self.out)
        self.assertIn("Smazána faktura 2026002, počet faktur: 3.", self.out)
        # The edit form was filled through its controls: four lines after one was taken back.
        self.assertIn(": položek 3, celkem 35 863,75 Kč", self.out)
        self.assertIn(": položek 4, celkem 36 287,25 Kč", self.out)
        self.assertIn("[message] Dotaz: Smazat fakturu 2026002 (Pekařství Čermák)?", self.err)

    def test_tables_hold_the_customers_and_the_new_and_edited_invoice(self):
        customers = live(self.path("ODBERATE.DBF"))
        self.assertEqual(len(customers), 12)
        names = {c["NAZEV"] for c in customers}
        self.assertIn("Žluťoučký kůň s.r.o.", names)
        self.assertIn("Řeznictví U Šťastných", names)
        for index in ("ODBERATE.CDX", "FAKTURY.CDX", "POLOZKY.CDX"):
            self.assertTrue(os.path.exists(self.path(index)), index)

        head = self.new_invoice()
        self.assertEqual(head["CISLO"], "%d001" % self.today.year if self.today.year != 2026
                         else "2026004")
        self.assertEqual(head["ICO"], "25596641")
        self.assertEqual(head["ODBERATEL"], "Žluťoučký kůň s.r.o.")
        self.assertEqual(head["MESTO"], "Praha 1")
        self.assertEqual(head["DATUM"], self.today)
        self.assertEqual(head["SPLATNOST"], self.today + datetime.timedelta(days=30))
        self.assertAlmostEqual(head["ZAKLAD21"], 29226.75)
        self.assertAlmostEqual(head["DPH21"], 6137.62)
        self.assertAlmostEqual(head["ZAKLAD12"], 824.00)
        self.assertAlmostEqual(head["DPH12"], 98.88)
        self.assertAlmostEqual(head["CELKEM"], 36287.25)

        # The deleted sample invoice is marked, with all of its lines; the others stay.
        heads = records(self.path("FAKTURY.DBF"))
        self.assertEqual({v["CISLO"] for d, v in heads if d}, {"2026002"})
        self.assertEqual({v["CISLO"] for d, v in heads if not d},
                         {"2026001", "2026003", head["CISLO"]})
        lines = records(self.path("POLOZKY.DBF"))
        self.assertTrue(all(d for d, v in lines if v["CISLO"] == "2026002"))
        mine = sorted((v for d, v in lines if not d and v["CISLO"] == head["CISLO"]),
                      key=lambda v: v["PORADI"])
        self.assertEqual([(v["PORADI"], v["TEXT"], v["SAZBA"]) for v in mine], [
            (1, "Návrh loga a vizuálního stylu", 21),
            (2, "Konzultace", 21),
            (3, "Kniha Účetnictví 2026", 12),
            (4, "Doprava", 21),
        ])
        self.assertAlmostEqual(mine[1]["MNOZSTVI"], 3.5)
        self.assertAlmostEqual(mine[1]["CENA"], 1250.50)
        self.assertAlmostEqual(mine[1]["CELKEM"], 4376.75)
        self.assertEqual(mine[0]["POZNAMKA"].strip(), "Tři varianty, vybrána varianta B.")
        self.assertEqual(mine[2]["JEDNOTKA"], "ks")

    def test_printed_invoice_shows_customer_lines_and_vat_in_czech_formats(self):
        pdfs = [f for f in os.listdir(self.path("tisk")) if f.endswith(".pdf")]
        # The preview prints nothing headless; the print button makes one job.
        self.assertEqual(len(pdfs), 1, (pdfs, self.err))
        text = subprocess.run(["pdftotext", "-layout", self.path("tisk/" + pdfs[0]), "-"],
                              capture_output=True, check=True).stdout.decode("utf-8")
        head = self.new_invoice()
        for expected in ("FAKTURA - daňový doklad", head["CISLO"], "Žluťoučký kůň s.r.o.",
                         "Na Příkopě 12", "CZ25596641", self.today.strftime("%d.%m.%Y"),
                         "Návrh loga a vizuálního stylu", "Kniha Účetnictví 2026", "Doprava",
                         "24 500,00", "1 250,50", "4 376,75", "Sazba 21 %", "Sazba 12 %",
                         "29 226,75 Kč", "6 137,62 Kč", "824,00 Kč", "98,88 Kč",
                         "36 287,25 Kč", "Celkem k úhradě"):
            self.assertIn(expected, text)
        self.assertNotIn("Omylem zadaná položka", text)
        # The lines come between the head and the VAT summary.
        self.assertLess(text.index("Odběratel"), text.index("Návrh loga"))
        self.assertLess(text.index("Doprava"), text.index("Rekapitulace DPH"))


class FakturyFromAReadOnlyFolder(unittest.TestCase):
    """Installed where its user may not write, the example keeps its tables in the user's
    folder VORLAN/FAKTURY, says so, and works there."""

    def test_tables_go_to_the_users_folder(self):
        work = tempfile.mkdtemp(prefix="faktury-ro-")
        try:
            os.chmod(work, 0o755)
            installed = os.path.join(work, "installed")
            home = os.path.join(work, "home")
            os.makedirs(installed)
            os.makedirs(home)
            shutil.copy(os.path.join(EXAMPLES, "FAKTURY.VRL"), installed)
            shutil.copytree(os.path.join(EXAMPLES, "faktury"), installed, dirs_exist_ok=True)
            command = [VORLAN, "--headless", "FAKTURY.VRL", "/AUTO"]
            if os.geteuid() == 0:
                # Root writes everywhere: the program runs as a user who cannot.
                shutil.chown(home, "nobody", "nogroup")
                command = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] + command
            for name in os.listdir(installed):
                os.chmod(os.path.join(installed, name), 0o444)
            os.chmod(installed, 0o555)
            env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"))
            run = subprocess.run(command, cwd=installed, env=env, capture_output=True,
                                 timeout=120)
            err = run.stderr.decode("utf-8")
            self.assertEqual(run.returncode, 0, err)
            data = os.path.join(home, "VORLAN", "FAKTURY")
            self.assertIn("Faktury budou uloženy ve složce VORLAN/FAKTURY ve vaší domovské složce",
                          err)
            self.assertFalse(any(n.upper().endswith(".DBF") for n in os.listdir(installed)))
            self.assertEqual(len(live(os.path.join(data, "ODBERATE.DBF"))), 12)
            self.assertEqual(len(live(os.path.join(data, "FAKTURY.DBF"))), 3)
            self.assertTrue(os.path.exists(os.path.join(data, "FAKTURA.PTS")))
        finally:
            os.chmod(os.path.join(work, "installed"), 0o755)
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
