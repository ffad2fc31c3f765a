#!/usr/bin/env python3
"""What survives each format: UTF-8 -> X -> UTF-8 for every format X that can be read and written.

On the repository's samples (tests/data: 3,000 dictionary words and 400 lines of running text with punctuation,
ASCII digits and Latin words), each line converted to X and back is compared with the original; every change is
given its cause. Prints the tables of docs/fidelity.md (or writes the whole page with --write), and with --check
fails when a lossless format changes anything that plain UTF-8 -> UTF-8 keeps.

    scripts/fidelity.py [--library build/libtirmok.so] [--tool build/tirmok] [--write docs/fidelity.md] [--check]
"""

import difflib
import sys
import unicodedata
from collections import Counter, defaultdict

import roundtrip_support as support

VIRAMA = "\u0c4d"
ZWNJ = "\u200c"
ZWJ = "\u200d"
CURLY = {"'": "\u2019", "`": "\u2018"}
TELUGU_DIGITS = {chr(ord("0") + i): chr(0x0C66 + i) for i in range(10)}

# The formats that add no change of their own: UTF-8 -> X -> UTF-8 gives what UTF-8 -> UTF-8 gives.
LOSSLESS = ("UTF-8", "UNICODE", "LPXCODE", "COLLCODE")

# Every cause: what happens, and what a user should do about it. In the order of the page.
CAUSES = {
    "curly-quote": (
        "The ASCII apostrophe ' and grave accent ` come back as the curly quotation marks \u2019 and \u2018: "
        "the internal code has one byte for each pair.",
        "Keep UTF-8 as the master copy where the straight forms matter (program text, file names); "
        "in running text the curly forms are the typographic ones."),
    "composed": (
        "A vowel sign written in two parts (\u0c46 + length mark U+0C56) comes back as the single character "
        "\u0c48, which Unicode defines as the same text (NFC).",
        "Nothing to do; compare texts after NFC normalisation if the bytes must agree."),
    "zwnj-after-virama": (
        "A zero width non-joiner is added between a bare consonant and an independent vowel (\u0c2a\u0c4d\u0c05 "
        "becomes \u0c2a\u0c4d, ZWNJ, \u0c05): the internal code keeps the vowel independent with it.",
        "Nothing to do for display or search; remove U+200C before comparing bytes."),
    "zwnj-separator": (
        "A zero width non-joiner stands where the transliteration wrote its separator ^^ between a vowel "
        "sign and an independent vowel (\u0c30\u0c3f\u0c10 becomes \u0c30\u0c3f, ZWNJ, \u0c10).",
        "Keep UTF-8 as the master copy; use TELTRANS for typing and reading, not for storage."),
    "joiner-dropped": (
        "A zero width non-joiner or joiner is left out: the legacy font has no glyph for it, Braille no cell.",
        "Keep UTF-8 as the master copy; use ANSI only to print with the legacy fonts, Braille to read."),
    "no-cell": (
        "Braille leaves out what it has no cell for: Latin letters, other scripts, the dash and other signs.",
        "Keep UTF-8 as the master copy; Braille is for reading, and reads back only what it wrote."),
    "same-cells": (
        "Braille gives two texts the same cells, and reading back takes the one real Telugu uses: markup and "
        "program text (<b>, _ before a mnemonic, =\"...\") come back as other signs or letters.",
        "Keep UTF-8 as the master copy; the README's Braille paragraph lists the readings chosen."),
    "hyphen-zwj": (
        "A hyphen-minus comes back as a zero width joiner: ISO 15919 writes the joiner as a hyphen and reads "
        "every hyphen as the joiner.",
        "Use ISO 15919 for romanised reading copies, not for storing text that has hyphens."),
    "ascii-digits": (
        "ASCII digits come back as Telugu digits (2010 becomes \u0c68\u0c66\u0c67\u0c66): the format writes "
        "both the same way.",
        "Keep UTF-8 as the master copy, or convert the Telugu digits back where ASCII digits are wanted."),
    "latin-letters": (
        "Latin letters come back as Telugu letters: the format writes them as they are, and reading them "
        "back takes them for its own letters (romanised Telugu, or glyph bytes of the font).",
        "Keep UTF-8 as the master copy for text with Latin words; use LPXCODE or COLLCODE for exact storage."),
    "other-characters": (
        "Characters that are neither ASCII nor Telugu (the dash \u2014, \u00a9, \u00ae) are lost or come "
        "back as other characters: the 8-bit format has no place for them.",
        "Keep UTF-8 as the master copy; use the 8-bit formats only for Telugu text with ASCII punctuation."),
    "telugu-letters": (
        "Telugu letters come back changed: the format cannot show them as they were.",
        "Keep UTF-8 as the master copy."),
}


def token_class(c):
    if c.isascii() and c.isalpha():
        return "latin"
    if "\u0c00" <= c <= "\u0c7f" and not "\u0c66" <= c <= "\u0c6f":
        return "telugu"
    if c in TELUGU_DIGITS or "\u0c66" <= c <= "\u0c6f":
        return "digit"
    return c  # every other character is a token of its own


def tokens(s):
    """Runs of Latin letters, of Telugu letters and signs, of digits; every other character alone."""
    result = []
    for c in s:
        kind = token_class(c)
        if result and kind in ("latin", "telugu", "digit") and token_class(result[-1][-1]) == kind:
            result[-1] += c
        else:
            result.append(c)
    return result


def cause(before, after, preceding, middle):
    """The cause of one change: `before` in the original became `after` through the format `middle`;
    `preceding` is the character before it."""
    kind = common_cause(before, after, preceding)
    if middle.startswith("BRAILLE") and kind in ("latin-letters", "telugu-letters", "other-characters"):
        return "no-cell" if after == "" else "same-cells"
    return kind


def common_cause(before, after, preceding):
    if unicodedata.normalize("NFC", before) == unicodedata.normalize("NFC", after):
        return "composed"
    if before and len(before) == len(after) and all(CURLY.get(b) == a for b, a in zip(before, after)):
        return "curly-quote"
    if before == "" and after == ZWNJ:
        return "zwnj-after-virama" if preceding == VIRAMA else "zwnj-separator"
    if before in (ZWNJ, ZWJ) and after == "":
        return "joiner-dropped"
    if before == "-" and after == ZWJ:
        return "hyphen-zwj"
    if before and all(c in TELUGU_DIGITS for c in before) and after == "".join(TELUGU_DIGITS[c] for c in before):
        return "ascii-digits"
    if any(token_class(c) == "latin" for c in before):
        return "latin-letters"
    if any(token_class(c) == "telugu" for c in before):
        return "telugu-letters"
    return "other-characters"


def changes(original, back, middle):
    """(cause, example) for every change that turns `original` into `back`."""
    found = []
    matcher = difflib.SequenceMatcher(None, original, back, autojunk=False)
    for op, a, b, c, d in matcher.get_opcodes():
        if op == "equal":
            continue
        before, after = original[a:b], back[c:d]
        pairs = [(before, after)]
        # A change that spans several tokens of both sides is split into one change per token when they pair up.
        split_before, split_after = tokens(before), tokens(after)
        if len(split_before) == len(split_after) > 1:
            pairs = list(zip(split_before, split_after))
        for x, y in pairs:
            preceding = original[a - 1] if a > 0 else ""
            found.append((cause(x, y, preceding, middle), (excerpt(original, a, len(x)), excerpt(back, c, len(y)))))
            a += len(x)
            c += len(y)
    return found


def excerpt(line, at, length, around=6):
    """The `length` characters at `at` with a little of the line around them, invisible characters named."""
    names = {ZWNJ: "<ZWNJ>", ZWJ: "<ZWJ>", "`": "\\`", "|": "\\|"}
    part = line[max(0, at - around): at + length + around]
    return "".join(names.get(ch, ch) for ch in part)


def measure(library):
    """{format: {sample: (unchanged, total, Counter of causes, {cause: example})}}"""
    results = {}
    for name in library.both_ways():
        per_sample = {}
        for sample, path, _ in support.SAMPLES:
            lines = support.read_sample(path)
            unchanged = 0
            counts = Counter()
            examples = {}
            for line in lines:
                back = library.round_trip(line, name)
                if back == line:
                    unchanged += 1
                    continue
                for kind, example in changes(line, back, name):
                    counts[kind] += 1
                    examples.setdefault(kind, example)
            per_sample[sample] = (unchanged, len(lines), counts, examples)
        results[name] = per_sample
    return results


def share(unchanged, total):
    return f"{100.0 * unchanged / total:.1f}% ({unchanged:,} of {total:,})"


def markdown(results):
    out = []
    out.append("| Format | Words unchanged | Lines of text unchanged | Changes (by cause) |")
    out.append("|---|---|---|---|")
    for name, per_sample in results.items():
        words, text = per_sample["words"], per_sample["text"]
        counts = words[2] + text[2]
        listed = ", ".join(f"{kind} {n:,}" for kind, n in sorted(counts.items(), key=lambda kv: -kv[1]))
        out.append(f"| `{name}` | {share(*words[:2])} | {share(*text[:2])} | {listed or 'none'} |")
    out.append("")
    out.append("| Cause | What happens | Formats (changes) | Example | What to do |")
    out.append("|---|---|---|---|---|")
    seen = defaultdict(list)
    example = {}
    for name, per_sample in results.items():
        for sample in ("words", "text"):
            for kind, n in per_sample[sample][2].items():
                seen[kind].append((name, n))
                example.setdefault(kind, per_sample[sample][3][kind])
    for kind, (what, advice) in CAUSES.items():
        if kind not in seen:
            continue
        totals = Counter()
        for name, n in seen[kind]:
            totals[name] += n
        where = ", ".join(f"`{name}` {n:,}" for name, n in totals.items())
        before, after = example[kind]
        shown = f"\u201c{before}\u201d \u2192 \u201c{after}\u201d"
        out.append(f"| {kind} | {what} | {where} | {shown} | {advice} |")
    return "\n".join(out)


PAGE = """# What each format keeps

Every conversion goes through the internal code, so a text converted into a format and back can come back changed:
by the internal code itself (the same for every format, UTF-8 to UTF-8 included), or by what the format can hold.
The tables below are measured by `scripts/fidelity.py` on the repository's samples: the 3,000 dictionary words of
`tests/data/te_words_sample.txt` and the 400 lines of `tests/data/te_text_sample.txt` (interface text with
punctuation, quotes, ASCII digits and Latin words, and running text with digits and zero width non-joiners). Each
line is converted from UTF-8 into the format and back, and compared with the original; every change is counted
under its cause. Re-run the script after any change to a converter (`scripts/fidelity.py --write docs/fidelity.md`).

In short: keep UTF-8 as the master copy. `UNICODE`, `LPXCODE` and `COLLCODE` add no change of their own to what
the internal code keeps (`make test` checks this on both samples), so they are the formats for exact storage and
exchange; the others are for reading, typing and printing.

{tables}

`BRAILLE` writes Telugu letters, signs and digits (ASCII digits too) and leaves out every character it has no
cell for, such as Latin letters; `scripts/braille_roundtrip.py` measures its reading back word by word.
"""


def main():
    parser = support.arguments(__doc__.split("\n")[0])
    parser.add_argument("--write", help="write the whole page to this file")
    parser.add_argument("--check", action="store_true",
                        help="fail when a lossless format changes what UTF-8 -> UTF-8 keeps")
    args = parser.parse_args()
    library = support.Library(args.library, args.tool)

    if args.check:
        failures = 0
        for sample, path, _ in support.SAMPLES:
            for line in support.read_sample(path):
                kept = library.round_trip(line, "UTF-8")
                if sample == "words" and kept != line:
                    print(f"UTF-8 -> UTF-8 changes the word {line!r} into {kept!r}")
                    failures += 1
                for name in LOSSLESS:
                    back = library.round_trip(line, name)
                    if back != kept:
                        print(f"{name}: {line!r} comes back as {back!r}, UTF-8 keeps {kept!r}")
                        failures += 1
        print(f"lossless formats {', '.join(LOSSLESS)}: {failures} changes beyond the internal code's own")
        return 1 if failures else 0

    tables = markdown(measure(library))
    if args.write:
        with open(args.write, "w", encoding="utf-8") as page:
            page.write(PAGE.format(tables=tables))
    else:
        print(tables)
    return 0


if __name__ == "__main__":
    sys.exit(main())
