"""Conversion, comparison, sort keys and dates over the library's C functions, with Python's types and errors.

Text passes to the library as it is stored there: UTF-16 for UNICODE, COLLCODE and ISO15919, UTF-8 for UTF-8 and
ISO15919_UTF_8, Latin-1 bytes for the ASCII schemes (TELTRANS, LPXKBD, INSCRIPT, BRAILLE) and the caller's bytes
for ANSI, ISO15919_ANSI and LPXCODE. A zero unit ends a string in the library, so text holding zero units is
converted piece by piece with the zero units kept between the pieces, as the command-line tool does.
"""

from __future__ import annotations

import ctypes
import itertools
import mmap
from typing import Callable, Iterable, List, Optional, Sequence, Tuple, Type, TypeVar, Union

from . import _native
from ._formats import Format, FormatLike

Text = Union[str, bytes]
T = TypeVar("T", str, bytes)

_INT32_MAX = 2**31 - 1
# Output buffers from this size on are mapped pages, which the system zero-fills only where the library writes,
# so a generous first guess costs address space, not memory.
_MAPPED_FROM = 1 << 20
_UTF8 = frozenset({Format.UTF_8, Format.ISO15919_UTF_8})
_PROPERTY_KEYS = {
    "nemeth": "LPX_KEY_NEMETH",
    "subscript": "LPX_KEY_SUBSCRIPT",
    "superscript": "LPX_KEY_SUPERSCRIPT",
    "language": "LPX_KEY_LANGUAGE",
}


def _directions(from_format: FormatLike, to_format: FormatLike) -> Tuple[Format, Format]:
    source = Format.parse(from_format, "input")
    target = Format.parse(to_format, "output")
    if not source.readable:
        raise ValueError(f"{source} can only be written, not read")
    if not target.writable:
        raise ValueError(f"{target} can only be read, not written")
    return source, target


def _comparable(format: FormatLike, role: str) -> Format:
    parsed = Format.parse(format, role)
    if not parsed.comparable:
        names = ", ".join(member.value for member in Format if member.comparable)
        raise ValueError(f"{parsed} text cannot be compared; comparable formats: {names}")
    return parsed


def _zero(fmt: Format) -> Text:
    return b"\0" if fmt.is_bytes else "\0"


def _check_type(text: object, fmt: Format) -> None:
    if fmt.is_bytes:
        if not isinstance(text, (bytes, bytearray)):
            raise TypeError(f"{fmt} text must be bytes, not {type(text).__name__}")
    elif not isinstance(text, str):
        raise TypeError(f"{fmt} text must be a str, not {type(text).__name__}")


def _encode(text: Text, fmt: Format) -> bytes:
    """The library's units of `text` (type already checked), without a terminator."""
    if fmt.is_bytes:
        return bytes(text)  # type: ignore[arg-type]
    assert isinstance(text, str)
    if fmt.unit_bytes == 2:
        return text.encode("utf-16-le", "surrogatepass")
    try:
        if fmt in _UTF8:
            # Bytes that were not UTF-8 when read (decoded with surrogateescape) go back as they came.
            return text.encode("utf-8", "surrogateescape")
        return text.encode("latin-1")
    except UnicodeEncodeError as error:
        what = "a lone surrogate" if fmt in _UTF8 else "only characters up to U+00FF"
        message = f"{fmt} text cannot hold {text[error.start]!r} at index {error.start}"
        if fmt not in _UTF8:
            message += f" ({fmt} holds {what}; Telugu script is UTF-8 or UNICODE)"
        raise ValueError(message) from None


# The library reads UTF-8 by turning it into UTF-16 first and writes UTF-8 from UTF-16, so text without lone
# surrogates goes in and comes out as UTF-16: the same converters see the same text, and Python encodes and
# decodes UTF-16 far faster than UTF-8.
_UTF16_FORM = {Format.UTF_8: Format.UNICODE, Format.ISO15919_UTF_8: Format.ISO15919}


def _library_form(text: Text, fmt: Format) -> Tuple[bytes, Format]:
    """`text` as the library takes it, and the format to name: `_encode`, or UTF-16 for UTF-8 text that allows it."""
    if fmt in _UTF16_FORM:
        try:
            return text.encode("utf-16-le"), _UTF16_FORM[fmt]  # type: ignore[union-attr]
        except UnicodeEncodeError:  # lone surrogates: the UTF-8 path decides what becomes of them
            pass
    return _encode(text, fmt), fmt


def _decode(raw: Union[bytes, memoryview], fmt: Format) -> Text:
    if fmt.is_bytes:
        return bytes(raw)
    if fmt.unit_bytes == 2:
        return str(raw, "utf-16-le", "surrogatepass")
    if fmt in _UTF8:
        return str(raw, "utf-8", "surrogateescape")
    return str(raw, "latin-1")


def _terminated(data: bytes, fmt: Format) -> bytes:
    # A bytes object always has a zero byte after its end, which terminates 8-bit strings without a copy;
    # UTF-16 strings need a second one.
    return data + b"\0" if fmt.unit_bytes == 2 else data


def _properties(
    nemeth: Optional[bool], subscript: Optional[bool], superscript: Optional[bool], language: Optional[str], keys: dict
) -> Optional[ctypes.Array]:
    """The per-call properties as the library's null-terminated list of keys and values, or None for none."""
    given = {"nemeth": nemeth, "subscript": subscript, "superscript": superscript, "language": language}
    items: List[bytes] = []
    for name, value in itertools.chain(given.items(), keys.items()):
        if value is None:
            continue
        key = _PROPERTY_KEYS.get(name, name)
        if not key.startswith("LPX_KEY_"):
            raise TypeError(f"unknown property {name!r}; properties: nemeth, subscript, superscript, language")
        if isinstance(value, bool):
            value = "TRUE" if value else "FALSE"
        if not isinstance(value, str):
            raise TypeError(f"property {name} must be a bool or str, not {type(value).__name__}")
        if "\0" in value:
            raise ValueError(f"property {name} holds a zero character")
        items += [key.encode("ascii"), value.encode("utf-8")]
    if not items:
        return None
    return (ctypes.c_char_p * (len(items) + 1))(*items, None)


class _Output:
    """An output buffer of `size` bytes for the library to write into."""

    def __init__(self, size: int) -> None:
        size = max(size, 2)
        self._map: Optional[mmap.mmap] = None
        if size >= _MAPPED_FROM:
            self._map = mmap.mmap(-1, size)
            self._array = (ctypes.c_char * size).from_buffer(self._map)
        else:
            self._array = ctypes.create_string_buffer(size)
        self.address = ctypes.addressof(self._array)

    def view(self, length: int) -> memoryview:
        return memoryview(self._map if self._map is not None else self._array).cast("B")[:length]


def _first_capacity(units: int) -> int:
    # Most conversions give at most a few output units per input unit (a lone consonant byte becomes a
    # consonant and a virama in UTF-8); a result that does not fit is redone with the exact size.
    return min(8 * units + 64, _INT32_MAX)


def _raise_for(status: int, what: str) -> None:
    if status == _native.OUT_OF_MEMORY:
        raise MemoryError(f"out of memory while converting {what}")
    if status == _native.INVALID_ARGUMENT:
        raise ValueError(f"the library refused to convert {what}")
    raise RuntimeError(f"the library gave the unknown status {status} while converting {what}")


def _convert_units(data: bytes, source: Format, target: Format, properties: Optional[ctypes.Array]) -> Text:
    """One zero-free string's conversion, whole, or an exception."""
    form = _UTF16_FORM.get(target)
    if form is not None:
        try:
            return _convert_units_as(data, source, form, properties, strict=True)
        except UnicodeDecodeError:  # a lone surrogate, which the UTF-8 form writes as U+FFFD
            pass
    return _convert_units_as(data, source, target, properties)


def _convert_units_as(data: bytes, source: Format, target: Format, properties: Optional[ctypes.Array],
                      strict: bool = False) -> Text:
    units = len(data) // source.unit_bytes
    what = f"{units} units of {source} to {target}"
    if units > _INT32_MAX - 1:
        raise ValueError(f"text too long: the library converts at most {_INT32_MAX - 1} units at once, not {units}")
    terminated = _terminated(data, source)
    capacity = _first_capacity(units)
    status, required = ctypes.c_int32(), ctypes.c_int32()
    while True:
        output = _Output(capacity * target.unit_bytes)
        length = _native.lib.TirmokConvertStatus(
            terminated, source.value.encode(), output.address, target.value.encode(), capacity, properties,
            ctypes.byref(status), ctypes.byref(required),
        )
        if status.value == _native.DONE:
            view = output.view(length * target.unit_bytes)
            return str(view, "utf-16-le") if strict else _decode(view, target)
        if status.value == _native.CUT and capacity < required.value:
            capacity = required.value
            continue
        _raise_for(status.value, what)


def convert(
    text: T,
    from_format: FormatLike,
    to_format: FormatLike,
    *,
    nemeth: Optional[bool] = None,
    subscript: Optional[bool] = None,
    superscript: Optional[bool] = None,
    language: Optional[str] = None,
    **keys: Union[str, bool],
) -> Text:
    """Converts `text` from one format to another and returns the whole result.

    Text formats take and give ``str``; ANSI, ISO15919_ANSI and LPXCODE take and give ``bytes``. Zero characters
    are kept, with the text between them converted piece by piece.

    Properties apply to this call only: `nemeth`, `subscript` and `superscript` choose Braille's number and
    index signs, `language` the INSCRIPT layout variant; other library keys can be given by name
    (``LPX_KEY_...="value"``).

    Raises TypeError for text of the wrong type, ValueError for an unknown format, a direction the format lacks
    or text the input format cannot hold (Telugu script as TELTRANS, say), MemoryError when memory runs out.

    >>> convert("కృష్ణ", "UTF-8", Format.ISO15919_UTF_8)
    'kr̥ṣṇa'
    """
    source, target = _directions(from_format, to_format)
    _check_type(text, source)
    properties = _properties(nemeth, subscript, superscript, language, keys)
    zero = _zero(source)
    if zero not in text:
        return _convert_units(*_library_form(text, source), target, properties)
    pieces = [_convert_units(*_library_form(piece, source), target, properties) for piece in text.split(zero)]
    return _zero(target).join(pieces)  # type: ignore[arg-type]


def convert_many(
    texts: Iterable[T],
    from_format: FormatLike,
    to_format: FormatLike,
    *,
    batch_size: int = 8192,
    nemeth: Optional[bool] = None,
    subscript: Optional[bool] = None,
    superscript: Optional[bool] = None,
    language: Optional[str] = None,
    **keys: Union[str, bool],
) -> List[Text]:
    """Converts every text of `texts` as `convert` would, and returns the results in order.

    The texts go to the library `batch_size` at a time, each batch in one call, so there is no per-text call
    overhead. Raises as `convert` does; an error names the text that caused it.

    >>> convert_many(["ka", "kha"], "TELTRANS", "UTF-8")
    ['క', 'ఖ']
    """
    if batch_size < 1:
        raise ValueError("batch_size must be at least 1")
    source, target = _directions(from_format, to_format)
    properties = _properties(nemeth, subscript, superscript, language, keys)
    results: List[Text] = []
    iterator = iter(texts)
    while True:
        batch = list(itertools.islice(iterator, batch_size))
        if not batch:
            return results
        results.extend(_convert_batch(batch, source, target, properties))


def _convert_batch(batch: Sequence[Text], source: Format, target: Format, properties: Optional[ctypes.Array]) -> List[Text]:
    zero = _zero(source)
    try:
        joined = zero.join(batch)  # type: ignore[arg-type]
    except TypeError:
        _name_the_failing_text(batch, lambda item: _check_type(item, source), TypeError)
        raise
    # Zero units inside a text split it into pieces of its own; the pieces are joined again afterwards.
    counts = None
    if joined.count(zero) != len(batch) - 1:  # type: ignore[arg-type]
        counts = [item.count(zero) + 1 for item in batch]  # type: ignore[arg-type]
    try:
        data, form = _library_form(joined, source)
    except ValueError:
        _name_the_failing_text(batch, lambda item: _encode(item, source), ValueError)
        raise
    units = len(data) // form.unit_bytes + 1
    if units > _INT32_MAX:
        if len(batch) == 1:
            raise ValueError(f"text too long: the library converts at most {_INT32_MAX - 1} units at once")
        half = len(batch) // 2
        return _convert_batch(batch[:half], source, target, properties) + _convert_batch(
            batch[half:], source, target, properties
        )
    pieces = None
    if target in _UTF16_FORM:
        try:
            pieces = _run_batch(data, units, form, _UTF16_FORM[target], properties, strict=True)
        except UnicodeDecodeError:  # a lone surrogate, which the UTF-8 form writes as U+FFFD
            pass
    if pieces is None:
        pieces = _run_batch(data, units, form, target, properties)
    if counts is None:
        return pieces
    out_zero = _zero(target)
    results, start = [], 0
    for count in counts:
        results.append(out_zero.join(pieces[start : start + count]))  # type: ignore[arg-type]
        start += count
    return results


def _name_the_failing_text(batch: Sequence[Text], check: Callable[[Text], object], kind: Type[Exception]) -> None:
    """Raises `check`'s error for the first text of `batch` that fails it, with the text's index."""
    for index, item in enumerate(batch):
        try:
            check(item)
        except kind as error:
            raise kind(f"text {index}: {error}") from None


def _run_batch(data: bytes, units: int, source: Format, target: Format, properties: Optional[ctypes.Array],
               strict: bool = False) -> List[Text]:
    """The results of the zero-terminated strings stored back to back in `data` (`units` units in all)."""
    terminated = _terminated(data, source)
    base = ctypes.cast(terminated, ctypes.c_void_p).value or 0
    width = target.unit_bytes
    consumed, written = ctypes.c_int32(), ctypes.c_int32()
    status, required = ctypes.c_int32(), ctypes.c_int32()
    chunks: List[bytes] = []
    offset = 0
    capacity = _first_capacity(units)
    while offset < units:
        output = _Output(capacity * width)
        _native.lib.TirmokConvertBatch(
            base + offset * source.unit_bytes, units - offset, source.value.encode(), output.address,
            target.value.encode(), capacity, properties, ctypes.byref(consumed), ctypes.byref(written),
            ctypes.byref(status), ctypes.byref(required),
        )
        chunks.append(output.view(written.value * width).tobytes())
        offset += consumed.value
        if status.value == _native.DONE:
            break
        if status.value != _native.CUT:
            _raise_for(status.value, f"a batch of {source} text to {target}")
        # The next result did not fit: continue with a buffer that holds it.
        capacity = max(capacity, required.value)
    del terminated
    joined = b"".join(chunks)
    text = str(joined, "utf-16-le") if strict else _decode(joined, target)
    # Every result ends with a terminator, so the last piece of the split is empty.
    return text.split(_zero(target))[:-1]  # type: ignore[arg-type]


def sort_key(text: T, format: FormatLike = Format.UTF_8) -> bytes:
    """Bytes that order like `compare`: ``sorted(words, key=tirmok.sort_key)`` sorts in Telugu dictionary order.

    Raises ValueError for a format that cannot be compared, and as `convert` does for text the format cannot hold.
    """
    fmt = _comparable(format, "input")
    _check_type(text, fmt)
    data = _encode(text.split(_zero(fmt), 1)[0], fmt)  # type: ignore[arg-type]
    terminated = _terminated(data, fmt)
    name = fmt.value.encode()
    size = _native.lib.TirmokSortKey(terminated, name, None, 0)
    while size >= 0:
        key = ctypes.create_string_buffer(max(size, 1))
        written = _native.lib.TirmokSortKey(terminated, name, key, size)
        if written == size:
            return key.raw[:size]
        size = written
    raise MemoryError(f"out of memory while making the sort key of {len(data) // fmt.unit_bytes} units")


def compare(a: T, b: T, format: FormatLike = Format.UTF_8, format_b: Optional[FormatLike] = None) -> int:
    """-1, 0 or 1 as `a` sorts before, equal to or after `b` in Telugu dictionary order.

    `format` is the format of `a`, and of `b` too unless `format_b` names another.

    >>> compare("ka", "kha", "TELTRANS")
    -1
    """
    key_a = sort_key(a, _comparable(format, "first"))
    key_b = sort_key(b, _comparable(format_b if format_b is not None else format, "second"))
    return (key_a > key_b) - (key_a < key_b)


def _date(phrase: str, from_english: bool) -> str:
    if not isinstance(phrase, str):
        raise TypeError(f"phrase must be a str, not {type(phrase).__name__}")
    return "\0".join(_date_piece(piece, from_english) for piece in phrase.split("\0"))


def _date_piece(piece: str, from_english: bool) -> str:
    try:
        data = piece.encode("latin-1")
    except UnicodeEncodeError as error:
        raise ValueError(
            f"date phrases are English words or Telugu in TELTRANS; {piece[error.start]!r} at index {error.start} is "
            "neither (convert Telugu script to TELTRANS first)"
        ) from None
    if not data:
        return ""
    # Telugu words are up to four times as long as the English ones ("AM" is "pUrvAhna"); a longer result is
    # redone with the exact size.
    size = 4 * len(data) + 64
    status, required = ctypes.c_int32(), ctypes.c_int32()
    while True:
        buffer = ctypes.create_string_buffer(size)
        length = _native.lib.TirmokDateConvertStatus(
            data, 1 if from_english else 0, buffer, size, ctypes.byref(status), ctypes.byref(required)
        )
        if status.value == _native.DONE:
            return buffer.raw[:length].decode("latin-1")
        if status.value == _native.CUT and size < required.value:
            size = required.value
            continue
        _raise_for(status.value, f"a date phrase of {len(data)} characters")


def date_to_telugu(phrase: str) -> str:
    """Replaces English weekday and month names and AM/PM by Telugu words in TELTRANS.

    >>> date_to_telugu("Sunday, 5 March 2010")
    'AdivAraM, 5 mArci 2010'
    """
    return _date(phrase, True)


def date_to_english(phrase: str) -> str:
    """Replaces Telugu date words, written in TELTRANS, by English names.

    Raises ValueError for Telugu script: convert it to TELTRANS first.

    >>> date_to_english("sOmavAraM")
    'MONDAY'
    """
    return _date(phrase, False)
