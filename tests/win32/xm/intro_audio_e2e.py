#!/usr/bin/env python3
"""An intro with a corpus module as its "Music" plays under Wine, and what the sound
device received equals xm2wav's render of the same module, bit for bit, over the
first 10 seconds.

    intro_audio_e2e.py BIN_DIR XM2WAV MODULE WORK [--sinebuild]

The intro is made by make_intro with the module as it is, or with --sinebuild by
sinebuild, which converts what the player cannot load (a MOD, an old XM).

With a null slave the plugin takes sound as fast as Wine hands it over, about four
times real time here, so this also checks that the output thread keeps up with a
device that runs ahead.
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from wine_e2e import (capture_environment, compare_sound, record_loaded_files, rendered_sound,  # noqa: E402
                      start_wine, start_xvfb, stop_xvfb, wait_for_sound, windows_path, wine_prefix)

SECONDS = 10


def play_intro(bin_dir, module, work, env, capture, with_sinebuild):
    """Builds the intro, starts it and returns once the device has had enough sound."""
    wine_prefix("start", env)
    intro = os.path.join(work, "music.exe")
    if with_sinebuild:
        subprocess.run(["wine", os.path.join(bin_dir, "sinebuild.exe"), "--out", windows_path(intro), "--title",
                        "MUSIC", "--text", "SOUND CHECK", "--music", windows_path(module)], env=env, check=True,
                       timeout=120, stdout=subprocess.DEVNULL)
    else:
        subprocess.run(["wine", os.path.join(bin_dir, "make_intro.exe"), os.path.join(bin_dir, "Sinestage.exe"),
                        intro, "--info", "MUSIC|SOUND CHECK|0|0|0", "--music", module], env=env, check=True,
                       timeout=120)
    process = start_wine([intro], env, intro + ".log")
    try:
        wait_for_sound(capture, SECONDS, process)
        loaded_files = os.path.join(work, "loaded-files.txt")
        open(loaded_files, "w").close()
        record_loaded_files(env, loaded_files)
    finally:
        wine_prefix("stop", env, check=False)
        process.wait(60)


def main():
    bin_dir, xm2wav, module, work = sys.argv[1:5]
    with_sinebuild = sys.argv[5:] == ["--sinebuild"]
    os.makedirs(work, exist_ok=True)
    capture = os.path.join(work, "capture.raw")
    if os.path.exists(capture):
        os.remove(capture)
    expected = rendered_sound(xm2wav, module, work, SECONDS)
    xvfb, display = start_xvfb("1024x768x24")
    env = capture_environment(work, display, capture)
    try:
        play_intro(bin_dir, module, work, env, capture, with_sinebuild)
    finally:
        stop_xvfb(xvfb)
    compare_sound(capture, expected)
    print("PASS: %d s of sound equal to xm2wav's render" % SECONDS)


if __name__ == "__main__":
    main()
