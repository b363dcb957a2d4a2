"""./dev docs --check: the built site as a reader meets it, in headless Chromium over a local HTTP
server. It searches for `curry` through the site's own search box and expects the entry among the
results, follows every internal link of every page it can reach from the index (each page must
load and hold the anchor a link names), and saves screenshots of the index and benchmark pages."""

import functools
import http.server
import threading
import urllib.parse

from selenium import webdriver
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

WAIT = 30  # seconds for a page or the search to settle, generous for a loaded CI machine
SCREENSHOTS = {"index.html": "index.png", "benchmarks.html": "benchmarks.png"}
MAX_HEIGHT = 6000  # pixels of a screenshot, at most


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def browser():
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    # As root inside the isolated root there is no user namespace for Chromium's sandbox, and its
    # /dev/shm is small.
    for arg in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage", "--window-size=1280,1600"):
        options.add_argument(arg)
    return webdriver.Chrome(options=options, service=webdriver.ChromeService("/usr/bin/chromedriver"))


def loaded(driver, url):
    driver.get(url)
    WebDriverWait(driver, WAIT).until(lambda d: d.execute_script("return document.readyState") == "complete")


def search(driver, base):
    """The links of the results of searching for `curry` from the index page's search box."""
    loaded(driver, base + "index.html")
    box = driver.find_element(By.CSS_SELECTOR, "form[action$='search.html'] input[name='q']")
    box.send_keys("curry", Keys.ENTER)
    # Results appear one by one: the summary line says when the last is in.
    summary = "#search-results .search-summary"
    WebDriverWait(driver, WAIT).until(
        lambda d: any(word in s.text for s in d.find_elements(By.CSS_SELECTOR, summary)
                      for word in ("Search finished", "did not match")))
    return [(a.text, a.get_attribute("href")) for a in driver.find_elements(By.CSS_SELECTOR, "#search-results li a")]


def crawl(driver, base, html):
    """{page URL: its element ids} for every page of the site reachable from the index, and every
    internal link seen as (page it is on, URL). A link to a page the site lacks stays out of the
    ids (the server's error page would have loaded)."""
    ids, links, queue, visited = {}, [], [base + "index.html"], set()
    while queue:
        page = queue.pop()
        if page in visited:
            continue
        visited.add(page)
        if not (html / urllib.parse.unquote(page.removeprefix(base))).is_file():
            continue
        loaded(driver, page)
        ids[page] = set(driver.execute_script("return [...document.querySelectorAll('[id]')].map(e => e.id)"))
        hrefs = driver.execute_script("return [...document.querySelectorAll('a[href]')].map(a => a.href)")
        for href in hrefs:
            if href.startswith(base):
                links.append((page, href))
                target = href.split("#")[0]
                if target.endswith(".html") and target not in visited:
                    queue.append(target)
    return ids, links


def broken(ids, links, base):
    """The links whose page did not load as a page of the site or lacks the anchor named."""
    found = []
    for page, href in links:
        target, _, anchor = href.partition("#")
        if target.endswith("/"):
            target += "index.html"
        if not target.endswith(".html"):
            continue  # a stylesheet, the chart, a downloadable file: the server answered for it
        anchor = urllib.parse.unquote(anchor)
        if target not in ids or (anchor and anchor not in ids[target]):
            found.append(f"{page.removeprefix(base)} -> {href.removeprefix(base)}")
    return found


def check(html, screenshots):
    handler = functools.partial(QuietHandler, directory=str(html))
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    base = f"http://127.0.0.1:{server.server_address[1]}/"
    driver = browser()
    failures = []
    try:
        results = search(driver, base)
        if not any(href.endswith("#curry") or text.startswith("curry(") for text, href in results):
            failures.append(f"searching for curry: no curry entry among {len(results)} results {results[:5]}")
        ids, links = crawl(driver, base, html)
        bad = broken(ids, links, base)
        failures += [f"broken link: {b}" for b in bad]
        screenshots.mkdir(parents=True, exist_ok=True)
        for page, name in SCREENSHOTS.items():
            driver.set_window_size(1280, 1600)
            loaded(driver, base + page)
            # The whole page, as far as a reader scrolls (the chart is taller than a screen).
            height = driver.execute_script("return document.documentElement.scrollHeight")
            driver.set_window_size(1280, min(height, MAX_HEIGHT))
            driver.save_screenshot(str(screenshots / name))
    finally:
        driver.quit()
        server.shutdown()
    for failure in failures:
        print(f"docs: {failure}")
    print(f"docs: searched for curry ({len(results)} results); followed {len(links)} internal links over "
          f"{len(ids)} pages, {len(bad)} broken; screenshots in {screenshots}")
    return 1 if failures else 0
