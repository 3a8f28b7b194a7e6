"""What the end-to-end scripts share: failing with one line, waiting for a condition,
an Xvfb screen of the script's own, a Wine prefix inside the script's work folder,
and starting a program with Wine's error output kept, so that a failure can say
which library Wine could not load. Each script stops only the Xvfb and the Wine
server it started."""
import glob
import os
import struct
import subprocess
import sys
import time

SCRIPTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts")


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def wait_for(condition, seconds, interval=0.3):
    end = time.time() + seconds
    while time.time() < end:
        if condition():
            return True
        time.sleep(interval)
    return False


def wine_environment(work, display, **extra):
    return dict(os.environ, DISPLAY=display, WINEDEBUG="-all", WINEPREFIX=os.path.join(work, "wineprefix"),
                WINEDLLOVERRIDES="mscoree,mshtml=", **extra)


def wine_prefix(action, env, check=True):
    """start: make the prefix and keep its server up; stop: end that server."""
    subprocess.run([os.path.join(SCRIPTS, "wine-prefix"), action, env["WINEPREFIX"]], env=env, check=check,
                   timeout=300)


def font_tga(path):
    """A 32-bit font: every cell a solid white square, the blank cell transparent."""
    cell, cells = 16, 66
    header = struct.pack("<BBB5sHHHHBB", 0, 0, 2, b"\0" * 5, 0, 0, cells * cell, cell, 32, 0)
    row = b"".join((b"\0\0\0\0" if x < cell else b"\xff\xff\xff\xff") for x in range(cells * cell))
    with open(path, "wb") as f:
        f.write(header + row * cell)


def windows_path(path):
    """The path under which Wine's programs see a file of this machine (drive Z:)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def start_wine(args, env, log_path):
    """Starts a Windows program with Wine's error messages (and only those) in log_path."""
    log = open(log_path, "wb")
    process = subprocess.Popen(["wine", *args], env=dict(env, WINEDEBUG="-all,err+all"), stdout=log,
                               stderr=subprocess.STDOUT)
    log.close()
    process.log_path = log_path
    return process


def missing_library(process):
    """What Wine said about a library it could not load, as the end of a failure
    message, or "" when it said nothing of the kind."""
    try:
        with open(process.log_path, errors="replace") as f:
            lines = [line.strip() for line in f]
    except OSError:
        return ""
    missing = [line for line in lines if "cannot open shared object" in line or "Failed to load" in line]
    opengl = [line for line in missing if "libGL" in line or ":wgl:" in line or "opengl" in line.lower()]
    if opengl:
        return "; the program could not get OpenGL: " + opengl[0]
    if missing:
        return "; Wine could not load a library: " + missing[0]
    return ""


def record_loaded_files(env, record):
    """Adds to `record` every file that the processes of this Wine prefix have mapped
    now: the libraries the programs under test really load, for the check that each
    comes from a package the setup script installs."""
    files = set()
    for environ in glob.glob("/proc/[0-9]*/environ"):
        try:
            with open(environ, "rb") as f:
                if ("WINEPREFIX=" + env["WINEPREFIX"]).encode() not in f.read().split(b"\0"):
                    continue
            with open(os.path.join(os.path.dirname(environ), "maps")) as f:
                files.update(line.split(None, 5)[5].strip() for line in f if len(line.split(None, 5)) == 6)
        except OSError:
            continue  # the process has ended meanwhile
    with open(record, "a") as f:
        f.writelines(path + "\n" for path in sorted(files) if path.startswith("/"))


def start_xvfb(screen):
    """An Xvfb screen on a display number it finds free itself; returns the server and
    the display's name."""
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", screen, "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, pass_fds=(write,))
    os.close(write)
    with os.fdopen(read) as announced:
        number = announced.readline().strip()
    if not number:
        xvfb.wait(10)
        fail("Xvfb did not start")
    return xvfb, ":" + number


def stop_xvfb(xvfb):
    xvfb.terminate()
    xvfb.wait(10)


def warm_pixels(png, rows):
    """How many pixels of the demo font's warm colours (the stars are grey) a picture
    has in a band of rows, counted from the top."""
    ppm = subprocess.run(["convert", png, "-depth", "8", "ppm:-"], capture_output=True, check=True,
                         timeout=60).stdout
    parts = ppm.split(maxsplit=4)
    width, pixels = int(parts[1]), parts[4]
    band = pixels[3 * width * rows.start:3 * width * rows.stop]
    return sum(1 for r, b in zip(band[0::3], band[2::3]) if r > 180 and b < 110)


# Sound: ALSA's file plugin stands in for a sound card. Wine's wave-out device plays
# into it, and it writes every sample to a raw file (48 kHz, 16-bit stereo).
BYTES_PER_SECOND = 48000 * 4
BLOCK_BYTES = 4096


def capture_environment(work, display, capture):
    """Wine's environment with the default sound device writing into `capture`."""
    config = os.path.join(work, "asound.conf")
    with open(config, "w") as f:
        f.write('pcm.!default {\n  type file\n  slave.pcm "null"\n  file "%s"\n  format "raw"\n}\n' % capture)
    # Mesa's software renderer would otherwise start a drawing thread per processor.
    return wine_environment(work, display, ALSA_CONFIG_PATH="/usr/share/alsa/alsa.conf:" + config,
                            LP_NUM_THREADS="0")


def rendered_sound(xm2wav, module, work, seconds):
    """What xm2wav renders for the first `seconds` of a module, without the header."""
    wav = os.path.join(work, "expected.wav")
    subprocess.run([xm2wav, "--seconds", str(seconds), module, wav], check=True, stdout=subprocess.DEVNULL,
                   timeout=120)
    with open(wav, "rb") as f:
        return f.read()[44:]


def wait_for_sound(capture, seconds, process):
    """Waits until the device has received `seconds` of sound."""
    wanted = seconds * BYTES_PER_SECOND
    if not wait_for(lambda: os.path.exists(capture) and os.path.getsize(capture) >= wanted, 180, 0.5):
        size = os.path.getsize(capture) if os.path.exists(capture) else 0
        fail("the device received %d bytes of sound, %d wanted%s" % (size, wanted, missing_library(process)))


def compare_sound(capture, expected):
    """Fails unless the captured stream begins with exactly the expected blocks."""
    def blocks(data):
        return [data[i:i + BLOCK_BYTES] for i in range(0, len(data) - BLOCK_BYTES + 1, BLOCK_BYTES)]

    with open(capture, "rb") as f:
        wanted = blocks(expected)
        played = blocks(f.read())[:len(wanted)]
    if played != wanted:
        at = next((i for i, (a, b) in enumerate(zip(played, wanted)) if a != b), len(played))
        fail("the device received other samples from block %d (%.3f s) on" % (at, at * BLOCK_BYTES / BYTES_PER_SECOND))
