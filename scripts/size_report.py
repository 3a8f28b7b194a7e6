#!/usr/bin/env python3
"""Where the player's bytes go: links Sinestage.exe again with a map, and prints the
bytes of each source file, the largest functions, the sections and the UPX-packed size.

    python3 scripts/size_report.py [--build build/win32] [--top 20]   (or: make size)

The relinks use the build tree's own link command, so they see exactly the objects the
player was made of; their output goes to a temporary folder, the build is not touched.
The player is optimised across files when linked, so a function there holds what was
inlined into it; the bytes per source file come from a second link of the same objects
as each file was compiled on its own.
"""
import argparse
import collections
import os
import re
import shutil
import subprocess
import sys
import tempfile

OBJDUMP = "i686-w64-mingw32-objdump"


def relink_with_map(build, folder, per_file=False):
    """Runs the player's link line with its output and a map redirected to `folder`;
    `per_file` links the objects' code as compiled file by file, without the
    optimisation across files that the player's own link does."""
    player_dir = os.path.join(build, "player")
    link = open(os.path.join(player_dir, "CMakeFiles/Sinestage.dir/link.txt")).read().splitlines()
    command = next(line for line in link if " -o " in line and "g++" in line)
    os.makedirs(folder, exist_ok=True)
    exe, map_path = os.path.join(folder, "Sinestage.exe"), os.path.join(folder, "Sinestage.map")
    command = re.sub(r" -o \S+", f" -o {exe}", command)
    command = re.sub(r" -Wl,--out-implib,\S+", "", command) + f" -Wl,-Map={map_path}"
    # Code optimised at link time comes out as one section unless told otherwise.
    command += " -fno-lto" if per_file else " -ffunction-sections"
    subprocess.run(command, shell=True, cwd=player_dir, check=True)
    return exe, map_path


# One input section of the map: its name, address, size and the object it came from.
SECTION = re.compile(r"^ (\.\S+)\s*(?:\n\s+)?\s(0x[0-9a-f]+)\s+(0x[0-9a-f]+)\s+(\S.*)$", re.M)
SYMBOL = re.compile(r"^\s+(0x[0-9a-f]+)\s{8,}(\S.*)$")


def object_name(path):
    """`libx.a(File.cpp.obj)` becomes File.cpp; runtime members keep their library."""
    if ".ltrans" in path:
        return "optimised across files"
    member = re.search(r"\(([^)]+)\)$", path)
    if not member:
        return os.path.basename(path)
    name = member.group(1)
    if name.endswith(".cpp.obj"):
        return name[: -len(".obj")]
    return f"{os.path.basename(path[: member.start()])}({name})"


def parse_map(map_path):
    """(output section, object, first symbol, size) for every input section kept."""
    text = open(map_path).read()
    # The map wraps long section names onto their own line.
    text = re.sub(r"^ (\.\S+)\n\s+(0x)", r" \1 \2", text, flags=re.M)
    pieces, output = [], None
    lines = text.splitlines()
    for i, line in enumerate(lines):
        head = re.match(r"^(\.\w+)\s+0x[0-9a-f]+\s+0x[0-9a-f]+", line)
        if head:
            output = head.group(1)
            continue
        m = re.match(r"^ (\.\S+)\s+(0x[0-9a-f]+)\s+(0x[0-9a-f]+)\s+(\S.*)$", line)
        if not m or output is None:
            continue
        size = int(m.group(3), 16)
        if size == 0:
            continue
        symbol = ""
        if i + 1 < len(lines):
            s = SYMBOL.match(lines[i + 1])
            if s:
                symbol = s.group(2)
        pieces.append((output, object_name(m.group(4)), symbol or m.group(1), size))
    return pieces


def demangled(symbols):
    """Readable names; a function section without a symbol line keeps its mangled name
    behind `.text$`."""
    names = [re.sub(r"^\.text\$", "", s) for s in symbols]
    out = subprocess.run(["c++filt"], input="\n".join(names), capture_output=True, text=True, check=True)
    return out.stdout.splitlines()


def section_table(exe):
    out = subprocess.run([OBJDUMP, "-h", exe], capture_output=True, text=True, check=True).stdout
    rows = re.findall(r"^\s*\d+\s+(\S+)\s+([0-9a-f]+)\s", out, re.M)
    headers = subprocess.run([OBJDUMP, "-p", exe], capture_output=True, text=True, check=True).stdout
    alignment = int(re.search(r"^FileAlignment\s+([0-9a-f]+)", headers, re.M).group(1), 16)
    # The loader's zero-filled data takes no room in the file.
    in_file = lambda name, size: 0 if name == ".bss" else -(-size // alignment) * alignment
    return [(name, int(size, 16), in_file(name, int(size, 16))) for name, size in rows]


def packed_size(exe):
    if not shutil.which("upx"):
        return None
    with tempfile.TemporaryDirectory() as folder:
        copy = os.path.join(folder, "packed.exe")
        shutil.copy(exe, copy)
        subprocess.run(["upx", "-q", copy], capture_output=True, check=True)
        return os.path.getsize(copy)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build/win32")
    parser.add_argument("--top", type=int, default=20)
    args = parser.parse_args()
    if not os.path.exists(os.path.join(args.build, "bin/Sinestage.exe")):
        sys.exit(f"size_report: no player in {args.build}: run `make win32` first")
    with tempfile.TemporaryDirectory() as folder:
        exe, map_path = relink_with_map(args.build, folder)
        pieces = parse_map(map_path)
        per_file_pieces = parse_map(relink_with_map(args.build, os.path.join(folder, "per-file"), True)[1])
        sections = section_table(exe)
        unpacked = os.path.getsize(exe)
        packed = packed_size(exe)

    per_file = collections.Counter()
    for output, obj, _, size in per_file_pieces:
        if output in (".text", ".rdata", ".data"):
            per_file[obj] += size
    print("bytes per source file (.text, .rdata, .data), each compiled on its own:")
    for obj, size in per_file.most_common():
        print(f"  {size:7,}  {obj}")

    functions = sorted((p for p in pieces if p[0] == ".text"), key=lambda p: -p[3])[: args.top]
    print(f"\nlargest {args.top} functions, as linked (with what was inlined into them):")
    for (_, obj, _, size), name in zip(functions, demangled([p[2] for p in functions])):
        print(f"  {size:7,}  {name}  [{obj}]")

    print("\nsections (bytes in memory, in the file):")
    for name, size, in_file in sections:
        print(f"  {size:7,}  {in_file:7,}  {name}")

    print(f"\nSinestage.exe: {unpacked:,} bytes", end="")
    print(f", {packed:,} packed by `upx -q`" if packed else " (upx not found)")


if __name__ == "__main__":
    main()
