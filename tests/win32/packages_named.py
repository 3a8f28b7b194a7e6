#!/usr/bin/env python3
"""Every file that the programs under Wine really loaded comes from a package that
scripts/setup.sh names, or from one that such a package depends on.

    packages_named.py SETUP_SCRIPT RECORD...

Each RECORD lists the files that the processes of an end-to-end test's Wine prefix
had mapped (tests/support/wine_e2e.py writes them). The setup script installs
without recommendations, so a library that only an earlier install brought to this
machine would be missing on a fresh one: this test names it, wherever it runs.
"""
import glob
import os
import re
import subprocess
import sys

STATUS = "/var/lib/dpkg/status"


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


class Package:
    def __init__(self, fields):
        self.name, self.arch = fields["Package"], fields["Architecture"]
        self.foreign = fields.get("Multi-Arch") == "foreign"
        self.base = fields.get("Essential") == "yes" or fields.get("Priority") == "required"
        self.depends = relations(", ".join(filter(None, (fields.get("Depends"), fields.get("Pre-Depends")))))
        self.provides = relations(fields.get("Provides", ""))

    @property
    def key(self):
        return "%s:%s" % (self.name, self.arch)


def installed_packages():
    """name:arch -> Package, for every installed package."""
    packages = {}
    with open(STATUS, errors="replace") as f:
        for block in f.read().split("\n\n"):
            fields = dict(re.findall(r"^([\w-]+): ?(.*(?:\n .*)*)", block, re.M))
            if "install ok installed" in fields.get("Status", ""):
                package = Package(fields)
                packages[package.key] = package
    return packages


def relations(field):
    """The package names (with any ":arch" qualifier) a Depends-like field mentions,
    every alternative included."""
    return {re.split(r"[\s(]", choice.strip())[0] for choice in re.split(r"[,|]", field) if choice.strip()}


def closure(named, packages, native):
    """The named packages, the base system, and everything they depend on. A relation
    of a package reaches packages of its own architecture, architecture-independent
    ones, and those that declare themselves usable from any architecture."""
    by_name = {}
    for package in packages.values():
        by_name.setdefault(package.name, []).append(package)
        for provided in package.provides:
            by_name.setdefault(provided.split(":")[0], []).append(package)

    def resolve(relation, arch):
        name, _, qualifier = relation.partition(":")
        wanted = qualifier or (native if arch == "all" else arch)
        return [p.key for p in by_name.get(name, [])
                if qualifier == "any" or p.arch in (wanted, "all") or (p.foreign and not qualifier)]

    todo = [key for relation in named for key in resolve(relation, native)]
    todo += [key for key, package in packages.items() if package.base]
    reached = set()
    while todo:
        key = todo.pop()
        if key in reached:
            continue
        reached.add(key)
        for relation in packages[key].depends:
            todo.extend(resolve(relation, packages[key].arch))
    return reached


def file_owners(packages):
    """path -> name:arch, from dpkg's file lists (which leave out the architecture of
    packages that exist for one only)."""
    owners = {}
    for listing in glob.glob("/var/lib/dpkg/info/*.list"):
        package = os.path.basename(listing)[:-5]
        if ":" not in package:  # a package installed for one architecture only
            package = next((key for key in packages if key.split(":")[0] == package), package)
        with open(listing, errors="replace") as f:
            for path in f:
                owners.setdefault(path.rstrip("\n"), package)
    return owners


def owner(path, owners):
    """The package of a file, looked up under both halves of a merged /usr."""
    candidates = {path, os.path.realpath(path)}
    candidates |= {c[4:] for c in candidates if c.startswith("/usr/")}
    candidates |= {"/usr" + c for c in candidates if not c.startswith("/usr/")}
    for candidate in candidates:
        if candidate in owners:
            return owners[candidate]
    return None


def main():
    setup, records = sys.argv[1], sys.argv[2:]
    loaded = set()
    for record in records:
        if not os.path.exists(record):
            fail("%s is missing: the end-to-end test that writes it has not run" % record)
        with open(record) as f:
            loaded.update(line.strip() for line in f if line.strip())
    if not loaded:
        fail("no loaded files were recorded")
    named = subprocess.run(["bash", setup, "--packages"], capture_output=True, text=True, check=True).stdout.split()
    packages = installed_packages()
    native = subprocess.run(["dpkg", "--print-architecture"], capture_output=True, text=True).stdout.strip()
    covered = closure(named, packages, native)
    owners = file_owners(packages)
    unnamed = {}
    for path in sorted(loaded):
        package = owner(path, owners)
        if package and package not in covered:
            unnamed.setdefault(package, path)
    if unnamed:
        fail("loaded under Wine but not installed by %s: %s" % (
            os.path.basename(setup), ", ".join("%s (%s)" % item for item in sorted(unnamed.items()))))
    print("PASS: %d loaded files, all from the %d packages that the setup script's %d names bring"
          % (len(loaded), len(covered), len(named)))


if __name__ == "__main__":
    main()
