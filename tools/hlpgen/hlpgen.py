#!/usr/bin/env python3
"""hlpgen: makes Mopwell's Windows help file (WinHelp 3.1, MOPWELL.HLP) from
plain-text topic sources, at build time.

    hlpgen.py --title TEXT --numbers 2,3,4,5 --output MOPWELL.HLP TOPIC.txt ...

Each topic source is a UTF-8 text file (every character must exist in
Windows code page 1252, which is what the help viewer shows):

    # A line starting with "#" is a comment, anywhere in the file.
    Title: How to use Fettlor
    Context: fettlor
    Number: 3

    A paragraph: lines up to the next blank line, joined with a blank.
    **Bold words** between double asterisks. A jump to another topic:
    [[settings|the Settings page]] (context name, bar, the words shown).

    == A heading (one line)

    - A bulleted line; the lines after it, up to the next "- " line or
      blank line, continue it.
    - The next bulleted line.

The header (up to the first blank line) holds:
    Title:     the topic's title (shown as its first line, at most 64
               characters).
    Context:   the topic's context name, used by jumps: letters, digits,
               "." and "_", at most 64 characters; no two names may share a
               hash (names that differ only in letter case do).
    Number:    the context number the program asks for (WinHelp
               HELP_CONTEXT). Every number given by --numbers needs exactly
               one topic, and no other number is allowed.
    Contents:  "yes" for the one topic the viewer opens first (HELP_CONTENTS);
               it needs no number.

The generator refuses, with a message naming file and line, sources that
would make a help file the viewer misreads: unknown or missing context
numbers, duplicate contexts, jumps to no topic, text outside code page 1252
or control characters, and paragraphs or titles that do not fit their
limits. On any error no help file is left behind. The output is the same
for the same sources (creation time 0, topics in a fixed order: the
contents topic, then by context number, then by context name).
"""

import argparse
import os
import re
import struct
import sys
import tempfile

# ---- limits ----

MAX_TITLE = 64                # topic and file titles: a window caption's worth
MAX_CONTEXT_NAME = 64
BLOCK_SIZE = 4096             # |TOPIC block, header included
BLOCK_HEADER = 12
BLOCK_STORED = BLOCK_SIZE - BLOCK_HEADER          # 4084 bytes after the header
# Topic blocks are LZ77-coded with literals only: a zero control byte before
# every eight bytes. 4084 stored bytes carry 453 groups of 8 and one of 6.
BLOCK_DATA = (BLOCK_STORED // 9) * 8 + (BLOCK_STORED % 9) - 1   # 3630
RECORD_HEADER = 21
TOPIC_HEADER_DATA = 28
MAX_TOPIC_LENGTH = 32767      # a compressed unsigned short's long form
CONTEXT_PAGE = 2048
CONTEXT_ENTRY = 8
CONTEXT_LEAF_ROOM = (CONTEXT_PAGE - 8) // CONTEXT_ENTRY          # 255 topics
DIRECTORY_PAGE = 1024

FONT_NORMAL, FONT_HEADING, FONT_BOLD = 0, 1, 2

# Paragraph spacing, in the viewer's half-points.
SPACE_AFTER = 12
HEADING_SPACE_BEFORE = 12
BULLET_INDENT = 24
BULLET = "\u2022"


class SourceError(Exception):
    """A fault in a topic source or the command line; the message says where."""


# ---- small encoders ----

def u8(v):
    return struct.pack("<B", v)


def u16(v):
    return struct.pack("<H", v & 0xFFFF)


def u32(v):
    return struct.pack("<I", v & 0xFFFFFFFF)


def i32(v):
    return struct.pack("<i", v)


NONE = 0xFFFFFFFF


def compressed_ushort(v):
    if not 0 <= v <= 0x7FFF:
        raise ValueError("compressed unsigned short out of range: %d" % v)
    return u8(2 * v) if v < 128 else u16(2 * v + 1)


def compressed_short(v):
    if -64 <= v <= 63:
        return u8(2 * (v + 64))
    if not -16384 <= v <= 16383:
        raise ValueError("compressed short out of range: %d" % v)
    return u16(2 * (v + 16384) + 1)


def compressed_long(v):
    if -16384 <= v <= 16383:
        return u16(2 * (v + 16384))
    if not -0x40000000 <= v <= 0x3FFFFFFF:
        raise ValueError("compressed long out of range: %d" % v)
    return u32(2 * (v + 0x40000000) + 1)


def context_hash(name):
    """The viewer's hash of a context name, as a signed 32-bit number."""
    h = 0
    for c in name:
        if "A" <= c <= "Z":
            v = ord(c) - ord("A") + 17
        elif "a" <= c <= "z":
            v = ord(c) - ord("a") + 17
        elif "1" <= c <= "9":
            v = ord(c) - ord("0")
        elif c == "0":
            v = 10
        elif c == ".":
            v = 12
        elif c == "_":
            v = 13
        else:
            raise ValueError("no hash value for %r" % c)
        h = (h * 43 + v) & 0xFFFFFFFF
    return h - 0x100000000 if h >= 0x80000000 else h


# ---- reading the sources ----

class Topic:
    def __init__(self, path):
        self.path = path
        self.title = None
        self.context = None
        self.number = None
        self.contents = False
        self.paragraphs = []   # Paragraph objects, title heading first
        self.jumps = []        # (context name, where) for checking


class Paragraph:
    """One text record: its kind and its pieces (text, bold, jump)."""

    def __init__(self, kind, pieces, where):
        self.kind = kind        # "title", "heading", "text", "bullet"
        self.pieces = pieces    # list of (kind, text[, context])
        self.where = where


CONTEXT_NAME = re.compile(r"[A-Za-z0-9._]+\Z")


def to_cp1252(text, where):
    """Text as the viewer's code page; every character must have a byte
    there, and none may be a control character."""
    out = bytearray()
    for i, c in enumerate(text):
        if ord(c) < 0x20 or ord(c) == 0x7F:
            raise SourceError("%s, column %d: control character U+%04X; only printable text is allowed"
                              % (where, i + 1, ord(c)))
        try:
            out += c.encode("cp1252")
        except UnicodeEncodeError:
            raise SourceError("%s, column %d: character U+%04X is not in Windows code page 1252"
                              % (where, i + 1, ord(c))) from None
    return bytes(out)


def parse_inline(text, where, topic):
    """Splits paragraph text into pieces: ("text", s), ("bold", s),
    ("jump", s, context)."""
    pieces = []
    pos = 0
    token = re.compile(r"\*\*|\[\[|\]\]")
    bold = False
    buf = ""
    while True:
        m = token.search(text, pos)
        if not m:
            buf += text[pos:]
            break
        buf += text[pos:m.start()]
        tok = m.group(0)
        if tok == "**":
            if buf:
                pieces.append(("bold" if bold else "text", buf))
            buf = ""
            bold = not bold
            pos = m.end()
        elif tok == "[[":
            if bold:
                raise SourceError("%s: a jump inside bold text" % where)
            end = text.find("]]", m.end())
            if end < 0:
                raise SourceError("%s: a jump \"[[\" without its closing \"]]\"" % where)
            inner = text[m.end():end]
            if "|" not in inner:
                raise SourceError("%s: a jump needs \"[[context|words shown]]\"" % where)
            name, shown = inner.split("|", 1)
            name = name.strip()
            if not CONTEXT_NAME.match(name):
                raise SourceError("%s: jump to %r: a context name has only letters, digits, \".\" and \"_\""
                                  % (where, name))
            if not shown.strip() or "[[" in shown or "**" in shown:
                raise SourceError("%s: a jump to %s needs plain words to show" % (where, name))
            if buf:
                pieces.append(("text", buf))
            buf = ""
            pieces.append(("jump", shown, name))
            topic.jumps.append((name, where))
            pos = end + 2
        else:
            raise SourceError("%s: \"]]\" without a jump before it" % where)
    if bold:
        raise SourceError("%s: bold text \"**\" is not closed" % where)
    if buf:
        pieces.append(("text", buf))
    return pieces


HEADER_KEYS = ("Title", "Context", "Number", "Contents")


def read_topic(path):
    try:
        with open(path, "rb") as f:
            raw = f.read()
    except OSError as e:
        raise SourceError("%s: cannot be read: %s" % (path, e.strerror)) from None
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError as e:
        line = raw[:e.start].count(b"\n") + 1
        raise SourceError("%s, line %d: not UTF-8 text (byte 0x%02X)" % (path, line, raw[e.start])) from None
    if text.startswith("\ufeff"):
        text = text[1:]
    text = text.replace("\r\n", "\n")
    lines = text.split("\n")

    topic = Topic(path)
    seen = set()
    n = 0
    # Header: "Key: value" lines up to the first blank line.
    while n < len(lines):
        line = lines[n]
        where = "%s, line %d" % (path, n + 1)
        n += 1
        if line.startswith("#"):
            continue
        if not line.strip():
            break
        m = re.match(r"([A-Za-z]+):(.*)\Z", line)
        if not m or m.group(1) not in HEADER_KEYS:
            raise SourceError("%s: expected a header line (%s: value), found %r"
                              % (where, ", ".join(HEADER_KEYS), line[:40]))
        key, value = m.group(1), m.group(2).strip()
        if key in seen:
            raise SourceError("%s: %s given twice" % (where, key))
        seen.add(key)
        if key == "Title":
            title = to_cp1252(value, where)
            if not 1 <= len(title) <= MAX_TITLE:
                raise SourceError("%s: a title has 1 to %d characters, this one %d"
                                  % (where, MAX_TITLE, len(title)))
            topic.title = value
        elif key == "Context":
            if not CONTEXT_NAME.match(value) or len(value) > MAX_CONTEXT_NAME:
                raise SourceError("%s: context name %r: 1 to %d letters, digits, \".\" or \"_\""
                                  % (where, value, MAX_CONTEXT_NAME))
            topic.context = value
        elif key == "Number":
            if not re.match(r"[1-9][0-9]{0,8}\Z", value):
                raise SourceError("%s: context number %r is not a whole number from 1" % (where, value))
            topic.number = (int(value), where)
        else:
            if value not in ("yes", "no"):
                raise SourceError("%s: Contents is \"yes\" or \"no\"" % where)
            topic.contents = value == "yes"
    for key in ("Title", "Context"):
        if key not in seen:
            raise SourceError("%s: the header has no %s line" % (path, key))
    if topic.contents and topic.number is not None:
        raise SourceError("%s: the contents topic has no context number" % topic.number[1])

    topic.paragraphs.append(Paragraph("title", [("text", topic.title)], "%s, Title" % path))

    # Body: blocks of lines separated by blank lines.
    block = []
    for i in range(n, len(lines) + 1):
        line = lines[i] if i < len(lines) else ""
        if line.startswith("#"):
            continue
        if line.strip():
            block.append((i + 1, line))
            continue
        if block:
            add_block(topic, block, path)
            block = []
    if len(topic.paragraphs) < 2:
        raise SourceError("%s: the topic has no text" % path)
    return topic


def add_block(topic, block, path):
    first_no, first = block[0]
    where = "%s, line %d" % (path, first_no)
    if first.startswith("=="):
        if len(block) > 1:
            raise SourceError("%s: a heading is one line; leave a blank line after it" % where)
        heading = first[2:].strip()
        if not heading:
            raise SourceError("%s: an empty heading" % where)
        topic.paragraphs.append(Paragraph("heading", parse_inline(heading, where, topic), where))
        return
    if first.startswith("- "):
        items = []
        for no, line in block:
            if line.startswith("- "):
                items.append((no, [line[2:].strip()]))
            else:
                items[-1][1].append(line.strip())
        for no, parts in items:
            w = "%s, line %d" % (path, no)
            text = " ".join(p for p in parts if p)
            if not text:
                raise SourceError("%s: an empty bulleted line" % w)
            topic.paragraphs.append(Paragraph("bullet", parse_inline(text, w, topic), w))
        return
    text = " ".join(line.strip() for _, line in block)
    topic.paragraphs.append(Paragraph("text", parse_inline(text, where, topic), where))


def check_topics(topics, numbers):
    contents = [t for t in topics if t.contents]
    if len(contents) != 1:
        raise SourceError("exactly one topic must say \"Contents: yes\"; found %d%s"
                          % (len(contents), (": " + ", ".join(t.path for t in contents)) if contents else ""))
    if len(topics) > CONTEXT_LEAF_ROOM:
        raise SourceError("%d topics; a help file of this generator holds at most %d"
                          % (len(topics), CONTEXT_LEAF_ROOM))
    by_hash = {}
    for t in topics:
        h = context_hash(t.context)
        if h in by_hash:
            other = by_hash[h]
            raise SourceError("%s: context %r duplicates context %r of %s (the viewer could not tell them apart)"
                              % (t.path, t.context, other.context, other.path))
        by_hash[h] = t
    by_number = {}
    for t in topics:
        if t.number is None:
            continue
        number, where = t.number
        if number not in numbers:
            raise SourceError("%s: unknown context number %d; the program asks for %s"
                              % (where, number, ", ".join(str(x) for x in sorted(numbers))))
        if number in by_number:
            raise SourceError("%s: context number %d is already taken by %s" % (where, number, by_number[number].path))
        by_number[number] = t
    missing = sorted(set(numbers) - set(by_number))
    if missing:
        raise SourceError("no topic has context number %s, which the program asks for"
                          % ", ".join(str(x) for x in missing))
    names = {t.context.lower() for t in topics}
    for t in topics:
        for name, where in t.jumps:
            if name.lower() not in names:
                raise SourceError("%s: jump to context %r, which no topic has" % (where, name))
            if name.lower() == t.context.lower():
                raise SourceError("%s: a jump from topic %r to itself" % (where, name))


def topic_order(topics):
    return sorted(topics, key=lambda t: (not t.contents, t.number[0] if t.number else 0, t.context.lower()))


# ---- |TOPIC records ----

def text_record_data(paragraph):
    """LinkData1 and LinkData2 of a text record (type 0x20)."""
    flags = 0
    values = b""
    if paragraph.kind in ("title", "heading"):
        flags |= 0x0002
        values += compressed_short(HEADING_SPACE_BEFORE if paragraph.kind == "heading" else 0)
    flags |= 0x0004
    values += compressed_short(SPACE_AFTER)
    if paragraph.kind == "bullet":
        flags |= 0x0010 | 0x0040
        values += compressed_short(BULLET_INDENT) + compressed_short(-BULLET_INDENT // 2)

    base = FONT_HEADING if paragraph.kind in ("title", "heading") else FONT_NORMAL
    strings, commands = [], []
    pending = ""

    def command(cmd):
        nonlocal pending
        strings.append(pending)
        commands.append(cmd)
        pending = ""

    command(b"\x80" + u16(base))
    if paragraph.kind == "bullet":
        pending += BULLET + "  "
    for piece in paragraph.pieces:
        if piece[0] == "text":
            pending += piece[1]
        elif piece[0] == "bold":
            command(b"\x80" + u16(FONT_BOLD))
            pending += piece[1]
            command(b"\x80" + u16(base))
        else:
            command(b"\xE3" + i32(context_hash(piece[2])))
            pending += piece[1]
            command(b"\x89")
    command(b"\x82")
    command(b"\xFF")

    data2 = b"".join(to_cp1252(s, paragraph.where) + b"\0" for s in strings)
    rest = b"\x00\x80" + u16(0) + u16(flags) + values + b"".join(commands)
    if len(data2) > MAX_TOPIC_LENGTH:
        raise SourceError("%s: a paragraph of %d bytes; at most %d fit" % (paragraph.where, len(data2), MAX_TOPIC_LENGTH))
    data1 = compressed_long(len(rest)) + compressed_ushort(len(data2)) + rest
    return data1, data2


class Record:
    def __init__(self, kind, data1, data2, topic=None, where=""):
        self.kind = kind            # 0x02 topic header, 0x20 text
        self.data1 = data1          # LinkData1 (filled later for headers)
        self.data2 = data2
        self.topic = topic          # index of its topic; None for the end marker
        self.where = where
        self.pos = None             # TOPICPOS
        self.block = None
        self.offset = None          # TOPICOFFSET (topic headers)

    @property
    def size(self):
        return RECORD_HEADER + len(self.data1) + len(self.data2)

    @property
    def topic_length(self):
        return len(self.data2) if self.kind == 0x20 else 0


def build_topic_file(topics):
    records = []
    for index, t in enumerate(topics):
        title = to_cp1252(t.title, t.path)
        records.append(Record(0x02, b"\0" * TOPIC_HEADER_DATA, title, index, t.path))
        for p in t.paragraphs:
            d1, d2 = text_record_data(p)
            records.append(Record(0x20, d1, d2, index, p.where))
    # Readers that skip the last record as a dummy find an empty topic.
    records.append(Record(0x02, b"\0" * TOPIC_HEADER_DATA, b"", None, "end"))

    # Place the records: none crosses a block boundary.
    blocks = [[]]
    used = 0
    for r in records:
        if r.size > BLOCK_DATA:
            raise SourceError("%s: a paragraph of %d bytes; a paragraph with its record takes at most %d"
                              % (r.where, r.size, BLOCK_DATA))
        if used + r.size > BLOCK_DATA:
            blocks.append([])
            used = 0
        r.block = len(blocks) - 1
        r.pos = r.block * 0x4000 + BLOCK_HEADER + used
        blocks[-1].append(r)
        used += r.size

    # TOPICOFFSET of each topic: its block's base plus the characters of
    # the text records before it in that block.
    for block_records in blocks:
        chars = 0
        for r in block_records:
            if r.kind == 0x02:
                r.offset = r.block * 0x8000 + chars
            chars += r.topic_length

    headers = [r for r in records if r.kind == 0x02]
    for i, h in enumerate(headers):
        members = [r for r in records if r.topic is not None and r.topic == h.topic] if h.topic is not None else [h]
        texts = [r for r in members if r.kind == 0x20]
        h.data1 = (u32(sum(r.size for r in members)) + u32(NONE) + u32(NONE) + u32(i) + u32(NONE)
                   + u32(texts[0].pos if texts else NONE)
                   + u32(headers[i + 1].pos if i + 1 < len(headers) else NONE))
        assert len(h.data1) == TOPIC_HEADER_DATA

    out = bytearray()
    last_header_before = 0
    for k, r in enumerate(records):
        r.index = k
    for b, block_records in enumerate(blocks):
        prev_last = blocks[b - 1][-1].pos if b > 0 else NONE
        data = bytearray()
        for r in block_records:
            k = r.index
            prev = records[k - 1].pos if k > 0 else NONE
            nxt = records[k + 1].pos if k + 1 < len(records) else NONE
            data += (u32(r.size) + u32(len(r.data2)) + u32(prev) + u32(nxt)
                     + u32(RECORD_HEADER + len(r.data1)) + u8(r.kind) + r.data1 + r.data2)
        assert len(data) <= BLOCK_DATA
        data += b"\0" * (BLOCK_DATA - len(data))
        out += u32(prev_last) + u32(block_records[0].pos) + u32(last_header_before)
        out += lz77_literals(bytes(data))
        for r in block_records:
            if r.kind == 0x02:
                last_header_before = r.pos
    return bytes(out), [h.offset for h in headers if h.topic is not None]


def lz77_literals(data):
    out = bytearray()
    for i in range(0, len(data), 8):
        out += b"\0" + data[i:i + 8]
    assert len(out) == BLOCK_STORED
    return bytes(out)


# ---- the other internal files ----

def system_file(title, contents_offset):
    t = to_cp1252(title, "--title") + b"\0"
    return (u16(0x036C) + u16(21) + u16(1) + u32(0) + u16(4)
            + u16(1) + u16(len(t)) + t
            + u16(3) + u16(4) + u32(contents_offset))


FONT_FACES = ["Arial"]
# style bits, half-points, family, face, colour, background
FONT_DESCRIPTORS = [
    (0x00, 20, 3, 0, (0, 0, 0)),        # normal
    (0x01, 26, 3, 0, (0, 0, 128)),      # heading
    (0x01, 20, 3, 0, (0, 0, 0)),        # bold
]


def font_file():
    names = b"".join(f.encode("ascii").ljust(20, b"\0") for f in FONT_FACES)
    descr_at = 8 + len(names)
    out = u16(len(FONT_FACES)) + u16(len(FONT_DESCRIPTORS)) + u16(8) + u16(descr_at) + names
    for style, size, family, face, colour in FONT_DESCRIPTORS:
        out += u8(style) + u8(size) + u8(family) + u16(face) + bytes(colour) + bytes((255, 255, 255))
    return out


def btree(flags, page_size, layout, entries, entry_bytes):
    """A B+ tree of one leaf page; entries are already sorted."""
    body = b"".join(entries)
    if 8 + len(body) > page_size:
        raise SourceError("too many entries for one %s page" % layout)
    page = u16(page_size - 8 - len(body)) + u16(len(entries)) + u16(0xFFFF) + u16(0xFFFF) + body
    page += b"\0" * (page_size - len(page))
    header = (u16(0x293B) + u16(flags) + u16(page_size) + layout.encode("ascii").ljust(16, b"\0")
              + u16(0) + u16(0) + u16(0) + u16(0xFFFF) + u16(1) + u16(1) + u32(len(entries)))
    assert len(header) == 38
    return header + page


def context_file(topics, offsets):
    pairs = sorted((context_hash(t.context), off) for t, off in zip(topics, offsets))
    return btree(0x0002, CONTEXT_PAGE, "L4", [i32(h) + u32(off) for h, off in pairs], CONTEXT_ENTRY)


def ctxomap_file(topics, offsets):
    pairs = sorted((t.number[0], off) for t, off in zip(topics, offsets) if t.number)
    return u16(len(pairs)) + b"".join(i32(n) + u32(off) for n, off in pairs)


def help_file(title, topics):
    topic_data, offsets = build_topic_file(topics)
    files = {
        "|SYSTEM": system_file(title, offsets[0]),
        "|TOPIC": topic_data,
        "|FONT": font_file(),
        "|CONTEXT": context_file(topics, offsets),
        "|CTXOMAP": ctxomap_file(topics, offsets),
    }
    out = bytearray(16)
    where = {}
    for name in ("|SYSTEM", "|TOPIC", "|FONT", "|CONTEXT", "|CTXOMAP"):
        data = files[name]
        where[name] = len(out)
        out += u32(len(data) + 9) + u32(len(data)) + u8(0) + data
    # The viewer stops at the first name above the one it wants: plain byte order.
    names = sorted(where, key=lambda n: n.encode("ascii"))
    directory = btree(0x0402, DIRECTORY_PAGE, "z4",
                      [n.encode("ascii") + b"\0" + u32(where[n]) for n in names], None)
    dir_at = len(out)
    out += u32(len(directory) + 9) + u32(len(directory)) + u8(4) + directory
    out[0:16] = u32(0x00035F3F) + u32(dir_at) + u32(NONE) + u32(len(out) + 0)
    return bytes(out)


# ---- command line ----

def parse_numbers(text):
    numbers = set()
    for part in text.split(","):
        if not re.match(r"[1-9][0-9]{0,8}\Z", part.strip()):
            raise SourceError("--numbers: %r is not a context number" % part)
        numbers.add(int(part))
    return numbers


def generate(title, numbers, sources):
    if not sources:
        raise SourceError("no topic sources given")
    t = to_cp1252(title, "--title")
    if not 1 <= len(t) <= MAX_TITLE:
        raise SourceError("--title: 1 to %d characters" % MAX_TITLE)
    topics = [read_topic(p) for p in sources]
    check_topics(topics, numbers)
    return help_file(title, topic_order(topics))


def main(argv=None):
    parser = argparse.ArgumentParser(description="Makes a WinHelp 3.1 file from Mopwell's topic sources.")
    parser.add_argument("--title", required=True, help="the help file's title")
    parser.add_argument("--numbers", required=True, help="context numbers the program asks for, e.g. 2,3,4,5")
    parser.add_argument("--output", required=True, help="the .HLP file to write")
    parser.add_argument("sources", nargs="*", help="topic sources")
    args = parser.parse_args(argv)
    try:
        data = generate(args.title, parse_numbers(args.numbers), args.sources)
    except BaseException as e:
        # A failed run leaves no help file, not even an older one that no
        # longer matches the sources, whatever made it fail.
        try:
            os.remove(args.output)
        except OSError:
            pass
        if not isinstance(e, SourceError):
            raise
        print("hlpgen: error: %s" % e, file=sys.stderr)
        return 1
    # Written aside and renamed, so that the file is never seen half made.
    folder = os.path.dirname(os.path.abspath(args.output))
    tmp = None
    try:
        fd, tmp = tempfile.mkstemp(prefix=".hlpgen-", dir=folder)
        os.chmod(tmp, 0o644)
        with os.fdopen(fd, "wb") as f:
            f.write(data)
        os.replace(tmp, args.output)
    except OSError as e:
        if tmp:
            try:
                os.remove(tmp)
            except OSError:
                pass
        print("hlpgen: error: %s: %s" % (args.output, e.strerror), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
