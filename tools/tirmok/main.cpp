// tirmok: the command-line tool. Converts, sorts and compares Telugu text, and converts date words.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "core/utf.h"
#include "module/formats.h"
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

std::string ReadAll(const std::string& path) {
  if (path.empty() || path == "-") {
    return std::string(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw UsageError{"cannot read '" + path + "': " + std::strerror(errno), 1};
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) throw UsageError{"cannot read '" + path + "': " + std::strerror(errno), 1};
  return content.str();
}

// The caller's text as the library's string of that format: 16-bit formats
// become char16_t strings (from UTF-8, or UTF-16LE with --utf16).
std::string ToLibrary(const std::string& text, tirmok::Format format, bool utf16) {
  if (!tirmok::IsWide(format)) return text;
  std::u16string wide;
  if (utf16) {
    wide.resize(text.size() / 2);
    for (std::size_t i = 0; i < wide.size(); ++i) {
      wide[i] = static_cast<char16_t>(static_cast<unsigned char>(text[2 * i]) |
                                      (static_cast<unsigned char>(text[2 * i + 1]) << 8));
    }
  } else {
    wide = tirmok::Utf8ToUtf16(text);
  }
  return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(char16_t));
}

std::string FromLibrary(const std::string& data, tirmok::Format format, bool utf16) {
  if (!tirmok::IsWide(format)) return data;
  std::u16string wide(data.size() / 2, u'\0');
  std::memcpy(wide.data(), data.data(), wide.size() * sizeof(char16_t));
  if (!utf16) return tirmok::Utf16ToUtf8(wide);
  std::string bytes;
  for (char16_t u : wide) {
    bytes.push_back(static_cast<char>(u & 0xFF));
    bytes.push_back(static_cast<char>(u >> 8));
  }
  return bytes;
}

// Converts one piece of text that holds no zero unit. Control characters pass
// through every converter, so pieces can be whole lines.
std::string ConvertPiece(const std::string& piece, tirmok::Format from, tirmok::Format to) {
  const int inUnit = tirmok::Info(from).unitBytes;
  const int outUnit = tirmok::Info(to).unitBytes;
  std::string input = piece;
  input.append(static_cast<std::size_t>(inUnit), '\0');
  const std::string fromName(tirmok::Info(from).name);
  const std::string toName(tirmok::Info(to).name);
  const int32_t size = LpxConvert(input.data(), fromName.c_str(), nullptr, toName.c_str(), 0);
  if (size <= 0) throw UsageError{"input too large to convert in one piece", 1};
  // char16_t storage keeps 16-bit output aligned; byte output uses it as bytes.
  std::vector<char16_t> buffer((static_cast<std::size_t>(size) * static_cast<std::size_t>(outUnit) + 1) / 2 + 1);
  const int32_t length = LpxConvert(input.data(), fromName.c_str(), buffer.data(), toName.c_str(), size);
  return std::string(reinterpret_cast<const char*>(buffer.data()),
                     static_cast<std::size_t>(length) * static_cast<std::size_t>(outUnit));
}

struct ConvertOptions {
  std::optional<tirmok::Format> from, to;
  std::string input, output;
  bool utf16 = false;
};

void SetProperty(const std::string& assignment) {
  const auto eq = assignment.find('=');
  if (eq == std::string::npos || eq == 0) throw UsageError{"--set needs KEY=VALUE, got '" + assignment + "'"};
  LpxSetProperty(assignment.substr(0, eq).c_str(), assignment.substr(eq + 1).c_str());
}

void WriteOutput(const std::string& path, const std::string& data) {
  if (path.empty() || path == "-") {
    std::fwrite(data.data(), 1, data.size(), stdout);
    std::fflush(stdout);
    return;
  }
  std::ofstream out(path, std::ios::binary);
  if (!out) throw UsageError{"cannot write '" + path + "': " + std::strerror(errno), 1};
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  if (!out) throw UsageError{"cannot write '" + path + "': " + std::strerror(errno), 1};
}

std::string NextArgument(int& i, int argc, char** argv, const char* option) {
  if (i + 1 >= argc) throw UsageError{std::string(option) + " needs a value"};
  return argv[++i];
}

// Converts text that may hold zero units: each zero-free segment is converted
// and the zero units are kept between them, so nothing is lost.
std::string ConvertText(const std::string& data, tirmok::Format from, tirmok::Format to) {
  const std::size_t unit = static_cast<std::size_t>(tirmok::Info(from).unitBytes);
  const std::size_t outUnit = static_cast<std::size_t>(tirmok::Info(to).unitBytes);
  std::string result;
  std::size_t start = 0;
  while (start <= data.size()) {
    std::size_t end = start;
    while (end + unit <= data.size() && !(data[end] == 0 && (unit == 1 || data[end + 1] == 0))) end += unit;
    if (end > start) result += ConvertPiece(data.substr(start, end - start), from, to);
    if (end + unit > data.size()) break;
    result.append(outUnit, '\0');
    start = end + unit;
  }
  return result;
}

// Reads the input in blocks of whole lines, so memory stays bounded whatever
// the size of the file.
class LineBlockReader {
 public:
  LineBlockReader(std::FILE* file, std::size_t unit) : file_(file), unit_(unit) {}

  // The next block of whole lines (the last may lack its line feed); false at the end.
  bool Next(std::string& block) {
    block.clear();
    if (done_ && pending_.empty()) return false;
    while (!done_ && pending_.size() < kBlockBytes) {
      char buffer[1 << 16];
      const std::size_t n = std::fread(buffer, 1, sizeof buffer, file_);
      if (n == 0) {
        if (std::ferror(file_)) throw UsageError{std::string("read error: ") + std::strerror(errno), 1};
        done_ = true;
        break;
      }
      pending_.append(buffer, n);
    }
    std::size_t cut = pending_.size();
    if (!done_) {
      cut = LastLineEnd();
      if (cut == 0) cut = pending_.size() - pending_.size() % unit_;  // one very long line
    }
    block = pending_.substr(0, cut);
    pending_.erase(0, cut);
    return !block.empty() || !pending_.empty() || !done_;
  }

 private:
  static constexpr std::size_t kBlockBytes = 1 << 20;

  std::size_t LastLineEnd() const {
    for (std::size_t i = pending_.size() - pending_.size() % unit_; i >= unit_; i -= unit_) {
      const std::size_t at = i - unit_;
      if (pending_[at] == '\n' && (unit_ == 1 || pending_[at + 1] == 0)) return i;
    }
    return 0;
  }

  std::FILE* file_;
  std::size_t unit_;
  std::string pending_;
  bool done_ = false;
};

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
      std::cout << "usage: tirmok convert --from FORMAT --to FORMAT [--set KEY=VALUE]... [--utf16] [-o FILE] [FILE]\n"
                   "\n"
                   "Converts FILE (or standard input) and writes the result to standard output or FILE.\n"
                   "The input is read in blocks of whole lines, so files of any size take bounded memory;\n"
                   "only a Braille quotation that spans a block boundary can differ from converting the\n"
                   "whole file at once. Text of the 16-bit formats (UNICODE, COLLCODE, ISO15919,\n"
                   "BRAILLE_UNICODE) is read and written as UTF-8 unless --utf16 asks for UTF-16LE bytes.\n"
                   "--set KEY=VALUE sets a property (LPX_KEY_NEMETH, LPX_KEY_SUBSCRIPT,\n"
                   "LPX_KEY_SUPERSCRIPT, LPX_KEY_LANGUAGE) before converting; it may be repeated.\n"
                   "BRAILLE and BRAILLE_UNICODE write Telugu letters, signs and digits (ASCII and Telugu)\n"
                   "and leave out characters they have no cell for, such as Latin letters and other\n"
                   "scripts; read back, they need the properties they were written with.\n"
                   "\n"
                   "Formats: "
                << FormatList() << "\n";
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
  for (const auto& p : properties) SetProperty(p);

  std::FILE* in = stdin;
  if (!options.input.empty() && options.input != "-") {
    in = std::fopen(options.input.c_str(), "rb");
    if (!in) throw UsageError{"cannot read '" + options.input + "': " + std::strerror(errno), 1};
  }
  std::FILE* out = stdout;
  if (!options.output.empty() && options.output != "-") {
    out = std::fopen(options.output.c_str(), "wb");
    if (!out) throw UsageError{"cannot write '" + options.output + "': " + std::strerror(errno), 1};
  }
  const bool wideBytes = options.utf16 && tirmok::IsWide(*options.from);
  LineBlockReader reader(in, wideBytes ? 2 : 1);
  Progress progress(in);
  std::string block;
  while (reader.Next(block)) {
    progress.Advance(block.size());
    const std::string converted = ConvertText(ToLibrary(block, *options.from, options.utf16), *options.from, *options.to);
    const std::string text = FromLibrary(converted, *options.to, options.utf16);
    if (std::fwrite(text.data(), 1, text.size(), out) != text.size()) {
      throw UsageError{"cannot write '" + (options.output.empty() ? std::string("standard output") : options.output) +
                           "': " + std::strerror(errno),
                       1};
    }
  }
  progress.Finish();
  if (in != stdin) std::fclose(in);
  if (std::fflush(out) != 0 || (out != stdout && std::fclose(out) != 0)) {
    throw UsageError{"cannot write '" + (options.output.empty() ? std::string("standard output") : options.output) +
                         "': " + std::strerror(errno),
                     1};
  }
  return 0;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
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

// The sort key of each line (terminated strings of the format named), or
// nothing when a line is too long for the library's 32-bit sizes: LpxCompare
// calls such lines equal to any other, which keys would not.
std::optional<std::vector<std::string>> SortKeys(const std::vector<std::string>& library, const std::string& name) {
  constexpr std::size_t kLongest = (INT32_MAX - 4096) / 20;  // units a conversion's buffers can serve
  std::vector<std::string> keys(library.size());
  for (std::size_t i = 0; i < library.size(); ++i) {
    if (library[i].size() > kLongest) return std::nullopt;
    std::string& key = keys[i];
    key.resize(3 * library[i].size() + 16);  // longer than any key of the line
    auto* bytes = reinterpret_cast<unsigned char*>(key.data());
    std::int32_t length = TirmokSortKey(library[i].data(), name.c_str(), bytes, static_cast<std::int32_t>(key.size()));
    if (length > static_cast<std::int32_t>(key.size())) {
      key.resize(static_cast<std::size_t>(length));
      bytes = reinterpret_cast<unsigned char*>(key.data());
      length = TirmokSortKey(library[i].data(), name.c_str(), bytes, length);
    }
    if (length < 0) return std::nullopt;
    key.resize(static_cast<std::size_t>(length));
  }
  return keys;
}

int Sort(int argc, char** argv) {
  std::string formatName = "UTF-8";
  std::string path;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--format") {
      formatName = NextArgument(i, argc, argv, "--format");
    } else if (arg == "--help" || arg == "-h") {
      std::cout << "usage: tirmok sort [--format FORMAT] [FILE]\n"
                   "Writes the lines of FILE (or standard input) in Telugu dictionary order; lines that\n"
                   "compare equal keep their order. FORMAT (default UTF-8) is the lines' format; lines of\n"
                   "16-bit formats are read as UTF-8 text.\n";
      return 0;
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      throw UsageError{"unknown option '" + arg + "'"};
    } else {
      path = arg;
    }
  }
  const tirmok::Format format = ComparableFormat(formatName);
  const std::string name(tirmok::Info(format).name);
  const std::vector<std::string> lines = SplitLines(ReadAll(path));
  std::vector<std::string> library;
  library.reserve(lines.size());
  for (const auto& line : lines) {
    std::string data = ToLibrary(line, format, false);
    data.append(static_cast<std::size_t>(tirmok::Info(format).unitBytes), '\0');
    library.push_back(std::move(data));
  }
  std::vector<std::size_t> order(lines.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  if (const auto keys = SortKeys(library, name)) {
    // Keys order the lines as LpxCompare does, made once per line rather
    // than once per comparison.
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return (*keys)[a] < (*keys)[b]; });
  } else {
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      return LpxCompare(library[a].data(), name.c_str(), library[b].data(), name.c_str()) < 0;
    });
  }
  std::string out;
  for (std::size_t i : order) {
    out += lines[i];
    out += '\n';
  }
  WriteOutput("", out);
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
      std::cout << "usage: tirmok compare --format FORMAT A B\n"
                   "Prints -1, 0 or 1 as A sorts before, equal to or after B in Telugu dictionary order.\n";
      return 0;
    } else {
      operands.push_back(arg);
    }
  }
  if (formatName.empty()) throw UsageError{"compare needs --format FORMAT"};
  if (operands.size() != 2) throw UsageError{"compare needs two strings"};
  const tirmok::Format format = ComparableFormat(formatName);
  const std::string name(tirmok::Info(format).name);
  std::string a = ToLibrary(operands[0], format, false);
  std::string b = ToLibrary(operands[1], format, false);
  a.append(static_cast<std::size_t>(tirmok::Info(format).unitBytes), '\0');
  b.append(static_cast<std::size_t>(tirmok::Info(format).unitBytes), '\0');
  std::cout << LpxCompare(a.data(), name.c_str(), b.data(), name.c_str()) << "\n";
  return 0;
}

std::string ConvertDate(const std::string& phrase, bool fromEnglish) {
  // Telugu words are longer than the English words they replace: allow for it.
  std::vector<char> output(phrase.size() * 4 + 64);
  const int32_t n = LpxDateConvert(phrase.c_str(), fromEnglish ? 1 : 0, output.data(),
                                   static_cast<int32_t>(output.size()));
  return std::string(output.data(), static_cast<std::size_t>(n));
}

int Date(int argc, char** argv) {
  bool fromEnglish = true;
  std::vector<std::string> words;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--to-english") {
      fromEnglish = false;
    } else if (arg == "--help" || arg == "-h") {
      std::cout << "usage: tirmok date [--to-english] [PHRASE...]\n"
                   "Replaces English weekday and month names and AM/PM by Telugu words in the TELTRANS\n"
                   "transliteration (or back, with --to-english). Without PHRASE, converts each line of\n"
                   "standard input.\n";
      return 0;
    } else {
      words.push_back(arg);
    }
  }
  if (!words.empty()) {
    std::string phrase;
    for (const auto& w : words) phrase += (phrase.empty() ? "" : " ") + w;
    std::cout << ConvertDate(phrase, fromEnglish) << "\n";
    return 0;
  }
  std::string line;
  while (std::getline(std::cin, line)) std::cout << ConvertDate(line, fromEnglish) << "\n";
  return 0;
}

int Formats() {
  std::printf("%-16s %-7s %-6s %-6s %s\n", "FORMAT", "UNITS", "INPUT", "OUTPUT", "COMPARE");
  for (const auto& info : tirmok::AllFormats()) {
    std::printf("%-16s %-7s %-6s %-6s %s\n", std::string(info.name).c_str(), info.unitBytes == 2 ? "16-bit" : "8-bit",
                info.input ? "yes" : "no", info.output ? "yes" : "no", info.comparable ? "yes" : "no");
  }
  return 0;
}

int Run(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string command = argv[1];
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kUsage;
    return 0;
  }
  if (command == "--version") {
    std::cout << kVersion << "\n";
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
    return Run(argc, argv);
  } catch (const UsageError& error) {
    std::cerr << "tirmok: " << error.message << "\n";
    return error.exitCode;
  } catch (const std::exception& error) {
    std::cerr << "tirmok: " << error.what() << "\n";
    return 1;
  }
}
