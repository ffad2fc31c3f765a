#!/usr/bin/env python3
"""convert_many against a Python loop of convert on real words (not a test: prints the figures).

    python3 python/bench/bench_convert_many.py [WORDS_FILE] [COUNT]

WORDS_FILE defaults to /work/shared/corpus/te_words.txt when it exists, else the repository's sample (repeated up to
COUNT words, default 100,000).
"""

import sys
import time
from pathlib import Path

import tirmok

ROOT = Path(__file__).resolve().parent.parent.parent
CORPUS = Path("/work/shared/corpus/te_words.txt")


def best_of(runs, function):
    times = []
    for _ in range(runs):
        started = time.perf_counter()
        result = function()
        times.append(time.perf_counter() - started)
    return min(times), result


def main() -> None:
    path = Path(sys.argv[1]) if len(sys.argv) > 1 else (CORPUS if CORPUS.exists() else ROOT / "tests/data/te_words_sample.txt")
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 100_000
    words = [w for w in path.read_text(encoding="utf-8").splitlines() if w and not w.startswith("#")]
    words = (words * (count // len(words) + 1))[:count]
    print(f"{len(words)} words from {path}")
    for source, target, texts in (
        ("UTF-8", "TELTRANS", words),
        ("UTF-8", "ISO15919_UTF_8", words),
        ("UTF-8", "ANSI", words),
        ("TELTRANS", "UTF-8", tirmok.convert_many(words, "UTF-8", "TELTRANS")),
    ):
        loop, expected = best_of(3, lambda: [tirmok.convert(w, source, target) for w in texts])
        batch, got = best_of(3, lambda: tirmok.convert_many(texts, source, target))
        assert got == expected
        print(f"{source:>8} -> {target:<15} loop of convert {loop * 1e3:8.1f} ms ({loop / len(texts) * 1e6:.2f} us/word)"
              f"   convert_many {batch * 1e3:7.1f} ms ({batch / len(texts) * 1e6:.2f} us/word)   {loop / batch:5.1f}x")


if __name__ == "__main__":
    main()
