#!/usr/bin/env python3
"""Compares our XM renders with the distribution's module players.

For the songs of corpus/xm/music: our play-once duration beside libopenmpt's
(openmpt123 --info) and the correlation of 50 ms RMS envelopes of our render with
libopenmpt's (linear interpolation, 48 kHz). For the songs of corpus/mod/music the
same for our render of the converted module beside libopenmpt's of the MOD itself,
and their long-term spectra: the correlation of the log-power spectra on a scale of
1/16 semitone, and the pitch shift that matches them best (0 unless an octave or a
finetune is wrong). For corpus/xm/ft2-pairs: the
correlation of the left and right channels of our render (left is the player, right
a recording of the original tracker). Finally the render speed of xm2wav against
libxmp for one minute of each song, in the same run.

For the S3M and IT songs (corpus/s3m/music, corpus/it/music where there is one): the
first minute of our render of the converted song against libopenmpt's of the
original (50 ms RMS envelopes), and the play-once length of our XM (libopenmpt's
count of the converted file, which follows the same jumps, loops and delays)
beside the original's. For their behaviour folders: what the converter said, and
the left/right agreement of our render, as for the ft2 pairs, with the RMS of the
whole render for the modules meant to stay silent.

Usage: bench/compare_openmpt.py [--xm2wav PATH] [--toxm PATH] [--corpus DIR] [--mod-corpus DIR]
                                [--s3m-corpus DIR] [--it-corpus DIR]
                                [--mod-only | --s3m-only | --it-only] [--behaviour]
Needs only the standard library, openmpt123 and libxmp.so.4.
"""
import argparse
import array
import ctypes
import math
import os
import re
import subprocess
import sys
import tempfile
import time
import wave

RATE = 48000
WINDOW = RATE // 20  # 50 ms
SPEED_SECONDS = 60
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def read_wav(path):
    """Interleaved 16-bit stereo samples of a WAV file."""
    with wave.open(path) as wav:
        assert wav.getnchannels() == 2 and wav.getsampwidth() == 2 and wav.getframerate() == RATE, path
        samples = array.array("h")
        samples.frombytes(wav.readframes(wav.getnframes()))
    if sys.byteorder == "big":
        samples.byteswap()
    return samples


def rms_envelope(samples, step=2 * WINDOW):
    """RMS over consecutive 50 ms windows (of both channels of interleaved samples by default)."""
    return [math.sqrt(sum(v * v for v in samples[start:start + step]) / step)
            for start in range(0, len(samples) - step + 1, step)]


def correlation(a, b):
    n = min(len(a), len(b))
    if n < 2:
        return float("nan")
    a, b = a[:n], b[:n]
    mean_a, mean_b = sum(a) / n, sum(b) / n
    cov = sum((x - mean_a) * (y - mean_b) for x, y in zip(a, b))
    var_a = sum((x - mean_a) ** 2 for x in a)
    var_b = sum((y - mean_b) ** 2 for y in b)
    return cov / math.sqrt(var_a * var_b) if var_a > 0 and var_b > 0 else float("nan")


def render_ours(xm2wav, module, out, play_once=True, seconds=1200):
    command = [xm2wav, "--seconds", str(seconds)] + (["--play-once"] if play_once else []) + [module, out]
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)


def openmpt_duration(module, subsong=[]):
    """libopenmpt's play-once length: of all subsongs one after the other, or of `subsong` (["--subsong", "0"])."""
    info = subprocess.run(["openmpt123"] + subsong + ["--info", module], capture_output=True, text=True).stdout
    match = re.search(r"Duration\.*:\s*(?:(\d+):)?(\d+):(\d+(?:\.\d+)?)", info)
    if not match:
        return float("nan")
    hours, minutes, seconds = match.groups()
    return int(hours or 0) * 3600 + int(minutes) * 60 + float(seconds)


def render_openmpt(module, directory, subsong=[]):
    """libopenmpt's render of the whole song at 48 kHz, linear interpolation, 16-bit."""
    copy = os.path.join(directory, "openmpt" + os.path.splitext(module)[1].lower())
    with open(module, "rb") as source, open(copy, "wb") as target:
        target.write(source.read())
    subprocess.run(["openmpt123"] + subsong + ["--render", "--samplerate", str(RATE), "--filter", "2", "--no-float",
                    "--output-type", "wav", "--force", "-q", copy], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return copy + ".wav"


def libxmp_seconds(module, seconds):
    """Wall time libxmp takes to render `seconds` of the module at 48 kHz, linear."""
    xmp = ctypes.CDLL("libxmp.so.4")
    xmp.xmp_create_context.restype = ctypes.c_void_p
    handle, integer = ctypes.c_void_p, ctypes.c_int
    xmp.xmp_load_module.argtypes = [handle, ctypes.c_char_p]
    xmp.xmp_start_player.argtypes = [handle, integer, integer]
    xmp.xmp_set_player.argtypes = [handle, integer, integer]
    xmp.xmp_play_buffer.argtypes = [handle, ctypes.c_void_p, integer, integer]
    for name in ("xmp_end_player", "xmp_release_module", "xmp_free_context"):
        getattr(xmp, name).argtypes = [handle]
    context = ctypes.c_void_p(xmp.xmp_create_context())
    if xmp.xmp_load_module(context, module.encode()) != 0:
        return float("nan")
    block = 1024
    buffer = ctypes.create_string_buffer(block * 4)
    started = time.perf_counter()
    xmp.xmp_start_player(context, RATE, 0)
    xmp.xmp_set_player(context, 2, 1)  # XMP_PLAYER_INTERP, XMP_INTERP_LINEAR
    for _ in range(seconds * RATE // block):
        xmp.xmp_play_buffer(context, buffer, block * 4, 0)
    elapsed = time.perf_counter() - started
    xmp.xmp_end_player(context)
    xmp.xmp_release_module(context)
    xmp.xmp_free_context(context)
    return elapsed


def xm2wav_seconds(xm2wav, module, seconds, directory):
    started = time.perf_counter()
    render_ours(xm2wav, module, os.path.join(directory, "speed.wav"), play_once=False, seconds=seconds)
    return time.perf_counter() - started


def modules_in(folder, extension=".xm"):
    return sorted(os.path.join(folder, name) for name in os.listdir(folder) if name.lower().endswith(extension))


SPECTRUM_SIZE = 16384
SPECTRUM_WINDOWS = 24
STEPS_PER_SEMITONE = 16
LOWEST_HZ, HIGHEST_HZ = 200.0, 8000.0
MAX_SHIFT = 2 * 12 * STEPS_PER_SEMITONE  # two octaves either way


def fft_power(values):
    """Power spectrum of a power-of-two block (iterative radix-2, standard library only)."""
    n = len(values)
    re, im = list(values), [0.0] * n
    j = 0
    for i in range(1, n):
        bit = n >> 1
        while j & bit:
            j ^= bit
            bit >>= 1
        j |= bit
        if i < j:
            re[i], re[j] = re[j], re[i]
    size = 2
    while size <= n:
        half = size // 2
        angle = -2 * math.pi / size
        twiddles = [(math.cos(angle * k), math.sin(angle * k)) for k in range(half)]
        for start in range(0, n, size):
            for k, (wr, wi) in enumerate(twiddles):
                a, b = start + k, start + k + half
                tr = re[b] * wr - im[b] * wi
                ti = re[b] * wi + im[b] * wr
                re[b], im[b] = re[a] - tr, im[a] - ti
                re[a] += tr
                im[a] += ti
        size *= 2
    return [re[k] * re[k] + im[k] * im[k] for k in range(n // 2)]


def long_term_spectrum(samples):
    """Mean log power of the mono mix on a 1/16-semitone scale, over windows spread across the song."""
    mono = [(samples[i] + samples[i + 1]) * 0.5 for i in range(0, len(samples) - 1, 2)]
    hann = [0.5 - 0.5 * math.cos(2 * math.pi * i / SPECTRUM_SIZE) for i in range(SPECTRUM_SIZE)]
    count = max(1, min(SPECTRUM_WINDOWS, len(mono) // SPECTRUM_SIZE))
    stride = max(SPECTRUM_SIZE, (len(mono) - SPECTRUM_SIZE) // count)
    power = [0.0] * (SPECTRUM_SIZE // 2)
    for w in range(count):
        block = mono[w * stride:w * stride + SPECTRUM_SIZE]
        block += [0.0] * (SPECTRUM_SIZE - len(block))
        for k, p in enumerate(fft_power([v * h for v, h in zip(block, hann)])):
            power[k] += p
    bands = int(12 * STEPS_PER_SEMITONE * math.log2(HIGHEST_HZ / LOWEST_HZ))
    spectrum = []
    for band in range(bands):
        position = LOWEST_HZ * 2 ** (band / (12 * STEPS_PER_SEMITONE)) * SPECTRUM_SIZE / RATE
        low = int(position)
        frac = position - low
        spectrum.append(math.log10(1e-3 + power[low] * (1 - frac) + power[low + 1] * frac))
    return spectrum


def spectrum_match(ours, theirs):
    """Correlation of two long-term spectra, and the shift in cents at which they agree best."""
    def shifted(shift):
        if shift >= 0:
            return correlation(ours[shift:], theirs[:len(theirs) - shift])
        return correlation(ours[:shift], theirs[-shift:])
    best = max(range(-MAX_SHIFT, MAX_SHIFT + 1), key=shifted)
    return shifted(0), best * 100 / STEPS_PER_SEMITONE


def compare_music(xm2wav, corpus, directory):
    print("| module | ours (s) | libopenmpt (s) | RMS-envelope correlation |")
    print("|---|---|---|---|")
    for module in modules_in(os.path.join(corpus, "music")):
        ours_path = os.path.join(directory, "ours.wav")
        render_ours(xm2wav, module, ours_path)
        ours = read_wav(ours_path)
        theirs = read_wav(render_openmpt(module, directory))
        r = correlation(rms_envelope(ours), rms_envelope(theirs))
        print(f"| {os.path.basename(module)} | {len(ours) / 2 / RATE:.2f} | {openmpt_duration(module):.2f} | {r:.3f} |")


def compare_mods(xm2wav, corpus, directory):
    print("\n| MOD | ours (s) | libopenmpt (s) | RMS-envelope correlation | spectrum correlation | best pitch shift (cents) |")
    print("|---|---|---|---|---|---|")
    for module in modules_in(os.path.join(corpus, "music"), ".mod"):
        ours_path = os.path.join(directory, "ours.wav")
        render_ours(xm2wav, module, ours_path)
        ours = read_wav(ours_path)
        theirs = read_wav(render_openmpt(module, directory))
        r = correlation(rms_envelope(ours), rms_envelope(theirs))
        spectrum, shift = spectrum_match(long_term_spectrum(ours), long_term_spectrum(theirs))
        print(f"| {os.path.basename(module)} | {len(ours) / 2 / RATE:.2f} | {openmpt_duration(module):.2f} | "
              f"{r:.3f} | {spectrum:.3f} | {shift:+.1f} |", flush=True)


def compare_pairs(xm2wav, corpus, directory):
    print("\n| ft2 pair | seconds | left/right correlation | of 50 ms RMS envelopes |")
    print("|---|---|---|---|")
    for module in modules_in(os.path.join(corpus, "ft2-pairs")):
        path = os.path.join(directory, "pair.wav")
        render_ours(xm2wav, module, path, seconds=120)
        samples = read_wav(path)
        left, right = samples[0::2], samples[1::2]
        r = correlation(left, right)
        envelopes = correlation(rms_envelope(left, WINDOW), rms_envelope(right, WINDOW))
        print(f"| {os.path.basename(module)} | {len(samples) / 2 / RATE:.2f} | {r:.3f} | {envelopes:.3f} |")


SCREAM_SECONDS = 60
# The song itself: libopenmpt would go on with the patterns behind an S3M's end marker.
FIRST_SUBSONG = ["--subsong", "0"]


def converted_duration(toxm, module, directory):
    """libopenmpt's play-once length of our XM of the module; nan when it is refused."""
    xm = os.path.join(directory, "converted.xm")
    if subprocess.run([toxm, module, xm], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode:
        return float("nan")
    return openmpt_duration(xm, FIRST_SUBSONG)


def compare_scream_music(xm2wav, toxm, folder, extension, directory):
    label = extension[1:].upper()
    print(f"\n| {label} song | ours, one pass (s) | libopenmpt (s) | RMS-envelope correlation, first {SCREAM_SECONDS} s |")
    print("|---|---|---|---|")
    if not os.path.isdir(folder):
        return
    for module in modules_in(folder, extension):
        ours_path = os.path.join(directory, "ours.wav")
        render_ours(xm2wav, module, ours_path, play_once=False, seconds=SCREAM_SECONDS)
        ours = read_wav(ours_path)
        theirs = read_wav(render_openmpt(module, directory, FIRST_SUBSONG))[:len(ours)]
        r = correlation(rms_envelope(ours), rms_envelope(theirs))
        print(f"| {os.path.basename(module)} | {converted_duration(toxm, module, directory):.2f} | "
              f"{openmpt_duration(module, FIRST_SUBSONG):.2f} | {r:.3f} |", flush=True)


def left_right(samples):
    """The correlation of the two sides, sample by sample and of their 50 ms RMS envelopes."""
    left, right = samples[0::2], samples[1::2]
    return correlation(left, right), correlation(rms_envelope(left, WINDOW), rms_envelope(right, WINDOW))


def compare_behaviour(xm2wav, toxm, folder, extension, directory):
    """The left/right agreement of our render of each behaviour module, as for the ft2 pairs, beside
    libopenmpt's own of the original."""
    label = extension[1:].upper()
    print(f"\n| {label} behaviour module | conversion | seconds | left/right correlation | of 50 ms RMS envelopes "
          f"| RMS | libopenmpt's envelopes |")
    print("|---|---|---|---|---|---|---|")
    if not os.path.isdir(folder):
        return
    for module in modules_in(folder, extension):
        xm = os.path.join(directory, "behaviour.xm")
        converted = subprocess.run([toxm, module, xm], capture_output=True, text=True)
        warnings = len((converted.stdout + converted.stderr).splitlines()) - 1
        theirs = left_right(read_wav(render_openmpt(module, directory, FIRST_SUBSONG)))[1]
        if converted.returncode:
            print(f"| {os.path.basename(module)} | refused | | | | | {theirs:.3f} |")
            continue
        said = f"{warnings} warning{'' if warnings == 1 else 's'}"
        # As long as the original plays, for those that end by starting again in XM.
        seconds = min(120, math.ceil(openmpt_duration(module, FIRST_SUBSONG) + 0.5))
        path = os.path.join(directory, "pair.wav")
        render_ours(xm2wav, module, path, seconds=seconds)
        samples = read_wav(path)
        r, envelopes = left_right(samples)
        level = math.sqrt(sum(v * v for v in samples) / max(1, len(samples)))
        print(f"| {os.path.basename(module)} | {said} | {len(samples) / 2 / RATE:.2f} | {r:.3f} | "
              f"{envelopes:.3f} | {level:.0f} | {theirs:.3f} |", flush=True)


def compare_scream(xm2wav, toxm, corpus, extension, behaviour_only, directory):
    if not behaviour_only:
        compare_scream_music(xm2wav, toxm, os.path.join(corpus, "music"), extension, directory)
    compare_behaviour(xm2wav, toxm, os.path.join(corpus, "behaviour"), extension, directory)


def compare_speed(xm2wav, corpus, directory):
    print(f"\n| module | xm2wav, {SPEED_SECONDS} s (s) | libxmp, {SPEED_SECONDS} s (s) | ratio |")
    print("|---|---|---|---|")
    for module in modules_in(os.path.join(corpus, "music")):
        ours = xm2wav_seconds(xm2wav, module, SPEED_SECONDS, directory)
        theirs = libxmp_seconds(module, SPEED_SECONDS)
        print(f"| {os.path.basename(module)} | {ours:.3f} | {theirs:.3f} | {ours / theirs:.2f} |")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--xm2wav", default=os.path.join(ROOT, "build/native/bin/xm2wav"))
    parser.add_argument("--corpus", default=os.path.join(ROOT, "../shared/corpus/xm"))
    parser.add_argument("--mod-corpus", default=os.path.join(ROOT, "../shared/corpus/mod"))
    parser.add_argument("--toxm", default=os.path.join(ROOT, "build/native/bin/toxm"))
    parser.add_argument("--s3m-corpus", default=os.path.join(ROOT, "../shared/corpus/s3m"))
    parser.add_argument("--it-corpus", default=os.path.join(ROOT, "../shared/corpus/it"))
    only = parser.add_mutually_exclusive_group()
    only.add_argument("--mod-only", action="store_true", help="only the MOD table")
    only.add_argument("--s3m-only", action="store_true", help="only the S3M tables")
    only.add_argument("--it-only", action="store_true", help="only the IT tables")
    parser.add_argument("--behaviour", action="store_true",
                        help="of the S3M and IT tables, only those of the behaviour modules")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as directory:
        if not args.it_only:
            if not args.s3m_only:
                compare_mods(args.xm2wav, args.mod_corpus, directory)
            if not args.mod_only:
                compare_scream(args.xm2wav, args.toxm, args.s3m_corpus, ".s3m", args.behaviour, directory)
        if not args.mod_only and not args.s3m_only:
            compare_scream(args.xm2wav, args.toxm, args.it_corpus, ".it", args.behaviour, directory)
        if args.mod_only or args.s3m_only or args.it_only:
            return
        compare_music(args.xm2wav, args.corpus, directory)
        compare_pairs(args.xm2wav, args.corpus, directory)
        compare_speed(args.xm2wav, args.corpus, directory)


if __name__ == "__main__":
    main()
