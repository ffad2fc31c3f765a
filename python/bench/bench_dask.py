#!/usr/bin/env python3
"""tirmok.dask.convert_files on a LocalCluster of one and of two worker processes (not a test: prints the figures).

    python3 python/bench/bench_dask.py [MEGABYTES] [FOLDER]

Makes MEGABYTES (default 200) of legacy-font (ANSI) files in FOLDER (default a temporary folder) from running
Telugu text (/work/shared/corpus/te_text_1mb.txt, else the repository's word sample), then converts them to UTF-8
with 1 and with 2 workers of one thread each, and checks that both give the same bytes.
"""

import hashlib
import shutil
import sys
import tempfile
import time
from pathlib import Path

from distributed import Client, LocalCluster

import tirmok
import tirmok.dask

ROOT = Path(__file__).resolve().parent.parent.parent
TEXT = Path("/work/shared/corpus/te_text_1mb.txt")
FILES = 40


def make_files(folder: Path, megabytes: int) -> int:
    if TEXT.exists():
        text = TEXT.read_text(encoding="utf-8")
    else:
        text = (ROOT / "tests/data/te_words_sample.txt").read_text(encoding="utf-8")
    block = tirmok.convert(text, "UTF-8", "ANSI")
    per_file = megabytes * 1_000_000 // FILES
    content = (block * (per_file // len(block) + 1))[:per_file]
    content = content[: content.rfind(b"\n") + 1]
    folder.mkdir(parents=True, exist_ok=True)
    for index in range(FILES):
        (folder / f"book{index:03}.txt").write_bytes(content)
    return len(content) * FILES


def run(workers: int, source: Path, output: Path) -> float:
    shutil.rmtree(output, ignore_errors=True)
    with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
            Client(cluster) as client:
        client.run(lambda: tirmok.convert("ka", "TELTRANS", "UTF-8"))  # workers up and the library loaded
        started = time.perf_counter()
        tirmok.dask.convert_files(source, "ANSI", "UTF-8", output_folder=output).compute()
        return time.perf_counter() - started


def digest(folder: Path) -> str:
    h = hashlib.sha256()
    for path in sorted(folder.iterdir()):
        h.update(path.name.encode() + path.read_bytes())
    return h.hexdigest()


def main() -> None:
    megabytes = int(sys.argv[1]) if len(sys.argv) > 1 else 200
    work = Path(sys.argv[2]) if len(sys.argv) > 2 else Path(tempfile.mkdtemp(prefix="tirmok-dask-bench-"))
    total = make_files(work / "ansi", megabytes)
    print(f"{FILES} files, {total / 1e6:.0f} MB of ANSI text in {work}")
    timings = {}
    digests = {}
    for workers in (1, 2, 1, 2):
        seconds = run(workers, work / "ansi", work / f"utf8-{workers}")
        timings.setdefault(workers, []).append(seconds)
        digests[workers] = digest(work / f"utf8-{workers}")
        print(f"{workers} worker(s): {seconds:6.2f} s  ({total / 1e6 / seconds:5.1f} MB/s)")
    assert digests[1] == digests[2], "one and two workers wrote different files"
    one, two = min(timings[1]), min(timings[2])
    print(f"best of two runs: 1 worker {one:.2f} s, 2 workers {two:.2f} s: {one / two:.2f}x")
    if len(sys.argv) <= 2:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
