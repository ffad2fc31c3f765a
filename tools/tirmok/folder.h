// Converting a whole folder: the same tree of files under another folder, each file on its own.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace tirmok::tool {

struct TreeSummary {
  std::size_t converted = 0;
  std::size_t failed = 0;
  std::size_t skipped = 0;  // links to folders, and the output folder when it lies inside the input folder
};

// Converts one file: reads `input`, writes `output` (replaced only when
// complete). Throws for a failure, whose message names the file.
using FileConversion = std::function<void(const std::string& input, const std::string& output)>;

// Converts every regular file under the folder `in` into the same relative
// place under `out`, with `threads` threads (at least 1). `out` and the
// folders below it are created as needed, also for folders without files.
// Links are not followed into folders (no loops); a link to a regular file is
// read as that file, one that leads nowhere fails. Anything else that is not
// a regular file (a pipe, a device, a socket) fails without being opened. A
// failure is reported on standard error with the file's name and the rest
// are still converted; a summary line ends the run, and a progress line is
// kept on standard error while it is a terminal. An `out` inside `in` is
// skipped; `out` equal to `in`, or holding it, is refused with ToolError
// (outputs would replace inputs not yet read).
TreeSummary ConvertTree(const std::string& in, const std::string& out, int threads, const FileConversion& convert);

}  // namespace tirmok::tool
