"""The help generator against faulty and hostile topic sources: each must
fail the build with a message naming the fault, and leave no help file
behind. Also: the same sources give the same bytes."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
GENERATOR = os.path.join(HERE, "hlpgen.py")

CONTENTS = """Title: How to use Mopwell
Context: contents
Contents: yes

The clean page. [[two|Second]] and [[three|Third]].
"""


def numbered(number, context, extra=""):
    return "Title: Topic %d\nContext: %s\nNumber: %d\n\nText of topic %d.%s\n" % (number, context, number, number, extra)


class Generator(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="hlpgen-test-")
        self.out = os.path.join(self.dir, "OUT.HLP")

    def tearDown(self):
        shutil.rmtree(self.dir)

    def write(self, name, text, raw=None):
        path = os.path.join(self.dir, name)
        with open(path, "wb") as f:
            f.write(raw if raw is not None else text.encode("utf-8"))
        return path

    def sources(self, **replace):
        """A good set of sources; keyword arguments replace or add files
        (None leaves one out)."""
        files = {"a.txt": CONTENTS, "b.txt": numbered(2, "two"), "c.txt": numbered(3, "three")}
        files.update(replace)
        return [self.write(n, t) if isinstance(t, str) else self.write(n, None, t)
                for n, t in sorted(files.items()) if t is not None]

    def run_generator(self, sources, numbers="2,3", output=None):
        return subprocess.run([sys.executable, GENERATOR, "--title", "Test Help", "--numbers", numbers,
                               "--output", output or self.out] + sources,
                              capture_output=True, text=True)

    def assertRefused(self, sources, *words, numbers="2,3"):
        # An older file of the same name must go too: it no longer matches.
        with open(self.out, "wb") as f:
            f.write(b"stale")
        r = self.run_generator(sources, numbers)
        self.assertEqual(r.returncode, 1, r.stderr)
        self.assertIn("hlpgen: error:", r.stderr)
        for w in words:
            self.assertIn(w, r.stderr)
        self.assertFalse(os.path.exists(self.out), "a refused run leaves no help file")
        self.assertEqual([n for n in os.listdir(self.dir) if n.startswith(".hlpgen")], [])

    def test_good_sources_make_the_same_file_twice(self):
        src = self.sources()
        self.assertEqual(self.run_generator(src).returncode, 0)
        with open(self.out, "rb") as f:
            first = f.read()
        self.assertEqual(first[:4], b"\x3f\x5f\x03\x00")
        self.assertEqual(int.from_bytes(first[12:16], "little"), len(first))
        second = os.path.join(self.dir, "SECOND.HLP")
        self.assertEqual(self.run_generator(list(reversed(src)), output=second).returncode, 0)
        with open(second, "rb") as f:
            self.assertEqual(f.read(), first, "the order of the sources on the command line does not matter")

    def test_context_numbers(self):
        self.assertRefused(self.sources(**{"d.txt": numbered(7, "seven")}), "unknown context number 7", "d.txt")
        self.assertRefused(self.sources(**{"c.txt": numbered(2, "three")}), "context number 2 is already taken")
        self.assertRefused(self.sources(**{"c.txt": None}), "no topic has context number 3")
        for bad in ("0", "-1", "3x", "", "03", "99999999999"):
            self.assertRefused(self.sources(**{"c.txt": "Title: T\nContext: three\nNumber: %s\n\nText.\n" % bad}),
                               "c.txt, line 3")
        self.assertRefused(self.sources(**{"a.txt": CONTENTS.replace("Contents: yes", "Contents: yes\nNumber: 2")}),
                           "the contents topic has no context number")

    def test_contents_topic(self):
        self.assertRefused(self.sources(**{"a.txt": CONTENTS.replace("Contents: yes\n", "")}),
                           "exactly one topic must say \"Contents: yes\"; found 0")
        twice = CONTENTS.replace("contents", "other").replace("[[", "").replace("]]", "")
        self.assertRefused(self.sources(**{"e.txt": twice}), "found 2")

    def test_duplicate_contexts(self):
        # Same name in another case: the viewer's hash cannot tell them apart.
        self.assertRefused(self.sources(**{"c.txt": numbered(3, "TWO")}), "duplicates context 'two'")
        self.assertRefused(self.sources(**{"c.txt": numbered(3, "two")}), "duplicates context")
        self.assertRefused(self.sources(**{"c.txt": numbered(3, "thr ee")}), "context name")
        self.assertRefused(self.sources(**{"c.txt": numbered(3, "t" * 65)}), "context name")

    def test_jumps(self):
        self.assertRefused(self.sources(**{"b.txt": numbered(2, "two", " [[nowhere|Lost]]")}),
                           "jump to context 'nowhere', which no topic has", "b.txt, line 5")
        self.assertRefused(self.sources(**{"b.txt": numbered(2, "two", " [[three|Third]")}), "without its closing")
        self.assertRefused(self.sources(**{"b.txt": numbered(2, "two", " [[three]]")}), "[[context|words shown]]")
        self.assertRefused(self.sources(**{"b.txt": numbered(2, "two", " [[three| ]]")}), "needs plain words")
        self.assertRefused(self.sources(**{"b.txt": numbered(2, "two", " [[two|Here]]")}), "to itself")
        self.assertRefused(self.sources(**{"b.txt": numbered(2, "two", " oops]]")}), "without a jump")
        self.assertRefused(self.sources(**{"b.txt": numbered(2, "two", " **bold")}), "is not closed")

    def test_text_outside_code_page_1252(self):
        self.assertRefused(self.sources(**{"b.txt": numbered(2, "two", " \u20ac fine, \u0416 not")}),
                           "U+0416 is not in Windows code page 1252", "b.txt, line 5")
        self.assertRefused(self.sources(**{"b.txt": numbered(2, "two", " tab\there")}), "control character U+0009")
        self.assertRefused(self.sources(**{"b.txt": numbered(2, "two", " bell\x07")}), "control character U+0007")
        self.assertRefused(self.sources(**{"b.txt": numbered(2, "two", " cr\rlf")}), "control character U+000D")
        # Bytes that are no UTF-8 (a file saved in another code page, or binary).
        self.assertRefused(self.sources(**{"b.txt": b"Title: T\nContext: two\nNumber: 2\n\nCaf\xe9\n"}),
                           "b.txt, line 5: not UTF-8")
        self.assertRefused(self.sources(**{"b.txt": bytes(range(256)) * 4}), "not UTF-8")
        self.assertRefused(self.sources(**{"b.txt": numbered(2, "two").replace("Topic 2", "Topic \u0100")}),
                           "U+0100", "b.txt, line 1")

    def test_limits(self):
        self.assertRefused(self.sources(**{"b.txt": numbered(2, "two").replace("Topic 2", "T" * 65)}),
                           "a title has 1 to 64 characters")
        # One paragraph larger than a topic block can carry.
        long_text = " ".join(["word"] * 1000)
        self.assertRefused(self.sources(**{"b.txt": numbered(2, "two", " " + long_text)}),
                           "a paragraph of", "b.txt, line 5")
        # Many paragraphs of fitting size spread over blocks: accepted.
        many = "\n\n".join(" ".join(["para%d" % i] * 60) for i in range(60))
        self.assertEqual(self.run_generator(self.sources(**{"b.txt": numbered(2, "two", "\n\n" + many)})).returncode, 0)

    def test_malformed_files(self):
        self.assertRefused(self.sources(**{"b.txt": ""}), "the header has no Title line")
        self.assertRefused(self.sources(**{"b.txt": "Title: T\nContext: two\nNumber: 2\n"}), "the topic has no text")
        self.assertRefused(self.sources(**{"b.txt": "Title: T\nTitle: U\nContext: two\nNumber: 2\n\nText.\n"}),
                           "Title given twice")
        self.assertRefused(self.sources(**{"b.txt": "Title: T\nColour: red\nContext: two\nNumber: 2\n\nText.\n"}),
                           "expected a header line")
        self.assertRefused(self.sources(**{"b.txt": numbered(2, "two", "\n\n== Two\nlines")}), "a heading is one line")
        self.assertRefused([os.path.join(self.dir, "missing.txt")] + self.sources(), "missing.txt: cannot be read")
        self.assertRefused([], "no topic sources given")

    def test_unwritable_output_fails(self):
        r = self.run_generator(self.sources(), output=os.path.join(self.dir, "no-such-folder", "OUT.HLP"))
        self.assertEqual(r.returncode, 1)
        self.assertIn("hlpgen: error:", r.stderr)


if __name__ == "__main__":
    unittest.main()
