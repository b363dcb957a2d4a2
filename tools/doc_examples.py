"""Runs the `>>>` examples of Markdown documents as doctests, one test per section (the text under
one heading). Each section starts from the globals that the document's opening section (the text
before its second heading) sets up, so sections stand alone and a failure names its section.

Run as a script, it checks the documents given on the command line and exits non-zero when an
example fails: `./dev wheel` uses it to run the reference against an installed wheel.
"""

import doctest
import pathlib
import re
import sys

HEADING = re.compile(r"^#{1,6} +(.*)$")


def sections(path):
    """[(title, first line number, text)] for each heading of the document, in order."""
    found = []
    for lineno, line in enumerate(pathlib.Path(path).read_text().splitlines(keepends=True)):
        match = HEADING.match(line)
        if match or not found:
            found.append([match.group(1).replace("`", "") if match else "", lineno, ""])
        found[-1][2] += line
    return [tuple(section) for section in found]


def doctests(path):
    """The sections of a document that hold examples, as (title, DocTest); the opening section's
    globals (after its own examples ran) are copied into each later one."""
    parser = doctest.DocTestParser()
    path = pathlib.Path(path)
    opening, *rest = sections(path)
    setup = parser.get_doctest(opening[2], {}, opening[0], str(path), opening[1])
    tests = [(opening[0], setup)] if setup.examples else []
    for title, lineno, text in rest:
        test = parser.get_doctest(text, {}, title, str(path), lineno)
        if test.examples:
            tests.append((title, test))
    return setup, tests


def run(setup, test):
    """Runs one section after the setup examples; returns the failure report, or "" on success."""
    report = []
    runner = doctest.DocTestRunner(optionflags=doctest.FAIL_FAST)
    globs = {"__name__": "__doc_examples__"}
    if setup is not test:
        setup = doctest.DocTest(setup.examples, globs, setup.name, setup.filename, setup.lineno, None)
        runner.run(setup, out=report.append, clear_globs=False)
        if runner.failures:
            return "".join(report)
        globs = setup.globs  # a DocTest works on its own copy
    test = doctest.DocTest(test.examples, globs, test.name, test.filename, test.lineno, None)
    runner.run(test, out=report.append)
    return "".join(report) if runner.failures else ""


def main(paths):
    failed = total = 0
    for path in paths:
        setup, tests = doctests(path)
        for title, test in tests:
            total += 1
            report = run(setup, test)
            if report:
                failed += 1
                print(report, end="")
    print(f"{total - failed} of {total} documented sections pass")
    return 1 if failed or not total else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
