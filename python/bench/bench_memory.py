#!/usr/bin/env python3
"""Memory and time of tirmok.convert on a large text against LpxConvert on the same text (not a test).

    python3 python/bench/bench_memory.py [MEGABYTES] [FROM] [TO]

Makes MEGABYTES (default 100) of UTF-8 running Telugu text (/work/shared/corpus/te_text_1mb.txt repeated, else the
repository's word sample) and converts it, each way in a fresh process: LpxConvert through ctypes (into a buffer
the size of its result, from malloc as a C caller has it) and tirmok.convert (str in, str out). Each process reports its peak resident memory above
what it held before the conversion, which already includes the input as the caller has it.
"""

import json
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent.parent
TEXT = Path("/work/shared/corpus/te_text_1mb.txt")

CHILD = r"""
import ctypes, json, resource, sys, time
from pathlib import Path
way, path, source, target = sys.argv[1:5]
import tirmok
from tirmok import _core, _native, Format
data = Path(path).read_bytes()  # the text as the library takes it
text = _core._decode(data, Format.parse(source)) if way == "python" else None
in_bytes = len(data)
if way == "python":
    del data  # the caller holds the str only
def rss():  # peak resident set in bytes
    return resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024
def current():
    return int(open("/proc/self/statm").read().split()[1]) * 4096
before = current()
if way == "lpx":
    out_format = Format.parse(target)
    capacity = int(sys.argv[5]) + 1
    # Allocated as a C caller allocates it (malloc, pages untouched until written), so that both ways pay for
    # the pages their result takes.
    libc = ctypes.CDLL(None)
    libc.malloc.restype = ctypes.c_void_p
    libc.malloc.argtypes = [ctypes.c_size_t]
    output = libc.malloc(capacity * out_format.unit_bytes)
    lib = _native.lib
    lib.LpxConvert.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int32]
    lib.LpxConvert.restype = ctypes.c_int32
    before = current()
    started = time.perf_counter()
    if Format.parse(source).unit_bytes == 2:
        data += b"\0"
    units = lib.LpxConvert(data, source.encode(), output, target.encode(), capacity)
    seconds = time.perf_counter() - started
    out_bytes = units * out_format.unit_bytes
else:
    before = current()
    started = time.perf_counter()
    result = tirmok.convert(text, source, target)
    seconds = time.perf_counter() - started
    out_bytes = len(result.encode("utf-8") if Format.parse(target) in (Format.UTF_8, Format.ISO15919_UTF_8)
                    else (result if isinstance(result, bytes) else result.encode("utf-16-le" if Format.parse(target).unit_bytes == 2 else "latin-1")))
    units = len(result)
print(json.dumps({"seconds": seconds, "peak": rss(), "before": before, "units": units, "out_bytes": out_bytes,
                  "in_bytes": in_bytes}))
"""


def child(*args):
    result = subprocess.run([sys.executable, "-c", CHILD, *map(str, args)], capture_output=True, text=True, check=True)
    return json.loads(result.stdout)


def main() -> None:
    megabytes = int(sys.argv[1]) if len(sys.argv) > 1 else 100
    source, target = (sys.argv[2], sys.argv[3]) if len(sys.argv) > 3 else ("UTF-8", "TELTRANS")
    text = TEXT.read_bytes() if TEXT.exists() else (ROOT / "tests/data/te_words_sample.txt").read_bytes()
    path = Path(f"/tmp/tirmok-bench-{megabytes}mb.txt")
    data = (text * (megabytes * 1_000_000 // len(text) + 1))[: megabytes * 1_000_000]
    data = data[: data.rfind(b"\n") + 1]
    if source != "UTF-8":
        import tirmok
        from tirmok import _core, Format

        data = _core._encode(tirmok.convert(data.decode("utf-8"), "UTF-8", source), Format.parse(source))
    path.write_bytes(data)
    python = child("python", path, source, target)
    lpx = child("lpx", path, source, target, python["units"])
    inout = python["in_bytes"] + python["out_bytes"]
    print(f"{python['in_bytes'] / 1e6:.0f} MB of {source} to {target} ({python['out_bytes'] / 1e6:.0f} MB)")
    for name, r in (("LpxConvert", lpx), ("tirmok.convert", python)):
        added = r["peak"] - r["before"]
        print(f"{name:>15}: {r['seconds']:6.2f} s, peak {r['peak'] / 1e6:5.0f} MB in all ({r['peak'] / inout:4.2f}x input+output),"
              f" {added / 1e6:5.0f} MB added to the input as held ({added / inout:4.2f}x input+output)")
    print(f"time of tirmok.convert / LpxConvert: {python['seconds'] / lpx['seconds']:.2f}x")
    path.unlink()


if __name__ == "__main__":
    main()
