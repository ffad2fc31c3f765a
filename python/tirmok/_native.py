"""Finds and loads libtirmok.so once per process and declares the C functions the package calls."""

from __future__ import annotations

import ctypes
import os
from pathlib import Path
from typing import Iterator

# Statuses of TirmokConvertStatus, TirmokConvertBatch and TirmokDateConvertStatus (tirmok/tirmok_ext.h).
DONE = 0
CUT = 1
OUT_OF_MEMORY = 2
INVALID_ARGUMENT = 3

PACKAGE = Path(__file__).resolve().parent
# A source checkout: python/tirmok inside the repository, next to its build folders.
_SOURCE_ROOT = PACKAGE.parent.parent


def library_candidates() -> Iterator[Path]:
    """Where the library is looked for, in order: TIRMOK_LIBRARY, the package itself, a source checkout's builds."""
    env = os.environ.get("TIRMOK_LIBRARY")
    if env:
        yield Path(env)
        return
    yield PACKAGE / "libtirmok.so"
    for build in ("build", "build-release"):
        yield _SOURCE_ROOT / build / "libtirmok.so"


def tool_candidates() -> Iterator[Path]:
    """Where the command-line tool is looked for: TIRMOK_TOOL, the package itself, a source checkout's build."""
    env = os.environ.get("TIRMOK_TOOL")
    if env:
        yield Path(env)
        return
    yield PACKAGE / "bin" / "tirmok"
    for build in ("build", "build-release"):
        yield _SOURCE_ROOT / build / "tirmok"


def _declare(lib: ctypes.CDLL) -> None:
    i32, ptr, text = ctypes.c_int32, ctypes.c_void_p, ctypes.c_char_p
    out_i32 = ctypes.POINTER(ctypes.c_int32)
    strings = ctypes.POINTER(ctypes.c_char_p)
    lib.TirmokConvertStatus.argtypes = [ptr, text, ptr, text, i32, strings, out_i32, out_i32]
    lib.TirmokConvertStatus.restype = i32
    lib.TirmokConvertBatch.argtypes = [ptr, i32, text, ptr, text, i32, strings, out_i32, out_i32, out_i32, out_i32]
    lib.TirmokConvertBatch.restype = i32
    lib.TirmokSortKey.argtypes = [ptr, text, ptr, i32]
    lib.TirmokSortKey.restype = i32
    lib.TirmokDateConvertStatus.argtypes = [text, i32, ptr, i32, out_i32, out_i32]
    lib.TirmokDateConvertStatus.restype = i32


def load() -> ctypes.CDLL:
    tried = []
    for path in library_candidates():
        tried.append(str(path))
        if path.is_file():
            lib = ctypes.CDLL(str(path))
            try:
                _declare(lib)
            except AttributeError as error:
                raise ImportError(f"{path} lacks a function this package needs: {error}") from error
            return lib
    raise ImportError("libtirmok.so not found; set TIRMOK_LIBRARY to its path. Looked in: " + ", ".join(tried))


lib = load()
