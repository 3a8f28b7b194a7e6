#!/usr/bin/env python3
"""The demo: an intro built from the bundled assets with sinebuild, packed with the
real UPX, then shown. With a display (DISPLAY set) it runs there under Wine until Esc;
without one it runs for 10 seconds on an Xvfb screen of its own, and the sound it
played and the one of its screens, shot once a second in the last five, that shows
the most of the scroll text are saved beside it.

    scripts/demo.py [OUT_DIR]     (default out/demo; `make demo` builds first)
"""
import os
import shutil
import struct
import subprocess
import sys
import time

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
from wine_e2e import (BLOCK_BYTES, capture_environment, fail, start_wine, start_xvfb,  # noqa: E402
                      stop_xvfb, wait_for, warm_pixels, windows_path, wine_environment, wine_prefix)

BIN = os.path.join(ROOT, "build", "win32", "bin")
ASSETS = os.path.join(ROOT, "assets")
TITLE = "SINESTAGE"
SCROLL_TEXT = ("WELCOME TO SINESTAGE ... A TINY INTRO WITH A STARFIELD, A SINE SCROLLER AND ITS OWN XM PLAYER ... "
               "MADE WITH SINEWRIGHT ... GREETINGS TO EVERYONE WHO STILL WRITES INTROS!      ")
SHOW_SECONDS = 10
SHOTS = 5
# Where the scroller's glyphs can stand in the 800 x 600 window, rows from the top: its
# centre line with the wave's reach and half a glyph above and below.
SCROLLER_ROWS = range(187, 320)


def build_intro(out, env):
    """Writes and packs the intro; returns its path."""
    intro = os.path.join(out, "intro.exe")
    built = subprocess.run(["wine", os.path.join(BIN, "sinebuild.exe"), "--out", windows_path(intro), "--title", TITLE,
                            "--text", SCROLL_TEXT, "--scroll", "y", "--font", windows_path(os.path.join(ASSETS, "font.tga")),
                            "--music", windows_path(os.path.join(ASSETS, "demo.xm")), "--icon",
                            windows_path(os.path.join(ASSETS, "intro.ico")), "--strict"],
                           env=env, capture_output=True, text=True, timeout=600)
    sys.stderr.write(built.stderr)
    if built.returncode != 0:
        fail("sinebuild could not write the demo intro")
    unpacked = os.path.getsize(intro)
    # The packer as the builder runs it: the intro's path and no switch.
    packed = subprocess.run(["upx", "-q", intro], capture_output=True, text=True, timeout=600)
    if packed.returncode != 0:
        fail("upx: " + (packed.stderr or packed.stdout).strip())
    print("%s: %d bytes, %d packed with UPX" % (intro, unpacked, os.path.getsize(intro)))
    return intro


def show_on_display(intro, env):
    print("showing the intro on %s; press Esc to end it" % env["DISPLAY"])
    subprocess.run(["wine", intro], env=env)


def wav_file(path, raw):
    frames = len(raw) // 4
    header = struct.pack("<4sI4s4sIHHIIHH4sI", b"RIFF", 36 + 4 * frames, b"WAVE", b"fmt ", 16, 1, 2, 48000,
                         48000 * 4, 4, 16, b"data", 4 * frames)
    with open(path, "wb") as f:
        f.write(header + raw[:4 * frames])


def shots_while_showing(display, env, work):
    """Shoots the screen once a second in the last SHOTS seconds of the show, as plain
    pixel maps: encoding waits until the intro has ended, so that its music thread
    keeps the processor it needs."""
    shots, start = [], time.time()
    for second in range(SHOW_SECONDS - SHOTS + 1, SHOW_SECONDS + 1):
        time.sleep(max(0, start + second - time.time()))
        shot = os.path.join(work, "shot%d.ppm" % second)
        subprocess.run(["import", "-display", display, "-window", "root", "-crop", "800x600+112+84", "+repage", shot],
                       env=env, check=True, timeout=60)
        shots.append(shot)
    return shots


def brightest_scroller_shot(shots):
    """The text moves a fixed step per frame, and Xvfb draws far more frames a second
    than a monitor, so any one moment may find the text out of view: the shot kept is
    the one with the most of the font's colours in the scroller's band."""
    return max(shots, key=lambda shot: warm_pixels(shot, SCROLLER_ROWS))


def show_offscreen(intro, out, work):
    """Runs the intro for a while on an Xvfb screen; saves what it showed and played."""
    capture = os.path.join(work, "capture.raw")
    if os.path.exists(capture):
        os.remove(capture)
    xvfb, display = start_xvfb("1024x768x24")
    env = capture_environment(work, display, capture)
    wine_prefix("start", env)
    process = start_wine([intro], env, os.path.join(work, "intro.log"))
    try:
        shown = wait_for(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % TITLE],
                                                env=env, capture_output=True).returncode == 0, 180)
        if not shown:
            fail("the demo intro showed no window")
        shots = shots_while_showing(display, env, work)
    finally:
        wine_prefix("stop", env, check=False)
        process.wait(60)
        stop_xvfb(xvfb)
    screenshot = os.path.join(out, "screenshot.png")
    subprocess.run(["convert", brightest_scroller_shot(shots), screenshot], check=True, timeout=60)
    with open(capture, "rb") as f:
        raw = f.read()
    sound = os.path.join(out, "sound.wav")
    wav_file(sound, raw[:len(raw) // BLOCK_BYTES * BLOCK_BYTES])
    print("screenshot: %s" % screenshot)
    print("sound: %s (%.1f s)" % (sound, len(raw) // BLOCK_BYTES * BLOCK_BYTES / (48000 * 4)))


def main():
    out = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "out", "demo"))
    work = os.path.join(out, "work")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    env = wine_environment(work, os.environ.get("DISPLAY", ""))
    wine_prefix("start", env)
    try:
        intro = build_intro(out, env)
        if os.environ.get("DISPLAY"):
            show_on_display(intro, env)
    finally:
        wine_prefix("stop", env, check=False)
    if not os.environ.get("DISPLAY"):
        show_offscreen(intro, out, work)


if __name__ == "__main__":
    main()
