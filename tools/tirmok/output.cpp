// Where the tool writes: standard output, or a file replaced only when everything was written.
#include "output.h"

#include <cerrno>
#include <climits>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include "stream.h"

namespace tirmok::tool {
namespace {

// The temporary files a signal handler removes. The handler may only call
// functions that are safe in a signal handler, so names are kept in fixed
// buffers, and each slot's state says when its name may be read: a thread
// claims a free slot (kClaimed), writes the name, then publishes it. A signal
// sets `dying`, removes every published name, and waits a moment for slots
// being written in other threads to be published before the tool ends.
enum SlotState : int { kFree, kClaimed, kFile, kFolder };
struct Slot {
  std::atomic<int> state{kFree};
  std::atomic<long> files{0};  // a folder's numbered files 0 .. files-1
  char path[PATH_MAX + 1];
};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<long>::is_always_lock_free);
Slot slots[Temporary::kMostTemporaries];
std::atomic<int> dying{0};

// "<folder>/<n>" into `buffer`, written by hand: snprintf is not safe here.
void NumberedName(const char* folder, long n, char* buffer, std::size_t size) {
  std::size_t length = std::strlen(folder);
  char digits[24];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n > 0);
  if (length + 1 + static_cast<std::size_t>(count) + 1 > size) {
    buffer[0] = 0;
    return;
  }
  std::memcpy(buffer, folder, length);
  buffer[length++] = '/';
  while (count > 0) buffer[length++] = digits[--count];
  buffer[length] = 0;
}

void RemoveSlot(Slot& slot) {
  const int state = slot.state.load();
  if (state == kFile) unlink(slot.path);
  if (state != kFolder) return;
  char name[PATH_MAX + 32];
  const long files = slot.files.load();
  for (long n = 0; n < files; ++n) {
    NumberedName(slot.path, n, name, sizeof name);
    if (name[0] != 0) unlink(name);
  }
  rmdir(slot.path);
}

extern "C" void RemoveTemporariesAndDie(int signal) {
  dying.store(1);
  // A slot another thread is filling gets published within moments; wait for
  // it up to about two seconds.
  for (int round = 0; round < 2000; ++round) {
    bool claimed = false;
    for (Slot& slot : slots) {
      const int state = slot.state.load();
      if (state == kClaimed) claimed = true;
      if (state == kFile || state == kFolder) {
        RemoveSlot(slot);
        slot.state.store(kFree);
      }
    }
    if (!claimed) break;
    const timespec pause{0, 1000000};
    nanosleep(&pause, nullptr);
  }
  std::signal(signal, SIG_DFL);
  raise(signal);
}

void WatchSignals() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
      // A signal the caller ignores (nohup, a background job) stays ignored.
      struct sigaction old {};
      if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
      struct sigaction action {};
      action.sa_handler = RemoveTemporariesAndDie;
      sigemptyset(&action.sa_mask);
      sigaction(signal, &action, nullptr);
    }
  });
}

// Signals are held off in this thread while it changes its slot, so that the
// handler never waits for the thread it runs in.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, signal);
    pthread_sigmask(SIG_BLOCK, &set, &old_);
  }
  ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }

 private:
  sigset_t old_;
};

// A free slot, claimed; -1 (errno EMFILE) when all are taken.
int ClaimSlot() {
  for (int i = 0; i < Temporary::kMostTemporaries; ++i) {
    int expected = kFree;
    if (slots[i].state.compare_exchange_strong(expected, kClaimed)) return i;
  }
  errno = EMFILE;
  return -1;
}

// Once the tool is ending on a signal, no new temporary file is made.
void StopIfDying() {
  while (dying.load() != 0) pause();
}

}  // namespace

int Temporary::CreateFile(const std::string& pattern) {
  Remove();
  if (pattern.size() > PATH_MAX) {
    errno = ENAMETOOLONG;
    return -1;
  }
  WatchSignals();
  const SignalsHeld held;
  StopIfDying();
  const int slot = ClaimSlot();
  if (slot < 0) return -1;
  Slot& s = slots[slot];
  std::memcpy(s.path, pattern.c_str(), pattern.size() + 1);
  const int fd = mkstemp(s.path);
  if (fd < 0) {
    const int error = errno;
    s.state.store(kFree);
    errno = error;
    return -1;
  }
  s.state.store(kFile);
  slot_ = slot;
  path_ = s.path;
  folder_ = false;
  return fd;
}

bool Temporary::CreateFolder(const std::string& pattern) {
  Remove();
  if (pattern.size() > PATH_MAX) {
    errno = ENAMETOOLONG;
    return false;
  }
  WatchSignals();
  const SignalsHeld held;
  StopIfDying();
  const int slot = ClaimSlot();
  if (slot < 0) return false;
  Slot& s = slots[slot];
  std::memcpy(s.path, pattern.c_str(), pattern.size() + 1);
  s.files.store(0);
  if (mkdtemp(s.path) == nullptr) {
    const int error = errno;
    s.state.store(kFree);
    errno = error;
    return false;
  }
  s.state.store(kFolder);
  slot_ = slot;
  path_ = s.path;
  folder_ = true;
  files_ = 0;
  return true;
}

std::string Temporary::NextFileName() {
  char name[PATH_MAX + 32];
  NumberedName(path_.c_str(), files_, name, sizeof name);
  ++files_;
  slots[slot_].files.store(files_);
  return name;
}

int Temporary::RenameTo(const std::string& target) {
  const SignalsHeld held;
  if (std::rename(path_.c_str(), target.c_str()) != 0) return errno;
  slots[slot_].state.store(kFree);
  slot_ = -1;
  path_.clear();
  return 0;
}

void Temporary::Remove() {
  if (slot_ < 0) return;
  const SignalsHeld held;
  Slot& s = slots[slot_];
  // Claimed again while the files go, so that a signal in another thread
  // waits rather than reads a name that is about to be reused.
  s.state.store(kClaimed);
  if (folder_) {
    for (long n = 0; n < files_; ++n) {
      char name[PATH_MAX + 32];
      NumberedName(path_.c_str(), n, name, sizeof name);
      unlink(name);
    }
    rmdir(path_.c_str());
  } else {
    unlink(path_.c_str());
  }
  s.state.store(kFree);
  slot_ = -1;
  path_.clear();
}

namespace {

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
  const std::string pattern = (slash == std::string::npos ? "" : folder) + "." + name + ".tirmok-XXXXXX";
  if (pattern.size() > PATH_MAX) throw ToolError("cannot write " + Describe(path_) + ": the name is too long");
  const int fd = temporary_.CreateFile(pattern);
  if (fd < 0) Fail(errno);
  target_ = target;
  // The new file gets the old one's permissions, or those a new file gets.
  mode_t mode = 0;
  if (exists) {
    mode = info.st_mode & 07777;
  } else {
    // umask can only be read by setting it: once, before threads could race on it.
    static const mode_t mask = [] {
      const mode_t old = umask(0);
      umask(old);
      return old;
    }();
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
  if (!temporary_.Path().empty() && fsync(fileno(file)) != 0) {
    const int error = errno;
    std::fclose(file);
    Fail(error);
  }
  if (std::fclose(file) != 0) Fail(errno);
  if (temporary_.Path().empty()) return;
  if (const int error = temporary_.RenameTo(target_)) Fail(error);
}

void WriteStandardOutput(std::string_view data) {
  if (!data.empty() && std::fwrite(data.data(), 1, data.size(), stdout) != data.size()) FailStandardOutput(errno);
}

void FlushStandardOutput() {
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) FailStandardOutput(errno);
}

}  // namespace tirmok::tool
