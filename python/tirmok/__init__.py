"""tirmok: Telugu text conversion between Unicode, ISO 15919, transliteration, legacy fonts, collation code and Braille.

    >>> import tirmok
    >>> tirmok.convert("\u0c15\u0c3f", "UTF-8", "TELTRANS")
    'ki'
    >>> sorted(words, key=tirmok.sort_key)          # Telugu dictionary order

Text formats take and give ``str``; the byte formats ("ANSI", "ISO15919_ANSI", "LPXCODE") take and give ``bytes``.
"""

from ._library import (
    BYTE_FORMATS,
    FORMATS,
    INPUT_FORMATS,
    OUTPUT_FORMATS,
    COMPARABLE_FORMATS,
    compare,
    convert,
    date_to_english,
    date_to_telugu,
    sort_key,
)

__all__ = [
    "BYTE_FORMATS",
    "COMPARABLE_FORMATS",
    "FORMATS",
    "INPUT_FORMATS",
    "OUTPUT_FORMATS",
    "compare",
    "convert",
    "date_to_english",
    "date_to_telugu",
    "sort_key",
]

__version__ = "0.1.0"
