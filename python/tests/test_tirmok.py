"""Tests of the Python package: conversions, errors, sort keys and dates, on real Telugu words."""

import io
import os
import subprocess
import sys
import unittest
from contextlib import redirect_stdout
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent))
import tirmok  # noqa: E402

ROOT = Path(__file__).resolve().parent.parent.parent
WORDS = [
    line
    for line in (ROOT / "tests" / "data" / "te_words_sample.txt").read_text(encoding="utf-8").splitlines()
    if line and not line.startswith("#")
]


class ConvertTest(unittest.TestCase):
    def test_examples(self):
        # U+0C15 TELUGU LETTER KA, U+0C3F VOWEL SIGN I
        self.assertEqual(tirmok.convert("\u0c15\u0c3f", "UTF-8", "TELTRANS"), "ki")
        self.assertEqual(tirmok.convert("\u0c15\u0c3f", "unicode", "LPXCODE"), bytes([122, 102]))
        self.assertEqual(tirmok.convert(bytes([122]), "LPXCODE", "UNICODE"), "\u0c15\u0c4d")
        self.assertEqual(tirmok.convert("sOmavAraM", "TELTRANS", "UTF-8"), "\u0c38\u0c4b\u0c2e\u0c35\u0c3e\u0c30\u0c02")

    def test_byte_formats_take_and_give_bytes(self):
        glyphs = tirmok.convert("\u0c15", "UTF-8", "ANSI")
        self.assertIsInstance(glyphs, bytes)
        self.assertEqual(tirmok.convert(glyphs, "ANSI", "UTF-8"), "\u0c15")
        with self.assertRaises(TypeError):
            tirmok.convert("text", "ANSI", "UTF-8")
        with self.assertRaises(TypeError):
            tirmok.convert(b"text", "UTF-8", "ANSI")

    def test_round_trips_on_real_words(self):
        for word in WORDS:
            self.assertEqual(tirmok.convert(tirmok.convert(word, "UTF-8", "UNICODE"), "UNICODE", "UTF-8"), word)
            lpx = tirmok.convert(word, "UTF-8", "LPXCODE")
            self.assertEqual(tirmok.convert(lpx, "LPXCODE", "UTF-8"), word)
            self.assertEqual(tirmok.convert(tirmok.convert(word, "UTF-8", "COLLCODE"), "COLLCODE", "LPXCODE"), lpx)

    def test_unknown_formats_raise_before_reaching_the_library(self):
        out = io.StringIO()
        with redirect_stdout(out):
            with self.assertRaises(ValueError):
                tirmok.convert("x", "XYZ", "UTF-8")
            with self.assertRaises(ValueError):
                tirmok.convert("x", "UTF-8", "XYZ")
            with self.assertRaises(ValueError):
                tirmok.compare("x", "y", "XYZ")
            self.assertEqual(tirmok.convert("K", "BRAILLE", "UTF-8"), "\u0c15")  # Braille is read too
            with self.assertRaises(ValueError):
                tirmok.convert("k", "UTF-8", "LPXKBD")
        self.assertEqual(out.getvalue(), "")

    def test_braille_properties_apply_to_one_call(self):
        digits = bytes([75, 76, 77])
        self.assertEqual(tirmok.convert(digits, "LPXCODE", "BRAILLE"), "#ABC")
        self.assertEqual(tirmok.convert(digits, "LPXCODE", "BRAILLE", nemeth=True), "#123")
        self.assertEqual(tirmok.convert(digits, "LPXCODE", "BRAILLE", subscript=True), ";ABC")
        self.assertEqual(tirmok.convert(digits, "LPXCODE", "BRAILLE"), "#ABC")

    def test_long_input_comes_back_whole(self):
        text = "\u0c15" * 100000
        self.assertEqual(len(tirmok.convert(text, "UTF-8", "TELTRANS")), 200000)


class CompareTest(unittest.TestCase):
    def test_examples(self):
        self.assertEqual(tirmok.compare("ka", "kha", "TELTRANS"), -1)
        self.assertEqual(tirmok.compare("kha", "ka", "TELTRANS"), 1)
        self.assertEqual(tirmok.compare("\u0c15", "ka", "UTF-8", "TELTRANS"), 0)

    def test_sort_key_orders_like_compare_and_like_the_tool(self):
        ordered = sorted(WORDS, key=tirmok.sort_key)
        for a, b in zip(ordered, ordered[1:]):
            self.assertLessEqual(tirmok.compare(a, b), 0, (a, b))
        tool = os.environ.get("TIRMOK_TOOL", str(ROOT / "build" / "tirmok"))
        if Path(tool).exists():
            result = subprocess.run(
                [tool, "sort"], input="\n".join(WORDS) + "\n", capture_output=True, text=True, check=True
            )
            self.assertEqual(result.stdout.splitlines(), ordered)


class DateTest(unittest.TestCase):
    def test_examples(self):
        self.assertEqual(tirmok.date_to_telugu("Sunday, 5 March 2010"), "AdivAraM, 5 mArci 2010")
        self.assertEqual(tirmok.date_to_english("AdivaaraM"), "SUNDAY")


if __name__ == "__main__":
    unittest.main()
