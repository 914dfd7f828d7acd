"""The Windows XP check (scripts/xp_floor_check.py) on a program this build made.

    XP_CHECK_PROGRAM=prog.exe XP_CHECK_ARCH=x86_64 XP_CHECK_OBJDUMP=...-objdump \
        python3 -m unittest discover -s tests/xpfloor -p "*_test.py"

The floor lists here are made from the program's own imports as objdump
reads them, so the check's reading of the import table is compared with
another tool's; each test then takes one thing away and the check must
name it.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CHECK = os.path.join(ROOT, "scripts", "xp_floor_check.py")
PROGRAM = os.environ.get("XP_CHECK_PROGRAM", "")
ARCH = os.environ.get("XP_CHECK_ARCH", "")
OBJDUMP = os.environ.get("XP_CHECK_OBJDUMP", "")


def imports_by_objdump(path):
    """{dll in lower case without .dll: [function]} as objdump lists them."""
    out = subprocess.run([OBJDUMP, "-p", path], check=True, capture_output=True, text=True).stdout
    found, dll = {}, None
    for line in out.splitlines():
        words = line.split()
        if "DLL Name:" in line:
            dll = words[2].lower()[:-4]
            found[dll] = []
        elif not line.startswith("\t"):  # the end of the imports, or the next DLL's table entry
            if line.strip():
                dll = None
        elif dll and len(words) >= 3 and words[1].isdigit() and all(c in "0123456789abcdef" for c in words[0]):
            found[dll].append(words[2])  # "\t<address>\t<hint> <name>"
    return found


class XpFloorCheck(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not (PROGRAM and ARCH and OBJDUMP):
            raise RuntimeError("set XP_CHECK_PROGRAM, XP_CHECK_ARCH and XP_CHECK_OBJDUMP")
        cls.imports = imports_by_objdump(PROGRAM)
        if "kernel32" not in cls.imports or not cls.imports["kernel32"]:
            raise RuntimeError("objdump lists no KERNEL32 imports of %s" % PROGRAM)

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="xp-floor-test-")
        self.floor = os.path.join(self.dir, "floor")
        os.mkdir(self.floor)
        for dll, functions in self.imports.items():
            self.write_list(dll, ["%s\tboth" % f for f in functions] + ["Unused\tboth"])
        self.program = os.path.join(self.dir, os.path.basename(PROGRAM))
        shutil.copyfile(PROGRAM, self.program)

    def tearDown(self):
        shutil.rmtree(self.dir)

    def write_list(self, dll, lines):
        with open(os.path.join(self.floor, dll + ".txt"), "w") as f:
            f.write("".join(line + "\n" for line in sorted(lines)))

    def run_check(self, *extra, floor=None, arch=None):
        env = dict(os.environ)
        env.pop("MOPWELL_XP_FLOOR", None)
        args = [sys.executable, CHECK, "--arch", arch or ARCH, "--floor", floor or self.floor]
        done = subprocess.run(args + list(extra or [self.program]), capture_output=True, text=True, env=env)
        return done.returncode, done.stdout + done.stderr

    def patch_u16(self, offset_in_optional_header, value):
        with open(self.program, "r+b") as f:
            data = f.read(0x400)
            pe = struct.unpack_from("<I", data, 0x3C)[0]
            f.seek(pe + 24 + offset_in_optional_header)
            f.write(struct.pack("<H", value))

    def test_every_import_that_objdump_lists_is_read_and_passes(self):
        status, out = self.run_check()
        self.assertEqual(status, 0, out)
        self.assertIn("ok: %s" % self.program, out)

    def test_a_function_missing_from_its_list_is_named_with_the_program(self):
        missing = self.imports["kernel32"][len(self.imports["kernel32"]) // 2]
        self.write_list("kernel32", ["%s\tboth" % f for f in self.imports["kernel32"] if f != missing])
        status, out = self.run_check()
        self.assertEqual(status, 1, out)
        faults = [line for line in out.splitlines() if line.startswith("FAIL")]
        self.assertEqual(len(faults), 1, out)
        self.assertIn(self.program, faults[0])
        self.assertIn(" %s from KERNEL32.dll" % missing, faults[0])

    def test_a_function_listed_for_the_other_processor_only_is_missing(self):
        other = "i386" if ARCH == "x86_64" else "x86_64"
        first = self.imports["kernel32"][0]
        self.write_list("kernel32", ["%s\t%s" % (f, other if f == first else ARCH) for f in self.imports["kernel32"]])
        status, out = self.run_check()
        self.assertEqual(status, 1, out)
        self.assertIn(" %s from KERNEL32.dll" % first, out)
        self.assertNotIn(" %s from" % self.imports["kernel32"][1], out)

    def test_a_dll_without_a_list_is_named(self):
        dll = sorted(d for d in self.imports if d != "kernel32")[0]
        os.remove(os.path.join(self.floor, dll + ".txt"))
        status, out = self.run_check()
        self.assertEqual(status, 1, out)
        self.assertRegex(out.lower(), r"imports from %s\.dll, which has no floor list" % dll)

    def test_a_header_asking_for_later_windows_fails(self):
        newest = {"i386": (5, 1), "x86_64": (5, 2)}[ARCH]
        for field, name in ((48, "subsystem version"), (40, "operating system version")):
            with self.subTest(name):
                shutil.copyfile(PROGRAM, self.program)
                self.patch_u16(field, 6)  # the major part: Vista
                status, out = self.run_check()
                self.assertEqual(status, 1, out)
                self.assertIn("asks for %s 6." % name, out)
                shutil.copyfile(PROGRAM, self.program)
                self.patch_u16(field, 5)
                self.patch_u16(field + 2, newest[1] + 1)  # the minor part, one past XP's
                status, out = self.run_check()
                self.assertEqual(status, 1, out)
                self.assertIn("asks for %s 5.%d" % (name, newest[1] + 1), out)

    def test_a_program_whose_imports_cannot_be_found_fails(self):
        # No import table at all reads as nothing imported: never a pass.
        directories = 112 if ARCH == "x86_64" else 96
        self.patch_u16(directories + 8, 0)
        self.patch_u16(directories + 10, 0)
        status, out = self.run_check()
        self.assertEqual(status, 1, out)
        self.assertIn("imports nothing this check could read", out)

    def test_a_program_for_the_other_processor_fails(self):
        status, out = self.run_check(arch="i386" if ARCH == "x86_64" else "x86_64")
        self.assertEqual(status, 1, out)
        self.assertIn("is built for %s" % ARCH, out)

    def test_a_folder_is_every_program_in_it(self):
        shutil.copyfile(PROGRAM, os.path.join(self.dir, "second.exe"))
        with open(os.path.join(self.dir, "README.TXT"), "w") as f:
            f.write("not a program")
        self.write_list("kernel32", ["%s\tboth" % f for f in self.imports["kernel32"][1:]])
        status, out = self.run_check(self.dir)
        self.assertEqual(status, 1, out)
        faults = [line for line in out.splitlines() if line.startswith("FAIL")]
        self.assertEqual(len(faults), 2, out)
        self.assertTrue(any("second.exe" in f for f in faults) and any(self.program in f for f in faults), out)

    def test_the_check_cannot_pass_without_its_lists_or_on_a_file_that_is_no_program(self):
        status, out = self.run_check(floor=os.path.join(self.dir, "nowhere"))
        self.assertEqual(status, 2, out)
        self.assertIn("no floor lists at %s" % os.path.join(self.dir, "nowhere"), out)
        empty = os.path.join(self.dir, "empty")
        os.mkdir(empty)
        status, out = self.run_check(floor=empty)
        self.assertEqual(status, 2, out)
        with open(os.path.join(self.floor, "user32.txt"), "a") as f:
            f.write("DrawTextA\tsometimes\n")
        status, out = self.run_check()
        self.assertEqual(status, 2, out)
        self.assertIn("user32.txt line", out)
        os.remove(os.path.join(self.floor, "user32.txt"))
        text = os.path.join(self.dir, "notes.exe")
        with open(text, "w") as f:
            f.write("MZ but nothing more")
        status, out = self.run_check(text)
        self.assertEqual(status, 2, out)
        status, out = self.run_check(os.path.join(self.dir, "absent.exe"))
        self.assertEqual(status, 2, out)

    def test_the_environment_names_the_lists_when_no_folder_is_given(self):
        env = dict(os.environ, MOPWELL_XP_FLOOR=self.floor)
        done = subprocess.run([sys.executable, CHECK, "--arch", ARCH, self.program], capture_output=True, text=True, env=env)
        self.assertEqual(done.returncode, 0, done.stdout)
        env["MOPWELL_XP_FLOOR"] = os.path.join(self.dir, "nowhere")
        done = subprocess.run([sys.executable, CHECK, "--arch", ARCH, self.program], capture_output=True, text=True, env=env)
        self.assertEqual(done.returncode, 2, done.stdout)
        self.assertIn(os.path.join(self.dir, "nowhere"), done.stdout)


if __name__ == "__main__":
    unittest.main()
