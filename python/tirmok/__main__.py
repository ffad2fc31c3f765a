"""``python3 -m tirmok``: the command-line tool itself, with the same commands, options, output and exit codes.

The package carries the tool built from the same sources as its library (``tirmok/bin/tirmok``); TIRMOK_TOOL names
another one. Running the tool, rather than a copy of its logic, keeps its block-wise streaming, atomic output files
and error handling exactly as documented for ``tirmok``.
"""

from __future__ import annotations

import os
import sys
from typing import List, Optional

from ._native import tool_candidates


def main(argv: Optional[List[str]] = None) -> int:
    args = sys.argv[1:] if argv is None else argv
    tried = []
    for path in tool_candidates():
        tried.append(str(path))
        if path.is_file() and os.access(path, os.X_OK):
            sys.stdout.flush()
            sys.stderr.flush()
            os.execv(str(path), ["tirmok", *args])
    print("tirmok: the command-line tool is not installed with this package; set TIRMOK_TOOL to its path. "
          "Looked in: " + ", ".join(tried), file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
