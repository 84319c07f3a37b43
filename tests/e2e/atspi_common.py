"""The program as a screen reader meets it: its tree on the accessibility bus (AT-SPI), nodes
found by role and name, texts read and set, buttons pressed through their action, notices read
and closed. Used by the end-to-end checks, with Debian's /usr/bin/python3 and python3-pyatspi."""

import time

import pyatspi

PROGRAM = "lumivale"
CAPTION = "Lumivale图片生成器      -      作者/Brackenmoor"
NOTICE_TITLE = "Brackenmoor提示："
OK_TEXT = "确定"  # Qt's own OK, in Qt's Chinese


class Checks:
    """Prints a line for each check and counts the failures."""

    def __init__(self):
        self.failures = 0

    def check(self, what, passed, detail=""):
        if passed:
            print(f"ok: {what}", flush=True)
        else:
            self.failures += 1
            print(f"FAILED: {what}" + (f" ({detail})" if detail else ""), flush=True)
        return passed

    def equal(self, what, found, expected):
        return self.check(what, found == expected, f"found {found!r}, expected {expected!r}")


def wait_for(find, seconds=15.0):
    """What `find` gives once it gives something, polling; None after `seconds`."""
    deadline = time.monotonic() + seconds
    while True:
        try:
            found = find()
        except Exception:  # a node that went away while it was read
            found = None
        if found or time.monotonic() > deadline:
            return found
        time.sleep(0.1)


def application():
    def find():
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == PROGRAM:
                return app
        return None

    return wait_for(find)


def nodes(root):
    """The node and everything below it, depth first."""
    yield root
    for index in range(root.childCount):
        child = root.getChildAtIndex(index)
        if child is not None:
            yield from nodes(child)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def find_all(root, role, name=None):
    return [node for node in nodes(root)
            if node.getRoleName() == role and (name is None or node.name == name)]


def find_showing(root, role, name=None):
    """The first showing node of that role (and name), waiting for it to come up."""
    return wait_for(lambda: next((node for node in find_all(root, role, name) if showing(node)),
                                 None))


def text(node):
    return node.queryText().getText(0, -1)


def set_text(node, value):
    node.queryEditableText().setTextContents(value)


def press(node):
    action = node.queryAction()
    names = [action.getName(index) for index in range(action.nActions)]
    action.doAction(names.index("Press") if "Press" in names else 0)


def size(node):
    extents = node.queryComponent().getExtents(pyatspi.WINDOW_COORDS)
    return (extents.width, extents.height)


def read_notice(app, title):
    """A notice that is up: its texts and the names of its buttons; None when none comes up."""
    notice = find_showing(app, "alert", title)
    if notice is None:
        return None
    texts = [node.name for node in find_all(notice, "label") if node.name]
    buttons = [node.name for node in find_all(notice, "push button")]
    return notice, texts, buttons


def close_notice(notice):
    """Presses the notice's one button and waits until it is gone."""
    press(find_all(notice, "push button")[0])

    def gone():
        try:
            return not showing(notice)
        except Exception:
            return True

    return wait_for(gone, 10.0)


def close_start_notice(app, checks):
    """The start notice, which comes first: its text, its one button 确定, closed by that."""
    seen = read_notice(app, NOTICE_TITLE)
    if not checks.check("the start notice comes up", seen is not None):
        return False
    notice, texts, buttons = seen
    checks.check("the start notice names the author",
                 any(line.startswith("作者：Brackenmoor") for line in texts), repr(texts))
    checks.equal("the start notice's one button says 确定", buttons, [OK_TEXT])
    checks.check("the main window is not shown while the start notice is",
                 not any(showing(node) for node in find_all(app, "frame", CAPTION)))
    return checks.check("the start notice closes through its button", close_notice(notice))


def main_window(app):
    return find_showing(app, "frame", CAPTION)


def start(checks):
    """The program as it comes up: found on the bus, its start notice read and closed, its main
    window shown. (app, window), or None after the failed check."""
    app = application()
    if not checks.check("the program is on the accessibility bus", app is not None):
        return None
    if not close_start_notice(app, checks):
        return None
    window = main_window(app)
    if not checks.check("the main window comes up", window is not None):
        return None
    return app, window
