#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The page in headless Chromium, served on 127.0.0.1: the hand-built
# calculator files chosen as a user chooses them, and what the page shows
# and downloads compared with what the native kalvo-convert says and writes
# for the same input and options.
#   page_test.py SITE_DIR KALVO_CONVERT GOLDEN_DIR
import functools
import http.server
import io
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import zipfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select

SITE, NATIVE, GOLDEN = (os.path.abspath(a) for a in sys.argv[1:4])
CALCFILES = os.path.join(GOLDEN, "calcfiles")


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def start_server():
    handler = functools.partial(QuietHandler, directory=SITE)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def start_browser(profile, downloads):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/lib/chromium/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic",
                     "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync",
                     "--window-size=1280,1000", "--user-data-dir=" + profile):
        options.add_argument(argument)
    options.add_experimental_option("prefs", {"download.default_directory": downloads,
                                              "download.prompt_for_download": False})
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.execute_cdp_cmd("Page.setDownloadBehavior",
                           {"behavior": "allow", "downloadPath": downloads})
    return driver


def native(args, folder):
    """kalvo-convert in `folder`: (status, stderr lines, stdout bytes)."""
    run = subprocess.run([NATIVE] + args, cwd=folder, capture_output=True)
    return run.returncode, run.stderr.decode("utf-8", "replace").splitlines(), run.stdout


class Page(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.temp = tempfile.mkdtemp(prefix="kalvo-page-")
        cls.downloads = os.path.join(cls.temp, "downloads")
        os.mkdir(cls.downloads)
        cls.server = start_server()
        cls.url = "http://127.0.0.1:%d/index.html" % cls.server.server_address[1]
        cls.driver = start_browser(os.path.join(cls.temp, "profile"), cls.downloads)

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        cls.server.shutdown()
        shutil.rmtree(cls.temp, ignore_errors=True)

    def setUp(self):
        # Each test starts as a first visit: no remembered choices.
        self.driver.get(self.url)
        self.driver.execute_script("localStorage.clear()")
        self.driver.get(self.url)
        self.wait_for(lambda: self.driver.execute_script("return document.body.dataset.ready"))
        self.work = tempfile.mkdtemp(dir=self.temp)

    def wait_for(self, condition, seconds=20):
        end = time.time() + seconds
        while time.time() < end:
            value = condition()
            if value:
                return value
            time.sleep(0.05)
        self.fail("the page did not get there in %d seconds" % seconds)

    def choose(self, *paths):
        self.driver.find_element(By.ID, "files").send_keys("\n".join(paths))
        self.wait_for(lambda: len(self.driver.find_elements(By.CSS_SELECTOR, "section.file"))
                      >= len(paths))

    def file_section(self, name):
        return self.driver.find_element(By.CSS_SELECTOR, 'section.file[data-file="%s"]' % name)

    def shown_findings(self, section):
        """The findings as the page shows them, each written back as the
        command's line: WHERE[:LINE:COLUMN]: SEVERITY: [offset 0xNN: ]WORDS."""
        lines = []
        for item in section.find_elements(By.CSS_SELECTOR, "li.finding"):
            severity = item.find_element(By.CSS_SELECTOR, ".sev").text.lower()
            place = item.find_element(By.CSS_SELECTOR, ".place").text
            words = item.find_element(By.CSS_SELECTOR, ".words").text
            where = item.get_attribute("data-where")
            if place.startswith("line "):
                line, column = place[5:].split(", column ")
                where += ":%s:%s" % (line, column)
            elif place.startswith("byte "):
                words = "offset %s: %s" % (place[5:], words)
            lines.append("%s: %s: %s" % (where, severity, words))
        return lines

    def download(self, button, name):
        target = os.path.join(self.downloads, name)
        if os.path.exists(target):
            os.remove(target)
        button.click()
        self.wait_for(lambda: os.path.exists(target) and
                      not os.path.exists(target + ".crdownload") and os.path.getsize(target))
        with open(target, "rb") as f:
            return f.read()

    def copy(self, name):
        shutil.copy(os.path.join(CALCFILES, name), self.work)
        return os.path.join(self.work, name)

    def test_each_golden_file_shows_and_downloads_what_the_command_makes(self):
        names = sorted(n for n in os.listdir(CALCFILES) if n.endswith((".86p", ".86g", ".8xp")))
        self.choose(*(self.copy(name) for name in names))
        for name in names:
            section = self.file_section(name)
            _, listed, programs = native(["--list", "--", name], self.work)
            several = name.endswith((".86p", ".86g")) and len(programs.splitlines()) > 1
            if several:  # translated together, as --all does
                out = "out-" + name
                args, made = ["--all", "-o", out, "--", name], os.path.join(self.work, out)
            elif name.endswith(".8xp"):  # already a TI-83 Plus program: offered as it is
                args, made = ["-t", "ti83p", "--", name], os.path.join(self.work, name)
            else:
                args, made = ["-t", "8xp", "-o", "n.8xp", "--", name], os.path.join(self.work, "n.8xp")
            status, said, _ = native(args, self.work)
            self.assertEqual(status, 0, name)
            self.assertEqual(sorted(self.shown_findings(section)), sorted(said), name)
            buttons = section.find_elements(By.CSS_SELECTOR, "article .actions button")
            self.assertEqual(len(buttons), len(os.listdir(made)) if several else 1, name)
            for button in buttons:
                file_name = button.text.replace("Download ", "")
                with open(os.path.join(made, file_name) if several else made, "rb") as f:
                    self.assertEqual(self.download(button, file_name), f.read(), name)

    def test_a_group_is_translated_together_and_its_zip_holds_every_program(self):
        self.choose(self.copy("group.86g"))
        status, said, _ = native(["--all", "-o", "out", "--", "group.86g"], self.work)
        self.assertEqual(status, 0)
        section = self.file_section("group.86g")
        self.assertEqual(sorted(self.shown_findings(section)), sorted(said))
        # The picture is named for what it is, not offered as a program.
        self.assertIn("Pic1: picture", section.text)
        zipped = self.download(section.find_element(By.CSS_SELECTOR, "button.zip"), "group.zip")
        folder = os.path.join(self.work, "out")
        with zipfile.ZipFile(io.BytesIO(zipped)) as archive:
            self.assertIsNone(archive.testzip())
            self.assertEqual(sorted(archive.namelist()), sorted(os.listdir(folder)))
            for name in archive.namelist():
                with open(os.path.join(folder, name), "rb") as f:
                    self.assertEqual(archive.read(name), f.read(), name)

    def test_a_damaged_file_shows_its_warnings_with_both_engines(self):
        self.choose(self.copy("damaged.86p"))
        section = self.file_section("damaged.86p")
        _, said, _ = native(["--all", "-o", "out", "--", "damaged.86p"], self.work)
        self.assertTrue(any("bad checksum" in line for line in said))
        self.assertEqual(sorted(self.shown_findings(section)), sorted(said))
        # The 81 rows take each program on its own; the file's faults are said once.
        Select(self.driver.find_element(By.ID, "engine")).select_by_value("table")
        section = self.file_section("damaged.86p")
        expected = set()
        for program in ("@1", "@2"):
            _, said, _ = native(["-t", "8xp", "--program", program, "--table", "--",
                                 "damaged.86p"], self.work)
            expected.update(said)
        shown = self.shown_findings(section)
        self.assertEqual(len(shown), len(set(shown)))
        self.assertEqual(set(shown), {line for line in expected if not line.startswith("kalvo-convert:")})

    def test_a_byte_the_ti83p_lacks_is_warned_at_its_line_and_choosing_it_marks_the_line(self):
        path = os.path.join(self.work, "BLOCK.86.txt")
        with open(path, "wb") as f:
            f.write(b':ClLCD\r\n:Disp "A\xd0B"\r\n:Disp 2\r\n')
        self.choose(path)
        section = self.file_section("BLOCK.86.txt")
        status, said, _ = native(["-f", "ti86", "-o", "BLOCK.8xp", "--", "BLOCK.86.txt"],
                                 self.work)
        self.assertEqual(status, 0)
        shown = self.shown_findings(section)
        self.assertEqual(sorted(shown), sorted(said))
        block = [line for line in shown if "■" in line]
        self.assertEqual(len(block), 1)
        self.assertTrue(block[0].startswith("BLOCK.86.txt:2:"), block[0])
        # By keyboard: focus the warning and press Enter.
        button = [b for b in section.find_elements(By.CSS_SELECTOR, "button.finding-body")
                  if "■" in b.text][0]
        button.send_keys(Keys.ENTER)
        marked = section.find_elements(By.CSS_SELECTOR, ".code li.hl")
        self.assertEqual(len(marked), 2)  # both sides
        for li in marked:
            items = li.find_element(By.XPATH, "..").find_elements(By.TAG_NAME, "li")
            self.assertEqual(items.index(li), 1)
        self.assertIn("A■B", marked[0].text)
        with open(os.path.join(self.work, "BLOCK.8xp"), "rb") as f:
            expected = f.read()
        got = self.download(section.find_element(By.CSS_SELECTOR, "article .actions button"),
                            "BLOCK.8xp")
        self.assertEqual(got, expected)

    def test_a_text_whose_name_makes_no_program_name_takes_the_one_typed(self):
        path = os.path.join(self.work, "123.86.txt")
        with open(path, "wb") as f:
            f.write(b":Disp 1\r\n")
        self.choose(path)
        section = self.file_section("123.86.txt")
        status, said, _ = native(["-f", "ti86", "-o", "123.8xp", "--", "123.86.txt"], self.work)
        self.assertEqual(status, 2)
        failure = section.find_element(By.CSS_SELECTOR, "article .failure")
        self.assertTrue(failure.is_displayed())
        self.assertIn(said[0][len("kalvo-convert: "):], failure.text)
        field = section.find_element(By.CSS_SELECTOR, "input.program-name")
        field.send_keys("dice" + Keys.ENTER)
        section = self.wait_for(lambda: self.file_section("123.86.txt").find_elements(
            By.CSS_SELECTOR, "article .actions button") and self.file_section("123.86.txt"))
        status, said, _ = native(["-f", "ti86", "--name", "DICE", "-o", "123.8xp", "--",
                                  "123.86.txt"], self.work)
        self.assertEqual(status, 0)
        self.assertEqual(sorted(self.shown_findings(section)), sorted(said))
        with open(os.path.join(self.work, "123.8xp"), "rb") as f:
            expected = f.read()
        got = self.download(section.find_element(By.CSS_SELECTOR, "article .actions button"),
                            "DICE.8xp")
        self.assertEqual(got, expected)

    def test_the_choices_are_remembered_and_given_to_the_converter(self):
        Select(self.driver.find_element(By.ID, "engine")).select_by_value("table")
        Select(self.driver.find_element(By.ID, "target")).select_by_value("ti84pce")
        self.driver.get(self.url)
        self.wait_for(lambda: self.driver.execute_script("return document.body.dataset.ready"))
        for choice, value in (("engine", "table"), ("target", "ti84pce")):
            self.assertEqual(Select(self.driver.find_element(By.ID, choice))
                             .first_selected_option.get_attribute("value"), value)
        self.choose(self.copy("handwork.ti86.txt"))
        section = self.file_section("handwork.ti86.txt")
        _, said, _ = native(["-f", "ti86", "--table", "--target", "ti84pce", "-o", "handwork.8xp",
                             "--", "handwork.ti86.txt"], self.work)
        summary = [line for line in said if line.startswith("kalvo-convert: ")]
        self.assertEqual(len(summary), 1)
        self.assertEqual(sorted(self.shown_findings(section)),
                         sorted(line for line in said if line not in summary))
        self.assertEqual(section.find_element(By.CSS_SELECTOR, ".summary").text,
                         "Left to do by hand: " + summary[0][len("kalvo-convert: "):] + ".")
        # The translator checks the screen of the calculator chosen.
        Select(self.driver.find_element(By.ID, "engine")).select_by_value("translate")
        section = self.file_section("handwork.ti86.txt")
        for target in ("ti84pce", "ti83p"):
            _, said, _ = native(["-f", "ti86", "--target", target, "-o", "handwork.8xp", "--",
                                 "handwork.ti86.txt"], self.work)
            if target == "ti84pce":
                self.assertEqual(sorted(self.shown_findings(section)), sorted(said))
            else:
                self.assertNotEqual(sorted(self.shown_findings(section)), sorted(said))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
