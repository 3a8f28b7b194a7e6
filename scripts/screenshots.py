#!/usr/bin/env python3
"""Makes the README's pictures under docs/: the builder dialog as it starts, and the
demo intro (out/demo/intro.exe, written by `make demo`) a few seconds in. Each runs
under Wine on an Xvfb screen of its own.

    scripts/screenshots.py [BIN_DIR] [DOCS_DIR]
"""
import os
import subprocess
import sys
import time

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
from wine_e2e import fail, start_wine, start_xvfb, stop_xvfb, wait_for, wine_environment, wine_prefix  # noqa: E402


def window_shot(env, title, program, picture, settle):
    """Starts `program`, waits for its window and `settle` seconds, and saves the
    window's part of the screen."""
    process = start_wine([program], env, os.path.join(os.path.dirname(env["WINEPREFIX"]), os.path.basename(picture) + ".log"))
    found = []
    if not wait_for(lambda: found.extend(subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title], env=env, capture_output=True,
            text=True).stdout.split()) or found, 120):
        fail("no window titled %r" % title)
    time.sleep(settle)
    geometry = dict(line.split("=") for line in subprocess.run(
        ["xdotool", "getwindowgeometry", "--shell", found[0]], env=env, capture_output=True, text=True).stdout.split())
    crop = "%sx%s+%s+%s" % (geometry["WIDTH"], geometry["HEIGHT"], geometry["X"], geometry["Y"])
    subprocess.run(["import", "-display", env["DISPLAY"], "-window", "root", "-crop", crop, "+repage", picture],
                   env=env, check=True, timeout=60)
    process.kill()
    print(picture)


def main():
    bin_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "win32", "bin")
    docs = sys.argv[2] if len(sys.argv) > 2 else os.path.join(ROOT, "docs")
    work = os.path.join(ROOT, "build", "screenshots")
    os.makedirs(work, exist_ok=True)
    xvfb, display = start_xvfb("1024x768x24")
    env = wine_environment(work, display)
    wine_prefix("start", env)
    try:
        window_shot(env, "Sinewright v0.1", os.path.join(bin_dir, "Sinewright.exe"),
                    os.path.join(docs, "sinewright.png"), 2)
        intro = os.path.join(ROOT, "out", "demo", "intro.exe")
        if os.path.exists(intro):
            window_shot(env, "SINESTAGE", intro, os.path.join(docs, "demo.png"), 6)
    finally:
        wine_prefix("stop", env, check=False)
        stop_xvfb(xvfb)


if __name__ == "__main__":
    main()
