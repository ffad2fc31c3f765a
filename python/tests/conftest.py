"""Shared data of the Python tests: the word sample, the tool to compare with, and the package from this checkout."""

import os
import sys
from pathlib import Path

import pytest

PYTHON_DIR = Path(__file__).resolve().parent.parent
ROOT = PYTHON_DIR.parent
# The package of this checkout, here and in every process the tests start (Dask workers, python -m tirmok).
sys.path.insert(0, str(PYTHON_DIR))
os.environ["PYTHONPATH"] = os.pathsep.join(filter(None, [str(PYTHON_DIR), os.environ.get("PYTHONPATH")]))
os.environ.setdefault("PYTHONDONTWRITEBYTECODE", "1")

WORDS = [
    line
    for line in (ROOT / "tests" / "data" / "te_words_sample.txt").read_text(encoding="utf-8").splitlines()
    if line and not line.startswith("#")
]


@pytest.fixture(scope="session")
def words():
    return WORDS


@pytest.fixture(scope="session")
def tool():
    """The command-line tool built from the same sources (TIRMOK_TOOL, or the build folder)."""
    path = Path(os.environ.get("TIRMOK_TOOL", ROOT / "build" / "tirmok"))
    if not path.is_file():
        pytest.fail(f"the tirmok tool is needed to compare with and is not at {path}; set TIRMOK_TOOL")
    return str(path)
