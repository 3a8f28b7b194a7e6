#!/usr/bin/env python3
"""Probe MOD songs that each lean on one thing the trackers of the time did
differently, converted and rendered by xm2wav beside libopenmpt's render of the MOD.

Each probe is a random 4-pattern song (seeded, so the same every run) of looped and
unlooped samples, with the layout or commands of one group: Ultimate Soundtracker and
the later Soundtrackers (loop starts in bytes, the tempo byte, 1xy/2xy, Fxx as speeds),
ProTracker's panning, slides and zero parameters, and an 8-channel M.K. file from
Mod's Grave. Prints the 50 ms RMS-envelope correlation over the first 40 seconds and
the conversion line.

Usage: bench/mod_probes.py [--xm2wav PATH] [--keep DIR]
Needs only the standard library and openmpt123.
"""
import argparse
import math
import os
import random
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from compare_openmpt import ROOT, correlation, read_wav, render_openmpt, rms_envelope  # noqa: E402

SECONDS = 40
PERIODS = [856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453, 428, 404, 381, 360, 339, 320, 302,
           285, 269, 254, 240, 226, 214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113]


def sample_bytes(rng, length):
    if rng.random() < 0.33:
        return bytes(rng.randrange(256) for _ in range(length))
    cycle = rng.choice([16, 24, 32, 48, 64])
    return bytes(int(100 * math.sin(2 * math.pi * i / cycle) * (1 - 0.8 * i / length)) & 0xFF
                 for i in range(length))


def probe_song(seed, samples=31, channels=4, tag=b"M.K.", restart=None, effects=(), volume64=False):
    """MOD bytes: title, sample headers, song, (tag), 4 patterns, sample data."""
    rng = random.Random(seed)
    headers, data = b"", b""
    used = min(samples, 8)
    for s in range(samples):
        if s >= used:
            headers += bytes(22) + struct.pack(">HBBHH", 0, 0, 64, 0, 1)
            continue
        length = rng.choice([800, 1600, 3000, 5000])
        pcm = sample_bytes(rng, length)
        loop_start, loop_words = 0, 1
        if rng.random() < 0.6:
            start = rng.randrange(0, length // 2) // 2 * 2
            loop_words = rng.randrange(100, length - start) // 2
            loop_start = start if samples == 15 else start // 2  # bytes in 15-sample files
        volume = 64 if volume64 else rng.choice([40, 50, 64])
        headers += (b"smp%d" % s).ljust(22, b"\0") + struct.pack(">HBBHH", length // 2, 0, volume, loop_start,
                                                                  loop_words)
        data += pcm
    orders = list(range(4)) + [rng.randrange(4) for _ in range(4)]
    song = bytes([len(orders), (120 if samples == 15 else 127) if restart is None else restart])
    song += bytes(orders + [0] * (128 - len(orders)))
    patterns = b""
    for _ in range(4 * 64 * channels):
        if rng.random() < 0.25:
            period, sample = rng.choice(PERIODS), rng.randrange(1, used + 1)
            effect, parameter = 0, 0
            if effects and rng.random() < 0.5:
                effect, parameter = rng.choice(effects)
            patterns += bytes([(sample & 0xF0) | period >> 8, period & 0xFF, (sample & 0x0F) << 4 | effect,
                               parameter])
        else:
            patterns += bytes(4)
    return b"probe".ljust(20, b"\0") + headers + song + (tag if samples == 31 else b"") + patterns + data


PROBES = {
    "Ultimate Soundtracker, 1xy and 2xy": dict(seed=1, samples=15, effects=[(1, 0x37), (2, 0x03), (2, 0x30)]),
    "Ultimate Soundtracker, tempo byte 100": dict(seed=2, samples=15, restart=100, effects=[(1, 0x47), (2, 0x05)]),
    "Soundtracker, Cxx and Fxx": dict(seed=3, samples=15, effects=[(0xC, 0x20), (1, 0x03), (0xF, 0x1F), (0xF, 0x04)]),
    "Soundtracker, tempo byte 140": dict(seed=4, samples=15, restart=140, effects=[(0xC, 0x30), (0xF, 3), (0xA, 2)]),
    "ProTracker, common commands": dict(seed=5, effects=[(0xC, 0x30), (0xA, 2), (1, 5), (2, 4), (4, 0x46)]),
    "ProTracker, 8xx and E8x": dict(seed=6, effects=[(8, 0), (8, 0xFF), (8, 0x80), (0xE, 0x8F), (0xE, 0x80)]),
    "ProTracker, long slides": dict(seed=7, effects=[(1, 0x40), (2, 0x40), (0xE, 0x1F), (0xE, 0x2F)]),
    "ProTracker, E10 EA0 EC0 ED0": dict(seed=9, effects=[(0xE, 0xD0), (0xE, 0xC0), (0xE, 0x10), (0xE, 0xA0)]),
    "Mod's Grave, 8 channels as M.K.": dict(seed=8, channels=8, restart=0, volume64=True),
}


def ours(xm2wav, module, directory):
    out = os.path.join(directory, "ours.wav")
    run = subprocess.run([xm2wav, "--seconds", str(SECONDS), module, out], capture_output=True, text=True)
    if run.returncode != 0:
        return None, run.stderr.strip()
    return read_wav(out), run.stdout.splitlines()[0]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--xm2wav", default=os.path.join(ROOT, "build/native/bin/xm2wav"))
    parser.add_argument("--keep", help="write the probe modules into this folder")
    args = parser.parse_args()
    print("| probe | RMS-envelope correlation | conversion |")
    print("|---|---|---|")
    with tempfile.TemporaryDirectory() as directory:
        for name, settings in PROBES.items():
            module = os.path.join(args.keep or directory, "probe%d.mod" % settings["seed"])
            with open(module, "wb") as f:
                f.write(probe_song(**settings))
            pcm, line = ours(args.xm2wav, module, directory)
            if pcm is None:
                print(f"| {name} | — | {line} |")
                continue
            theirs = read_wav(render_openmpt(module, directory))
            n = min(len(theirs), SECONDS * 48000 * 2)
            r = correlation(rms_envelope(pcm[:n]), rms_envelope(theirs[:n]))
            print(f"| {name} | {r:.3f} | {line.removeprefix('converted: ')} |", flush=True)


if __name__ == "__main__":
    main()
