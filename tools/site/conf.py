"""Sphinx's configuration for the documentation site (./dev docs builds it from the page sources
that pages.py cuts from the README and the reference)."""

import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import brisko  # noqa: E402

project = "brisko"
release = version = brisko.__version__
html_title = f"brisko {release}"
extensions = ["myst_parser", "names"]
myst_heading_anchors = 6  # the reference's own #links name headings
html_theme = "furo"
html_copy_source = False  # the pages are cut from files readers find in the repository
html_show_sphinx = False
