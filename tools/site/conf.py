"""Sphinx's configuration for the documentation site (./dev docs builds it from the page sources
that pages.py cuts from the repository's files)."""

import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import brisko  # noqa: E402

project = "brisko"
author = copyright = "the brisko developers"
release = version = brisko.__version__
html_title = f"brisko {release}"
extensions = ["myst_parser", "sphinx_copybutton", "names"]
myst_heading_anchors = 6  # the reference's own #links name headings
html_theme = "furo"
html_copy_source = False  # the pages are cut from files readers find in the repository
html_show_sphinx = False
html_static_path = ["static"]
html_css_files = ["site.css"]
html_js_files = ["search-snippets.js"]

# Every name is brisko's: entries read `valmap(func, d, factory=None)`, as the reference writes
# them, and so do their lines in a page's contents.
add_module_names = False
toc_object_entries_show_parents = "hide"

# A copied example is what a reader pastes into an interpreter: the lines after the prompts,
# without the outputs; a block without prompts (a shell command, a script) is copied whole.
copybutton_prompt_text = r">>> |\.\.\. "
copybutton_prompt_is_regexp = True
copybutton_only_copy_prompt_lines = True
copybutton_remove_prompts = True
