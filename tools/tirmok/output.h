// Where the tool writes: standard output, or a file replaced only when everything was written.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace tirmok::tool {

// A temporary file, or a temporary folder with numbered files in it, that is
// removed when SIGINT, SIGTERM or SIGHUP end the tool, as well as by the
// destructor unless it was renamed into place. Its name sits in a fixed table
// that the signal handler reads without locks or allocation; up to
// kMostTemporaries exist at a time (one per converting thread, one for a sort).
class Temporary {
 public:
  static constexpr int kMostTemporaries = 128;

  Temporary() = default;
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;
  ~Temporary() { Remove(); }

  // Creates a new file from `pattern` (ending in XXXXXX, as for mkstemp) and
  // returns its descriptor, or -1 with errno set.
  int CreateFile(const std::string& pattern);
  // Creates a new folder from `pattern` (as for mkdtemp); false with errno.
  bool CreateFolder(const std::string& pattern);
  // In a folder: the name of a new numbered file ("<folder>/<n>"), counted
  // before it is created so that a signal removes it too.
  std::string NextFileName();

  const std::string& Path() const { return path_; }
  // Renames the file over `target`; it is then no longer temporary. Returns 0
  // or the error number.
  int RenameTo(const std::string& target);
  // Removes the file, or the folder and its numbered files; nothing when
  // there is none.
  void Remove();

 private:
  int slot_ = -1;
  std::string path_;
  bool folder_ = false;
  long files_ = 0;
};

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
  Temporary temporary_;  // the file written until Commit
  std::string target_;   // the file Commit replaces
  std::FILE* file_ = nullptr;
};

// Writes to standard output, throwing ToolError when the write fails (a full
// disk, a closed pipe with SIGPIPE ignored).
void WriteStandardOutput(std::string_view data);
// Flushes standard output, throwing ToolError when that fails.
void FlushStandardOutput();

}  // namespace tirmok::tool
