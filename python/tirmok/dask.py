"""Converting and sorting corpora on Dask: bags of strings, text columns of dataframes, folders of files.

Each worker process imports tirmok once, which loads the library once; every task then converts its whole
partition in batches (`tirmok.convert_many`), so the per-text cost is the library's own.

    >>> import dask.bag as db, tirmok.dask
    >>> words = db.from_sequence(["ఖగం", "కలం", "అమ్మ"], npartitions=2)
    >>> tirmok.dask.convert_bag(words, "UTF-8", "TELTRANS").compute()
    ['KagaM', 'kalaM', 'amma']
    >>> tirmok.dask.sort_bag(words).compute()
    ['అమ్మ', 'కలం', 'ఖగం']

Files are converted by `convert_files`: each file is read and written in blocks of whole lines, its result goes
to a temporary file in the output folder and takes its final name only when it is complete, so a worker that
dies mid-file leaves no partial output, and the retried task writes the file once.
"""

from __future__ import annotations

import bisect
import os
import tempfile
from pathlib import Path
from typing import Any, Iterable, List, Optional, Sequence, Union

import dask
import dask.bag as db

from ._core import Text, _directions, convert, convert_many, sort_key
from ._formats import Format, FormatLike

PathLike = Union[str, "os.PathLike[str]"]

# Files are converted this many bytes of whole lines at a time.
BLOCK_BYTES = 1 << 20


def convert_bag(bag: db.Bag, from_format: FormatLike, to_format: FormatLike, **properties: Any) -> db.Bag:
    """A bag of the conversions of `bag`'s texts, in order, each partition converted in batches."""
    _directions(from_format, to_format)  # unknown formats fail here, not later on a worker
    return bag.map_partitions(_convert_partition, from_format, to_format, properties)


def _convert_partition(texts: Iterable[Text], from_format: FormatLike, to_format: FormatLike,
                       properties: dict) -> List[Text]:
    return convert_many(texts, from_format, to_format, **properties)


def convert_column(frame: Any, column: str, from_format: FormatLike, to_format: FormatLike,
                   into: Optional[str] = None, **properties: Any) -> Any:
    """`frame` (a dask or pandas DataFrame) with `column` converted, into the column `into` (default: in place).

    Missing values (None, NaN) stay missing.
    """
    _directions(from_format, to_format)
    target = into or column
    if hasattr(frame, "map_partitions"):
        series = frame[column].map_partitions(_convert_series, from_format, to_format, properties,
                                              meta=(target, "object"))
    else:
        series = _convert_series(frame[column], from_format, to_format, properties)
    return frame.assign(**{target: series})


def _convert_series(series: Any, from_format: FormatLike, to_format: FormatLike, properties: dict) -> Any:
    import pandas

    present = series.notna()
    result = pandas.Series([None] * len(series), index=series.index, dtype=object, name=series.name)
    values = series[present].tolist()
    if values:
        result[present] = convert_many(values, from_format, to_format, **properties)
    return result


def sort_bag(bag: db.Bag, format: FormatLike = Format.UTF_8, npartitions: Optional[int] = None) -> db.Bag:
    """A bag of `bag`'s texts in Telugu dictionary order (the order of `tirmok.sort_key`), equal ones in input order.

    The keys are made on the workers; a sample of them chooses key ranges, one per output partition, and each
    range is gathered and sorted on its own, so no process holds the whole bag. Takes one pass over the bag to
    sample the keys.
    """
    fmt = Format.parse(format)
    count = npartitions or bag.npartitions
    keyed = bag.map_partitions(_keyed_partition, fmt)
    samples = keyed.map_partitions(_sample, count).compute()
    samples.sort()
    bounds = [samples[len(samples) * i // count] for i in range(1, count)] if samples else []
    parts = keyed.to_delayed()
    split = [dask.delayed(_split_by_bounds, nout=count)(part, bounds) for part in parts]
    ranges = [dask.delayed(_sorted_range)([pieces[i] for pieces in split]) for i in range(count)]
    return db.from_delayed(ranges)


def _keyed_partition(texts: Iterable[Text], fmt: Format) -> List[tuple]:
    return [(sort_key(text, fmt), text) for text in texts]


def _sample(keyed: Sequence[tuple], count: int) -> List[bytes]:
    keys = sorted(key for key, _ in keyed)
    step = max(1, len(keys) // (4 * count))
    return keys[::step]


def _split_by_bounds(keyed: Sequence[tuple], bounds: List[bytes]) -> tuple:
    pieces: List[List[tuple]] = [[] for _ in range(len(bounds) + 1)]
    for item in keyed:
        pieces[bisect.bisect_right(bounds, item[0])].append(item)
    return tuple(pieces)


def _sorted_range(pieces: List[List[tuple]]) -> List[Text]:
    # The pieces come in the bag's partition order and the sort is stable, so equal keys keep the input order.
    merged = [item for piece in pieces for item in piece]
    merged.sort(key=lambda item: item[0])
    return [text for _, text in merged]


def convert_file(source: PathLike, target: PathLike, from_format: FormatLike, to_format: FormatLike,
                 **properties: Any) -> str:
    """Converts the file `source` into the file `target` and returns `target`.

    Text of the 16-bit formats is read and written as UTF-8, as by the command-line tool; the file is read in
    blocks of whole lines. The result is written to a temporary file next to `target`, flushed to disk and renamed
    over `target` only when complete: on any failure `target` is untouched and the temporary file removed.
    """
    source_format, target_format = _directions(from_format, to_format)
    target = os.fspath(target)
    folder = os.path.dirname(os.path.abspath(target))
    name = os.path.basename(target)
    handle, temporary = tempfile.mkstemp(dir=folder, prefix=f".{name}.", suffix=".part")
    try:
        with open(source, "rb") as reader, os.fdopen(handle, "wb") as writer:
            for block in _line_blocks(reader):
                writer.write(_convert_block(block, source_format, target_format, properties))
            writer.flush()
            os.fsync(writer.fileno())
        os.replace(temporary, target)
    except BaseException:
        try:
            os.unlink(temporary)
        except FileNotFoundError:
            pass
        raise
    _remove_leftovers(folder, name)
    return target


def _line_blocks(reader: Any) -> Iterable[bytes]:
    while True:
        lines = reader.readlines(BLOCK_BYTES)
        if not lines:
            return
        yield b"".join(lines)


def _convert_block(block: bytes, source: Format, target: Format, properties: dict) -> bytes:
    text: Text = block
    if not source.is_bytes:
        text = block.decode("utf-8", "surrogateescape") if source.unit_bytes == 2 or source in (
            Format.UTF_8, Format.ISO15919_UTF_8) else block.decode("latin-1")
    result = convert(text, source, target, **properties)
    if isinstance(result, bytes):
        return result
    if target.unit_bytes == 2 or target in (Format.UTF_8, Format.ISO15919_UTF_8):
        return result.encode("utf-8", "surrogateescape")
    return result.encode("latin-1")


def _remove_leftovers(folder: str, name: str) -> None:
    # Temporary files of earlier attempts at this output whose process died before it could remove them.
    prefix = f".{name}."
    for entry in os.listdir(folder):
        if entry.startswith(prefix) and entry.endswith(".part"):
            try:
                os.unlink(os.path.join(folder, entry))
            except FileNotFoundError:
                pass


def convert_files(sources: Union[PathLike, Iterable[PathLike]], from_format: FormatLike, to_format: FormatLike,
                  output_folder: Optional[PathLike] = None, suffix: str = "", pattern: str = "*",
                  **properties: Any) -> db.Bag:
    """A bag of the output paths of converting a folder of files (or the given files), one task per file.

    `sources` is a folder (its files matching `pattern`, in name order) or a list of files. Each output is named
    like its input plus `suffix`, in `output_folder`, or next to its input (which then needs a `suffix`).
    Compute the bag (``.compute()``) to convert; a task whose worker dies is retried and writes its file once.
    """
    _directions(from_format, to_format)
    if isinstance(sources, (str, os.PathLike)) and Path(sources).is_dir():
        files = sorted(str(path) for path in Path(sources).glob(pattern) if path.is_file())
    else:
        files = [os.fspath(path) for path in sources]  # type: ignore[union-attr]
    if output_folder is None and not suffix:
        raise ValueError("give an output_folder or a suffix: the outputs would replace their inputs")
    pairs = []
    for path in files:
        folder = os.fspath(output_folder) if output_folder is not None else os.path.dirname(path)
        pairs.append((path, os.path.join(folder, os.path.basename(path) + suffix)))
    if output_folder is not None:
        os.makedirs(output_folder, exist_ok=True)
    bag = db.from_sequence(pairs, npartitions=max(1, len(pairs)))
    return bag.map(lambda pair: convert_file(pair[0], pair[1], from_format, to_format, **properties))
