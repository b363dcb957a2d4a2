"""./dev docs --check: the built site as a reader meets it, in headless Chromium over a local HTTP
server, in a window of 1280 by 800 pixels. A search for a name through the site's own search box
must list its entry first, and its link must land on the entry; the landing page must show
`pip install` without scrolling; every page reachable from the landing page must load, hold the
anchor each internal link names, and have no code block that scrolls sideways; the benchmark
charts' labels must render at least 10 pixels tall. Screenshots of the landing page, a tool page,
the search results and the benchmark page go into build/site/screenshots."""

import functools
import http.server
import pathlib
import threading
import urllib.parse

from selenium import webdriver
from selenium.common.exceptions import TimeoutException
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

WAIT = 30  # seconds for a page or the search to settle, generous for a loaded CI machine
WIDTH, FOLD = 1280, 800  # a laptop's window: what shows before any scrolling
SEARCHES = ("valmap", "curry")  # names whose first result must be their entry
TOOL_PAGE = "mappings.html"  # the page of valmap, for a screenshot of a page of tools
MAX_HEIGHT = 6000  # pixels of a screenshot, at most
SMALLEST_LABEL = 10  # pixels, a chart label's rendered height at least


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def browser():
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    # As root inside the isolated root there is no user namespace for Chromium's sandbox, and its
    # /dev/shm is small.
    for arg in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage", f"--window-size={WIDTH},{FOLD}"):
        options.add_argument(arg)
    return webdriver.Chrome(options=options, service=webdriver.ChromeService("/usr/bin/chromedriver"))


def loaded(driver, url):
    driver.get(url)
    WebDriverWait(driver, WAIT).until(lambda d: d.execute_script("return document.readyState") == "complete")


def viewport(driver, width, height):
    """Sizes the window so that its page area is `width` by `height` CSS pixels."""
    driver.set_window_size(width, height)
    inner = driver.execute_script("return [window.innerWidth, window.innerHeight]")
    driver.set_window_size(2 * width - inner[0], 2 * height - inner[1])


def search(driver, base, term):
    """The results (text, link) of searching for `term` from the landing page's search box."""
    loaded(driver, base + "index.html")
    box = driver.find_element(By.CSS_SELECTOR, "form[action$='search.html'] input[name='q']")
    box.send_keys(term, Keys.ENTER)
    # Results appear one by one: the summary line says when the last is in.
    summary = "#search-results .search-summary"
    WebDriverWait(driver, WAIT).until(
        lambda d: any(word in s.text for s in d.find_elements(By.CSS_SELECTOR, summary)
                      for word in ("Search finished", "did not match")))
    return [(a.text, a.get_attribute("href")) for a in driver.find_elements(By.CSS_SELECTOR, "#search-results li a")]


SNIPPET = "#search-results li.kind-object .context"  # the text of an entry found


def search_failures(driver, base, term):
    """Why the search for `term` does not lead a reader to its entry: the first result must link an
    anchor named for it (brisko.valmap) and show the entry's text, and that anchor must head the
    entry on its page."""
    results = search(driver, base, term)
    if not results:
        return [f"searching for {term}: no results"]
    text, href = results[0]
    anchor = urllib.parse.unquote(href.partition("#")[2])
    if anchor.rpartition(".")[2] != term:
        return [f"searching for {term}: the first result is {text!r} ({href.removeprefix(base)}), not its entry"]
    try:
        WebDriverWait(driver, WAIT).until(lambda d: d.find_elements(By.CSS_SELECTOR, SNIPPET))
    except TimeoutException:
        return [f"searching for {term}: the result {text!r} shows none of the entry's text"]
    loaded(driver, href)
    heading = driver.execute_script("const e = document.getElementById(arguments[0]); return e && e.textContent",
                                    anchor)
    if not heading or term not in heading:
        return [f"searching for {term}: {href.removeprefix(base)} holds no entry for it"]
    return []


# Per page: its element ids, and the code blocks wider than their box (their first line).
PAGE_FACTS = """
return [[...document.querySelectorAll('[id]')].map(e => e.id),
        [...document.querySelectorAll('pre')].filter(p => p.scrollWidth > p.clientWidth)
            .map(p => p.scrollWidth + ' px in ' + p.clientWidth + ': ' + p.textContent.split('\\n')[0])];
"""


def crawl(driver, base, html):
    """{page URL: its element ids} for every page of the site reachable from the landing page,
    every internal link seen as (page it is on, URL), and the code blocks that scroll sideways. A
    link to a page the site lacks stays out of the ids (the server's error page would have
    loaded)."""
    ids, links, wide, queue, visited = {}, [], [], [base + "index.html"], set()
    while queue:
        page = queue.pop()
        if page in visited:
            continue
        visited.add(page)
        if not (html / urllib.parse.unquote(page.removeprefix(base))).is_file():
            continue
        loaded(driver, page)
        found, scrolled = driver.execute_script(PAGE_FACTS)
        ids[page] = set(found)
        wide += [f"{page.removeprefix(base)}: {line}" for line in scrolled]
        hrefs = driver.execute_script("return [...document.querySelectorAll('a[href]')].map(a => a.href)")
        for href in hrefs:
            if href.startswith(base):
                links.append((page, href))
                target = href.split("#")[0]
                if target.endswith(".html") and target not in visited:
                    queue.append(target)
    return ids, links, wide


def broken(ids, links, base):
    """The links whose page did not load as a page of the site or lacks the anchor named."""
    found = []
    for page, href in links:
        target, _, anchor = href.partition("#")
        if target.endswith("/"):
            target += "index.html"
        if not target.endswith(".html"):
            continue  # a stylesheet, a chart, a downloadable file: the server answered for it
        anchor = urllib.parse.unquote(anchor)
        if target not in ids or (anchor and anchor not in ids[target]):
            found.append(f"{page.removeprefix(base)} -> {href.removeprefix(base)}")
    return found


def above_the_fold(driver, base):
    """Whether the landing page shows `pip install` whole within its first screen."""
    loaded(driver, base + "index.html")
    bottom = driver.execute_script(
        "const pre = [...document.querySelectorAll('pre')].find(p => p.textContent.includes('pip install'));"
        "return pre ? pre.getBoundingClientRect().bottom + window.scrollY : null;")
    return bottom is not None and bottom <= FOLD, bottom


def chart_labels(driver, base):
    """{chart: the height in CSS pixels of its smallest text as the benchmark page shows it}: each
    chart's text measured in the chart itself, scaled by the page's width for it over its own."""
    loaded(driver, base + "benchmarks.html")
    shown = driver.execute_script(
        "return [...document.querySelectorAll('img')].filter(i => i.src.endsWith('.svg'))"
        ".map(i => [i.src, i.getBoundingClientRect().width / i.naturalWidth]);")
    sizes = {}
    for src, scale in shown:
        loaded(driver, src)
        smallest = driver.execute_script(
            "return Math.min(...[...document.querySelectorAll('text')].map(t => t.getBoundingClientRect().height))")
        sizes[src.rpartition("/")[2]] = smallest * scale
    return sizes


def screenshot(driver, url, path, ready=None):
    """The page at `url` as far as a reader scrolls, at the window's width, once `ready` (a
    condition on the driver) holds."""
    viewport(driver, WIDTH, FOLD)
    loaded(driver, url)
    if ready:
        try:
            WebDriverWait(driver, WAIT).until(ready)
        except TimeoutException:
            pass  # the page as it is, for the failure reported already
    height = driver.execute_script("return document.documentElement.scrollHeight")
    viewport(driver, WIDTH, min(max(height, FOLD), MAX_HEIGHT))
    driver.save_screenshot(str(path))


def check(html, screenshots):
    handler = functools.partial(QuietHandler, directory=str(html))
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    base = f"http://127.0.0.1:{server.server_address[1]}/"
    driver = browser()
    failures = []
    try:
        viewport(driver, WIDTH, FOLD)
        for term in SEARCHES:
            failures += search_failures(driver, base, term)
        shown, bottom = above_the_fold(driver, base)
        if not shown:
            failures.append(f"the landing page shows pip install at {bottom} px, below its first {FOLD}")
        ids, links, wide = crawl(driver, base, html)
        bad = broken(ids, links, base)
        failures += [f"broken link: {b}" for b in bad]
        failures += [f"a code block scrolls sideways at {WIDTH} px: {w}" for w in wide]
        labels = chart_labels(driver, base)
        failures += [f"{chart}: labels {size:.1f} px tall, below {SMALLEST_LABEL}"
                     for chart, size in labels.items() if size < SMALLEST_LABEL]
        if not labels:
            failures.append("the benchmark page shows no chart")
        screenshots.mkdir(parents=True, exist_ok=True)
        shots = {"landing.png": "index.html", "tool-page.png": TOOL_PAGE,
                 "search.png": f"search.html?q={SEARCHES[0]}", "benchmarks.png": "benchmarks.html"}
        for name, page in shots.items():
            # The search's results, and the entries' own text, arrive after its page has loaded.
            ready = (lambda d: d.find_elements(By.CSS_SELECTOR, SNIPPET)) if name == "search.png" else None
            screenshot(driver, base + page, screenshots / name, ready)
    finally:
        driver.quit()
        server.shutdown()
    for failure in failures:
        print(f"docs: {failure}")
    root = pathlib.Path(__file__).resolve().parent.parent.parent  # the checkout, wherever ./dev mounted it
    print(f"docs: searched for {' and '.join(SEARCHES)}; pip install ends {bottom or 0:.0f} px down the landing page; "
          f"followed {len(links)} internal links over {len(ids)} pages, {len(bad)} broken; {len(wide)} code "
          f"blocks scroll sideways; the charts' smallest labels are {min(labels.values(), default=0):.1f} px tall")
    for name in shots:
        print(f"docs: screenshot {(screenshots / name).relative_to(root)}: {shots[name]}")
    return 1 if failures else 0
