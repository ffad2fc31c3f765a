#!/usr/bin/env python3
"""Converts a folder of legacy-font (ANSI) Telugu files to UTF-8 on a Dask cluster.

    python3 examples/dask_corpus.py SOURCE_FOLDER OUTPUT_FOLDER            # a LocalCluster on this machine
    python3 examples/dask_corpus.py --workers 4 SOURCE OUTPUT             # four local worker processes
    python3 examples/dask_corpus.py --scheduler tcp://host:8786 SOURCE OUTPUT
    python3 examples/dask_corpus.py --demo                                # makes a small folder and converts it

On a real cluster, start a scheduler (``dask scheduler``) and workers on each machine (``dask worker
tcp://host:8786``), install tirmok on every worker (``pip install --no-build-isolation ./python`` or its wheel), and
give ``--scheduler tcp://host:8786``: the script then does ``Client("tcp://host:8786")`` instead of starting a
LocalCluster. SOURCE and OUTPUT must be paths that every worker sees (a shared file system). Each worker process
loads the library once, when it first imports tirmok; each file is one task, converted in blocks of lines into a
temporary file that takes its final name only when complete, so a worker lost mid-file leaves nothing behind and
the task is simply run again elsewhere.
"""

import argparse
import sys
import tempfile
import time
from pathlib import Path

from distributed import Client, LocalCluster

import tirmok
import tirmok.dask


def make_demo_folder(folder: Path) -> None:
    """A few legacy-font files made from the repository's word sample."""
    sample = Path(__file__).resolve().parent.parent / "tests" / "data" / "te_words_sample.txt"
    words = [line for line in sample.read_text(encoding="utf-8").splitlines() if line and not line.startswith("#")]
    folder.mkdir(parents=True, exist_ok=True)
    for index in range(8):
        lines = [" ".join(words[(index * 500 + i) % len(words) : (index * 500 + i) % len(words) + 8]) for i in range(500)]
        (folder / f"part{index:02}.txt").write_bytes(tirmok.convert("\n".join(lines) + "\n", "UTF-8", "ANSI"))


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("source", nargs="?", help="folder of files to convert")
    parser.add_argument("output", nargs="?", help="folder for the converted files")
    parser.add_argument("--scheduler", help="address of a running scheduler, e.g. tcp://host:8786")
    parser.add_argument("--workers", type=int, default=2, help="worker processes of the LocalCluster (default 2)")
    parser.add_argument("--from", dest="source_format", default="ANSI", help="format of the files (default ANSI)")
    parser.add_argument("--to", dest="target_format", default="UTF-8", help="format to write (default UTF-8)")
    parser.add_argument("--pattern", default="*", help="which files of the folder (default all)")
    parser.add_argument("--demo", action="store_true", help="make a small folder of legacy-font files and convert it")
    args = parser.parse_args()

    if args.demo:
        work = Path(tempfile.mkdtemp(prefix="tirmok-demo-"))
        args.source, args.output = str(work / "ansi"), str(work / "utf8")
        make_demo_folder(Path(args.source))
    if not args.source or not args.output:
        parser.error("give SOURCE and OUTPUT folders, or --demo")

    if args.scheduler:
        client = Client(args.scheduler)
        cluster = None
    else:
        cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True)
        client = Client(cluster)
    try:
        print(f"dashboard: {client.dashboard_link}", file=sys.stderr)
        started = time.perf_counter()
        outputs = tirmok.dask.convert_files(args.source, args.source_format, args.target_format,
                                            output_folder=args.output, pattern=args.pattern).compute()
        seconds = time.perf_counter() - started
        size = sum(Path(path).stat().st_size for path in outputs)
        print(f"converted {len(outputs)} files ({size / 1e6:.1f} MB written) to {args.output} in {seconds:.2f} s")
    finally:
        client.close()
        if cluster is not None:
            cluster.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
