"""tirmok.dask on a LocalCluster of two worker processes: the same results as one process, and a worker killed in
the middle of a file whose task is redone without partial or doubled output."""

import os
import signal
from pathlib import Path

import dask.bag as db
import dask.dataframe as dd
import pandas
import pytest
from distributed import Client, LocalCluster

import tirmok
import tirmok.dask


@pytest.fixture(scope="module")
def client():
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None,
                      worker_dashboard_address=None) as cluster, Client(cluster) as client:
        yield client


def test_bag_column_and_sort_equal_one_process(client, words):
    bag = db.from_sequence(words, npartitions=6)
    assert tirmok.dask.convert_bag(bag, "UTF-8", "ANSI").compute() == tirmok.convert_many(words, "UTF-8", "ANSI")
    assert tirmok.dask.sort_bag(bag, npartitions=3).compute() == sorted(words, key=tirmok.sort_key)

    frame = pandas.DataFrame({"word": words[:500] + [None], "n": range(501)})
    converted = tirmok.dask.convert_column(dd.from_pandas(frame, npartitions=4), "word", "UTF-8", "TELTRANS",
                                           into="teltrans").compute()
    assert converted["teltrans"].tolist()[:500] == tirmok.convert_many(words[:500], "UTF-8", "TELTRANS")
    assert converted["teltrans"].iloc[500] is None and converted["word"].tolist() == frame["word"].tolist()
    # Both workers took part, each with its own library.
    assert len(set(client.run(lambda: id(tirmok._native.lib)).keys())) == 2


def _die_in_the_middle_once(marker):
    """Makes the first worker that reaches the second block of a file kill itself, once in the whole run."""
    import tirmok.dask as td

    original = td._convert_block
    td.BLOCK_BYTES = 4096
    state = {"blocks": 0}

    def convert_block(*args):
        state["blocks"] += 1
        if state["blocks"] == 2:
            try:
                os.close(os.open(marker, os.O_CREAT | os.O_EXCL | os.O_WRONLY))
            except FileExistsError:
                pass
            else:
                os.kill(os.getpid(), signal.SIGKILL)
        return original(*args)

    td._convert_block = convert_block


def test_folder_of_files_survives_a_killed_worker(client, words, tmp_path):
    source, target = tmp_path / "ansi", tmp_path / "utf8"
    source.mkdir()
    expected = {}
    for index in range(6):
        chosen = words[index * 400 : index * 400 + 700]
        text = "\n".join(chosen) + "\n"
        (source / f"book{index}.txt").write_bytes(tirmok.convert(text, "UTF-8", "ANSI"))
        expected[f"book{index}.txt"] = text.encode()
    marker = tmp_path / "killed"
    client.run(_die_in_the_middle_once, str(marker))

    outputs = tirmok.dask.convert_files(source, "ANSI", "UTF-8", output_folder=target).compute()

    assert marker.exists(), "no worker was killed"
    assert sorted(Path(path).name for path in outputs) == sorted(expected)
    assert sorted(os.listdir(target)) == sorted(expected)  # no temporary or partial files left
    for name, content in expected.items():
        assert (target / name).read_bytes() == content
    # The same files again, next to their inputs, on one process only: the same bytes.
    single = tirmok.dask.convert_files(source, "ANSI", "UTF-8", suffix=".utf8").compute(scheduler="sync")
    for path in single:
        assert Path(path).read_bytes() == expected[Path(path).name[: -len(".utf8")]]
