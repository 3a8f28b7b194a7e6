"""What the end-to-end scripts share: failing with one line, waiting for a condition,
an Xvfb screen of the script's own, a Wine prefix inside the script's work folder,
and starting a program with Wine's error output kept, so that a failure can say
which library Wine could not load. Each script stops only the Xvfb and the Wine
server it started."""
import glob
import os
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


def start_xvfb(display, screen):
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", screen, "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if not wait_for(lambda: os.path.exists("/tmp/.X11-unix/X" + display[1:]), 20):
        xvfb.terminate()
        fail("Xvfb did not start on " + display)
    return xvfb


def stop_xvfb(xvfb):
    xvfb.terminate()
    xvfb.wait(10)
