// Where the tool writes: standard output, or a file replaced only when everything was written.
#include "output.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "stream.h"

namespace tirmok::tool {
namespace {

// The temporary file a signal handler removes: a fixed buffer, since the
// handler may only call functions that are safe in a signal handler.
char pendingTemporary[PATH_MAX + 1];
volatile std::sig_atomic_t temporaryPending = 0;

extern "C" void RemoveTemporaryAndDie(int signal) {
  if (temporaryPending != 0) unlink(pendingTemporary);
  std::signal(signal, SIG_DFL);
  raise(signal);
}

void WatchSignals() {
  static bool watching = false;
  if (watching) return;
  watching = true;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    // A signal the caller ignores (nohup, a background job) stays ignored.
    struct sigaction old {};
    if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = RemoveTemporaryAndDie;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
  }
}

// Signals are held off while the pending name changes, so the handler never
// sees half a name.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, signal);
    sigprocmask(SIG_BLOCK, &set, &old_);
  }
  ~SignalsHeld() { sigprocmask(SIG_SETMASK, &old_, nullptr); }

 private:
  sigset_t old_;
};

std::string Describe(const std::string& path) { return path.empty() ? "standard output" : "'" + path + "'"; }

[[noreturn]] void FailStandardOutput(int error) {
  if (error == 0) error = EIO;  // a stream's error flag keeps no reason
  throw ToolError("cannot write standard output: " + std::string(std::strerror(error)));
}

}  // namespace

Output::Output(const std::string& path) {
  if (path.empty() || path == "-") {
    file_ = stdout;
    return;
  }
  path_ = path;
  std::string target = path;
  struct stat info {};
  const bool exists = stat(path.c_str(), &info) == 0;
  if (exists && !S_ISREG(info.st_mode)) {
    // A device or a pipe cannot be replaced: it is written as it is.
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) Fail(errno);
    return;
  }
  if (exists) {
    // A link is followed, so that the file it names is the one replaced.
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) != nullptr) target = resolved;
  }
  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  std::string pattern = (slash == std::string::npos ? "" : folder) + "." + name + ".tirmok-XXXXXX";
  if (pattern.size() > PATH_MAX) throw ToolError("cannot write " + Describe(path_) + ": the name is too long");
  WatchSignals();
  int fd = -1;
  {
    const SignalsHeld held;
    fd = mkstemp(pattern.data());
    if (fd < 0) Fail(errno);
    std::memcpy(pendingTemporary, pattern.c_str(), pattern.size() + 1);
    temporaryPending = 1;
  }
  temporary_ = pattern;
  target_ = target;
  // The new file gets the old one's permissions, or those a new file gets.
  mode_t mode = 0;
  if (exists) {
    mode = info.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  if (fchmod(fd, mode) != 0) {
    const int error = errno;
    close(fd);
    Fail(error);
  }
  file_ = fdopen(fd, "wb");
  if (file_ == nullptr) {
    const int error = errno;
    close(fd);
    Fail(error);
  }
}

Output::~Output() {
  if (file_ != nullptr && file_ != stdout) std::fclose(file_);
  if (!temporary_.empty() && !committed_) {
    const SignalsHeld held;
    unlink(temporary_.c_str());
    temporaryPending = 0;
  }
}

void Output::Fail(int error) {
  if (error == 0) error = EIO;
  throw ToolError("cannot write " + Describe(path_) + ": " + std::strerror(error));
}

void Output::Write(std::string_view data) {
  if (data.empty()) return;
  if (std::fwrite(data.data(), 1, data.size(), file_) != data.size()) Fail(errno);
}

void Output::Commit() {
  if (file_ == stdout) {
    if (std::fflush(stdout) != 0) Fail(errno);
    return;
  }
  std::FILE* file = file_;
  file_ = nullptr;
  if (std::fflush(file) != 0) {
    const int error = errno;
    std::fclose(file);
    Fail(error);
  }
  if (!temporary_.empty() && fsync(fileno(file)) != 0) {
    const int error = errno;
    std::fclose(file);
    Fail(error);
  }
  if (std::fclose(file) != 0) Fail(errno);
  if (temporary_.empty()) return;
  const SignalsHeld held;
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) Fail(errno);
  committed_ = true;
  temporaryPending = 0;
}

void WriteStandardOutput(std::string_view data) {
  if (!data.empty() && std::fwrite(data.data(), 1, data.size(), stdout) != data.size()) FailStandardOutput(errno);
}

void FlushStandardOutput() {
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) FailStandardOutput(errno);
}

}  // namespace tirmok::tool
