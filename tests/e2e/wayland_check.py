"""The window under a Wayland compositor, driven through the accessibility bus: run by
wayland_e2e.sh beside the program it started.
    wayland_check.py size          the start notice closed, the window's client area 482 x 539
    wayland_check.py copy REF.PNG  that, then a copy, which wl-paste must give as image/png with
                                   exactly the pixels of REF.PNG (`lumivale render`'s)
Prints a line a check; the exit status is the number of failed checks."""

import subprocess
import sys
import tempfile

from PIL import Image

import atspi_common as at

CLIENT_SIZE = (482, 539)  # the layout's whole outer size: no frame is taken off under Wayland


def paste(mime_type):
    result = subprocess.run(["wl-paste", "--no-newline", "--type", mime_type],
                            capture_output=True, timeout=10)
    return result.stdout if result.returncode == 0 else None


def same_pixels(png, reference):
    with tempfile.NamedTemporaryFile(suffix=".png") as pasted:
        pasted.write(png)
        pasted.flush()
        a, b = (Image.open(path).convert("RGB") for path in (pasted.name, reference))
        return a.size == b.size == (1080, 1920) and a.tobytes() == b.tobytes()


def main(mode, reference=None):
    checks = at.Checks()
    started = at.start(checks)
    if started is None:
        return checks.failures
    app, window = started
    checks.equal("the window's client area is the layout's", at.size(window), CLIENT_SIZE)
    preview = at.find_all(window, "image", "预览图")
    checks.check("the preview is whole inside it", len(preview) == 1 and at.size(preview[0]) ==
                 (258, 459), repr([at.size(node) for node in preview]))
    if mode != "copy":
        return checks.failures

    at.press(at.find_all(window, "push button", "复制图片")[0])
    seen = at.read_notice(app, at.NOTICE_TITLE)
    if checks.check("the copy's notice comes up", seen is not None):
        checks.check("it closes through its button", at.close_notice(seen[0]))
    listed = subprocess.run(["wl-paste", "--list-types"], capture_output=True, text=True,
                            timeout=10)
    checks.check("the clipboard offers the picture as image/png",
                 "image/png" in listed.stdout.split(), listed.stdout + listed.stderr)
    png = paste("image/png")
    if checks.check("wl-paste gives a PNG", png is not None and png.startswith(b"\x89PNG")):
        checks.check("the pasted picture has exactly the pixels of lumivale render",
                     same_pixels(png, reference))
    return checks.failures


if __name__ == "__main__":
    if len(sys.argv) < 2 or sys.argv[1] not in ("size", "copy") or (
            sys.argv[1] == "copy" and len(sys.argv) != 3):
        sys.exit(__doc__)
    sys.exit(min(main(*sys.argv[1:]), 100))
