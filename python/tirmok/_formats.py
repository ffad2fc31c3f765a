"""The text formats and what each one is: its units, its Python type, and which ways it converts."""

from __future__ import annotations

import enum
from typing import Union


class Format(str, enum.Enum):
    """A text format the library reads or writes.

    Members compare equal to their names (``Format.UTF_8 == "UTF-8"``), and every function that takes a format
    also takes its name as a string, in any case.
    """

    TELTRANS = "TELTRANS"
    """Case-sensitive ASCII transliteration (``str``)."""
    LPXCODE = "LPXCODE"
    """The library's internal 8-bit code (``bytes``)."""
    LPXKBD = "LPXKBD"
    """Phonetic keyboard typing scheme (``str``; input only)."""
    INSCRIPT = "INSCRIPT"
    """INSCRIPT keyboard layout keystrokes (``str``; input only)."""
    ANSI = "ANSI"
    """8-bit glyph encoding of legacy Telugu display fonts (``bytes``)."""
    UNICODE = "UNICODE"
    """Unicode text (``str``; UTF-16 inside the library)."""
    UTF_8 = "UTF-8"
    """Unicode text (``str``; UTF-8 inside the library)."""
    COLLCODE = "COLLCODE"
    """Collation code: private-use characters in dictionary order (``str``)."""
    ISO15919_ANSI = "ISO15919_ANSI"
    """ISO 15919 romanisation in an 8-bit form (``bytes``)."""
    ISO15919 = "ISO15919"
    """ISO 15919 romanisation (``str``; UTF-16 inside the library)."""
    ISO15919_UTF_8 = "ISO15919_UTF_8"
    """ISO 15919 romanisation (``str``; UTF-8 inside the library)."""
    BRAILLE = "BRAILLE"
    """North American ASCII Braille (``str``)."""
    BRAILLE_UNICODE = "BRAILLE_UNICODE"
    """The same Braille cells as Unicode Braille patterns, U+2800 to U+283F (``str``; UTF-16 inside the library)."""

    def __str__(self) -> str:
        return self.value

    @classmethod
    def parse(cls, name: FormatLike, role: str = "") -> Format:
        """The format named `name` (a `Format` or its name in any case); ValueError for an unknown name."""
        if isinstance(name, Format):
            return name
        if not isinstance(name, str):
            raise TypeError(f"{role + ' ' if role else ''}format must be a Format or str, not {type(name).__name__}")
        try:
            return cls(name.upper())
        except ValueError:
            pass
        valid = ", ".join(item.value for item in cls)
        raise ValueError(f"unknown {role + ' ' if role else ''}format {name!r}; valid formats: {valid}")

    @property
    def unit_bytes(self) -> int:
        """Bytes per unit of the format's strings inside the library (2 for the UTF-16 formats)."""
        return 2 if self in _WIDE else 1

    @property
    def is_bytes(self) -> bool:
        """True for the formats whose text is ``bytes`` in Python (ANSI, ISO15919_ANSI, LPXCODE)."""
        return self in _BYTES

    @property
    def readable(self) -> bool:
        """True when text can be converted from this format."""
        return True

    @property
    def writable(self) -> bool:
        """True when text can be converted to this format."""
        return self not in (Format.LPXKBD, Format.INSCRIPT)

    @property
    def comparable(self) -> bool:
        """True when text of this format can be compared and given sort keys."""
        return self not in (Format.LPXKBD, Format.INSCRIPT, Format.ISO15919_UTF_8, Format.BRAILLE,
                            Format.BRAILLE_UNICODE)


FormatLike = Union[Format, str]

_WIDE = frozenset({Format.UNICODE, Format.COLLCODE, Format.ISO15919, Format.BRAILLE_UNICODE})
_BYTES = frozenset({Format.ANSI, Format.ISO15919_ANSI, Format.LPXCODE})

FORMATS = tuple(member.value for member in Format)
WIDE_FORMATS = frozenset(member.value for member in _WIDE)
BYTE_FORMATS = frozenset(member.value for member in _BYTES)
INPUT_FORMATS = frozenset(member.value for member in Format if member.readable)
OUTPUT_FORMATS = frozenset(member.value for member in Format if member.writable)
COMPARABLE_FORMATS = frozenset(member.value for member in Format if member.comparable)
