"""./dev docs: builds the documentation site into build/site/html with Sphinx, warnings as errors,
from the README, the reference, the getting-started walk-through, the changelog and the benchmark
charts (pages.py cuts them into pages). With --check it then opens the built site in headless
Chromium (browser.py) and reads it as a reader does: searches through the site's own search box,
the landing page's first screen, every internal link followed, every code block's width and the
charts' label size, with screenshots of the landing page, a tool page, the search results and the
benchmark page."""

import argparse
import pathlib
import shutil
import sys

from sphinx.cmd.build import build_main

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

import pages  # noqa: E402

BUILD = HERE.parent.parent / "build" / "site"


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--check", action="store_true", help="then check the built site in headless Chromium")
    args = parser.parse_args()
    source, html = BUILD / "src", BUILD / "html"
    pages.write(source)
    shutil.rmtree(html, ignore_errors=True)  # no page of an earlier build outlives its source
    status = build_main(["-b", "html", "-W", "--keep-going", "-q", "-E", "-c", str(HERE), str(source), str(html)])
    if status:
        return status
    print(f"docs: the site is in {html.relative_to(HERE.parent.parent)}; open index.html")
    if args.check:
        import browser

        return browser.check(html, BUILD / "screenshots")
    return 0


if __name__ == "__main__":
    sys.exit(main())
