// Sorting lines in Telugu dictionary order within a memory bound: sorted runs on disk and a merge.
#include "sort.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include <unistd.h>

#include "output.h"
#include "stream.h"

namespace tirmok::tool {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// How a line ended: its line end is written back as it was.
enum Ending : unsigned char { kNoEnding, kLineFeed, kCarriageReturnLineFeed };

std::string_view EndingText(unsigned char ending) {
  // A last line without a line end gets one, so that lines stay apart.
  return ending == kCarriageReturnLineFeed ? std::string_view("\r\n") : std::string_view("\n");
}

// Keys compare as byte strings, as std::string's operator< compares them
// (unsigned bytes, then the shorter first): the order of LpxCompare.
int CompareKeys(std::string_view a, std::string_view b) { return a.compare(b); }

// Reads lines with their line ends; the buffer grows to the longest line.
class LineReader {
 public:
  LineReader(std::FILE* file, const std::string& name) : file_(file), name_(name) {}
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;
  ~LineReader() { std::free(buffer_); }

  bool Next(std::string_view& text, unsigned char& ending) {
    errno = 0;
    const ssize_t n = getdelim(&buffer_, &capacity_, '\n', file_);
    if (n < 0) {
      if (errno == ENOMEM || errno == EOVERFLOW) throw std::bad_alloc();
      if (std::ferror(file_)) throw ToolError("cannot read " + name_ + ": " + std::strerror(errno == 0 ? EIO : errno));
      return false;
    }
    auto size = static_cast<std::size_t>(n);
    ending = kNoEnding;
    if (size > 0 && buffer_[size - 1] == '\n') {
      --size;
      ending = kLineFeed;
      if (size > 0 && buffer_[size - 1] == '\r') {
        --size;
        ending = kCarriageReturnLineFeed;
      }
    }
    text = std::string_view(buffer_, size);
    return true;
  }

 private:
  std::FILE* file_;
  const std::string& name_;
  char* buffer_ = nullptr;
  std::size_t capacity_ = 0;
};

// A line held in memory: its key and then its text, side by side in the arena.
struct Entry {
  const char* bytes;
  std::size_t keySize;
  std::size_t textSize;
  std::size_t order;  // its place in the input, for a stable order
  unsigned char ending;

  std::string_view Key() const { return {bytes, keySize}; }
  std::string_view Text() const { return {bytes + keySize, textSize}; }
};

// Lines' bytes in blocks, so that memory grows in steps the bound can count
// (no block is copied to grow, as a growing string would be).
class Arena {
 public:
  explicit Arena(std::size_t block) : block_(block) {}
  char* Allocate(std::size_t size) {
    if (size > block_) {
      blocks_.push_back(std::make_unique<char[]>(size));
      bytes_ += size;
      return blocks_.back().get();
    }
    if (blocks_.empty() || used_ + size > block_) {
      // A line too long for the current block gets a new one; the long line
      // above went to a block of its own, after which this one is full.
      blocks_.push_back(std::make_unique<char[]>(block_));
      bytes_ += block_;
      used_ = 0;
      current_ = blocks_.back().get();
    }
    char* at = current_ + used_;
    used_ += size;
    return at;
  }
  void Clear() {
    blocks_.clear();
    bytes_ = 0;
    used_ = 0;
    current_ = nullptr;
  }
  std::size_t Bytes() const { return bytes_; }
  // What one more line of `size` bytes adds at most.
  std::size_t Cost(std::size_t size) const {
    if (size > block_) return size;
    return blocks_.empty() || used_ + size > block_ ? block_ : 0;
  }

 private:
  std::size_t block_;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* current_ = nullptr;
  std::size_t used_ = 0;
  std::size_t bytes_ = 0;
};

// A run file: per line the key's and text's sizes, the line end, the key, the text.
struct RunHeader {
  std::uint64_t keySize;
  std::uint64_t textSize;
  unsigned char ending;
};

class RunWriter {
 public:
  RunWriter(const std::string& path, std::size_t buffer) : path_(path), buffer_(buffer) {
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) Fail(errno);
    std::setvbuf(file_, buffer_.data(), _IOFBF, buffer_.size());
  }
  RunWriter(const RunWriter&) = delete;
  RunWriter& operator=(const RunWriter&) = delete;
  ~RunWriter() {
    if (file_ != nullptr) std::fclose(file_);
  }
  void Write(std::string_view key, std::string_view text, unsigned char ending) {
    const std::uint64_t sizes[2] = {key.size(), text.size()};
    if (std::fwrite(sizes, sizeof sizes, 1, file_) != 1 || std::fwrite(&ending, 1, 1, file_) != 1 ||
        std::fwrite(key.data(), 1, key.size(), file_) != key.size() ||
        std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
      Fail(errno);
    }
  }
  void Close() {
    std::FILE* file = file_;
    file_ = nullptr;
    const bool flushed = std::fflush(file) == 0 && std::ferror(file) == 0;
    const int error = errno;
    if (std::fclose(file) != 0 || !flushed) Fail(flushed ? errno : error);
  }

 private:
  [[noreturn]] void Fail(int error) {
    if (error == 0) error = EIO;
    throw ToolError("cannot write the temporary file '" + path_ + "': " + std::strerror(error));
  }

  std::string path_;
  std::vector<char> buffer_;
  std::FILE* file_ = nullptr;
};

class RunReader {
 public:
  RunReader(const std::string& path, std::size_t buffer) : path_(path), buffer_(buffer) {
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) Fail();
    std::setvbuf(file_, buffer_.data(), _IOFBF, buffer_.size());
  }
  RunReader(const RunReader&) = delete;
  RunReader& operator=(const RunReader&) = delete;
  ~RunReader() { std::fclose(file_); }

  // The next line into key, text and ending; false at the end of the run.
  bool Next() {
    std::uint64_t sizes[2];
    if (std::fread(sizes, sizeof sizes, 1, file_) != 1) {
      if (std::ferror(file_)) Fail();
      return false;
    }
    key.resize(sizes[0]);
    text.resize(sizes[1]);
    if (std::fread(&ending, 1, 1, file_) != 1 || std::fread(key.data(), 1, key.size(), file_) != key.size() ||
        std::fread(text.data(), 1, text.size(), file_) != text.size()) {
      Fail();
    }
    return true;
  }

  std::string key;
  std::string text;
  unsigned char ending = kNoEnding;

 private:
  [[noreturn]] void Fail() {
    const int error = errno == 0 ? EIO : errno;
    throw ToolError("cannot read the temporary file '" + path_ + "': " +
                    (std::feof(file_) ? std::string("it ended early") : std::string(std::strerror(error))));
  }

  std::string path_;
  std::vector<char> buffer_;
  std::FILE* file_ = nullptr;
};

// Receives the lines in order: key, text and line end.
using LineSink = std::function<void(std::string_view, std::string_view, unsigned char)>;

// Passes lines on, leaving out (with `unique`) a line whose key equals the
// last one passed on.
class UniqueFilter {
 public:
  UniqueFilter(bool unique, const LineSink& sink) : unique_(unique), sink_(sink) {}
  void operator()(std::string_view key, std::string_view text, unsigned char ending) {
    if (unique_) {
      if (any_ && key == last_) return;
      last_.assign(key);
      any_ = true;
    }
    sink_(key, text, ending);
  }

 private:
  bool unique_;
  const LineSink& sink_;
  std::string last_;
  bool any_ = false;
};

class Sorter {
 public:
  Sorter(const SortOptions& options)
      : options_(options), arena_(std::clamp<std::size_t>(options.memory / 16, 256, std::size_t{1} << 20)) {}

  void Sort(std::FILE* input, const std::string& name, const std::function<void(std::string_view)>& out) {
    LineReader reader(input, name);
    std::string_view text;
    unsigned char ending = kNoEnding;
    const bool readAsUtf8 = options_.format == Format::kUtf8 || is_wide(options_.format);
    bool first = true;
    std::size_t order = 0;
    while (reader.Next(text, ending)) {
      if (first && readAsUtf8 && text.starts_with(kByteOrderMark)) {
        // A byte order mark marks the text, not its first line: it stays in front.
        out(kByteOrderMark);
        text.remove_prefix(kByteOrderMark.size());
        if (text.empty() && ending == kNoEnding) break;
      }
      first = false;
      Add(text, ending, order++);
    }
    const LineSink write = [&out](std::string_view, std::string_view line, unsigned char end) {
      out(line);
      out(EndingText(end));
    };
    if (runs_.empty()) {
      SortEntries();
      UniqueFilter filter(options_.unique, write);
      for (const Entry& entry : entries_) filter(entry.Key(), entry.Text(), entry.ending);
      return;
    }
    if (!entries_.empty()) WriteRun();
    Merge(write);
  }

 private:
  // Memory the entries' vector takes, and would take after it grows.
  std::size_t EntryBytes(std::size_t count) const { return count * sizeof(Entry); }

  void Add(std::string_view text, unsigned char ending, std::size_t order) {
    const std::string key = sort_key(text, options_.format);
    const std::size_t size = key.size() + text.size();
    const std::size_t entries = entries_.size() == entries_.capacity() ? std::max<std::size_t>(16, 2 * entries_.size())
                                                                       : entries_.capacity();
    if (!entries_.empty() && arena_.Bytes() + arena_.Cost(size) + EntryBytes(entries) > options_.memory) {
      WriteRun();
    }
    char* bytes = arena_.Allocate(size);
    std::memcpy(bytes, key.data(), key.size());
    std::memcpy(bytes + key.size(), text.data(), text.size());
    entries_.push_back({bytes, key.size(), text.size(), order, ending});
  }

  bool Before(std::string_view keyA, std::size_t orderA, std::string_view keyB, std::size_t orderB) const {
    const int c = CompareKeys(keyA, keyB);
    if (c != 0) return options_.reverse ? c > 0 : c < 0;
    return orderA < orderB;
  }

  void SortEntries() {
    // Ties go by input order: a stable order without a stable sort's extra buffer.
    std::sort(entries_.begin(), entries_.end(), [this](const Entry& a, const Entry& b) {
      return Before(a.Key(), a.order, b.Key(), b.order);
    });
  }

  std::size_t WriteBuffer() const { return std::clamp<std::size_t>(options_.memory / 8, 512, std::size_t{1} << 20); }

  void OpenFolder() {
    if (!folder_.Path().empty()) return;
    std::string parent = options_.temporaryFolder;
    if (parent.empty()) {
      const char* tmp = std::getenv("TMPDIR");
      parent = tmp != nullptr && *tmp != 0 ? tmp : "/tmp";
    }
    while (parent.size() > 1 && parent.back() == '/') parent.pop_back();
    if (!folder_.CreateFolder(parent + "/tirmok-sort-XXXXXX")) {
      throw ToolError("cannot make a temporary folder in '" + parent + "': " + std::strerror(errno));
    }
  }

  void WriteRun() {
    OpenFolder();
    SortEntries();
    const std::string path = folder_.NextFileName();
    {
      RunWriter writer(path, WriteBuffer());
      const LineSink write = [&writer](std::string_view key, std::string_view text, unsigned char ending) {
        writer.Write(key, text, ending);
      };
      UniqueFilter filter(options_.unique, write);
      for (const Entry& entry : entries_) filter(entry.Key(), entry.Text(), entry.ending);
      writer.Close();
    }
    runs_.push_back(path);
    entries_.clear();
    arena_.Clear();
  }

  // Merges `paths` (runs in input order) into `sink`.
  void MergeRuns(const std::vector<std::string>& paths, const LineSink& sink) {
    const std::size_t buffer = std::clamp<std::size_t>(options_.memory / (2 * (paths.size() + 1)), 512,
                                                       std::size_t{1} << 20);
    std::vector<std::unique_ptr<RunReader>> readers;
    std::vector<std::size_t> heap;  // readers with a line, the first in order on top
    for (const std::string& path : paths) {
      readers.push_back(std::make_unique<RunReader>(path, buffer));
      if (readers.back()->Next()) heap.push_back(readers.size() - 1);
    }
    // A run earlier in the input wins a tie: the merge keeps input order.
    const auto after = [&](std::size_t a, std::size_t b) {
      return Before(readers[b]->key, b, readers[a]->key, a);
    };
    std::make_heap(heap.begin(), heap.end(), after);
    UniqueFilter filter(options_.unique, sink);
    while (!heap.empty()) {
      std::pop_heap(heap.begin(), heap.end(), after);
      RunReader& reader = *readers[heap.back()];
      filter(reader.key, reader.text, reader.ending);
      if (reader.Next()) {
        std::push_heap(heap.begin(), heap.end(), after);
      } else {
        heap.pop_back();
      }
    }
  }

  void Merge(const LineSink& sink) {
    // As many runs at a time as leave each a useful read buffer within the bound.
    const std::size_t fanIn = std::clamp<std::size_t>(options_.memory / (std::size_t{64} << 10), 2, 256);
    while (runs_.size() > fanIn) {
      std::vector<std::string> merged;
      for (std::size_t i = 0; i < runs_.size(); i += fanIn) {
        const std::vector<std::string> group(runs_.begin() + static_cast<std::ptrdiff_t>(i),
                                             runs_.begin() + static_cast<std::ptrdiff_t>(std::min(i + fanIn, runs_.size())));
        if (group.size() == 1) {
          merged.push_back(group[0]);
          continue;
        }
        const std::string path = folder_.NextFileName();
        {
          RunWriter writer(path, WriteBuffer());
          MergeRuns(group, [&writer](std::string_view key, std::string_view text, unsigned char ending) {
            writer.Write(key, text, ending);
          });
          writer.Close();
        }
        for (const std::string& done : group) unlink(done.c_str());
        merged.push_back(path);
      }
      runs_.swap(merged);
    }
    MergeRuns(runs_, sink);
  }

  const SortOptions& options_;
  Arena arena_;
  std::vector<Entry> entries_;
  Temporary folder_;               // the runs' folder, removed with them
  std::vector<std::string> runs_;  // in input order
};

}  // namespace

std::optional<std::size_t> ParseMemorySize(std::string_view text) {
  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  if (digits == 0 || digits > 15) return std::nullopt;
  std::size_t value = 0;
  for (std::size_t i = 0; i < digits; ++i) value = 10 * value + static_cast<std::size_t>(text[i] - '0');
  const std::string_view suffix = text.substr(digits);
  int shift = 10;  // a bare number counts KiB
  if (suffix.size() > 1) return std::nullopt;
  if (suffix.size() == 1) {
    switch (suffix[0]) {
      case 'b': shift = 0; break;
      case 'k': case 'K': shift = 10; break;
      case 'm': case 'M': shift = 20; break;
      case 'g': case 'G': shift = 30; break;
      case 't': case 'T': shift = 40; break;
      default: return std::nullopt;
    }
  }
  if (value > (SIZE_MAX >> shift)) return std::nullopt;
  value <<= shift;
  if (value < kLeastSortMemory) return std::nullopt;
  return value;
}

void SortLines(std::FILE* input, const std::string& inputName, const SortOptions& options,
               const std::function<void(std::string_view)>& sink) {
  Sorter sorter(options);
  sorter.Sort(input, inputName, sink);
}

}  // namespace tirmok::tool
