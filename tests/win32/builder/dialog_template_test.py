#!/usr/bin/env python3
"""The builder's dialog template 101, read back from Sinewright.exe: its head and its
36 controls in template order (the tab order), with their ids, classes, texts,
styles and rectangles in dialog units.

    dialog_template_test.py SINEWRIGHT.exe
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from pe_resources import dialog_template, resources  # noqa: E402

WS_POPUP, WS_CHILD, WS_VISIBLE, WS_DISABLED = 0x80000000, 0x40000000, 0x10000000, 0x08000000
WS_CAPTION, WS_BORDER, WS_SYSMENU, WS_GROUP, WS_TABSTOP, WS_MINIMIZEBOX = 0xC00000, 0x800000, 0x80000, 0x20000, \
    0x10000, 0x20000
DS_SETFONT, DS_SETFOREGROUND, DS_CENTER = 0x40, 0x200, 0x800
WS_EX_ACCEPTFILES, WS_EX_STATICEDGE, WS_EX_APPWINDOW = 0x10, 0x20000, 0x40000
BS_PUSHBUTTON, BS_AUTOCHECKBOX, BS_GROUPBOX, BS_AUTORADIOBUTTON = 0, 3, 7, 9
ES_AUTOHSCROLL, ES_READONLY, SS_LEFT = 0x80, 0x800, 0

FRAME = ("Button", BS_GROUPBOX, WS_EX_STATICEDGE)
PATH = ("Edit", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY, 0)
LABEL = ("Static", WS_GROUP | SS_LEFT, 0)
PUSH = ("Button", WS_TABSTOP | BS_PUSHBUTTON, 0)
TEXT = ("Edit", WS_BORDER | WS_TABSTOP, 0)
RADIO = ("Button", WS_TABSTOP | BS_AUTORADIOBUTTON, 0)
CHECK = ("Button", WS_TABSTOP | BS_AUTOCHECKBOX, 0)

# id, text, kind, rectangle; every control also has WS_CHILD and WS_VISIBLE.
CONTROLS = [
    (None, "", FRAME, (2, 137, 214, 31)),
    (None, "Show Mode", FRAME, (216, 137, 95, 30)),
    (None, "Options", FRAME, (1, 106, 214, 30)),
    (None, "Sinus Scroll Text", FRAME, (1, 81, 214, 24)),
    (None, "Files", FRAME, (1, 1, 214, 52)),
    (605, "", PATH, (39, 9, 150, 12)),
    (None, "[TGA Font]", LABEL, (4, 11, 35, 9)),
    (None, "[XM Music]", LABEL, (3, 25, 35, 9)),
    (606, "", PATH, (39, 23, 150, 12)),
    (601, "..", PUSH, (191, 9, 20, 12)),
    (602, "..", PUSH, (191, 23, 20, 12)),
    (603, "Create", PUSH, (51, 147, 40, 14)),
    (None, "Intro Title", FRAME, (1, 55, 214, 24)),
    (604, "Exit", PUSH, (137, 147, 40, 14)),
    (607, "", TEXT, (5, 64, 205, 12)),
    (608, "", TEXT, (5, 90, 205, 12)),
    (609, "..", PUSH, (191, 36, 20, 12)),
    (610, "", PATH, (39, 36, 150, 12)),
    (None, "[Icon]", LABEL, (11, 38, 20, 9)),
    (None, "Scrolling Type", FRAME, (216, 1, 95, 104)),
    (611, "Line.", RADIO, (222, 12, 80, 10)),
    (612, "X axis wave.", RADIO, (222, 23, 82, 10)),
    (613, "Y axis wave.", RADIO, (222, 34, 80, 10)),
    (614, "Z axis wave.", RADIO, (222, 45, 77, 10)),
    (616, "X and Y axis wave.", RADIO, (222, 67, 86, 10)),
    (617, "X and Z axis wave.", RADIO, (222, 78, 83, 10)),
    (615, "Y and Z axis wave.", RADIO, (222, 56, 79, 10)),
    (618, "X, Y and Z axis wave.", RADIO, (222, 89, 85, 10)),
    (None, "Exit Keys", FRAME, (216, 106, 95, 30)),
    (620, "Close on Esc press.", ("Button", WS_DISABLED | WS_TABSTOP | BS_AUTOCHECKBOX, 0), (220, 115, 84, 10)),
    (619, "Close on Mouse Click.", CHECK, (220, 124, 84, 10)),
    (623, "Execute Exporting Folder.", CHECK, (10, 124, 111, 10)),
    (622, "Execute Intro.", CHECK, (10, 115, 60, 10)),
    (624, "Pack Intro [UPX]", CHECK, (129, 114, 69, 10)),
    (625, "Window.", ("Button", WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, 0), (220, 146, 62, 10)),
    (626, "Full Screen.", RADIO, (220, 155, 62, 10)),
]


def main():
    found = resources(sys.argv[1])
    template = found.get((5, 101, 1033))
    failures = []
    if template is None:
        print("FAIL: no RT_DIALOG 101 in language 1033")
        sys.exit(1)
    head, controls = dialog_template(template)
    wanted_head = dict(style=WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_CENTER
                       | DS_SETFOREGROUND | DS_SETFONT, exstyle=WS_EX_APPWINDOW | WS_EX_ACCEPTFILES,
                       rect=(0, 0, 312, 179), menu="", window_class="", caption="Sinewright v0.1", points=8,
                       weight=0, italic=0, charset=0, font="MS SANS SERIF")
    if head != wanted_head:
        failures.append("head %r" % head)
    if len(controls) != len(CONTROLS):
        failures.append("%d controls" % len(controls))
    for i, (control, (id_, text, (window_class, style, exstyle), rect)) in enumerate(zip(controls, CONTROLS)):
        wanted = dict(id=id_, window_class=window_class, text=text, style=WS_CHILD | WS_VISIBLE | style,
                      exstyle=exstyle, rect=rect)
        if control != wanted:
            failures.append("control %d: %r, wanted %r" % (i + 1, control, wanted))
    for what in [k for k in found if k[0] in (3, 14, 24)]:
        if what[2] != 0x1401:
            failures.append("resource %r not in language 0x1401" % (what,))
    if failures:
        print("FAIL:", "\n".join(failures))
        sys.exit(1)
    print("PASS: template 101 with its 36 controls")


if __name__ == "__main__":
    main()
