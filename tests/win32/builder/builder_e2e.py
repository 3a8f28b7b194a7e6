#!/usr/bin/env python3
"""The builders as their users meet them: intros written by sinebuild and by
Sinewright's "Create" under Wine, read back with the tests' own PE resource reader.

    builder_e2e.py CASE BIN_DIR WORK_DIR XM2WAV CORPUS

Cases: resources (what goes into an intro), messages (what sinebuild tells and its
exit codes), paths (paths written with "/", onto another file system, and onto a
running intro), packer (the real UPX through Data\\Packer\\upx.exe, and the packed
intro still runs and plays), dialog (the dialog's own tests on a screen), create
(Sinewright driven from the keyboard as a user would).
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from pe_resources import RT_GROUP_ICON, RT_ICON, RT_RCDATA, resources, section_names  # noqa: E402
from wine_e2e import (capture_environment, compare_sound, fail, font_tga, rendered_sound, start_wine,  # noqa: E402
                      start_xvfb, stop_xvfb, wait_for, wait_for_sound, windows_path, wine_environment, wine_prefix)

INTRO_LANGUAGE, ICON_LANGUAGE = 0x1401, 1033
HERE = os.path.dirname(os.path.abspath(__file__))


def icon_file(path, images):
    """An icon file of (width, height, bytes) images, laid out one after another."""
    offset = 6 + 16 * len(images)
    entries, data = b"", b""
    for width, height, image in images:
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(image), offset + len(data))
        data += image
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)) + entries + data)
    return [image for _, _, image in images]


class Session:
    def __init__(self, bin_dir, work, env):
        self.bin_dir, self.work, self.env = bin_dir, work, env
        wine_prefix("stop", env)
        wine_prefix("start", env)

    def path(self, name):
        return os.path.join(self.work, name)

    def sinebuild(self, *args, program=None, cwd=None):
        return subprocess.run(["wine", program or os.path.join(self.bin_dir, "sinebuild.exe"), *args], env=self.env,
                              cwd=cwd, capture_output=True, text=True, timeout=300)

    def build(self, name, *args, written=None):
        """A build to `name` that must succeed; returns the resources of the intro,
        which is `written` when the output-path rule gives another name."""
        done = self.sinebuild("--out", windows_path(self.path(name)), *args)
        if done.returncode != 0:
            fail("sinebuild %s: exit %d: %s" % (" ".join(args), done.returncode, done.stderr.strip()))
        return resources(self.path(written or name))


def expect(condition, message):
    if not condition:
        fail(message)


def intro_kinds(found):
    return sorted((t, n) for t, n, _ in found)


def info_of(found):
    return found.get((RT_RCDATA, "INFO", INTRO_LANGUAGE))


def resources_case(s, corpus):
    font, module = s.path("font.tga"), os.path.join(corpus, "music", "roadblas.xm")
    font_tga(font)

    bare = s.build("bare.exe")
    expect(info_of(bare) == b"||0|0|0\0", "every box empty: INFO is %r" % info_of(bare))
    expect(intro_kinds(bare) == [(RT_RCDATA, "INFO")], "an intro of nothing carries %r" % intro_kinds(bare))
    hello = s.build("hello.exe", "--title", "Hello", "--text", "Hi all")
    expect(info_of(hello) == b"Hello|Hi all|0|0|0\0", "defaults: INFO is %r" % info_of(hello))
    bars = s.build("bars.exe", "--title", "a|b", "--text", "|c|", "--scroll", "xyz", "--close-on-click",
                   "--fullscreen")
    expect(info_of(bars) == b"a b| c |52|1|1\0", "bars and flags: INFO is %r" % info_of(bars))

    full = s.build("full.exe", "--title", "T", "--font", windows_path(font), "--music", windows_path(module))
    for name, source in (("FONT", font), ("MUSIC", module)):
        with open(source, "rb") as f:
            expect(full.get((RT_RCDATA, name, INTRO_LANGUAGE)) == f.read(), "%s differs from its file" % name)

    icon_cases = {
        "one": [(32, 32, b"\x28" + bytes(range(200)))],
        "three": [(16, 16, b"a" * 300), (32, 32, b"b" * 1200), (48, 48, b"c" * 2600)],
        "png": [(256, 256, b"\x89PNG\r\n\x1a\n" + b"p" * 500)],
        "none": [],
    }
    for case, images in icon_cases.items():
        icon = s.path(case + ".ico")
        wanted = icon_file(icon, images)
        found = s.build(case + "-icon.exe", "--title", "T", "--icon", windows_path(icon))
        group = found.get((RT_GROUP_ICON, 1, ICON_LANGUAGE))
        expect(group is not None and struct.unpack_from("<HHH", group) == (0, 1, len(images)),
               "%s: group header %r" % (case, group and group[:6]))
        expect(len(group) == 6 + 14 * len(images), "%s: group of %d bytes" % (case, len(group)))
        for i, (width, height, image) in enumerate(images):
            entry = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
            expect(entry == (width % 256, height % 256, 0, 0, 1, 32, len(image), i + 1),
                   "%s: group entry %d is %r" % (case, i, entry))
            expect(found.get((RT_ICON, i + 1, ICON_LANGUAGE)) == wanted[i], "%s: image %d differs" % (case, i + 1))
        expect(len([k for k in found if k[0] == RT_ICON]) == len(images), "%s: extra RT_ICON resources" % case)
    listed = subprocess.run(["wrestool", "-l", s.path("three-icon.exe")], capture_output=True, text=True).stdout
    for line in ("--type=14 --name=1 --language=1033", "--type=3 --name=3 --language=1033",
                 "--type=10 --name='INFO' --language=5121"):
        expect(line in listed, "wrestool does not list %s:\n%s" % (line, listed))

    # A second build to the same path starts from a fresh copy of the player.
    again = s.build("full.exe", "--title", "SECOND")
    expect(intro_kinds(again) == [(RT_RCDATA, "INFO")] and info_of(again) == b"SECOND||0|0|0\0",
           "the second build kept %r" % intro_kinds(again))
    # A font that is gone by the time of the build is left out; the rest is written.
    gone = s.build("gone.exe", "--title", "T", "--font", windows_path(s.path("deleted.tga")), "--music",
                   windows_path(module))
    expect(intro_kinds(gone) == [(RT_RCDATA, "INFO"), (RT_RCDATA, "MUSIC")], "missing font: %r" % intro_kinds(gone))

    # Output names: ".exe" in any case is not added twice; an existing file keeps its name.
    s.build("Upper.EXE", "--title", "T")
    expect(not os.path.exists(s.path("Upper.EXE.exe")), "a second .exe was added to Upper.EXE")
    s.build("plain", "--title", "T", written="plain.exe")
    with open(s.path("old.dat"), "wb") as f:
        f.write(b"x" * 100000)
    replaced = s.build("old.dat", "--title", "OLD")
    expect(info_of(replaced) == b"OLD||0|0|0\0", "the existing file was not replaced under its own name")


def messages_case(s, xm2wav, corpus):
    good_font = s.path("font.tga")
    font_tga(good_font)
    broken_icon, mapped_font = s.path("broken.ico"), s.path("mapped.tga")
    with open(broken_icon, "wb") as f:
        f.write(b"\0\0\1\0\1")
    with open(mapped_font, "wb") as f:
        f.write(struct.pack("<BBB5sHHHHBB", 0, 1, 1, b"\0" * 5, 0, 0, 4, 4, 8, 0) + bytes(16))
    rejected = os.path.join(corpus, "behaviour", "load_xm_invalid_pattern_length.xm")
    out = windows_path(s.path("told.exe"))
    told = s.sinebuild("--out", out, "--title", "T", "--font", windows_path(s.path("missing.tga")), "--icon",
                       windows_path(broken_icon), "--music", windows_path(rejected))
    lines = told.stderr.strip().splitlines()
    expected = [
        'font "%s" is left out: the file cannot be read' % windows_path(s.path("missing.tga")),
        'music "%s" will not work in the intro: the player\'s loader rejects it: a pattern has 0 rows or more '
        'than 256' % windows_path(rejected),
        'icon "%s" is left out: the icon is refused: the file is shorter than an icon header (6 bytes)'
        % windows_path(broken_icon),
    ]
    expect(told.returncode == 0 and lines == ["sinebuild: " + line for line in expected],
           "exit %d, told:\n%s" % (told.returncode, told.stderr))
    size = os.path.getsize(s.path("told.exe"))
    expect(told.stdout.splitlines()[0] == "wrote %s: %d bytes" % (out, size), "stdout: %r" % told.stdout)
    expect(not any(k[0] in (RT_ICON, RT_GROUP_ICON) for k in resources(s.path("told.exe"))),
           "a refused icon reached the intro")

    mapped = s.sinebuild("--out", windows_path(s.path("mapped.exe")), "--title", "T", "--font", windows_path(mapped_font))
    expect("the player cannot decode it: it is a TGA of type 1" in mapped.stderr, "font told: %r" % mapped.stderr)

    strict = s.sinebuild("--out", out, "--title", "STRICT", "--music", windows_path(rejected), "--strict")
    expect(strict.returncode == 1, "--strict with a rejected module: exit %d" % strict.returncode)
    expect(os.path.getsize(s.path("told.exe")) == size, "--strict wrote over the earlier intro")
    two_images = s.path("two.ico")
    icon_file(two_images, [(16, 16, b"a" * 300), (32, 32, b"b" * 1200)])
    clean = s.sinebuild("--out", out, "--title", "OK", "--font", windows_path(good_font), "--icon",
                        windows_path(two_images), "--strict")
    expect(clean.returncode == 0 and clean.stderr == "", "--strict with good inputs: %r" % clean.stderr)
    # The parts line counts what the intro carries, as the tests' own reader finds it.
    found = resources(s.path("told.exe"))
    icon_bytes = sum(len(data) for (kind, _, _), data in found.items() if kind in (RT_ICON, RT_GROUP_ICON))
    parts = "told.exe: {:,} bytes (player {:,}; font {:,}; icon {:,} in 2 images; settings {:,})".format(
        os.path.getsize(s.path("told.exe")), os.path.getsize(os.path.join(s.bin_dir, "Sinestage.exe")),
        len(found[(RT_RCDATA, "FONT", INTRO_LANGUAGE)]), icon_bytes, len(info_of(found)))
    expect(clean.stdout.splitlines()[1:] == [parts], "parts line: %r, expected %r" % (clean.stdout, parts))

    # A MOD goes in as the module toxm makes of it, with toxm's lines; its warnings
    # count under --strict.
    mod = os.path.join(corpus, "..", "mod", "music", "condom_corruption.mod")
    toxm = subprocess.run([os.path.join(os.path.dirname(xm2wav), "toxm"), mod, s.path("mod.xm")],
                          capture_output=True, text=True)
    converted = s.sinebuild("--out", windows_path(s.path("mod.exe")), "--title", "MOD", "--music", windows_path(mod))
    lines = toxm.stdout.splitlines()
    expect(converted.returncode == 0 and len(lines) > 1 and converted.stdout.splitlines()[:len(lines)] == lines,
           "conversion told %r, toxm %r" % (converted.stdout, toxm.stdout))
    with open(s.path("mod.xm"), "rb") as f:
        expect(resources(s.path("mod.exe")).get((RT_RCDATA, "MUSIC", INTRO_LANGUAGE)) == f.read(),
               "the intro does not carry the converted module")
    strict_mod = s.sinebuild("--out", windows_path(s.path("strict-mod.exe")), "--title", "MOD", "--music",
                             windows_path(mod), "--strict")
    expect(strict_mod.returncode == 1 and not os.path.exists(s.path("strict-mod.exe")),
           "--strict with conversion warnings: exit %d" % strict_mod.returncode)

    for args in (["--bogus"], ["--out", out, "--scroll", "w"], ["--title", "T"], ["--out"]):
        bad = s.sinebuild(*args)
        expect(bad.returncode == 2 and "usage: sinebuild" in bad.stderr, "%s: exit %d" % (args, bad.returncode))


def paths_case(s, corpus):
    """Paths written with "/", as build scripts write them, to a folder on another file
    system than the current one: the intro is made whole in its own folder, so putting
    it in place is a rename there, and no temporary file stays in either folder."""
    current = s.path("current")
    os.makedirs(current, exist_ok=True)
    elsewhere = tempfile.mkdtemp(prefix="sinebuild-paths-", dir="/dev/shm")
    try:
        expect(os.stat(current).st_dev != os.stat(elsewhere).st_dev,
               "/dev/shm is on the file system of %s: no second file system to build onto" % current)
        font, module = s.path("font.tga"), os.path.join(corpus, "music", "roadblas.xm")
        font_tga(font)
        slashed = lambda path: windows_path(path).replace("\\", "/")
        for out in (elsewhere + "/unix.exe", slashed(elsewhere) + "/drive.exe"):
            name = out.rsplit("/", 1)[1]
            done = s.sinebuild("--out", out, "--title", "T", "--font", slashed(font), "--music", slashed(module),
                               cwd=current)
            expect(done.returncode == 0, "--out %s: exit %d: %s" % (out, done.returncode, done.stderr.strip()))
            found = resources(os.path.join(elsewhere, name))
            expect((RT_RCDATA, "FONT", INTRO_LANGUAGE) in found and (RT_RCDATA, "MUSIC", INTRO_LANGUAGE) in found,
                   "--out %s: the intro carries %r" % (out, intro_kinds(found)))
            expect(done.stdout.splitlines()[1].startswith(name + ": "), "parts line: %r" % done.stdout)
        left = [name for folder in (current, elsewhere) for name in os.listdir(folder) if name.startswith("snw")]
        expect(not left, "temporary files left behind: %r" % left)
    finally:
        shutil.rmtree(elsewhere)


def running_intro_kept(s):
    """A build onto an intro that is running says so and leaves the intro as it was:
    Windows, and Wine, refuse to replace a program file while it runs."""
    intro = s.path("running.exe")
    s.build("running.exe", "--title", "RUNNING")
    with open(intro, "rb") as f:
        before = f.read()
    process = start_wine([intro], s.env, intro + ".log")
    user = User(s.env)
    user.window("RUNNING")
    again = s.sinebuild("--out", windows_path(intro), "--title", "AGAIN")
    with open(intro, "rb") as f:
        kept = f.read() == before
    user.focus("RUNNING")
    user.keys("Escape")
    process.wait(120)
    expect(again.returncode == 1 and "the file is in use" in again.stderr and kept,
           "a build onto the running intro: exit %d, %r, intro kept: %s" % (again.returncode, again.stderr, kept))
    expect(not [name for name in os.listdir(s.work) if name.startswith("snw")], "a temporary file was left")


def packer_folder(s, name, with_packer, program="sinebuild.exe"):
    """A builder folder with blanks in its path, with or without the packer."""
    folder = s.path(name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(os.path.join(folder, "Data", "Packer"))
    shutil.copy(os.path.join(s.bin_dir, program), folder)
    if with_packer:
        shutil.copy(os.path.join(s.bin_dir, "packer_shim.exe"), os.path.join(folder, "Data", "Packer", "upx.exe"))
        s.env.update(PACKER_LOG=windows_path(s.path("packer.log")), PACKER_SCRIPT=os.path.join(HERE, "run_upx.sh"))
    return os.path.join(folder, program)


def packer_failures(s, builder):
    """A packer that fails, or is no program, fails the build; the intro stays written."""
    failing = dict(s.env)
    del failing["PACKER_SCRIPT"]  # the shim then packs nothing and ends with exit code 2
    intro = s.path("failed pack.exe")
    failed = subprocess.run(["wine", builder, "--out", windows_path(intro), "--title", "T", "--pack"], env=failing,
                            capture_output=True, text=True, timeout=300)
    expect(failed.returncode == 1 and info_of(resources(intro)) == b"T||0|0|0\0"
           and "sinebuild: --pack failed: the packer ended with exit code 2;" in failed.stderr,
           "a failing packer: exit %d, %r" % (failed.returncode, failed.stderr))
    with open(os.path.join(os.path.dirname(builder), "Data", "Packer", "upx.exe"), "w") as f:
        f.write("no program\n")
    os.remove(intro)
    unstarted = s.sinebuild("--out", windows_path(intro), "--title", "T", "--pack", program=builder)
    expect(unstarted.returncode == 1 and info_of(resources(intro)) == b"T||0|0|0\0"
           and "sinebuild: --pack failed: the packer could not be started:" in unstarted.stderr,
           "a packer that is no program: exit %d, %r" % (unstarted.returncode, unstarted.stderr))


def packer_case(s, xm2wav, corpus, capture):
    module = os.path.join(corpus, "music", "roadblas.xm")
    font_tga(s.path("font.tga"))
    log = s.path("packer.log")
    if os.path.exists(log):
        os.remove(log)
    builder = packer_folder(s, "Builder Tools", with_packer=True)
    # Where Windows would look first, were the packer found along its command line.
    shutil.copy(os.path.join(s.bin_dir, "packer_shim.exe"), s.path("Builder.exe"))
    os.makedirs(s.path("out dir"), exist_ok=True)
    intro = s.path(os.path.join("out dir", "packed intro.exe"))
    packed = s.sinebuild("--out", windows_path(intro), "--title", "PACKED", "--text", "PACKED AND PLAYING",
                         "--music", windows_path(module), "--font", windows_path(s.path("font.tga")), "--pack",
                         program=builder)
    expect(packed.returncode == 0, "packing build: exit %d: %s" % (packed.returncode, packed.stderr))
    # The packer is started by its path, so the decoy beside "Builder Tools" never runs,
    # and both paths stand quoted: the shim's C run-time, splitting its command line as
    # UPX's does, finds exactly one file to pack.
    with open(log) as f:
        program, command, *arguments, _ = f.read().strip().splitlines()
    packer = windows_path(os.path.dirname(builder)) + "\\Data\\Packer\\upx.exe"
    expect(program.lower() == packer.lower(), "the packer that ran is %r" % program)
    expect(command == '"%s" "%s"' % (packer, windows_path(intro)) and arguments == [windows_path(intro)],
           "packer command line: %r, arguments %r" % (command, arguments))
    # The build returned only after the packer had ended: the file is packed already.
    wrote, _, packed_line = packed.stdout.strip().splitlines()
    wrote, after = [int(line.split(": ")[1].split(" ")[0]) for line in (wrote, packed_line)]
    expect("UPX0" in section_names(intro) and after == os.path.getsize(intro) < wrote,
           "not packed when the build returned: %d -> %d, sections %s" % (wrote, after, section_names(intro)))
    share = "{}% of {:,}".format((after * 100 + wrote // 2) // wrote, wrote)
    expect(packed_line.endswith(" bytes, " + share), "packed line: %r, expected the share %r" % (packed_line, share))

    plain = s.path("plain.exe")
    unpacked = s.sinebuild("--out", windows_path(plain), "--title", "T", "--pack",
                           program=packer_folder(s, "No Packer", with_packer=False))
    expect(unpacked.returncode == 0 and "no packer at" in unpacked.stderr, "no packer: %r" % unpacked.stderr)
    expect("UPX0" not in section_names(plain), "packed without a packer")
    packer_failures(s, builder)

    process = start_wine([intro], s.env, intro + ".log")
    try:
        expect(wait_for(lambda: subprocess.run(["xdotool", "search", "--name", "^PACKED$"], env=s.env,
                                               capture_output=True).returncode == 0, 120),
               "the packed intro shows no window titled PACKED")
        wait_for_sound(capture, 10, process)
    finally:
        wine_prefix("stop", s.env, check=False)
        process.wait(60)
    compare_sound(capture, rendered_sound(xm2wav, module, s.work, 10))


class User:
    """Keys and windows as a user meets them. No window manager runs, so the keyboard
    goes where the test puts the focus."""

    def __init__(self, env):
        self.env = env

    def tool(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True, timeout=120).stdout

    def visible(self, title):
        return self.tool("search", "--onlyvisible", "--name", "^%s$" % title.replace(".", "\\.")).split()

    def window(self, title):
        found = []
        wait_for(lambda: found.extend(self.visible(title)) or found, 120)
        expect(found, "no window titled %r" % title)
        return found[0]

    def focus(self, title):
        self.tool("windowfocus", "--sync", self.window(title))

    def keys(self, *keys):
        for key in keys:
            self.tool("key", "--delay", "100", key)

    def type(self, text):
        self.tool("type", "--delay", "50", text)


def expect_end(process, what):
    try:
        process.wait(120)
    except subprocess.TimeoutExpired:
        process.kill()
        fail("%s did not end Sinewright" % what)


def dialog_case(s):
    """The dialog's own behaviour in-process, on this screen, with a real template."""
    tests = subprocess.run(["wine", os.path.join(s.bin_dir, "win32_dialog_tests.exe")], env=s.env, cwd=s.work,
                           capture_output=True, text=True, timeout=600)
    expect(tests.returncode == 0, "dialog tests:\n" + tests.stdout[-3000:])


def browse(user, path):
    """Presses the ".." button that has the focus and chooses `path`."""
    user.keys("space")
    user.focus("Open File...")
    user.type(path)
    user.keys("Return")
    user.focus("Sinewright v0.1")


def create_case(s):
    """A user picks an empty font and an empty module with the ".." buttons, types a
    title and a scroll text with bars, picks "Y axis wave.", "Close on Mouse Click."
    and "Full Screen." with the keyboard, presses "Create", names the intro in the
    save dialog and confirms the message; the intro, packed by the time the message
    shows, holds exactly those settings, and nothing of the empty files, and runs.
    Enter and Esc leave the dialog open; "Exit" and the close box end the program. A
    build onto the running intro says so and leaves it as it was."""
    user, target = User(s.env), s.path("typed")
    for leftover in (target, target + ".exe", target + ".exe.unpacked", s.path("packer.log")):
        if os.path.exists(leftover):
            os.remove(leftover)
    for empty in ("empty.tga", "empty.xm"):
        open(s.path(empty), "wb").close()
    builder = packer_folder(s, "Dialog Tools", with_packer=True, program="Sinewright.exe")
    process = start_wine([builder], s.env, s.path("sinewright.log"))
    user.focus("Sinewright v0.1")
    # Tab order is template order; the focus starts in the font box.
    user.keys("Tab", "Tab")  # the font's ".."
    browse(user, windows_path(s.path("empty.tga")))
    user.keys("Tab")  # the module's ".."
    browse(user, windows_path(s.path("empty.xm")))
    user.keys(*["Tab"] * 3)  # "Create", "Exit", the title
    user.type("MY|INTRO")
    user.keys("Tab")
    user.type("HELLO|SCENE")
    user.keys(*["Tab"] * 3, "Down", "Down")  # icon "..", icon box, "Line." -> "Y axis wave."
    user.keys("Tab", "space")  # "Close on Mouse Click."
    user.keys("Tab", "space")  # "Execute Exporting Folder." off: no shell window
    user.keys("Tab", "Tab", "Tab", "Down")  # "Execute Intro.", "Pack Intro [UPX]", "Window." -> "Full Screen."
    user.keys("Return", "Escape")
    expect(user.visible("Sinewright v0.1") and process.poll() is None, "Enter or Esc closed the dialog")
    user.keys(*["Tab"] * 5, "space")  # round to "Create"
    user.focus("Save as")
    user.type(windows_path(target))
    user.keys("Return")
    user.focus("Sinewright")
    # The build waited for the packer, which ran before the message.
    log = s.path("packer.log")
    ending = open(log).read().strip().splitlines()[-1] if os.path.exists(log) else "never ran"
    expect(os.path.exists(target + ".exe"), "no intro was written: the message is a warning")
    expect(ending == "ended" and "UPX0" in section_names(target + ".exe"),
           "the packer %s; sections %s" % (ending, section_names(target + ".exe")))
    user.keys("Return")
    unpacked = resources(target + ".exe.unpacked")
    expect(info_of(unpacked) == b"MY INTRO|HELLO SCENE|89|1|1\0", "typed intro's INFO is %r" % info_of(unpacked))
    expect(intro_kinds(unpacked) == [(RT_RCDATA, "INFO")], "empty files went in: %r" % intro_kinds(unpacked))
    user.focus("Sinewright v0.1")
    user.keys("Tab", "space")  # from "Create" to "Exit"
    expect_end(process, '"Exit"')

    intro = start_wine([target + ".exe"], s.env, target + ".log")
    user.window("MY INTRO")
    with open(target + ".exe", "rb") as f:
        running = f.read()
    process = start_wine([builder], s.env, s.path("sinewright.log"))
    user.focus("Sinewright v0.1")
    user.keys(*["Tab"] * 4, "space")  # from the font box to "Create"
    user.focus("Save as")
    user.type(windows_path(target))
    user.keys("Return")
    user.focus("Sinewright")  # the warning; without it the dialog would show nothing
    with open(target + ".exe", "rb") as f:
        expect(f.read() == running, "the running intro was replaced")
    expect(not [name for name in os.listdir(s.work) if name.startswith("snw")], "a temporary file was left")
    user.keys("Return")
    user.focus("Sinewright v0.1")
    user.keys("alt+F4")  # what the close box sends: SC_CLOSE, then WM_CLOSE
    expect_end(process, "The close box")

    user.focus("MY INTRO")
    user.keys("Escape")
    intro.kill()


def main():
    case, bin_dir, work, xm2wav, corpus = sys.argv[1:6]
    work = os.path.join(work, case)
    os.makedirs(work, exist_ok=True)
    capture = os.path.join(work, "capture.raw")
    if os.path.exists(capture):
        os.remove(capture)
    xvfb, display = start_xvfb("1024x768x24")
    env = capture_environment(work, display, capture) if case == "packer" else wine_environment(work, display)
    s = Session(bin_dir, work, env)
    try:
        if case == "resources":
            resources_case(s, corpus)
        elif case == "messages":
            messages_case(s, xm2wav, corpus)
        elif case == "paths":
            paths_case(s, corpus)
            running_intro_kept(s)
        elif case == "packer":
            packer_case(s, xm2wav, corpus, capture)
        elif case == "create":
            create_case(s)
        elif case == "dialog":
            dialog_case(s)
        else:
            fail("unknown case " + case)
    finally:
        wine_prefix("stop", env, check=False)
        stop_xvfb(xvfb)
    print("PASS", case)


if __name__ == "__main__":
    main()
