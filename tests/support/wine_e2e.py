"""What the end-to-end scripts share: failing with one line, waiting for a condition,
an Xvfb screen of the script's own and a Wine prefix inside the script's work folder.
Each script stops only the Xvfb and the Wine server it started."""
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
