"""ctypes binding of libtirmok.so: the four C functions behind a Pythonic interface."""

import ctypes
import os
import sys
from pathlib import Path

FORMATS = (
    "TELTRANS",
    "LPXCODE",
    "LPXKBD",
    "INSCRIPT",
    "ANSI",
    "UNICODE",
    "UTF-8",
    "COLLCODE",
    "ISO15919_ANSI",
    "ISO15919",
    "ISO15919_UTF_8",
    "BRAILLE",
    "BRAILLE_UNICODE",
)
WIDE_FORMATS = frozenset({"UNICODE", "COLLCODE", "ISO15919", "BRAILLE_UNICODE"})
BYTE_FORMATS = frozenset({"ANSI", "ISO15919_ANSI", "LPXCODE"})
INPUT_FORMATS = frozenset(FORMATS)
OUTPUT_FORMATS = frozenset(FORMATS) - {"LPXKBD", "INSCRIPT"}
COMPARABLE_FORMATS = frozenset(FORMATS) - {"LPXKBD", "INSCRIPT", "ISO15919_UTF_8", "BRAILLE", "BRAILLE_UNICODE"}

_PROPERTY_KEYS = {
    "nemeth": "LPX_KEY_NEMETH",
    "subscript": "LPX_KEY_SUBSCRIPT",
    "superscript": "LPX_KEY_SUPERSCRIPT",
    "language": "LPX_KEY_LANGUAGE",
}


def _candidates():
    env = os.environ.get("TIRMOK_LIBRARY")
    if env:
        yield Path(env)
    here = Path(__file__).resolve().parent
    yield here / "libtirmok.so"
    root = here.parent.parent
    for build in ("build", "build-release", "build-sanitize"):
        yield root / build / "libtirmok.so"


def _load():
    tried = []
    for path in _candidates():
        tried.append(str(path))
        if path.is_file():
            lib = ctypes.CDLL(str(path))
            lib.LpxConvert.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int32]
            lib.LpxConvert.restype = ctypes.c_int32
            lib.LpxCompare.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_void_p, ctypes.c_char_p]
            lib.LpxCompare.restype = ctypes.c_int32
            lib.LpxDateConvert.argtypes = [ctypes.c_char_p, ctypes.c_int32, ctypes.c_char_p, ctypes.c_int32]
            lib.LpxDateConvert.restype = ctypes.c_int32
            lib.LpxSetProperty.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
            lib.LpxSetProperty.restype = ctypes.c_int32
            lib.TirmokConvert.argtypes = [
                ctypes.c_void_p, ctypes.c_char_p, ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int32,
                ctypes.POINTER(ctypes.c_char_p),
            ]
            lib.TirmokConvert.restype = ctypes.c_int32
            lib.TirmokSortKey.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_char_p, ctypes.c_int32]
            lib.TirmokSortKey.restype = ctypes.c_int32
            return lib
    raise ImportError("libtirmok.so not found; set TIRMOK_LIBRARY. Looked in: " + ", ".join(tried))


_lib = _load()


def _format(name, role):
    if not isinstance(name, str):
        raise TypeError(f"{role} format must be a str, not {type(name).__name__}")
    upper = name.upper()
    if upper not in FORMATS:
        raise ValueError(f"unknown {role} format {name!r}; valid formats: {', '.join(FORMATS)}")
    return upper


def _encode(text, fmt):
    """The library's zero-terminated string for `text` in format `fmt`."""
    if fmt in BYTE_FORMATS:
        if not isinstance(text, (bytes, bytearray)):
            raise TypeError(f"{fmt} text must be bytes, not {type(text).__name__}")
        data = bytes(text)
        return data.split(b"\0", 1)[0] + b"\0"
    if not isinstance(text, str):
        raise TypeError(f"{fmt} text must be a str, not {type(text).__name__}")
    text = text.split("\0", 1)[0]
    if fmt in WIDE_FORMATS:
        return text.encode("utf-16-le", "surrogatepass") + b"\0\0"
    if fmt in ("UTF-8", "ISO15919_UTF_8"):
        return text.encode("utf-8", "surrogateescape") + b"\0"
    # The remaining text formats are ASCII schemes; other characters are
    # carried as Latin-1 bytes, which the converters drop or escape.
    return text.encode("latin-1", "replace") + b"\0"


def _decode(data, fmt):
    if fmt in BYTE_FORMATS:
        return data
    if fmt in WIDE_FORMATS:
        return data.decode("utf-16-le", "surrogatepass")
    if fmt in ("UTF-8", "ISO15919_UTF_8"):
        return data.decode("utf-8", "replace")
    return data.decode("latin-1")


def _property_list(properties):
    """The properties as the library's null-terminated list of keys and values."""
    items = []
    for key, value in properties.items():
        if isinstance(value, bool):
            value = "TRUE" if value else "FALSE"
        items += [_PROPERTY_KEYS.get(key, key).encode("ascii"), str(value).encode("utf-8")]
    array = (ctypes.c_char_p * (len(items) + 1))(*items, None)
    return array


def convert(text, from_format, to_format, **properties):
    """Converts `text` from one format to another and returns the whole result.

    Properties: nemeth, subscript, superscript (Braille, True/False) and
    language (INSCRIPT layout variant), or the LPX_KEY_... names themselves.
    """
    source = _format(from_format, "input")
    target = _format(to_format, "output")
    if source not in INPUT_FORMATS:
        raise ValueError(f"{source} can only be written, not read")
    if target not in OUTPUT_FORMATS:
        raise ValueError(f"{target} can only be read, not written")
    data = _encode(text, source)
    width = 2 if target in WIDE_FORMATS else 1
    # Properties go with this call only; the library's own store is not touched.
    props = _property_list(properties)
    size = _lib.TirmokConvert(data, source.encode(), None, target.encode(), 0, props)
    if size <= 0:
        raise ValueError("input too large for the library")
    while True:
        buffer = ctypes.create_string_buffer(size * width)
        n = _lib.TirmokConvert(data, source.encode(), buffer, target.encode(), size, props)
        # A result that fills the buffer may have been cut: give it more room.
        if n + 1 < size:
            break
        size *= 2
    return _decode(buffer.raw[: n * width], target)


def compare(a, b, format="UTF-8", format_b=None):
    """-1, 0 or 1 as `a` sorts before, equal to or after `b` in Telugu dictionary order."""
    fa = _format(format, "first")
    fb = _format(format_b if format_b is not None else format, "second")
    for f in (fa, fb):
        if f not in COMPARABLE_FORMATS:
            raise ValueError(f"{f} cannot be compared; comparable formats: {', '.join(sorted(COMPARABLE_FORMATS))}")
    return _lib.LpxCompare(_encode(a, fa), fa.encode(), _encode(b, fb), fb.encode())


def sort_key(text, format="UTF-8"):
    """A bytes key that sorts like `compare`: sorted(words, key=tirmok.sort_key)."""
    fmt = _format(format, "input")
    if fmt not in COMPARABLE_FORMATS:
        raise ValueError(f"{fmt} cannot be compared; comparable formats: {', '.join(sorted(COMPARABLE_FORMATS))}")
    data = _encode(text, fmt)
    size = _lib.TirmokSortKey(data, fmt.encode(), None, 0)
    if size < 0:
        raise ValueError(f"cannot make a sort key for {fmt} text")
    buffer = ctypes.create_string_buffer(max(size, 1))
    _lib.TirmokSortKey(data, fmt.encode(), buffer, size)
    return buffer.raw[:size]


def _date(phrase, from_english):
    if not isinstance(phrase, str):
        raise TypeError(f"phrase must be a str, not {type(phrase).__name__}")
    data = phrase.split("\0", 1)[0].encode("latin-1", "replace") + b"\0"
    size = 4 * len(data) + 64
    while True:
        buffer = ctypes.create_string_buffer(size)
        n = _lib.LpxDateConvert(data, 1 if from_english else 0, buffer, size)
        if n + 40 < size:
            return buffer.raw[:n].decode("latin-1")
        size *= 2


def date_to_telugu(phrase):
    """English weekday and month names and AM/PM to Telugu words (TELTRANS)."""
    return _date(phrase, True)


def date_to_english(phrase):
    """Telugu date words (TELTRANS) to English names."""
    return _date(phrase, False)
