// Converting a whole folder: the same tree of files under another folder, each file on its own.
#include "folder.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "stream.h"

namespace tirmok::tool {
namespace {

std::string Join(const std::string& folder, const std::string& name) {
  if (name.empty()) return folder;
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// Standard error shared by the threads: whole lines, and the progress line
// (on a terminal) cleared before each and drawn again after.
class Reporter {
 public:
  explicit Reporter(std::size_t total) : total_(total), terminal_(isatty(STDERR_FILENO) != 0) {}

  void Line(const std::string& text) {
    const std::lock_guard<std::mutex> lock(mutex_);
    Clear();
    std::fprintf(stderr, "tirmok: %s\n", text.c_str());
    Draw();
  }
  void Done() {
    const std::lock_guard<std::mutex> lock(mutex_);
    ++done_;
    Clear();
    Draw();
  }
  void Finish() {
    const std::lock_guard<std::mutex> lock(mutex_);
    Clear();
    terminal_ = false;
  }

 private:
  void Clear() {
    if (terminal_ && shown_) std::fprintf(stderr, "\r%*s\r", 50, "");
    shown_ = false;
  }
  void Draw() {
    if (!terminal_ || total_ == 0) return;
    std::fprintf(stderr, "tirmok: %zu of %zu files", done_, total_);
    std::fflush(stderr);
    shown_ = true;
  }

  std::mutex mutex_;
  std::size_t total_;
  std::size_t done_ = 0;
  bool terminal_;
  bool shown_ = false;
};

struct Walk {
  std::string in, out;
  struct stat outInfo {};
  std::vector<std::string> files;     // relative to `in`
  std::vector<std::string> failures;  // messages of what failed while walking
  std::vector<std::string> notes;     // what was skipped, and why
};

void MakeFolder(Walk& walk, const std::string& relative) {
  const std::string path = Join(walk.out, relative);
  if (mkdir(path.c_str(), 0777) == 0 || errno == EEXIST) return;
  walk.failures.push_back("cannot create the folder '" + path + "': " + std::strerror(errno));
}

// Lists the folder `relative` (below walk.in) in name order, folders first
// made under walk.out and then entered.
void WalkFolder(Walk& walk, const std::string& relative) {
  const std::string path = Join(walk.in, relative);
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) {
    walk.failures.push_back("cannot read the folder '" + path + "': " + std::strerror(errno));
    return;
  }
  std::vector<std::string> names;
  errno = 0;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  const int readError = errno;
  closedir(dir);
  if (readError != 0) {
    walk.failures.push_back("cannot read the folder '" + path + "': " + std::strerror(readError));
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    const std::string child = Join(relative, name);
    const std::string full = Join(walk.in, child);
    struct stat info {};
    if (lstat(full.c_str(), &info) != 0) {
      walk.failures.push_back("cannot read '" + full + "': " + std::strerror(errno));
      continue;
    }
    if (S_ISLNK(info.st_mode)) {
      struct stat target {};
      const bool leads = stat(full.c_str(), &target) == 0;
      if (leads && S_ISDIR(target.st_mode)) {
        walk.notes.push_back("'" + full + "' is a link to a folder; not followed");
        continue;
      }
      // A link to a file is read as the file; one that leads nowhere fails
      // when it is opened, with the reason. One to a pipe or device is
      // judged as the pipe or device.
      if (!leads || S_ISREG(target.st_mode)) {
        walk.files.push_back(child);
        continue;
      }
    } else if (S_ISDIR(info.st_mode)) {
      if (info.st_dev == walk.outInfo.st_dev && info.st_ino == walk.outInfo.st_ino) {
        walk.notes.push_back("'" + full + "' is the output folder; skipped");
        continue;
      }
      MakeFolder(walk, child);
      WalkFolder(walk, child);
      continue;
    }
    if (S_ISREG(info.st_mode)) {
      walk.files.push_back(child);
      continue;
    }
    walk.failures.push_back("'" + full + "' is not a regular file (a pipe, device or socket); not converted");
  }
}

// Creates `path` and the folders above it that are missing.
void MakeFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string prefix = slash == std::string::npos ? path : path.substr(0, slash);
    if (mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) {
      throw ToolError("cannot create the folder '" + prefix + "': " + std::strerror(errno));
    }
    if (slash == std::string::npos) return;
  }
}

std::string RealPath(const std::string& path) {
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) == nullptr) {
    throw ToolError("cannot find '" + path + "': " + std::strerror(errno));
  }
  return resolved;
}

bool Inside(const std::string& path, const std::string& folder) {
  return path == folder || path.starts_with(folder == "/" ? folder : folder + "/");
}

}  // namespace

TreeSummary ConvertTree(const std::string& in, const std::string& out, int threads, const FileConversion& convert) {
  Walk walk;
  walk.in = WithoutTrailingSlashes(in);
  walk.out = WithoutTrailingSlashes(out);
  struct stat inInfo {};
  if (stat(walk.in.c_str(), &inInfo) != 0) {
    throw ToolError("cannot read the folder '" + in + "': " + std::strerror(errno));
  }
  if (!S_ISDIR(inInfo.st_mode)) throw ToolError("'" + in + "' is not a folder");
  MakeFolders(walk.out);
  if (stat(walk.out.c_str(), &walk.outInfo) != 0 || !S_ISDIR(walk.outInfo.st_mode)) {
    throw ToolError("'" + out + "' is not a folder");
  }
  const std::string realIn = RealPath(walk.in);
  const std::string realOut = RealPath(walk.out);
  if (Inside(realIn, realOut)) {
    throw ToolError("the output folder '" + out + "' is the input folder or holds it; outputs would replace inputs");
  }
  WalkFolder(walk, "");

  TreeSummary summary;
  Reporter reporter(walk.files.size());
  for (const std::string& note : walk.notes) reporter.Line(note);
  for (const std::string& failure : walk.failures) reporter.Line(failure);
  summary.skipped = walk.notes.size();
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> converted{0};
  std::atomic<std::size_t> failed{walk.failures.size()};
  const auto work = [&] {
    for (;;) {
      const std::size_t i = next.fetch_add(1);
      if (i >= walk.files.size()) return;
      const std::string& file = walk.files[i];
      std::string error;
      try {
        convert(Join(walk.in, file), Join(walk.out, file));
      } catch (const std::bad_alloc&) {
        error = "'" + Join(walk.in, file) + "': out of memory";
      } catch (const std::exception& e) {
        error = e.what();
      } catch (...) {
        error = "'" + Join(walk.in, file) + "': not converted";
      }
      if (error.empty()) {
        ++converted;
      } else {
        ++failed;
        reporter.Line(error);
      }
      reporter.Done();
    }
  };
  const int count = std::max(1, std::min<int>(threads, static_cast<int>(walk.files.size())));
  if (count <= 1) {
    work();
  } else {
    std::vector<std::thread> pool;
    for (int t = 0; t < count; ++t) pool.emplace_back(work);
    for (std::thread& thread : pool) thread.join();
  }
  reporter.Finish();
  summary.converted = converted;
  summary.failed = failed;
  std::string line = std::to_string(summary.converted) + (summary.converted == 1 ? " file" : " files") +
                     " converted, " + std::to_string(summary.failed) + " failed";
  if (summary.skipped > 0) line += ", " + std::to_string(summary.skipped) + " skipped";
  std::fprintf(stderr, "tirmok: %s\n", line.c_str());
  return summary;
}

}  // namespace tirmok::tool
