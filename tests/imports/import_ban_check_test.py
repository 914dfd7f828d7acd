"""The banned-imports check (scripts/import_ban_check.py) on a program this
build made.

    IMPORT_CHECK_PROGRAM=prog.exe IMPORT_CHECK_OBJDUMP=...-objdump \
        python3 -m unittest discover -s tests/imports -p "*_test.py"

The DLLs the program imports are taken from objdump, so the check's reading
of the import table is compared with another tool's; each test bans some of
them, or none, and the check must say so.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CHECK = os.path.join(ROOT, "scripts", "import_ban_check.py")
PROGRAM = os.environ.get("IMPORT_CHECK_PROGRAM", "")
OBJDUMP = os.environ.get("IMPORT_CHECK_OBJDUMP", "")
DELAY_IMPORT_DIRECTORY = 13


def dlls_by_objdump(path):
    out = subprocess.run([OBJDUMP, "-p", path], check=True, capture_output=True, text=True).stdout
    return [line.split()[2] for line in out.splitlines() if "DLL Name:" in line]


class ImportBanCheck(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not (PROGRAM and OBJDUMP):
            raise RuntimeError("set IMPORT_CHECK_PROGRAM and IMPORT_CHECK_OBJDUMP")
        cls.dlls = dlls_by_objdump(PROGRAM)
        if len(cls.dlls) < 3:
            raise RuntimeError("objdump lists fewer than three DLLs for %s: %s" % (PROGRAM, cls.dlls))

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="import-ban-test-")
        self.program = os.path.join(self.dir, os.path.basename(PROGRAM))
        shutil.copyfile(PROGRAM, self.program)

    def tearDown(self):
        shutil.rmtree(self.dir)

    def run_check(self, banned, programs=None):
        args = [sys.executable, CHECK]
        for dll in banned:
            args += ["--ban", dll]
        done = subprocess.run(args + (programs or [self.program]), capture_output=True, text=True)
        return done.returncode, done.stdout + done.stderr

    def test_a_program_without_a_banned_dll_passes_and_its_dlls_are_listed(self):
        code, out = self.run_check(["nosuch.dll", "neither"])
        self.assertEqual(code, 0, out)
        self.assertEqual(out.strip(), "ok: %s imports from %s" % (self.program, " ".join(sorted(self.dlls, key=str.lower))))

    def test_each_imported_dll_is_named_when_banned(self):
        for dll in self.dlls:
            with self.subTest(dll=dll):
                code, out = self.run_check([dll])
                self.assertEqual(code, 1, out)
                lines = out.strip().splitlines()
                self.assertEqual(len(lines), 1, out)
                self.assertTrue(lines[0].startswith("FAIL: %s imports " % self.program), out)
                self.assertTrue(lines[0].endswith(" from %s" % dll), out)

    def test_names_are_compared_without_case_and_without_dll(self):
        dll = self.dlls[-1]
        for ban in (dll.upper(), dll.lower(), dll[:-4].upper(), dll[:-4].lower() + ".DLL"):
            with self.subTest(ban=ban):
                code, out = self.run_check([ban])
                self.assertEqual(code, 1, out)
                self.assertIn(" from %s" % dll, out)

    def test_every_banned_dll_imported_is_named(self):
        banned = self.dlls[:2]
        code, out = self.run_check(banned + ["nosuch.dll"])
        self.assertEqual(code, 1, out)
        for dll in banned:
            self.assertIn(" from %s\n" % dll, out)
        self.assertEqual(len(out.strip().splitlines()), 2, out)

    def test_one_failing_program_among_several_fails_the_check(self):
        other = os.path.join(self.dir, "other.exe")
        shutil.copyfile(PROGRAM, other)
        # The other program's table names another DLL in its place.
        with open(other, "rb") as f:
            data = f.read()
        name = self.dlls[0].encode("ascii") + b"\0"
        self.assertIn(name, data)
        with open(other, "wb") as f:
            f.write(data.replace(name, b"x" * (len(name) - 1) + b"\0"))
        code, out = self.run_check([self.dlls[0]], [other, self.program])
        self.assertEqual(code, 1, out)
        self.assertIn("ok: %s imports from " % other, out)
        self.assertIn("FAIL: %s imports " % self.program, out)

    def test_delay_loaded_imports_fail(self):
        with open(self.program, "r+b") as f:
            data = f.read(0x400)
            pe = struct.unpack_from("<I", data, 0x3C)[0]
            opt = pe + 24
            wide = struct.unpack_from("<H", data, opt)[0] == 0x20B
            dirs = opt + (112 if wide else 96)
            f.seek(dirs + 8 * DELAY_IMPORT_DIRECTORY)
            f.write(struct.pack("<II", 0x1000, 0x40))
        code, out = self.run_check(["nosuch.dll"])
        self.assertEqual(code, 1, out)
        self.assertIn("has delay-loaded imports", out)

    def test_a_file_that_is_no_program_cannot_be_checked(self):
        text = os.path.join(self.dir, "notes.txt")
        with open(text, "w") as f:
            f.write("not a program\n")
        code, out = self.run_check(["comctl32.dll"], [text])
        self.assertEqual(code, 2, out)
        self.assertIn("cannot be made", out)

    def test_a_missing_program_cannot_be_checked(self):
        code, out = self.run_check(["comctl32.dll"], [os.path.join(self.dir, "gone.exe")])
        self.assertEqual(code, 2, out)


if __name__ == "__main__":
    unittest.main()
