#!/usr/bin/env python3
"""The release zip as a Windows user meets it. Made twice, it must come out the same
bytes; unpacked into a fresh Wine prefix under C:\\Program Files\\Sinewright, its
sinebuild must build an intro from examples\\ that plays exactly what its xm2wav
renders, make-demo.bat must leave an intro that runs and plays, and its toxm and
xm2wav must write, print and exit exactly as the native tools do for every module
of the corpus.

    release_e2e.py BIN_DIR NATIVE_BIN_DIR XM_CORPUS_DIR WORK
"""
import glob
import os
import shutil
import struct
import subprocess
import sys
import zipfile

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
from wine_e2e import (BYTES_PER_SECOND, capture_environment, compare_sound, fail, start_wine,  # noqa: E402
                      start_xvfb, stop_xvfb, wait_for, wait_for_sound, windows_path, wine_prefix)

INSTALL = "C:\\Program Files\\Sinewright"
CORPUS_FOLDERS = ["xm", "xm-old", "mod", "s3m", "it"]
CORPUS_SECONDS = 20  # of render per module: far into each song; starting the programs costs more
SOUND_SECONDS = 10
TEXTS = (".txt", ".bat")


def make_zip(bin_dir, out):
    subprocess.run([sys.executable, os.path.join(ROOT, "scripts", "dist.py"), bin_dir, out], check=True,
                   stdout=subprocess.DEVNULL, timeout=300)
    (path,) = glob.glob(os.path.join(out, "*.zip"))
    return path


def pe_link_time(data):
    header = struct.unpack_from("<I", data, 0x3C)[0]
    return struct.unpack_from("<I", data, header + 8)[0]


def check_zip(bin_dir, work, version):
    """Makes the zip twice and checks what a reproducible Windows release needs."""
    first, second = make_zip(bin_dir, os.path.join(work, "zip-a")), make_zip(bin_dir, os.path.join(work, "zip-b"))
    if os.path.basename(first) != "Sinewright-%s-win32.zip" % version:
        fail("the zip is named %s" % os.path.basename(first))
    with open(first, "rb") as a, open(second, "rb") as b:
        if a.read() != b.read():
            fail("two zips made of the same files differ")
    with zipfile.ZipFile(first) as z:
        names = z.namelist()
        if {name.split("/")[0] for name in names} != {"Sinewright"}:
            fail("the zip holds more than the one folder Sinewright: %s" % sorted({n.split("/")[0] for n in names}))
        for name in names:
            data = z.read(name)
            if name.endswith(TEXTS) and data.count(b"\n") != data.count(b"\r\n"):
                fail("%s has line ends without CR" % name)
            # A link time in a program's header would make every build's zip differ.
            if name.endswith(".exe") and pe_link_time(data) != 0:
                fail("%s carries its link time" % name)
    return first


def install(zip_path, prefix):
    """Unpacks the zip's folder to C:\\Program Files\\Sinewright; returns its Unix path."""
    program_files = os.path.join(prefix, "drive_c", "Program Files")
    with zipfile.ZipFile(zip_path) as z:
        z.extractall(program_files)
    return os.path.join(program_files, "Sinewright")


def run_wine(args, env, cwd=None, timeout=120):
    """A console program's exit code and its output, with Windows' line ends as the
    host's (the C runtime writes text mode on Windows)."""
    done = subprocess.run(["wine", *args], env=env, cwd=cwd, capture_output=True, stdin=subprocess.DEVNULL,
                          timeout=timeout)
    return done.returncode, done.stdout.replace(b"\r\n", b"\n"), done.stderr.replace(b"\r\n", b"\n")


def run_native(args, cwd):
    done = subprocess.run(args, cwd=cwd, capture_output=True, stdin=subprocess.DEVNULL, timeout=120)
    return done.returncode, done.stdout, done.stderr


def check_versions(native_bin, env, version):
    for program in ["sinebuild", "toxm", "xm2wav"]:
        wanted = (0, ("%s %s\n" % (program, version)).encode(), b"")
        got = run_wine([INSTALL + "\\%s.exe" % program, "--version"], env)
        if got != wanted:
            fail("%s.exe --version: %r" % (program, got))
        if program != "sinebuild" and run_native([os.path.join(native_bin, program), "--version"], None) != wanted:
            fail("the native %s --version differs" % program)


def corpus_modules(corpus):
    return sorted(path for folder in CORPUS_FOLDERS
                  for path in glob.glob(os.path.join(corpus, folder, "**", "*"), recursive=True)
                  if os.path.isfile(path) and not path.endswith(".md"))


def compare_tools(native_bin, corpus, work, env):
    """Both builds of toxm and xm2wav on every module, run from the module's folder
    with its bare name so that their lines can be compared as they are. Each build
    writes every module to one output path, so each run after the first replaces a
    file. Returns how many runs were compared and how many of them wrote a file."""
    mismatches, compared, written = [], 0, 0
    for module in corpus_modules(corpus):
        folder, name = os.path.split(module)
        for tool, options, ending in [("toxm", [], ".xm"), ("xm2wav", ["--seconds", str(CORPUS_SECONDS)], ".wav")]:
            native_out, win32_out = os.path.join(work, "native" + ending), os.path.join(work, "win32" + ending)
            native = run_native([os.path.join(native_bin, tool), *options, name, native_out], folder)
            win32 = run_wine([INSTALL + "\\%s.exe" % tool, *options, name, windows_path(win32_out)], env, folder)
            compared += 1
            if native != win32:
                mismatches.append("%s %s: native %r, win32 %r" % (tool, module, native, win32))
            elif native[0] == 0:
                written += 1
                with open(native_out, "rb") as a, open(win32_out, "rb") as b:
                    if a.read() != b.read():
                        mismatches.append("%s %s: the files written differ" % (tool, module))
    if mismatches:
        fail("%d of %d runs differ between the native and the Win32 tools:\n  %s"
             % (len(mismatches), compared, "\n  ".join(mismatches[:10])))
    return compared, written


def rendered_demo(folder, work, env):
    """What the release's own xm2wav renders of the demo tune, without the header."""
    wav = os.path.join(work, "demo.wav")
    code, out, err = run_wine([INSTALL + "\\xm2wav.exe", "--seconds", str(SOUND_SECONDS), "examples\\demo.xm",
                               windows_path(wav)], env, folder)
    if code != 0:
        fail("xm2wav.exe on examples\\demo.xm: %r" % err)
    with open(wav, "rb") as f:
        return f.read()[44:]


def play(intro, env, capture, seconds, expected):
    """Starts an intro and checks the first `seconds` of what it plays."""
    process = start_wine([intro], env, os.path.join(os.path.dirname(capture), "intro.log"))
    try:
        wait_for_sound(capture, seconds, process)
    finally:
        wine_prefix("stop", env, check=False)
        process.wait(60)
    compare_sound(capture, expected[:seconds * BYTES_PER_SECOND])


def check_sinebuild(folder, env, capture, expected):
    """sinebuild run in the release's folder on its examples, as the manual shows it."""
    out_dir = os.path.join(env["WINEPREFIX"], "drive_c", "My Intros")
    os.makedirs(out_dir)
    code, out, err = run_wine([INSTALL + "\\sinebuild.exe", "--out", "C:\\My Intros\\intro.exe", "--title", "RELEASE",
                               "--text", "BUILT FROM THE EXAMPLES", "--font", "examples\\font.tga", "--music",
                               "examples\\demo.xm", "--icon", "examples\\intro.ico", "--strict"], env, folder)
    if code != 0 or not out.startswith(b"wrote C:\\My Intros\\intro.exe: "):
        fail("sinebuild.exe from the release's folder: exit %d, %r %r" % (code, out, err))
    play(os.path.join(out_dir, "intro.exe"), env, capture, SOUND_SECONDS, expected)


def check_make_demo(env, capture, expected):
    """make-demo.bat through cmd, as a double click starts it: it must leave the demo
    intro on the desktop and start it."""
    wine_prefix("start", env)
    batch = start_wine(["cmd", "/c", INSTALL + "\\examples\\make-demo.bat"], env,
                       os.path.join(os.path.dirname(capture), "make-demo.log"))
    batch.wait(300)
    demos = glob.glob(os.path.join(env["WINEPREFIX"], "drive_c", "users", "*", "Desktop", "Sinestage demo.exe"))
    if batch.returncode != 0 or not demos:
        with open(batch.log_path, errors="replace") as f:
            said = f.read().strip()[-2000:]
        fail("make-demo.bat: exit %d, %s on the desktop: %s" % (batch.returncode, "an intro" if demos else "no intro",
                                                                 said))
    shown = wait_for(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^SINESTAGE$"], env=env,
                                            capture_output=True).returncode == 0, 180)
    if not shown:
        fail("the intro make-demo.bat started showed no window")
    wait_for_sound(capture, 2, batch)
    wine_prefix("stop", env, check=False)
    compare_sound(capture, expected[:2 * BYTES_PER_SECOND])


def main():
    bin_dir, native_bin, xm_corpus, work = sys.argv[1:5]
    work = os.path.abspath(work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(os.path.join(work, "home"))
    with open(os.path.join(ROOT, "VERSION")) as f:
        version = f.readline().strip()
    zip_path = check_zip(bin_dir, work, version)
    xvfb, display = start_xvfb("1024x768x24")
    capture = os.path.join(work, "capture.raw")
    # A home of the test's own: Wine links the prefix's desktop into it.
    env = dict(capture_environment(work, display, capture), HOME=os.path.join(work, "home"))
    try:
        wine_prefix("start", env)
        folder = install(zip_path, env["WINEPREFIX"])
        check_versions(native_bin, env, version)
        compared, written = compare_tools(native_bin, os.path.dirname(xm_corpus), work, env)
        expected = rendered_demo(folder, work, env)
        check_sinebuild(folder, env, capture, expected)
        os.remove(capture)
        check_make_demo(env, capture, expected)
    finally:
        wine_prefix("stop", env, check=False)
        stop_xvfb(xvfb)
    print("PASS: the zip comes out the same twice; from %s sinebuild's intro plays xm2wav.exe's render, "
          "make-demo.bat's intro runs; %d runs of toxm and xm2wav (%d writing a file) agree with the native tools"
          % (INSTALL, compared, written))


if __name__ == "__main__":
    main()
