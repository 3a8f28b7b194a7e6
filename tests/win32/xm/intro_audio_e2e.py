#!/usr/bin/env python3
"""An intro with a corpus module as its "Music" plays under Wine, and what the sound
device received equals xm2wav's render of the same module, bit for bit, over the
first 10 seconds.

With a null slave the plugin takes sound as fast as Wine hands it over, about four
times real time here, so this also checks that the output thread keeps up with a
device that runs ahead.
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from wine_e2e import (fail, missing_library, record_loaded_files, start_wine, start_xvfb, stop_xvfb,  # noqa: E402
                      wait_for, wine_environment, wine_prefix)

SECONDS = 10
BYTES_PER_SECOND = 48000 * 4
BLOCK_BYTES = 4096


def expected_sound(xm2wav, module, work):
    wav = os.path.join(work, "expected.wav")
    subprocess.run([xm2wav, "--seconds", str(SECONDS), module, wav], check=True, stdout=subprocess.DEVNULL,
                   timeout=120)
    with open(wav, "rb") as f:
        return f.read()[44:]


def capture_environment(work, display, capture):
    config = os.path.join(work, "asound.conf")
    with open(config, "w") as f:
        f.write('pcm.!default {\n  type file\n  slave.pcm "null"\n  file "%s"\n  format "raw"\n}\n' % capture)
    # Mesa's software renderer would otherwise start a drawing thread per processor.
    return wine_environment(work, display, ALSA_CONFIG_PATH="/usr/share/alsa/alsa.conf:" + config,
                            LP_NUM_THREADS="0")


def play_intro(bin_dir, module, work, env, capture):
    """Builds the intro, starts it and returns once the device has had enough sound."""
    wine_prefix("start", env)
    intro = os.path.join(work, "music.exe")
    subprocess.run(["wine", os.path.join(bin_dir, "make_intro.exe"), os.path.join(bin_dir, "Sinestage.exe"), intro,
                    "--info", "MUSIC|SOUND CHECK|0|0|0", "--music", module], env=env, check=True, timeout=120)
    process = start_wine([intro], env, intro + ".log")
    wanted = SECONDS * BYTES_PER_SECOND
    try:
        if not wait_for(lambda: os.path.exists(capture) and os.path.getsize(capture) >= wanted, 180, 0.5):
            size = os.path.getsize(capture) if os.path.exists(capture) else 0
            fail("the device received %d bytes of sound, %d wanted%s" % (size, wanted, missing_library(process)))
        loaded_files = os.path.join(work, "loaded-files.txt")
        open(loaded_files, "w").close()
        record_loaded_files(env, loaded_files)
    finally:
        wine_prefix("stop", env, check=False)
        process.wait(60)


def blocks(data):
    return [data[i:i + BLOCK_BYTES] for i in range(0, len(data) - BLOCK_BYTES + 1, BLOCK_BYTES)]


def first_difference(played, expected):
    return next((i for i, (a, b) in enumerate(zip(played, expected)) if a != b), len(played))


def main():
    bin_dir, xm2wav, module, work, display = sys.argv[1:6]
    display = ":" + display
    os.makedirs(work, exist_ok=True)
    capture = os.path.join(work, "capture.raw")
    if os.path.exists(capture):
        os.remove(capture)
    expected = expected_sound(xm2wav, module, work)
    env = capture_environment(work, display, capture)
    xvfb = start_xvfb(display, "1024x768x24")
    try:
        play_intro(bin_dir, module, work, env, capture)
    finally:
        stop_xvfb(xvfb)
    with open(capture, "rb") as f:
        played = f.read()
    played = blocks(played)[:len(blocks(expected))]
    if played != blocks(expected):
        at = first_difference(played, blocks(expected))
        fail("the device received other samples from block %d (%.3f s) on" % (at, at * BLOCK_BYTES / BYTES_PER_SECOND))
    print("PASS: %d s of sound equal to xm2wav's render" % SECONDS)


if __name__ == "__main__":
    main()
