#!/usr/bin/env python3
"""The Windows release: one zip that a user unpacks anywhere and runs from.

    scripts/dist.py BIN_DIR OUT_DIR     (`make dist`: build/win32/bin, out/dist)

writes OUT_DIR/Sinewright-VERSION-win32.zip, one folder "Sinewright" with the
programs of BIN_DIR, the bundled assets as examples and the texts under dist/
(given CRLF line ends, as Windows editors expect). Its entries come in a fixed
order, all dated at the commit's time, so two builds of one commit give the same
bytes.
"""
import os
import subprocess
import sys
import time
import zipfile

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
FOLDER = "Sinewright"
PROGRAMS = ["Sinewright.exe", "sinebuild.exe", "toxm.exe", "xm2wav.exe"]
# Where in the folder each file of the repository goes.
SOURCES = {
    "README.txt": "dist/README.txt",
    "LICENSE.txt": "LICENSE",
    "Data/Packer/README.txt": "dist/Data/Packer/README.txt",
    "examples/make-demo.bat": "dist/examples/make-demo.bat",
    "examples/font.tga": "assets/font.tga",
    "examples/demo.xm": "assets/demo.xm",
    "examples/intro.ico": "assets/intro.ico",
}
TEXT_ENDINGS = (".txt", ".bat")
MSDOS = 0  # the system the entries' attributes belong to
DIRECTORY_ATTRIBUTE = 0x10


def version():
    with open(os.path.join(ROOT, "VERSION")) as f:
        return f.readline().strip()


def commit_time():
    """The commit's time, in UTC: zip times carry no zone."""
    seconds = subprocess.run(["git", "-C", ROOT, "log", "-1", "--format=%ct"], capture_output=True, text=True,
                             check=True).stdout
    return time.gmtime(int(seconds))[:6]


def contents(bin_dir):
    """Each file's name in the folder and its bytes."""
    files = {name: os.path.join(bin_dir, name) for name in PROGRAMS}
    files.update({name: os.path.join(ROOT, source) for name, source in SOURCES.items()})
    for name, path in files.items():
        with open(path, "rb") as f:
            data = f.read()
        if name.endswith(TEXT_ENDINGS):
            data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
        yield name, data


def entry(name, date_time, attributes):
    info = zipfile.ZipInfo(FOLDER + "/" + name, date_time)
    info.create_system = MSDOS
    info.external_attr = attributes
    info.compress_type = zipfile.ZIP_STORED if info.filename.endswith("/") else zipfile.ZIP_DEFLATED
    return info


def write_zip(path, files, date_time):
    folders = sorted({name[:i + 1] for name in files for i, c in enumerate(name) if c == "/"})
    with zipfile.ZipFile(path, "w") as z:
        z.writestr(entry("", date_time, DIRECTORY_ATTRIBUTE), b"")
        for folder in folders:
            z.writestr(entry(folder, date_time, DIRECTORY_ATTRIBUTE), b"")
        for name in sorted(files):
            z.writestr(entry(name, date_time, 0), files[name], compresslevel=9)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: dist.py BIN_DIR OUT_DIR")
    bin_dir, out_dir = sys.argv[1:]
    os.makedirs(out_dir, exist_ok=True)
    path = os.path.join(out_dir, "Sinewright-%s-win32.zip" % version())
    partial = path + ".part"
    write_zip(partial, dict(contents(bin_dir)), commit_time())
    os.replace(partial, path)
    print("%s: %s bytes" % (path, format(os.path.getsize(path), ",")))


if __name__ == "__main__":
    main()
