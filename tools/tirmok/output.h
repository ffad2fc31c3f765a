// Where the tool writes: standard output, or a file replaced only when everything was written.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace tirmok::tool {

// Writes to standard output, or to a temporary file in the folder of `path`
// that Commit renames over `path` once all is written and on disk. Until
// then, and whenever anything fails (or SIGINT, SIGTERM or SIGHUP arrive),
// the old file stays as it was and the temporary file is removed. A path
// that names something other than a regular file (a device, a pipe) is
// written directly.
class Output {
 public:
  explicit Output(const std::string& path);
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;
  ~Output();

  // Each throws ToolError naming the output and the system's reason.
  void Write(std::string_view data);
  void Commit();

 private:
  [[noreturn]] void Fail(int error);

  std::string path_;     // empty for standard output
  std::string temporary_;  // the file written until Commit
  std::string target_;     // the file Commit replaces
  std::FILE* file_ = nullptr;
  bool committed_ = false;
};

// Writes to standard output, throwing ToolError when the write fails (a full
// disk, a closed pipe with SIGPIPE ignored).
void WriteStandardOutput(std::string_view data);
// Flushes standard output, throwing ToolError when that fails.
void FlushStandardOutput();

}  // namespace tirmok::tool
