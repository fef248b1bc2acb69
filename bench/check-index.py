#!/usr/bin/env python3
"""Checks that an index built by `quor index` agrees with itself and with the
files it indexed.

usage: check-index.py INDEX_TEXT DATA_FILE TOP_FOLDER [QUOR [SAMPLE]]

INDEX_TEXT is the expanded index text (`quor expand`). Checks:
  - the lexicon is in ascending word order and uses row numbers 1..W once;
  - there are W count rows, each covering exactly N files;
  - the data file is W x N bytes plus the stamp, the stamp equals the text's
    length, and every data row equals its count row;
  - every lexicon word occurs in the text of every file its row marks;
  - with QUOR, for SAMPLE files, `quor inspect` gives exactly the words and
    values of that file's data-file column.
Exit status 0 when every check passes.
"""
import html
import os
import random
import subprocess
import sys


def fields(line):
    out, i = [], 0
    while i < len(line):
        if line[i] == '"':
            j = line.index('"', i + 1)
            out.append(line[i + 1:j])
            i = j + 2
        else:
            j = line.find(",", i)
            j = len(line) if j < 0 else j
            out.append(line[i:j])
            i = j + 1
    return out


PUNCTUATION = {144: "-", 145: "-", 146: "-", 147: "-", 148: " -- ", 149: "--", 150: "|",
               151: "\u2030", 152: "'", 153: "'", 154: "'", 155: "'", 156: '"', 157: '"',
               158: '"', 159: '"', 162: " . ", 166: "...", 185: "<", 186: ">"}


def repaired(text):
    """The document text as the word scanner sees it: Windows-1252 characters
    with two-byte UTF-8 remnants of Latin-1 letters and UTF-8 punctuation
    turned back into characters, line by line."""
    out = []
    for line in text.split("\n"):
        b = line.encode("cp1252", "replace")
        line = "".join(chr(c) if c < 128 else bytes([c]).decode("cp1252", "replace") for c in b)
        for c in range(128, 192):
            ch = bytes([c]).decode("cp1252", "replace")
            line = line.replace("\u00c2" + ch, "" if c < 160 else chr(c))
            line = line.replace("\u00c3" + ch, chr(c + 64))
        line = line.replace("\u00c4\u008d", "c")
        for _ in range(len(line)):
            at = line.find("\u00e2\u20ac")
            if at < 0 or at + 2 >= len(line):
                break
            x = line[at + 2].encode("cp1252", "replace")[0]
            if x not in PUNCTUATION:
                line = line[:at] + line[at + 3:]
                continue
            line = line.replace(line[at:at + 3], PUNCTUATION[x])
            break
        out.append(line)
    return "\n".join(out)


def decode_row(text, n):
    values = bytearray(n)
    pos = 0
    if text:
        for item in text.split(","):
            v = int(item)
            if v < 0:
                pos += -v
            else:
                if pos < n:
                    values[pos] = v
                pos += 1
    return values, pos


def main():
    index_path, data_path, top = sys.argv[1:4]
    quor = sys.argv[4] if len(sys.argv) > 4 else None
    sample = int(sys.argv[5]) if len(sys.argv) > 5 else 50
    raw = open(index_path, "rb").read()
    lines = raw.decode("utf-8").split("\r\n")
    assert lines[-1] == "", "the text ends with CR LF"
    lines.pop()
    k = lines.index('"End of file list"')
    files = [fields(l)[0] for l in lines[:k]]
    n = len(files)
    w, title = fields(lines[k + 1])
    w = int(w)
    lexicon = [fields(l) for l in lines[k + 2:k + 2 + w]]
    assert fields(lines[k + 2 + w])[1] == "End of lexicon"
    count_rows = [fields(l)[0] if l.startswith('"') else l for l in lines[k + 3 + w:]]
    problems = []
    words = [u for _, u in lexicon]
    if any(a >= b for a, b in zip(words, words[1:])):
        problems.append("lexicon not in ascending order")
    rows = sorted(int(r) for r, _ in lexicon)
    if rows != list(range(1, w + 1)):
        problems.append("row numbers are not 1..W")
    if len(count_rows) != w:
        problems.append(f"{len(count_rows)} count rows for {w} words")
    size = os.path.getsize(data_path)
    if size != w * n + 4:
        problems.append(f"data file has {size} bytes, expected {w * n + 4}")
    word_of_row = {int(r): u for r, u in lexicon}
    marks = {}  # file number -> [(word, value)]
    with open(data_path, "rb") as data:
        for r, text in enumerate(count_rows, 1):
            values, covered = decode_row(text, n)
            if covered != n:
                problems.append(f"count row {r} covers {covered} files")
            if data.read(n) != bytes(values):
                problems.append(f"data row {r} differs from its count row")
            for f in range(n):
                if values[f]:
                    marks.setdefault(f, []).append((word_of_row[r], values[f]))
        stamp = int.from_bytes(data.read(4), "little", signed=True)
    if stamp != len(raw):
        problems.append(f"stamp {stamp} but the text has {len(raw)} bytes")

    missing = 0
    examples = []
    for f, marked in marks.items():
        blob = open(os.path.join(top, files[f]), "rb").read()
        ansi = blob.decode("cp1252", "replace")
        texts = [ansi.lower(), blob.decode("utf-8", "replace").lower()]
        texts += [html.unescape(t) for t in texts]
        for word, _ in marked:
            if any(word in t for t in texts):
                continue
            if len(texts) == 4:  # the repaired text is made only when needed
                fixed = repaired(ansi).lower()
                texts += [fixed, html.unescape(fixed)]
            if not any(word in t for t in texts):
                missing += 1
                if len(examples) < 5:
                    examples.append(f"{word!r} in {files[f]}")
    if missing:
        problems.append(f"{missing} marked words not found in their files, e.g. " + "; ".join(examples))

    inspected = 0
    if quor:
        random.seed(1)
        for f in random.sample(range(n), min(sample, n)):
            out = subprocess.run([quor, "inspect", os.path.join(top, files[f])],
                                 capture_output=True, text=True).stdout.splitlines()
            got = sorted((parts[0], int(parts[2])) for parts in
                         (l.split(" ") for l in out[3:]) if len(parts) == 3)
            if got != sorted(marks.get(f, [])):
                problems.append(f"column {f + 1} ({files[f]}) differs from quor inspect")
            inspected += 1

    print(f"files {n}, words {w}, postings {sum(len(m) for m in marks.values())}, "
          f"text {len(raw)} bytes, data file {size} bytes, inspected {inspected}")
    for p in problems[:20]:
        print("PROBLEM:", p)
    print("index check:", "passed" if not problems else f"FAILED ({len(problems)} problems)")
    return 0 if not problems else 1


if __name__ == "__main__":
    sys.exit(main())
