// Sorting lines in Telugu dictionary order within a memory bound: sorted runs on disk and a merge.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "tirmok/tirmok.hpp"

namespace tirmok::tool {

struct SortOptions {
  Format format = Format::kUtf8;  // the lines' format; lines of 16-bit formats are read as UTF-8
  // About the most memory the lines, their keys and the merge's buffers take
  // (a single line longer than this is still held whole).
  std::size_t memory = std::size_t{256} << 20;
  std::string temporaryFolder;  // where runs go; empty: $TMPDIR, else /tmp
  bool reverse = false;         // the opposite order; equal lines still keep their input order
  bool unique = false;          // of lines with equal sort keys, only the first
};

// The least memory bound accepted.
inline constexpr std::size_t kLeastSortMemory = 1024;

// Parses a memory size as sort(1) does: a number of KiB, or of bytes, KiB,
// MiB, GiB or TiB with the suffix b, K, M, G or T (either case). nullopt for
// anything else, or a size below kLeastSortMemory.
std::optional<std::size_t> ParseMemorySize(std::string_view text);

// Writes the lines of `input` to `sink` ordered by their sort keys
// (tirmok::sort_key, the order of LpxCompare), stable: lines with equal keys
// keep their order. Each line keeps its line end ("\n" or "\r\n"); a last
// line without one gets "\n". A UTF-8 byte order mark that starts text of
// UTF-8 or a 16-bit format is written first. Input that fits the memory bound
// is sorted in memory; longer input goes to sorted runs in a folder of its
// own under the temporary folder, merged as many at a time as the bound
// allows, and removed on success, on error and when SIGINT, SIGTERM or SIGHUP
// end the tool. Throws ToolError for read and write errors.
void SortLines(std::FILE* input, const std::string& inputName, const SortOptions& options,
               const std::function<void(std::string_view)>& sink);

}  // namespace tirmok::tool
