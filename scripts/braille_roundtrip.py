#!/usr/bin/env python3
"""Reading Braille back: UTF-8 -> BRAILLE -> UTF-8, word by word, with every changed word in a named class.

On the repository's samples (the 3,000 dictionary words and the 400 lines of running text in tests/data), each
line is written as Braille and read back; its words are compared with the original's. Every word that changes
falls in a class: something the Braille code does not write (so nothing can read it back), or two texts with the
same cells, of which the reader takes the one real Telugu uses. Prints the counts and an example of each class;
fails when fewer than 99% of the words come back unchanged or a change falls in no class.

    scripts/braille_roundtrip.py [--library build/libtirmok.so] [--tool build/tirmok] [--check]
"""

import difflib
import sys
from collections import Counter

import roundtrip_support as support

TELUGU_DIGITS = {chr(ord("0") + i): chr(0x0C66 + i) for i in range(10)}
QUOTES = {"'": "\u2019", "`": "\u2018", "\u201c": '"', "\u201d": '"'}

# (class, what happens): in the order a changed word is tried against them; a word goes into the first class
# whose folding of the original gives what came back.
CLASSES = (
    ("internal code", "spellings the internal code folds for every format: the straight apostrophe comes back "
                      "curly, a two-part vowel sign composed (NFC), a ZWNJ between a bare consonant and a vowel"),
    ("no cell", "characters the Braille code has no cell for are not written: Latin letters, other scripts, "
                "zero width joiners and non-joiners, and signs such as the circumflex and tilde"),
    ("digits", "digits are written once for ASCII and Telugu digits and read back as Telugu digits"),
    ("quotes", "curly double quotation marks have the cells of the straight ones and come back straight"),
    ("same cells", "two texts with the same cells: the reader takes the reading of real Telugu text "
                   "(see the reading rules in src/braille/braille_converter.cpp)"),
)


class Folds:
    """What each class does to a word, measured on the library itself."""

    def __init__(self, library, middle):
        self.library = library
        self.middle = middle
        self._cellless = {}

    def cellless(self, c):
        """True for a character that the Braille encoder writes as nothing."""
        if c not in self._cellless:
            # Telugu letters and signs all have cells. Others are measured after a consonant without vowel
            # (after ka with its vowel, a joiner would have the inherent vowel written out).
            bare = "\u0c15\u0c4d"
            cells = self.library.convert((bare + c).encode("utf-8"), "UTF-8", self.middle)
            alone = self.library.convert(bare.encode("utf-8"), "UTF-8", self.middle)
            self._cellless[c] = not "\u0c00" <= c <= "\u0c7f" and cells == alone
        return self._cellless[c]

    def internal(self, word):
        return self.library.round_trip(word, "UTF-8")

    def no_cell(self, word):
        return "".join(c for c in word if not self.cellless(c))

    @staticmethod
    def digits(word):
        return "".join(TELUGU_DIGITS.get(c, c) for c in word)

    @staticmethod
    def quotes(word):
        return "".join(QUOTES.get(c, c) for c in word)


def classify(folds, word, back):
    """The first class whose folding (with the foldings before it) turns `word` into `back`; None if none."""
    steps = (folds.internal, folds.no_cell, folds.digits, folds.quotes)
    folded = word
    for (name, _), step in zip(CLASSES, steps):
        # Each folding goes through the internal code again (a joiner left out can leave a separator
        # needed), and spaces are not compared (a word left out whole takes its space with it).
        folded = folds.internal(step(folded))
        if "".join(folded.split()) == "".join(back.split()):
            return name
    return None


def word_changes(line, back):
    """(word, what came back) for every word of `line`; a word that vanished whole comes back as ''."""
    originals, returned = line.split(), back.split()
    matcher = difflib.SequenceMatcher(None, originals, returned, autojunk=False)
    for op, a, b, c, d in matcher.get_opcodes():
        if op == "equal" or b - a == d - c:
            yield from zip(originals[a:b], returned[c:d])
        elif op == "delete":
            yield from ((word, "") for word in originals[a:b])
        else:
            # Words merged or split by a change: the run counts as its words, each with the run's class.
            joined, came = " ".join(originals[a:b]), " ".join(returned[c:d])
            yield from ((joined, came) for _ in range(max(1, b - a)))


def measure(library, middle, check):
    folds = Folds(library, middle)
    failures = 0
    print(f"UTF-8 -> {middle} -> UTF-8")
    for sample, path, description in support.SAMPLES:
        words = unchanged = 0
        counts = Counter()
        examples = {}
        for line in support.read_sample(path):
            for word, came in word_changes(line, library.round_trip(line, middle)):
                words += 1
                if word == came:
                    unchanged += 1
                    continue
                kind = classify(folds, word, came) or "same cells"
                counts[kind] += 1
                examples.setdefault(kind, (word, came))
        share = 100.0 * unchanged / words
        print(f"  {description}: {unchanged:,} of {words:,} words unchanged ({share:.2f}%)")
        for name, _ in CLASSES:
            if counts[name]:
                before, after = examples[name]
                print(f"    {name}: {counts[name]:,} words, e.g. {before!r} -> {after!r}")
        if check and share < 99.0 and sample == "words":
            print("    fewer than 99% of the words come back unchanged")
            failures += 1
    return failures


ASCII_BY_DOTS = " A1B'K2L@CIF/MSP\"E3H9O6R^DJG>NTQ,*5<-U8V.%[$+X!&;:4\\0Z7(_?W]#Y)="


def cell_forms(library, check):
    """The ASCII and Unicode cells of every line agree pattern for pattern, and each converts into the other."""
    failures = 0
    print("BRAILLE <-> BRAILLE_UNICODE")
    for _, path, description in support.SAMPLES:
        lines = support.read_sample(path)
        agree = converted = 0
        for line in lines:
            ascii_cells = library.convert(line.encode("utf-8"), "UTF-8", "BRAILLE")
            unicode_cells = library.convert(line.encode("utf-8"), "UTF-8", "BRAILLE_UNICODE")
            patterns = "".join(chr(0x2800 + ASCII_BY_DOTS.index(c)) if c in ASCII_BY_DOTS else c
                               for c in ascii_cells.decode("ascii"))
            agree += unicode_cells.decode("utf-16-le") == patterns
            converted += (library.convert(ascii_cells, "BRAILLE", "BRAILLE_UNICODE") == unicode_cells and
                          library.convert(unicode_cells, "BRAILLE_UNICODE", "BRAILLE") == ascii_cells)
        print(f"  {description}: the two forms agree pattern for pattern on {agree:,} of {len(lines):,} lines; "
              f"each converts into the other exactly on {converted:,}")
        if check and agree != len(lines):
            failures += 1
    return failures


def main():
    parser = support.arguments(__doc__.split("\n")[0])
    parser.add_argument("--check", action="store_true", help="fail below 99%% of the words unchanged")
    parser.add_argument("--list", metavar="CLASS", help="print every changed word of this class")
    args = parser.parse_args()
    library = support.Library(args.library, args.tool)
    if args.list:
        folds = Folds(library, "BRAILLE")
        for _, path, _ in support.SAMPLES:
            for line in support.read_sample(path):
                for word, came in word_changes(line, library.round_trip(line, "BRAILLE")):
                    if word != came and (classify(folds, word, came) or "same cells") == args.list:
                        print(f"{word}\t{came}\t{library.convert(word.encode(), 'UTF-8', 'BRAILLE').decode()}")
        return 0
    failures = 0
    for name, _ in CLASSES:
        print(f"{name}: {dict(CLASSES)[name]}")
    print()
    for middle in [name for name in library.both_ways() if name.startswith("BRAILLE")]:
        failures += measure(library, middle, args.check)
    failures += cell_forms(library, args.check)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
