#!/usr/bin/env python3
"""Checks that Windows programs can start on Windows XP.

    xp_floor_check.py [--floor DIR] --arch i386|x86_64 PROGRAM_OR_FOLDER...

A folder stands for every .exe and .dll in it. For each program:
  - it is built for the given processor;
  - every function it imports is listed in the floor list of its DLL
    (DIR/<dll>.txt, lines "Name<TAB>both|i386|x86_64"), for that processor;
  - it imports from no DLL that has no floor list, and nothing by number
    alone (the lists know functions by name);
  - it has no delay-loaded imports (they are not checked here);
  - its header asks for no newer Windows than XP: subsystem and operating
    system version at most 5.1 for 32-bit programs, 5.2 for 64-bit ones
    (64-bit XP is Windows 5.2).

The floor lists are found in DIR, else in $MOPWELL_XP_FLOOR, else in
shared/xp-floor beside the repository. Exit status 0 when every program
passes, 1 when one does not (each fault is named on its own line), 2 when
the check cannot be made at all (no floor lists, a file that is not a
program it can read).
"""
import argparse
import os
import struct
import sys

MACHINES = {0x14C: "i386", 0x8664: "x86_64"}
# The newest (major, minor) Windows version a program may ask for.
XP_VERSION = {"i386": (5, 1), "x86_64": (5, 2)}
ARCH_COLUMN = ("both", "i386", "x86_64")
IMPORT_DIRECTORY, DELAY_IMPORT_DIRECTORY = 1, 13


class Unreadable(Exception):
    """The file is not a Windows program this check can read."""


def default_floor():
    env = os.environ.get("MOPWELL_XP_FLOOR")
    if env:
        return env
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    return os.path.join(os.path.dirname(root), "shared", "xp-floor")


def load_floor(folder):
    """{dll name in lower case without .dll: {function: set of processors}}."""
    if not os.path.isdir(folder):
        raise Unreadable("no floor lists at %s (set MOPWELL_XP_FLOOR or --floor)" % folder)
    floor = {}
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".txt"):
            continue
        table = {}
        with open(os.path.join(folder, name), encoding="ascii") as f:
            for number, line in enumerate(f, 1):
                line = line.rstrip("\r\n")
                if not line:
                    continue
                parts = line.split("\t")
                if len(parts) != 2 or not parts[0] or parts[1] not in ARCH_COLUMN:
                    raise Unreadable("%s line %d is not \"Name<TAB>both|i386|x86_64\": %r" % (name, number, line))
                arches = {"i386", "x86_64"} if parts[1] == "both" else {parts[1]}
                table.setdefault(parts[0], set()).update(arches)
        floor[name[:-4].lower()] = table
    if not floor:
        raise Unreadable("no floor lists (*.txt) in %s" % folder)
    return floor


class Program:
    """The parts of a PE file's headers and import table this check needs."""

    def __init__(self, path):
        self.path = path
        with open(path, "rb") as f:
            self.data = f.read()
        d = self.data
        if len(d) < 0x40 or d[:2] != b"MZ":
            raise Unreadable("%s: not a Windows program (no MZ header)" % path)
        pe = self.u32(0x3C)
        if d[pe:pe + 4] != b"PE\0\0":
            raise Unreadable("%s: not a Windows program (no PE header)" % path)
        machine, sections = struct.unpack_from("<HH", d, pe + 4)
        optional_size = self.u16(pe + 20)
        opt = pe + 24
        magic = self.u16(opt)
        if magic not in (0x10B, 0x20B):
            raise Unreadable("%s: unknown optional header 0x%x" % (path, magic))
        self.wide = magic == 0x20B
        self.machine = MACHINES.get(machine, "machine 0x%x" % machine)
        self.os_version = struct.unpack_from("<HH", d, opt + 40)
        self.subsystem_version = struct.unpack_from("<HH", d, opt + 48)
        count_at, dirs_at = (opt + 108, opt + 112) if self.wide else (opt + 92, opt + 96)
        count = self.u32(count_at)
        self.directories = [struct.unpack_from("<II", d, dirs_at + 8 * i) for i in range(min(count, 16))]
        self.sections = []
        table = opt + optional_size
        for i in range(sections):
            at = table + 40 * i
            virtual_size, address, raw_size, raw_at = struct.unpack_from("<IIII", d, at + 8)
            self.sections.append((address, max(virtual_size, raw_size), raw_at, raw_size))

    def u16(self, at):
        return struct.unpack_from("<H", self.data, at)[0]

    def u32(self, at):
        if at + 4 > len(self.data):
            raise Unreadable("%s: cut short" % self.path)
        return struct.unpack_from("<I", self.data, at)[0]

    def offset(self, rva):
        for address, size, raw_at, raw_size in self.sections:
            if address <= rva < address + size and rva - address < raw_size:
                return raw_at + rva - address
        raise Unreadable("%s: address 0x%x lies in no section" % (self.path, rva))

    def text(self, rva):
        at = self.offset(rva)
        end = self.data.find(b"\0", at)
        if end < 0:
            raise Unreadable("%s: unterminated name at 0x%x" % (self.path, rva))
        return self.data[at:end].decode("ascii", "replace")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def imports(self):
        """[(dll, function or None, ordinal or None)] from the import table."""
        rva, size = self.directory(IMPORT_DIRECTORY)
        found = []
        if rva == 0 or size == 0:
            return found
        at = self.offset(rva)
        entry_size, ordinal_flag = (8, 1 << 63) if self.wide else (4, 1 << 31)
        while True:
            lookup, _, _, name, thunks = struct.unpack_from("<IIIII", self.data, at)
            if lookup == 0 and name == 0 and thunks == 0:
                break
            dll = self.text(name)
            entry = self.offset(lookup or thunks)
            while True:
                value = struct.unpack_from("<Q" if self.wide else "<I", self.data, entry)[0]
                if value == 0:
                    break
                if value & ordinal_flag:
                    found.append((dll, None, value & 0xFFFF))
                else:
                    found.append((dll, self.text((value & 0x7FFFFFFF) + 2), None))  # past the hint
                entry += entry_size
            at += 20
        return found


def check(path, arch, floor):
    """(faults, a line on what passed)."""
    program = Program(path)
    faults = []
    if program.machine != arch:
        faults.append("is built for %s, not %s" % (program.machine, arch))
        return faults, ""
    newest = XP_VERSION[arch]
    for what, version in (("subsystem version", program.subsystem_version),
                          ("operating system version", program.os_version)):
        if tuple(version) > newest:
            faults.append("asks for %s %d.%d; Windows XP (%s) is %d.%d" % ((what,) + tuple(version) + (arch,) + newest))
    if program.directory(DELAY_IMPORT_DIRECTORY)[0]:
        faults.append("has delay-loaded imports, which this check does not read")
    imports = program.imports()
    if not imports:
        faults.append("imports nothing this check could read")
    for dll, function, ordinal in imports:
        key = dll.lower()
        if key.endswith(".dll"):
            key = key[:-4]
        if key not in floor:
            faults.append("imports from %s, which has no floor list: %s" % (dll, function or "#%d" % ordinal))
        elif function is None:
            faults.append("imports number %d from %s; the floor lists know functions by name" % (ordinal, dll))
        elif arch not in floor[key].get(function, ()):
            faults.append("imports %s from %s, which Windows XP (%s) does not export" % (function, dll, arch))
    summary = "%s, subsystem %d.%d, operating system %d.%d, %d functions from %s" % (
        (arch,) + tuple(program.subsystem_version) + tuple(program.os_version) +
        (len(imports), " ".join(sorted({dll for dll, _, _ in imports}, key=str.lower))))
    return faults, summary


def programs_in(targets):
    found = []
    for target in targets:
        if os.path.isdir(target):
            names = sorted(n for n in os.listdir(target) if n.lower().endswith((".exe", ".dll")))
            if not names:
                raise Unreadable("%s holds no programs" % target)
            found.extend(os.path.join(target, n) for n in names)
        elif os.path.isfile(target):
            found.append(target)
        else:
            raise Unreadable("%s: no such program or folder" % target)
    return found


def main(argv):
    parser = argparse.ArgumentParser(description="Windows XP import and version check")
    parser.add_argument("--floor", default=None, help="folder of the floor lists")
    parser.add_argument("--arch", required=True, choices=sorted(XP_VERSION))
    parser.add_argument("targets", nargs="+")
    args = parser.parse_args(argv)
    floor_dir = args.floor or default_floor()
    try:
        floor = load_floor(floor_dir)
        failed = False
        for path in programs_in(args.targets):
            faults, summary = check(path, args.arch, floor)
            for fault in sorted(set(faults)):
                print("FAIL: %s %s" % (path, fault))
            if faults:
                failed = True
            else:
                print("ok: %s (%s)" % (path, summary))
    except (Unreadable, OSError, struct.error) as e:
        print("FAIL: the XP check cannot be made: %s" % e)
        return 2
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
