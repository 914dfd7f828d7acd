#!/usr/bin/env python3
"""Checks that Windows programs import nothing from the DLLs named.

    import_ban_check.py --ban DLL [--ban DLL ...] PROGRAM...

The console front end (mopclean.exe) shows no window, so it must not carry
the main program's dialog code: the test run bans COMCTL32.dll and
comdlg32.dll from it. DLL names are compared without regard to case, with
or without ".dll". A program with delay-loaded imports fails too: they are
not read here, and one of them could be a banned DLL.

Exit status 0 when no program imports from a banned DLL, 1 when one does
(each DLL named on a line of its own), 2 when the check cannot be made (a
file that is not a program it can read).
"""
import argparse
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xp_floor_check import DELAY_IMPORT_DIRECTORY, Program, Unreadable  # noqa: E402


def dll_key(name):
    key = name.lower()
    return key[:-4] if key.endswith(".dll") else key


def check(path, banned):
    """(faults, the DLLs the program imports from)."""
    program = Program(path)
    faults = []
    if program.directory(DELAY_IMPORT_DIRECTORY)[0]:
        faults.append("has delay-loaded imports, which this check does not read")
    imports = program.imports()
    if not imports:
        faults.append("imports nothing this check could read")
    dlls = sorted({dll for dll, _, _ in imports}, key=str.lower)
    for dll in dlls:
        if dll_key(dll) in banned:
            count = sum(1 for d, _, _ in imports if d == dll)
            faults.append("imports %d function%s from %s" % (count, "" if count == 1 else "s", dll))
    return faults, dlls


def main(argv):
    parser = argparse.ArgumentParser(description="Banned DLL imports check")
    parser.add_argument("--ban", action="append", required=True, help="a DLL no program may import from")
    parser.add_argument("programs", nargs="+")
    args = parser.parse_args(argv)
    banned = {dll_key(name) for name in args.ban}
    failed = False
    try:
        for path in args.programs:
            faults, dlls = check(path, banned)
            for fault in faults:
                print("FAIL: %s %s" % (path, fault))
            if faults:
                failed = True
            else:
                print("ok: %s imports from %s" % (path, " ".join(dlls)))
    except (Unreadable, OSError, struct.error) as e:
        print("FAIL: the import check cannot be made: %s" % e)
        return 2
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
