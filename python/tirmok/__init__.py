"""tirmok: Telugu text conversion between Unicode, ISO 15919, transliteration, legacy fonts, collation code and Braille.

    >>> import tirmok
    >>> tirmok.convert("\u0c15\u0c3f", "UTF-8", "TELTRANS")
    'ki'
    >>> tirmok.convert_many(["ka", "kha"], tirmok.Format.TELTRANS, tirmok.Format.UTF_8)
    ['క', 'ఖ']
    >>> sorted(["ఖ", "క"], key=tirmok.sort_key)          # Telugu dictionary order
    ['క', 'ఖ']

Text formats take and give ``str``; the byte formats (ANSI, ISO15919_ANSI, LPXCODE) take and give ``bytes``.
Formats are `Format` members or their names. Errors are TypeError, ValueError and MemoryError, never an empty or
altered result. ``python3 -m tirmok`` runs the command-line tool; `tirmok.dask` converts corpora on a Dask cluster.
"""

from ._core import compare, convert, convert_many, date_to_english, date_to_telugu, sort_key
from ._formats import (
    BYTE_FORMATS,
    COMPARABLE_FORMATS,
    FORMATS,
    INPUT_FORMATS,
    OUTPUT_FORMATS,
    WIDE_FORMATS,
    Format,
    FormatLike,
)

__all__ = [
    "BYTE_FORMATS",
    "COMPARABLE_FORMATS",
    "FORMATS",
    "INPUT_FORMATS",
    "OUTPUT_FORMATS",
    "WIDE_FORMATS",
    "Format",
    "FormatLike",
    "compare",
    "convert",
    "convert_many",
    "date_to_english",
    "date_to_telugu",
    "sort_key",
]

__version__ = "0.1.0"
