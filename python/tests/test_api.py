"""The package against the command-line tool on real words, its types and errors, and threads."""

import subprocess
import sys
import threading

import pytest

import tirmok
from tirmok import Format

WRITABLE = [f for f in Format if f.writable]
READABLE_BACK = [f for f in Format if f.readable and f.writable and f is not Format.UTF_8]


def tool_lines(tool, args, data: bytes) -> list:
    result = subprocess.run([tool, *args], input=data, capture_output=True, check=True)
    return result.stdout.split(b"\n")[:-1]


def as_python(line: bytes, fmt: Format):
    """A line of the tool's output as the package gives it (the tool writes 16-bit formats as UTF-8)."""
    if fmt.is_bytes:
        return line
    if fmt.unit_bytes == 2 or fmt in (Format.UTF_8, Format.ISO15919_UTF_8):
        return line.decode("utf-8")
    return line.decode("latin-1")


@pytest.mark.parametrize("target", WRITABLE, ids=str)
def test_convert_and_convert_many_equal_the_tool(tool, words, target):
    expected = [as_python(line, target) for line in
                tool_lines(tool, ["convert", "--from", "UTF-8", "--to", target.value], "\n".join(words).encode() + b"\n")]
    assert len(expected) == len(words)
    assert tirmok.convert_many(words, "UTF-8", target) == expected
    assert tirmok.convert_many(words, Format.UTF_8, target.value.lower(), batch_size=7) == expected
    assert [tirmok.convert(word, "utf-8", target) for word in words[:300]] == expected[:300]


@pytest.mark.parametrize("source", READABLE_BACK, ids=str)
def test_conversions_from_each_format_equal_the_tool(tool, words, source):
    texts = tirmok.convert_many(words, "UTF-8", source)
    data = b"".join((t if isinstance(t, bytes) else t.encode("utf-8" if source.unit_bytes == 2 or source is Format.ISO15919_UTF_8 else "latin-1")) + b"\n" for t in texts)
    expected = [line.decode("utf-8") for line in tool_lines(tool, ["convert", "--from", source.value, "--to", "UTF-8"], data)]
    assert tirmok.convert_many(texts, source, "UTF-8") == expected
    assert [tirmok.convert(text, source, "UTF-8") for text in texts[:200]] == expected[:200]


def test_sort_key_orders_like_the_tool_and_compare(tool, words):
    ordered = sorted(words, key=tirmok.sort_key)
    assert [line.decode() for line in tool_lines(tool, ["sort"], "\n".join(words).encode() + b"\n")] == ordered
    for a, b in zip(ordered[:400], ordered[1:401]):
        assert tirmok.compare(a, b) == (0 if tirmok.sort_key(a) == tirmok.sort_key(b) else -1)
        assert tirmok.compare(b, a) == -tirmok.compare(a, b)
    lpx = tirmok.convert(ordered[10], "UTF-8", "LPXCODE")
    assert tirmok.compare(lpx, ordered[10], Format.LPXCODE, "UTF-8") == 0


def test_format_enum_and_names():
    assert Format.UTF_8 == "UTF-8" and str(Format.ISO15919_UTF_8) == "ISO15919_UTF_8"
    assert Format.parse("iso15919_utf_8") is Format.ISO15919_UTF_8
    assert tirmok.FORMATS == tuple(f.value for f in Format) and len(tirmok.FORMATS) == 13
    assert tirmok.convert("కృష్ణ", Format.UTF_8, Format.ISO15919_UTF_8) == "kr̥ṣṇa"


def test_properties_are_keywords_for_one_call():
    digits = bytes([75, 76, 77])
    assert tirmok.convert(digits, "LPXCODE", "BRAILLE", nemeth=True) == "#123"
    assert tirmok.convert_many([digits, digits], "LPXCODE", "BRAILLE", superscript=True) == \
        [tirmok.convert(digits, "LPXCODE", "BRAILLE", LPX_KEY_SUPERSCRIPT="TRUE")] * 2
    assert tirmok.convert(digits, "LPXCODE", "BRAILLE") == "#ABC"


# The Python group of the fixes for text lost at the edges: each failed before (a '?' or a cut or an empty
# result) and must now raise or keep everything.
@pytest.mark.parametrize("call, error", [
    (lambda: tirmok.convert("తెలుగు", "TELTRANS", "UTF-8"), ValueError),
    (lambda: tirmok.convert("क", "LPXKBD", "UTF-8"), ValueError),
    (lambda: tirmok.date_to_english("సోమవారం"), ValueError),
    (lambda: tirmok.date_to_telugu("Monday ☀"), ValueError),
    (lambda: tirmok.convert_many(["ka", "తెలుగు"], "TELTRANS", "UTF-8"), ValueError),
    (lambda: tirmok.sort_key("తెలుగు", "TELTRANS"), ValueError),
    (lambda: tirmok.convert("\ud800", "UTF-8", "TELTRANS"), ValueError),
    (lambda: tirmok.convert(b"ka", "TELTRANS", "UTF-8"), TypeError),
    (lambda: tirmok.convert_many(["ka", b"kha"], "TELTRANS", "UTF-8"), TypeError),
    (lambda: tirmok.convert("ka", "TELTRANS", "UTF-8", colour=True), TypeError),
    (lambda: tirmok.convert("ka", "TELTRANS", "UTF_9"), ValueError),
    (lambda: tirmok.convert("ka", "TELTRANS", "INSCRIPT"), ValueError),
    (lambda: tirmok.compare("ka", "ka", "BRAILLE"), ValueError),
    (lambda: tirmok.convert_many(["ka"], "TELTRANS", "UTF-8", batch_size=0), ValueError),
])
def test_text_a_format_cannot_hold_raises(call, error):
    with pytest.raises(error):
        call()


@pytest.mark.parametrize("text, source, target, args", [
    ("క\0ఖ", "UTF-8", "TELTRANS", ["--from", "UTF-8", "--to", "TELTRANS"]),
    ("\0ka\0\0kha\0", "TELTRANS", "UNICODE", ["--from", "TELTRANS", "--to", "UNICODE"]),
    (b"z\0{", "LPXCODE", "UTF-8", ["--from", "LPXCODE", "--to", "UTF-8"]),
    ("క\0ఖ", "UTF-8", "ANSI", ["--from", "UTF-8", "--to", "ANSI"]),
])
def test_text_after_a_zero_is_kept_as_the_tool_keeps_it(tool, text, source, target, args):
    data = text if isinstance(text, bytes) else text.encode("utf-8" if source == "UTF-8" else "latin-1")
    expected = as_python(subprocess.run([tool, "convert", *args], input=data, capture_output=True, check=True).stdout,
                         Format.parse(target))
    assert tirmok.convert(text, source, target) == expected
    assert tirmok.convert_many([text[:1], text, text[:0]], source, target)[1] == expected
    assert len(expected) > 3


def test_dates_keep_text_after_a_zero():
    assert tirmok.date_to_telugu("Sunday\0Monday") == "AdivAraM\0sOmavAraM"
    assert tirmok.date_to_english("") == ""


OUT_OF_MEMORY = r"""
import resource, sys
resource.setrlimit(resource.RLIMIT_AS, (900 << 20, 900 << 20))
import tirmok
text = "k" * 20_000_000
try:
    result = tirmok.convert(text, "TELTRANS", "UTF-8")
except MemoryError:
    print("MemoryError")
else:
    # Enough memory after all: then the result must be whole.
    print("whole" if result == tirmok.convert("k", "TELTRANS", "UTF-8") * 20_000_000 else "wrong %d" % len(result))
"""


def test_out_of_memory_is_memory_error_never_an_empty_result():
    result = subprocess.run([sys.executable, "-c", OUT_OF_MEMORY], capture_output=True, text=True, timeout=300)
    assert result.returncode == 0, result.stderr
    assert result.stdout.strip() in ("MemoryError", "whole")


def test_threads_convert_at_once_with_the_results_of_one(words):
    expected = {target: tirmok.convert_many(words, "UTF-8", target) for target in ("TELTRANS", "UNICODE", "ANSI")}
    failures = []

    def work(index):
        target = list(expected)[index % 3]
        for _ in range(3):
            if index % 2:
                got = tirmok.convert_many(words, "UTF-8", target, batch_size=100)
            else:
                got = [tirmok.convert(word, "UTF-8", target) for word in words[:500]]
            if got != expected[target][: len(got)]:
                failures.append((index, target))
            if sorted(words[:300], key=tirmok.sort_key) != sorted(words[:300], key=tirmok.sort_key):
                failures.append((index, "sort"))

    threads = [threading.Thread(target=work, args=(i,)) for i in range(8)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert failures == []


@pytest.mark.parametrize("args, stdin", [
    (["convert", "--from", "UTF-8", "--to", "ISO15919_UTF_8"], "కృష్ణ\nతెలుగు\n"),
    (["sort"], "ఖగం\nకలం\nఅమ్మ\n"),
    (["compare", "--format", "UTF-8", "కలం", "ఖగం"], ""),
    (["date", "Monday, 5 March 2010 10:30 AM"], ""),
    (["date", "--to-english"], "sOmavAraM\n"),
    (["formats"], ""),
    (["convert", "--from", "XYZ", "--to", "UTF-8"], "x"),
    (["convert", "--from", "UTF-8", "--to", "TELTRANS", "/nonexistent/file"], ""),
    (["frobnicate"], ""),
])
def test_python_m_tirmok_is_the_tool(tool, args, stdin):
    expected = subprocess.run([tool, *args], input=stdin.encode(), capture_output=True)
    got = subprocess.run([sys.executable, "-m", "tirmok", *args], input=stdin.encode(), capture_output=True)
    assert (got.returncode, got.stdout, got.stderr) == (expected.returncode, expected.stdout, expected.stderr)


def test_results_longer_than_the_first_buffer_are_redone_whole(monkeypatch, words):
    expected = tirmok.convert_many(words[:500], "UTF-8", "UNICODE")
    monkeypatch.setattr(tirmok._core, "_first_capacity", lambda units: 3)
    assert tirmok.convert_many(words[:500], "UTF-8", "UNICODE") == expected
    assert [tirmok.convert(word, "UTF-8", "UNICODE") for word in words[:50]] == expected[:50]


@pytest.mark.parametrize("raw", [b"\xff\xfe\xe0\xb0\x95 \xe0\xb0", "😀క\u200dఖ\ufeff".encode(), b"\xed\xa0\x80\xe0\xb0\x95"],
                         ids=["invalid", "astral", "encoded-surrogate"])
@pytest.mark.parametrize("target", ["TELTRANS", "UNICODE", "UTF-8", "ISO15919_UTF_8"])
def test_utf8_text_that_is_not_plain_unicode_converts_as_the_tool_converts_its_bytes(tool, raw, target):
    text = raw.decode("utf-8", "surrogateescape")
    expected = as_python(subprocess.run([tool, "convert", "--from", "UTF-8", "--to", target], input=raw,
                                        capture_output=True, check=True).stdout, Format.parse(target))
    assert tirmok.convert(text, "UTF-8", target) == expected
    assert tirmok.convert_many([text, "క"], "UTF-8", target)[0] == expected


@pytest.mark.parametrize("target", ["UTF-8", "ISO15919_UTF_8"])
def test_lone_surrogates_on_the_way_out_are_written_as_the_tool_writes_them(tool, target):
    raw = "క".encode("utf-16-le") + b"\x00\xd8" + "ఖ".encode("utf-16-le")
    expected = subprocess.run([tool, "convert", "--utf16", "--from", "UNICODE", "--to", target], input=raw,
                              capture_output=True, check=True).stdout.decode("utf-8")
    text = raw.decode("utf-16-le", "surrogatepass")
    assert tirmok.convert(text, "UNICODE", target) == expected
    assert tirmok.convert_many(["క", text], "UNICODE", target) == [tirmok.convert("క", "UNICODE", target), expected]
