"""Shared by the round-trip measurements: the built library through ctypes, the format list and the text samples.

Standard library only. The library and the tool are the ones just built (`--library`, `--tool`, or the `build`
folder of the repository); the samples are the repository's own (`tests/data`), so no corpus is needed.
"""

import argparse
import ctypes
import subprocess
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
DATA = ROOT / "tests" / "data"
SAMPLES = (
    ("words", DATA / "te_words_sample.txt", "words of the Telugu dictionary sample"),
    ("text", DATA / "te_text_sample.txt", "lines of running text"),
)


def arguments(description):
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--library", default=str(ROOT / "build" / "libtirmok.so"), help="libtirmok.so to measure")
    parser.add_argument("--tool", default=str(ROOT / "build" / "tirmok"), help="the tirmok tool (lists the formats)")
    return parser


def read_sample(path):
    """The sample's lines without the header comment (lines starting with '#' before the first line of text)."""
    lines = path.read_text(encoding="utf-8").split("\n")
    while lines and lines[0].startswith("#"):
        lines.pop(0)
    return [line for line in lines if line]


def formats(tool):
    """(name, units, readable, writable) for every format, from `tirmok formats`."""
    rows = subprocess.run([tool, "formats"], check=True, capture_output=True, text=True).stdout.split("\n")[1:]
    result = []
    for row in rows:
        fields = row.split()
        if len(fields) >= 4:
            result.append((fields[0], fields[1], fields[2] == "yes", fields[3] == "yes"))
    return result


class Library:
    """LpxConvert on str (for the Unicode-based formats), bytes (for the 8-bit ones) in and out."""

    def __init__(self, path, tool):
        self._lib = ctypes.CDLL(path)
        self._lib.LpxConvert.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_void_p, ctypes.c_char_p,
                                         ctypes.c_int32]
        self._lib.LpxConvert.restype = ctypes.c_int32
        self._lib.LpxSetProperty.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
        self.formats = formats(tool)
        self._wide = {name for name, units, _, _ in self.formats if units.startswith("16")}

    def set_property(self, key, value):
        self._lib.LpxSetProperty(key.encode(), value.encode())

    def convert(self, data, source, target):
        """`data` is bytes in the source format (UTF-16LE for the 16-bit formats); so is the result."""
        terminator = b"\0\0" if source in self._wide else b"\0"
        given = ctypes.create_string_buffer(data + terminator, len(data) + len(terminator))
        size = self._lib.LpxConvert(given, source.encode(), None, target.encode(), 0)
        width = 2 if target in self._wide else 1
        output = ctypes.create_string_buffer(size * width + width)
        length = self._lib.LpxConvert(given, source.encode(), output, target.encode(), size)
        if length < 0:
            raise RuntimeError(f"{source} -> {target} failed")
        return output.raw[: length * width]

    def round_trip(self, text, middle):
        """UTF-8 -> middle -> UTF-8 of one line of text."""
        there = self.convert(text.encode("utf-8"), "UTF-8", middle)
        return self.convert(there, middle, "UTF-8").decode("utf-8", errors="replace")

    def both_ways(self):
        return [name for name, _, readable, writable in self.formats if readable and writable]
