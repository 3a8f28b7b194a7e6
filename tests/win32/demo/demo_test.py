#!/usr/bin/env python3
"""`make demo` without a display, as a newcomer's fresh machine runs it: the same
script writes the packed demo intro, runs it on Xvfb and saves what it showed and
played. The sound must be exactly xm2wav's render of the bundled tune over the same
span, and the title and the scroll text must stand in the screenshot.

    demo_test.py XM2WAV OUT_DIR
"""
import os
import subprocess
import sys

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
sys.path.insert(0, os.path.join(ROOT, "scripts"))
from demo import SCROLLER_ROWS  # noqa: E402
from pe_resources import section_names  # noqa: E402
from wine_e2e import BYTES_PER_SECOND, fail, rendered_sound, warm_pixels  # noqa: E402

TITLE_ROW = 71  # where the title's line lands in the 800 x 600 window


def main():
    xm2wav, out = sys.argv[1:3]
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    demo = subprocess.run([sys.executable, os.path.join(ROOT, "scripts", "demo.py"), out], env=env,
                          capture_output=True, text=True, timeout=1800)
    if demo.returncode != 0:
        fail("demo.py: " + (demo.stdout + demo.stderr).strip()[-2000:])
    intro = os.path.join(out, "intro.exe")
    if "UPX0" not in section_names(intro):
        fail("the demo intro is not packed")
    with open(os.path.join(out, "sound.wav"), "rb") as f:
        played = f.read()[44:]
    seconds = len(played) // BYTES_PER_SECOND
    if seconds < 2 or not played.strip(b"\0"):
        fail("sound.wav holds %d s of sound%s" % (seconds, "" if played.strip(b"\0") else ", all silence"))
    expected = rendered_sound(xm2wav, os.path.join(ROOT, "assets", "demo.xm"), out, seconds)
    if played[:len(expected)] != expected:
        fail("sound.wav differs from xm2wav's render within its first %d s" % seconds)
    screenshot = os.path.join(out, "screenshot.png")
    title, above = warm_pixels(screenshot, range(TITLE_ROW - 12, TITLE_ROW + 12)), warm_pixels(screenshot, range(0, 24))
    if title < 300 or above > 20:
        fail("no title in the screenshot: %d warm pixels on its line, %d above it" % (title, above))
    scroller = warm_pixels(screenshot, SCROLLER_ROWS)
    if scroller < 500:
        fail("no scroll text in the screenshot: %d warm pixels in the scroller's band" % scroller)
    print("PASS: %d s of the demo's sound equal xm2wav's render; title and scroll text stand in the screenshot"
          % seconds)


if __name__ == "__main__":
    main()
