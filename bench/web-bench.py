#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The page's figures, in headless Chromium on 127.0.0.1 (`make web-bench`):
# what the site weighs gzipped, how soon a program is shown after the page
# is opened, and 1,000 .86p files of 2 KiB converted in the page beside the
# same files converted by the native job in one process, in turns.
#   web-bench.py SITE_DIR KALVO_BENCH_WEB SAMPLE_FILE
import functools
import gzip
import http.server
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

site, native_bench, sample = (os.path.abspath(a) for a in sys.argv[1:4])
temp = tempfile.mkdtemp(prefix="kalvo-web-bench-")
served = os.path.join(temp, "site")
shutil.copytree(site, served)

total = 0
for name in sorted(os.listdir(site)):
    with open(os.path.join(site, name), "rb") as f:
        size = len(gzip.compress(f.read(), 9))
    total += size
    print("  %-14s %7d bytes gzipped" % (name, size))
print("site: %.1f KB gzipped in all (goal: at most 250 KB)" % (total / 1000))


class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0),
                                         functools.partial(Quiet, directory=served))
threading.Thread(target=server.serve_forever, daemon=True).start()
url = "http://127.0.0.1:%d/index.html" % server.server_address[1]

options = webdriver.ChromeOptions()
options.binary_location = "/usr/lib/chromium/chromium"
for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic",
                 "--no-first-run", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--window-size=1280,900",
                 "--user-data-dir=" + os.path.join(temp, "profile")):
    options.add_argument(argument)
driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
try:
    # Opened, the module started, a file chosen, its program on the screen.
    for attempt in range(3):
        driver.get(url)
        while not driver.execute_script("return document.body.dataset.ready"):
            time.sleep(0.005)
        ready = driver.execute_script("return performance.now()")
        driver.find_element(By.ID, "files").send_keys(sample)
        while not driver.find_elements(By.CSS_SELECTOR, "article.program .code li"):
            time.sleep(0.005)
        shown = driver.execute_script("return performance.now()")
        print("opened to converter ready %4.0f ms, to the program shown %4.0f ms (goal: 1000 ms)"
              % (ready, shown))

    native_ms = []
    page_ms = []
    blob = os.path.join(served, "bench-files.bin")
    for round in range(3):
        out = subprocess.run([native_bench, blob], capture_output=True, text=True, check=True)
        native_ms.append(float(out.stdout.split()[0]))
        page_ms.append(driver.execute_async_script("""
            const done = arguments[arguments.length - 1];
            fetch('bench-files.bin').then((r) => r.arrayBuffer()).then((buffer) => {
              const all = new Uint8Array(buffer), view = new DataView(buffer), files = [];
              for (let at = 0; at < all.length;) {
                const n = view.getUint32(at, true);
                files.push(all.subarray(at + 4, at + 4 + n));
                at += 4 + n;
              }
              const args = ['-t', '8xp', '--program', '@1', '--', 'GAME.86p'];
              let best = Infinity;
              for (let round = 0; round < 5; ++round) {
                const start = performance.now();
                for (const file of files)
                  if (state.kalvo.run(args, file).status !== 0) throw new Error('failed');
                best = Math.min(best, performance.now() - start);
              }
              done(best);
            });"""))
    n, p = min(native_ms), min(page_ms)
    print("1000 .86p files of 2 KiB to .8xp: native %.0f ms, page %.0f ms: %.2f times (goal: at most 2)"
          % (n, p, p / n))
finally:
    driver.quit()
    server.shutdown()
    shutil.rmtree(temp, ignore_errors=True)
