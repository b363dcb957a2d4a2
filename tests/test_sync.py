"""Every copy of a fact is what ./dev sync makes of its one place (tools/sync.py): the reference's
headings, the stub's names and docstrings, the README's list of names, the rooms' indexes."""

import difflib

import pytest

import sync


def test_sync_leaves_the_tree_unchanged():
    changed = []
    for path, text in sync.generated().items():
        if path.read_text() != text:
            name = str(path.relative_to(sync.ROOT))
            diff = difflib.unified_diff(path.read_text().splitlines(), text.splitlines(), name, "./dev sync", n=1,
                                        lineterm="")
            changed.append("\n".join(list(diff)[:12]))
    assert not changed, "run ./dev sync, which would change:\n" + "\n".join(changed)


@pytest.mark.parametrize("cut, message", [
    ("#### `valmap(func, d, factory=None)`", r"no entry for \['valmap'\]: add one headed"),
    ("<!-- END GENERATED names -->", "README.md lacks the lines"),
])
def test_what_sync_cannot_make_is_named(cut, message):
    with pytest.raises(sync.SyncError, match=message):
        sync.generated(lambda path: path.read_text().replace(cut, ""))
