"""The window as a screen reader reads it, driven through the accessibility bus alone: run by
accessibility_e2e.sh beside the program it started. Prints a line a check; the exit status is
the number of failed checks."""

import sys

import atspi_common as at

# The edit boxes as the captions beside them call them, with their initial texts.
INITIAL = {
    "手机时间": "10:23", "账户余额": "5.00", "本月收入": "5.00", "上月收入": "5.00",
    "结算收入": "5.00", "点击数": "0", "付款笔数": "0", "成交收入": "5.00",
}
BUTTONS = ["点此 - 确认修改内容", "保存图片", "复制图片"]
# Typed through the boxes' editable text, and what the confirm button makes of it.
TYPED = {"本月收入": ("7", "7.00"), "账户余额": ("abc", "0.00"), "上月收入": ("1234.5", "1234.50"),
         "点击数": ("1,234.5", "1,234.5"), "手机时间": ("9：05", "9:05")}


def main():
    checks = at.Checks()
    started = at.start(checks)
    if started is None:
        return checks.failures
    app, window = started

    boxes = at.find_all(window, "text")
    checks.equal("every edit box has a name of its own", sorted(box.name for box in boxes),
                 sorted(INITIAL))
    for name, initial in INITIAL.items():
        found = at.find_all(window, "text", name)
        if checks.check(f"the edit box {name} is there", len(found) == 1):
            checks.equal(f"{name} holds its initial text", at.text(found[0]), initial)
    lists = at.find_all(window, "combo box")
    checks.equal("the list is called 时间文字", [node.name for node in lists], ["时间文字"])
    checks.equal("the buttons are called by their captions",
                 [node.name for node in at.find_all(window, "push button")], BUTTONS)
    previews = at.find_all(window, "image", "预览图")
    if checks.check("the preview is a picture called 预览图", len(previews) == 1):
        description = previews[0].description
        checks.check("the preview says what it shows", "1080×1920" in description, description)

    for name, (typed, _) in TYPED.items():
        at.set_text(at.find_all(window, "text", name)[0], typed)
    at.press(at.find_all(window, "push button", BUTTONS[0])[0])
    for name, (typed, normalised) in TYPED.items():
        box = at.find_all(window, "text", name)[0]
        checks.equal(f"after confirming, {typed!r} in {name} reads", at.wait_for(
            lambda: at.text(box) if at.text(box) == normalised else None, 5.0) or at.text(box),
            normalised)

    at.press(at.find_all(window, "push button", "复制图片")[0])
    seen = at.read_notice(app, at.NOTICE_TITLE)
    if checks.check("the copy's notice comes up", seen is not None):
        notice, texts, buttons = seen
        checks.check("it says the picture was copied", any(t.startswith("复制成功") for t in texts),
                     repr(texts))
        checks.equal("its button says 确定", buttons, [at.OK_TEXT])
        checks.check("it closes through its button", at.close_notice(notice))
    return checks.failures


if __name__ == "__main__":
    sys.exit(min(main(), 100))
