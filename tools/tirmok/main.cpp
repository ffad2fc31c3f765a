// tirmok: the command-line tool. Converts, sorts and compares Telugu text, and converts date words.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "core/utf.h"
#include "module/formats.h"
#include "output.h"
#include "stream.h"
#include "tirmok/tirmok.h"
#include "tirmok/tirmok_ext.h"

namespace {

constexpr char kVersion[] = "tirmok 0.1.0";

constexpr char kUsage[] =
    "usage: tirmok <command> [options]\n"
    "\n"
    "commands:\n"
    "  convert --from FORMAT --to FORMAT [--set KEY=VALUE]... [-o FILE] [FILE]\n"
    "                      convert a file (or standard input)\n"
    "  sort [--format FORMAT] [FILE]\n"
    "                      write the lines in Telugu dictionary order\n"
    "  compare --format FORMAT A B\n"
    "                      print -1, 0 or 1 as A sorts before, equal to or after B\n"
    "  date [--to-english] [PHRASE...]\n"
    "                      replace English date words by Telugu words (or back)\n"
    "  formats             list the formats\n"
    "\n"
    "Text of the 16-bit formats (UNICODE, COLLCODE, ISO15919, BRAILLE_UNICODE) is read\n"
    "and written as UTF-8 unless --utf16 asks for UTF-16LE bytes.\n";

struct UsageError {
  std::string message;
  int exitCode = 2;
};

std::string FormatList() {
  std::string names;
  for (const auto& info : tirmok::AllFormats()) {
    if (!names.empty()) names += ", ";
    names += info.name;
  }
  return names;
}

tirmok::Format RequireFormat(const std::string& name) {
  const auto format = tirmok::ParseFormat(std::string_view(name));
  if (!format) throw UsageError{"unknown format '" + name + "'; valid formats: " + FormatList()};
  return *format;
}

// An open input: standard input or a file, read through a Source.
class Input {
 public:
  explicit Input(const std::string& path) : name_(path.empty() || path == "-" ? "standard input" : "'" + path + "'") {
    if (path.empty() || path == "-") {
      file_ = stdin;
      return;
    }
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) throw UsageError{"cannot read " + name_ + ": " + std::strerror(errno), 1};
  }
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;
  ~Input() {
    if (file_ != stdin) std::fclose(file_);
  }

  std::FILE* File() const { return file_; }

  // Reads up to `size` bytes; 0 at the end. Throws on a read error.
  std::size_t Read(char* buffer, std::size_t size) {
    const std::size_t n = std::fread(buffer, 1, size, file_);
    if (n == 0 && std::ferror(file_)) throw UsageError{"cannot read " + name_ + ": " + std::strerror(errno), 1};
    return n;
  }

  std::string ReadAll() {
    std::string content;
    char buffer[1 << 16];
    while (const std::size_t n = Read(buffer, sizeof buffer)) content.append(buffer, n);
    return content;
  }

 private:
  std::string name_;
  std::FILE* file_ = nullptr;
};

struct ConvertOptions {
  std::optional<tirmok::Format> from, to;
  std::string input, output;
  bool utf16 = false;
};

// A later --set of the same key replaces the earlier value, as LpxSetProperty does.
void SetProperty(tirmok::tool::PropertyList& properties, const std::string& assignment) {
  const auto eq = assignment.find('=');
  if (eq == std::string::npos || eq == 0) throw UsageError{"--set needs KEY=VALUE, got '" + assignment + "'"};
  properties.insert_or_assign(assignment.substr(0, eq), assignment.substr(eq + 1));
}

std::string NextArgument(int& i, int argc, char** argv, const char* option) {
  if (i + 1 >= argc) throw UsageError{std::string(option) + " needs a value"};
  return argv[++i];
}

// A progress line on standard error for long inputs, only when it is a terminal.
class Progress {
 public:
  explicit Progress(std::FILE* input) : enabled_(isatty(STDERR_FILENO) != 0) {
    struct stat info {};
    if (fstat(fileno(input), &info) == 0 && S_ISREG(info.st_mode)) total_ = static_cast<std::uint64_t>(info.st_size);
  }
  void Advance(std::size_t bytes) {
    done_ += bytes;
    if (!enabled_ || done_ < kThreshold || done_ - shown_ < kStep) return;
    shown_ = done_;
    if (total_ > 0) {
      std::fprintf(stderr, "\rtirmok: %llu of %llu MB (%u%%)", Mb(done_), Mb(total_),
                   static_cast<unsigned>(100 * done_ / total_));
    } else {
      std::fprintf(stderr, "\rtirmok: %llu MB", Mb(done_));
    }
    std::fflush(stderr);
    printed_ = true;
  }
  void Finish() {
    if (printed_) std::fprintf(stderr, "\rtirmok: %llu MB converted          \n", Mb(done_));
  }

 private:
  static constexpr std::uint64_t kThreshold = 64ull << 20;  // say nothing for short inputs
  static constexpr std::uint64_t kStep = 16ull << 20;
  static unsigned long long Mb(std::uint64_t bytes) { return static_cast<unsigned long long>(bytes >> 20); }
  bool enabled_;
  bool printed_ = false;
  std::uint64_t total_ = 0;
  std::uint64_t done_ = 0;
  std::uint64_t shown_ = 0;
};

int Convert(int argc, char** argv) {
  ConvertOptions options;
  std::vector<std::string> properties;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--from") {
      options.from = RequireFormat(NextArgument(i, argc, argv, "--from"));
    } else if (arg == "--to") {
      options.to = RequireFormat(NextArgument(i, argc, argv, "--to"));
    } else if (arg == "--set") {
      properties.push_back(NextArgument(i, argc, argv, "--set"));
    } else if (arg == "-o" || arg == "--output") {
      options.output = NextArgument(i, argc, argv, "-o");
    } else if (arg == "--utf16") {
      options.utf16 = true;
    } else if (arg == "--help" || arg == "-h") {
      tirmok::tool::WriteStandardOutput(
          "usage: tirmok convert --from FORMAT --to FORMAT [--set KEY=VALUE]... [--utf16] [-o FILE] [FILE]\n"
          "\n"
          "Converts FILE (or standard input) and writes the result to standard output or FILE.\n"
          "The result equals converting the whole input at once (a zero unit separates strings).\n"
          "The input is read in blocks of about 256 KiB that end at a line end or a blank where\n"
          "no conversion step looks across, so text with ordinary word spacing takes bounded\n"
          "memory whatever its line length; a stretch of more than 64 MiB without such a point\n"
          "is an error. FILE given with -o is replaced only when all of it was written (the input\n"
          "may be the same file). Text of the 16-bit formats (UNICODE, COLLCODE, ISO15919,\n"
          "BRAILLE_UNICODE) is read and written as UTF-8 unless --utf16 asks for UTF-16LE bytes.\n"
          "--set KEY=VALUE sets a property (LPX_KEY_NEMETH, LPX_KEY_SUBSCRIPT,\n"
          "LPX_KEY_SUPERSCRIPT, LPX_KEY_LANGUAGE) for the conversion; it may be repeated.\n"
          "BRAILLE and BRAILLE_UNICODE write Telugu letters, signs and digits (ASCII and Telugu)\n"
          "and leave out characters they have no cell for, such as Latin letters and other\n"
          "scripts; read back, they need the properties they were written with.\n"
          "\n"
          "Formats: " +
          FormatList() + "\n");
      return 0;
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      throw UsageError{"unknown option '" + arg + "'"};
    } else {
      options.input = arg;
    }
  }
  if (!options.from || !options.to) throw UsageError{"convert needs --from FORMAT and --to FORMAT"};
  if (!tirmok::Info(*options.from).input) {
    throw UsageError{std::string(tirmok::Info(*options.from).name) + " cannot be read, only written"};
  }
  if (!tirmok::Info(*options.to).output) {
    throw UsageError{std::string(tirmok::Info(*options.to).name) + " cannot be written, only read"};
  }
  tirmok::tool::PropertyList propertyList;
  for (const auto& p : properties) SetProperty(propertyList, p);
  const tirmok::tool::TextConverter converter(*options.from, *options.to, options.utf16, std::move(propertyList));

  Input input(options.input);
  tirmok::tool::Output output(options.output);
  Progress progress(input.File());
  tirmok::tool::ConvertStream(
      converter,
      [&](char* buffer, std::size_t size) {
        const std::size_t n = input.Read(buffer, size);
        progress.Advance(n);
        return n;
      },
      [&](std::string_view text) { output.Write(text); });
  output.Commit();
  progress.Finish();
  return 0;
}

// A line of text and the line end it had ("\n", "\r\n", or none for a last line without one).
struct Line {
  std::string text;
  std::string ending;
};

std::vector<Line> SplitLines(const std::string& text) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    Line line;
    if (end == std::string::npos) {
      line.text = text.substr(start);
      end = text.size();
    } else {
      const bool crlf = end > start && text[end - 1] == '\r';
      line.text = text.substr(start, end - start - (crlf ? 1 : 0));
      line.ending = crlf ? "\r\n" : "\n";
    }
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

tirmok::Format ComparableFormat(const std::string& name) {
  const tirmok::Format format = RequireFormat(name);
  if (!tirmok::Info(format).comparable) {
    std::string names;
    for (const auto& info : tirmok::AllFormats()) {
      if (!info.comparable) continue;
      if (!names.empty()) names += ", ";
      names += info.name;
    }
    throw UsageError{"format '" + name + "' cannot be compared; comparable formats: " + names};
  }
  return format;
}

int Sort(int argc, char** argv) {
  std::string formatName = "UTF-8";
  std::string path;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--format") {
      formatName = NextArgument(i, argc, argv, "--format");
    } else if (arg == "--help" || arg == "-h") {
      tirmok::tool::WriteStandardOutput(
          "usage: tirmok sort [--format FORMAT] [FILE]\n"
          "Writes the lines of FILE (or standard input) in Telugu dictionary order; lines that\n"
          "compare equal keep their order, and each line keeps its line end (a last line without\n"
          "one gets a line feed). FORMAT (default UTF-8) is the lines' format; lines of 16-bit\n"
          "formats are read as UTF-8 text, and a byte order mark that starts such text stays at the\n"
          "start. The whole input is held in memory.\n");
      return 0;
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      throw UsageError{"unknown option '" + arg + "'"};
    } else {
      path = arg;
    }
  }
  const tirmok::Format format = ComparableFormat(formatName);
  Input input(path);
  std::string text = input.ReadAll();
  // A byte order mark marks the text, not its first line: it stays in front.
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  std::string mark;
  const bool readAsUtf8 = format == tirmok::Format::kUtf8 || tirmok::IsWide(format);
  if (readAsUtf8 && std::string_view(text).substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    mark = kByteOrderMark;
    text.erase(0, kByteOrderMark.size());
  }
  std::vector<Line> lines = SplitLines(text);
  text.clear();
  text.shrink_to_fit();
  // The C++ API reports running out of memory and lines beyond the library's
  // 32-bit sizes as exceptions, where a comparison would call such lines
  // equal to any other.
  std::vector<std::string> keys;
  keys.reserve(lines.size());
  for (const Line& line : lines) keys.push_back(tirmok::sort_key(line.text, format));
  std::vector<std::size_t> order(lines.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  // Keys order the lines as LpxCompare does, made once per line rather than
  // once per comparison.
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
  tirmok::tool::WriteStandardOutput(mark);
  for (const std::size_t i : order) {
    tirmok::tool::WriteStandardOutput(lines[i].text);
    tirmok::tool::WriteStandardOutput(lines[i].ending.empty() ? std::string_view("\n") : lines[i].ending);
  }
  return 0;
}

int CompareCommand(int argc, char** argv) {
  std::string formatName;
  std::vector<std::string> operands;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--format") {
      formatName = NextArgument(i, argc, argv, "--format");
    } else if (arg == "--help" || arg == "-h") {
      tirmok::tool::WriteStandardOutput(
          "usage: tirmok compare --format FORMAT A B\n"
          "Prints -1, 0 or 1 as A sorts before, equal to or after B in Telugu dictionary order.\n");
      return 0;
    } else {
      operands.push_back(arg);
    }
  }
  if (formatName.empty()) throw UsageError{"compare needs --format FORMAT"};
  if (operands.size() != 2) throw UsageError{"compare needs two strings"};
  const tirmok::Format format = ComparableFormat(formatName);
  // Through the C++ API, which reports running out of memory instead of
  // answering 0 as LpxCompare does.
  const int order = tirmok::compare(operands[0], format, operands[1], format);
  tirmok::tool::WriteStandardOutput(std::to_string(order) + "\n");
  return 0;
}

int Date(int argc, char** argv) {
  bool fromEnglish = true;
  std::vector<std::string> words;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--to-english") {
      fromEnglish = false;
    } else if (arg == "--help" || arg == "-h") {
      tirmok::tool::WriteStandardOutput(
          "usage: tirmok date [--to-english] [PHRASE...]\n"
          "Replaces English weekday and month names and AM/PM by Telugu words in the TELTRANS\n"
          "transliteration (or back, with --to-english). Without PHRASE, converts each line of\n"
          "standard input; a zero byte inside a line is kept, and a long line is read in pieces\n"
          "cut at blanks (a stretch of more than 64 MiB without one is an error).\n");
      return 0;
    } else {
      words.push_back(arg);
    }
  }
  if (!words.empty()) {
    std::string phrase;
    for (const auto& w : words) phrase += (phrase.empty() ? "" : " ") + w;
    tirmok::tool::WriteStandardOutput(tirmok::tool::ConvertDateLine(phrase, fromEnglish) + "\n");
    return 0;
  }
  Input input("");
  tirmok::tool::ConvertDateStream(
      fromEnglish, [&](char* buffer, std::size_t size) { return input.Read(buffer, size); },
      [](std::string_view text) { tirmok::tool::WriteStandardOutput(text); });
  return 0;
}

int Formats() {
  std::string table;
  char row[128];
  std::snprintf(row, sizeof row, "%-16s %-7s %-6s %-6s %s\n", "FORMAT", "UNITS", "INPUT", "OUTPUT", "COMPARE");
  table += row;
  for (const auto& info : tirmok::AllFormats()) {
    std::snprintf(row, sizeof row, "%-16s %-7s %-6s %-6s %s\n", std::string(info.name).c_str(),
                  info.unitBytes == 2 ? "16-bit" : "8-bit", info.input ? "yes" : "no", info.output ? "yes" : "no",
                  info.comparable ? "yes" : "no");
    table += row;
  }
  tirmok::tool::WriteStandardOutput(table);
  return 0;
}

int Run(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string command = argv[1];
  if (command == "--help" || command == "-h" || command == "help") {
    tirmok::tool::WriteStandardOutput(kUsage);
    return 0;
  }
  if (command == "--version") {
    tirmok::tool::WriteStandardOutput(std::string(kVersion) + "\n");
    return 0;
  }
  if (command == "convert") return Convert(argc, argv);
  if (command == "formats") return Formats();
  if (command == "sort") return Sort(argc, argv);
  if (command == "compare") return CompareCommand(argc, argv);
  if (command == "date") return Date(argc, argv);
  throw UsageError{"unknown command '" + command + "'; see tirmok --help"};
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const int status = Run(argc, argv);
    // What is still buffered has to reach its destination too.
    tirmok::tool::FlushStandardOutput();
    return status;
  } catch (const UsageError& error) {
    std::fprintf(stderr, "tirmok: %s\n", error.message.c_str());
    return error.exitCode;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "tirmok: out of memory\n");
    return 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tirmok: %s\n", error.what());
    return 1;
  }
}
