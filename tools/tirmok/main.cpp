// tirmok: the command-line tool. Converts, sorts and compares Telugu text, and converts date words.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <getopt.h>

#include <sys/stat.h>
#include <unistd.h>

#include "folder.h"
#include "input_check.h"
#include "output.h"
#include "sort.h"
#include "stream.h"
#include "tirmok/tirmok.h"
#include "tirmok/tirmok_ext.h"

namespace {

constexpr char kVersion[] = "tirmok 0.1.0";

constexpr char kUsage[] =
    "usage: tirmok <command> [options]\n"
    "\n"
    "commands:\n"
    "  convert -f FORMAT -t FORMAT [-s KEY=VALUE]... [-o FILE] [FILE...]\n"
    "                      convert files (or standard input) into one output\n"
    "  sort [--format FORMAT] [-r] [-u] [-S SIZE] [-T DIR] [-o FILE] [FILE]\n"
    "                      write the lines in Telugu dictionary order\n"
    "  compare --format FORMAT A B\n"
    "                      print -1, 0 or 1 as A sorts before, equal to or after B\n"
    "  date [--to-english] [PHRASE...]\n"
    "                      replace English date words by Telugu words (or back)\n"
    "  formats             list the formats\n"
    "\n"
    "Text of the 16-bit formats (UNICODE, COLLCODE, ISO15919, BRAILLE_UNICODE) is read\n"
    "and written as UTF-8 unless --utf16 asks for UTF-16 bytes.\n"
    "Every command takes -h (--help) and -V (--version).\n";

struct UsageError {
  std::string message;
  int exitCode = 2;
};

std::string FormatList() {
  std::string names;
  for (const tirmok::Format format : tirmok::all_formats()) {
    if (!names.empty()) names += ", ";
    names += tirmok::format_name(format);
  }
  return names;
}

tirmok::Format RequireFormat(const std::string& name) {
  const auto format = tirmok::parse_format(name);
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
    if (file_ == nullptr) throw tirmok::tool::ToolError("cannot read " + name_ + ": " + std::strerror(errno));
  }
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;
  ~Input() {
    if (file_ != stdin) std::fclose(file_);
  }

  std::FILE* File() const { return file_; }
  const std::string& Name() const { return name_; }

  // Reads up to `size` bytes; 0 at the end. Throws on a read error.
  std::size_t Read(char* buffer, std::size_t size) {
    const std::size_t n = std::fread(buffer, 1, size, file_);
    if (n == 0 && std::ferror(file_)) throw tirmok::tool::ToolError("cannot read " + name_ + ": " + std::strerror(errno));
    return n;
  }

 private:
  std::string name_;
  std::FILE* file_ = nullptr;
};

// Shown on -h or -V: the command ends there with status 0.
struct Shown {};

constexpr int kLongOnly = 256;  // getopt values of options without a short form start here

// Parses a command's options as getopt_long does (argv[1] is the command):
// "--from=X", "--from X", "-fX", "-f X", options and operands in any order,
// "--" ending the options. -h prints `help`, -V the version; `handle` gets
// every other option with its value. Returns the operands in order.
std::vector<std::string> ParseOptions(int argc, char** argv, const std::string& shortOptions,
                                      const std::vector<option>& longOptions, const std::string& help,
                                      const std::function<void(int, const char*)>& handle) {
  std::vector<option> options = longOptions;
  options.push_back({"help", no_argument, nullptr, 'h'});
  options.push_back({"version", no_argument, nullptr, 'V'});
  options.push_back({nullptr, 0, nullptr, 0});
  const std::string shorts = ":" + shortOptions + "hV";
  opterr = 0;
  optind = 1;
  const int count = argc - 1;
  char** args = argv + 1;
  for (;;) {
    const int c = getopt_long(count, args, shorts.c_str(), options.data(), nullptr);
    if (c == -1) break;
    if (c == 'h') {
      tirmok::tool::WriteStandardOutput(help);
      throw Shown{};
    }
    if (c == 'V') {
      tirmok::tool::WriteStandardOutput(std::string(kVersion) + "\n");
      throw Shown{};
    }
    // A long option names itself; a short one may sit in a cluster ("-xf").
    const char* element = optind >= 1 && optind <= count ? args[optind - 1] : "";
    std::string given = std::strncmp(element, "--", 2) == 0 ? std::string(element).substr(0, std::string(element).find('='))
                                                           : std::string("-") + static_cast<char>(optopt);
    if (c == '?') throw UsageError{"unknown option '" + given + "' for " + argv[1] + "; see tirmok " + argv[1] + " -h"};
    if (c == ':') throw UsageError{"option '" + given + "' needs a value"};
    handle(c, optarg);
  }
  return std::vector<std::string>(args + optind, args + count);
}

// The properties a converter reads, and the values each takes: with any
// other key or value a --set would change nothing, so it is refused.
struct PropertyRule {
  std::string_view key;
  std::vector<std::string_view> values;  // compared without regard to case
};

const std::vector<PropertyRule>& PropertyRules() {
  static const std::vector<PropertyRule> rules = {
      {LPX_KEY_NEMETH, {"TRUE", "FALSE"}},
      {LPX_KEY_SUBSCRIPT, {"TRUE", "FALSE"}},
      {LPX_KEY_SUPERSCRIPT, {"TRUE", "FALSE"}},
      // INSCRIPT layout variants; without the property the standard layout.
      {LPX_KEY_LANGUAGE, {"BENGALI", "ASSAMESE", "MARATHI"}},
  };
  return rules;
}

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
    if (upper(a[i]) != upper(b[i])) return false;
  }
  return true;
}

std::string Joined(const std::vector<std::string_view>& words) {
  std::string out;
  for (const auto w : words) out += (out.empty() ? "" : ", ") + std::string(w);
  return out;
}

// A later --set of the same key replaces the earlier value, as LpxSetProperty does.
void SetProperty(tirmok::tool::PropertyList& properties, const std::string& assignment) {
  const auto eq = assignment.find('=');
  if (eq == std::string::npos || eq == 0) throw UsageError{"--set needs KEY=VALUE, got '" + assignment + "'"};
  const std::string key = assignment.substr(0, eq);
  const std::string value = assignment.substr(eq + 1);
  std::vector<std::string_view> keys;
  for (const auto& rule : PropertyRules()) {
    keys.push_back(rule.key);
    if (rule.key != key) continue;
    for (const auto valid : rule.values) {
      if (SameLetters(valid, value)) {
        properties.insert_or_assign(key, value);
        return;
      }
    }
    throw UsageError{"unknown value '" + value + "' for " + key + "; valid values: " + Joined(rule.values)};
  }
  throw UsageError{"unknown property '" + key + "'; valid properties: " + Joined(keys)};
}

// A progress line on standard error for long inputs, only when it is a terminal.
class Progress {
 public:
  Progress(std::FILE* input, bool wanted) : enabled_(wanted && isatty(STDERR_FILENO) != 0) {
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

using tirmok::tool::Encoding;

struct ConvertOptions {
  std::optional<tirmok::Format> from, to;
  std::vector<std::string> inputs;
  std::string output;
  bool utf16 = false;
  Encoding utf16Order = Encoding::kUtf16Le;
  bool detectOrder = true;  // --utf16 without a stated order: a byte order mark may say
  bool strict = false;
  bool bom = false;
  std::string folder;  // -r: the folder converted into the folder given with -o
  int jobs = 0;        // -j: threads for a folder (0: not given)
};

constexpr int kMostJobs = 64;

int Jobs(const char* value) {
  char* end = nullptr;
  errno = 0;
  const long n = std::strtol(value, &end, 10);
  if (errno != 0 || end == value || *end != 0 || n < 1 || n > kMostJobs) {
    throw UsageError{std::string("-j takes a number of threads from 1 to ") + std::to_string(kMostJobs) + ", got '" +
                     value + "'"};
  }
  return static_cast<int>(n);
}

// How the bytes of text in `format` carry it.
Encoding EncodingOf(tirmok::Format format, const ConvertOptions& options) {
  if (tirmok::is_wide(format)) return options.utf16 ? options.utf16Order : Encoding::kUtf8;
  if (format == tirmok::Format::kUtf8 || format == tirmok::Format::kIso15919Utf8) return Encoding::kUtf8;
  return Encoding::kBytes;
}

const char* EncodingName(Encoding encoding) { return encoding == Encoding::kUtf8 ? "UTF-8" : "UTF-16"; }

// Converts one input file into `sink`: a byte order mark at its start is
// taken off, UTF-16BE turned into the converter's byte order, and the text
// checked to be well-formed (an error with --strict, else a warning once).
void ConvertFile(const std::string& path, const ConvertOptions& options, const tirmok::tool::TextConverter& converter,
                 const std::function<void(std::string_view)>& sink) {
  Input input(path);
  // In a folder's conversion the files' progress is the folder's.
  Progress progress(input.File(), options.folder.empty());
  Encoding encoding = EncodingOf(*options.from, options);
  std::string ahead;  // bytes read to look for a byte order mark, not yet given to the converter
  char first[3];
  while (ahead.size() < sizeof first) {
    const std::size_t n = input.Read(first, sizeof first - ahead.size());
    if (n == 0) break;
    ahead.append(first, n);
  }
  const std::size_t mark = tirmok::tool::ByteOrderMark(ahead, encoding, options.detectOrder);
  ahead.erase(0, mark);
  const bool swap = encoding == Encoding::kUtf16Be;
  tirmok::tool::WellFormedCheck check(swap ? Encoding::kUtf16Le : encoding);
  const auto fail = [&](std::uint64_t offset) {
    return tirmok::tool::ToolError(input.Name() + ": invalid " + EncodingName(encoding) + " at byte " +
                                   std::to_string(offset + mark));
  };
  const auto raw = [&](char* buffer, std::size_t size) {
    if (ahead.empty()) return input.Read(buffer, size);
    const std::size_t n = std::min(size, ahead.size());
    std::memcpy(buffer, ahead.data(), n);
    ahead.erase(0, n);
    return n;
  };
  const std::size_t unit = encoding == Encoding::kUtf16Le || encoding == Encoding::kUtf16Be ? 2 : 1;
  tirmok::tool::ConvertStream(
      converter,
      [&](char* buffer, std::size_t size) {
        if (unit == 2 && size >= 2) size &= ~std::size_t{1};
        std::size_t n = raw(buffer, size);
        // Whole units only, so that each can be turned round where it is.
        if (unit == 2 && n % 2 == 1 && n < size) n += raw(buffer + n, 1);
        if (swap) tirmok::tool::SwapUnits(buffer, n);
        check.Feed(buffer, n);
        if (options.strict && check.FirstInvalid()) throw fail(*check.FirstInvalid());
        progress.Advance(n);
        return n;
      },
      sink);
  check.Finish();
  progress.Finish();
  if (const auto offset = check.FirstInvalid()) {
    if (options.strict) throw fail(*offset);
    std::fprintf(stderr, "tirmok: warning: %s: invalid %s at byte %llu (first of the file); converted as read\n",
                 input.Name().c_str(), EncodingName(encoding), static_cast<unsigned long long>(*offset + mark));
  }
}

// Converts `inputs` one after another into `outputPath` (standard output
// when empty), with a byte order mark first when asked.
void ConvertFiles(const std::vector<std::string>& inputs, const std::string& outputPath, const ConvertOptions& options,
                  Encoding outputEncoding, const tirmok::tool::TextConverter& converter) {
  tirmok::tool::Output output(outputPath);
  if (options.bom) output.Write(tirmok::tool::ByteOrderMarkFor(outputEncoding));
  std::string swapped;
  const auto sink = [&](std::string_view text) {
    if (outputEncoding != Encoding::kUtf16Be) return output.Write(text);
    swapped.assign(text);
    tirmok::tool::SwapUnits(swapped.data(), swapped.size());
    output.Write(swapped);
  };
  for (const auto& path : inputs) ConvertFile(path, options, converter, sink);
  output.Commit();
}

constexpr char kConvertHelp[] =
    "usage: tirmok convert -f FORMAT -t FORMAT [-s KEY=VALUE]... [--utf16[=le|be]] [--strict] [--bom]\n"
    "                      [-o FILE] [FILE...]\n"
    "       tirmok convert -f FORMAT -t FORMAT [OPTION]... -r IN_DIR -o OUT_DIR [-j N]\n"
    "\n"
    "Converts each FILE in turn (standard input without FILE, or for -) and writes the\n"
    "results one after another to standard output or to FILE given with -o.\n"
    "With -r, converts every regular file under IN_DIR into the same place under OUT_DIR.\n"
    "\n"
    "  -f, --from FORMAT     the input's format\n"
    "  -t, --to FORMAT       the output's format\n"
    "  -s, --set KEY=VALUE   a property for the conversion (may be repeated):\n"
    "                        LPX_KEY_NEMETH, LPX_KEY_SUBSCRIPT, LPX_KEY_SUPERSCRIPT take TRUE or FALSE;\n"
    "                        LPX_KEY_LANGUAGE takes BENGALI, ASSAMESE or MARATHI (INSCRIPT layouts)\n"
    "  -o, --output FILE     replaced only when all of it was written (it may also be an input)\n"
    "      --utf16[=ORDER]   read and write the 16-bit formats (UNICODE, COLLCODE, ISO15919,\n"
    "                        BRAILLE_UNICODE)\n"
    "                        as UTF-16 bytes instead of UTF-8: ORDER le or be; without ORDER a\n"
    "                        byte order mark says, else little-endian (output: little-endian)\n"
    "      --strict          stop with status 1 at the first invalid UTF-8 or UTF-16 sequence\n"
    "                        (by default it is converted as read and a warning names its offset)\n"
    "      --bom             start UTF-8 or UTF-16 output with a byte order mark\n"
    "  -r, --recursive IN_DIR  convert the folder IN_DIR into the folder OUT_DIR given with -o\n"
    "                        (created as needed); each file is replaced only when complete, a\n"
    "                        file that fails is named and the others are still converted, and\n"
    "                        a summary ends the run (status 1 if any file failed). Links to\n"
    "                        files are read as the files, links to folders are not followed;\n"
    "                        pipes and devices fail; an OUT_DIR inside IN_DIR is skipped\n"
    "  -j, --jobs N          with -r: convert N files at a time (1 to 64; default 1)\n"
    "\n"
    "A byte order mark at the start of UTF-8 or UTF-16 input is taken off, not converted.\n"
    "The input is read in blocks of about 256 KiB that end at a line end or a blank where\n"
    "no conversion step looks across, so text with ordinary word spacing takes bounded\n"
    "memory whatever its line length; a stretch of more than 64 MiB without such a point\n"
    "is an error (Braille read back is cut only where a zero unit ends a string).\n"
    "\n"
    "BRAILLE and BRAILLE_UNICODE write Telugu letters, signs and digits (ASCII and Telugu)\n"
    "and leave out characters they have no cell for, such as Latin letters and other\n"
    "scripts; read back, they need the properties they were written with.\n";

int Convert(int argc, char** argv) {
  ConvertOptions options;
  tirmok::tool::PropertyList properties;
  enum { kUtf16 = kLongOnly, kStrict, kBom };
  options.inputs = ParseOptions(
      argc, argv, "f:t:o:s:r:j:",
      {{"from", required_argument, nullptr, 'f'},
       {"to", required_argument, nullptr, 't'},
       {"output", required_argument, nullptr, 'o'},
       {"set", required_argument, nullptr, 's'},
       {"utf16", optional_argument, nullptr, kUtf16},
       {"strict", no_argument, nullptr, kStrict},
       {"bom", no_argument, nullptr, kBom},
       {"recursive", required_argument, nullptr, 'r'},
       {"jobs", required_argument, nullptr, 'j'}},
      std::string(kConvertHelp) + "\nFormats: " + FormatList() + "\n", [&](int c, const char* value) {
        switch (c) {
          case 'f': options.from = RequireFormat(value); break;
          case 't': options.to = RequireFormat(value); break;
          case 'o': options.output = value; break;
          case 's': SetProperty(properties, value); break;
          case kUtf16:
            options.utf16 = true;
            options.detectOrder = value == nullptr;
            if (value == nullptr || SameLetters(value, "le")) {
              options.utf16Order = Encoding::kUtf16Le;
            } else if (SameLetters(value, "be")) {
              options.utf16Order = Encoding::kUtf16Be;
            } else {
              throw UsageError{std::string("--utf16 takes le or be, got '") + value + "'"};
            }
            break;
          case kStrict: options.strict = true; break;
          case kBom: options.bom = true; break;
          case 'r':
            if (*value == 0) throw UsageError{"-r needs a folder"};
            options.folder = value;
            break;
          case 'j': options.jobs = Jobs(value); break;
          default: break;
        }
      });
  if (!options.from || !options.to) throw UsageError{"convert needs --from FORMAT and --to FORMAT"};
  if (!options.folder.empty()) {
    if (options.output.empty() || options.output == "-") throw UsageError{"-r IN_DIR needs -o OUT_DIR"};
    if (!options.inputs.empty()) throw UsageError{"-r IN_DIR takes no FILE operands"};
  } else if (options.jobs != 0) {
    throw UsageError{"-j works with -r IN_DIR -o OUT_DIR"};
  }
  if (!tirmok::can_read(*options.from)) {
    throw UsageError{std::string(tirmok::format_name(*options.from)) + " cannot be read, only written"};
  }
  if (!tirmok::can_write(*options.to)) {
    throw UsageError{std::string(tirmok::format_name(*options.to)) + " cannot be written, only read"};
  }
  const Encoding outputEncoding = EncodingOf(*options.to, options);
  if (options.bom && outputEncoding == Encoding::kBytes) {
    throw UsageError{std::string("--bom needs UTF-8 or UTF-16 output, not ") + std::string(tirmok::format_name(*options.to))};
  }
  if (options.inputs.empty() && options.folder.empty()) options.inputs.push_back("-");
  const tirmok::tool::TextConverter converter(*options.from, *options.to, options.utf16, std::move(properties));
  if (!options.folder.empty()) {
    const auto summary = tirmok::tool::ConvertTree(
        options.folder, options.output, std::max(options.jobs, 1),
        [&](const std::string& input, const std::string& output) {
          ConvertFiles({input}, output, options, outputEncoding, converter);
        });
    return summary.failed == 0 ? 0 : 1;
  }
  ConvertFiles(options.inputs, options.output, options, outputEncoding, converter);
  return 0;
}

tirmok::Format ComparableFormat(const std::string& name) {
  const tirmok::Format format = RequireFormat(name);
  if (!tirmok::can_compare(format)) {
    std::string names;
    for (const tirmok::Format other : tirmok::all_formats()) {
      if (!tirmok::can_compare(other)) continue;
      if (!names.empty()) names += ", ";
      names += tirmok::format_name(other);
    }
    throw UsageError{"format '" + name + "' cannot be compared; comparable formats: " + names};
  }
  return format;
}

int Sort(int argc, char** argv) {
  std::string formatName = "UTF-8";
  tirmok::tool::SortOptions options;
  std::string outputPath;
  const auto operands = ParseOptions(
      argc, argv, "o:ruS:T:",
      {{"format", required_argument, nullptr, kLongOnly},
       {"output", required_argument, nullptr, 'o'},
       {"reverse", no_argument, nullptr, 'r'},
       {"unique", no_argument, nullptr, 'u'},
       {"buffer-size", required_argument, nullptr, 'S'},
       {"temporary-directory", required_argument, nullptr, 'T'}},
      "usage: tirmok sort [--format FORMAT] [-r] [-u] [-S SIZE] [-T DIR] [-o FILE] [FILE]\n"
      "Writes the lines of FILE (or standard input) in Telugu dictionary order; lines that\n"
      "compare equal keep their order, and each line keeps its line end (a last line without\n"
      "one gets a line feed). FORMAT (default UTF-8) is the lines' format; lines of 16-bit\n"
      "formats are read as UTF-8 text, and a byte order mark that starts such text stays at the\n"
      "start.\n"
      "\n"
      "  -o, --output FILE     write to FILE, replaced only when all of it was written (it may\n"
      "                        be the input)\n"
      "  -r, --reverse         the opposite order (equal lines still keep their order)\n"
      "  -u, --unique          of lines that compare equal, only the first\n"
      "  -S, --buffer-size SIZE  memory for lines and their sort keys (default 256M): a number\n"
      "                        of KiB, or with the suffix b, K, M, G or T; at least 1K. Longer\n"
      "                        input is sorted in runs on disk and merged\n"
      "  -T, --temporary-directory DIR  where the runs go (default $TMPDIR, else /tmp); they\n"
      "                        are removed at the end, on errors and on SIGINT, SIGTERM, SIGHUP\n",
      [&](int c, const char* value) {
        switch (c) {
          case kLongOnly: formatName = value; break;
          case 'o': outputPath = value; break;
          case 'r': options.reverse = true; break;
          case 'u': options.unique = true; break;
          case 'S': {
            const auto size = tirmok::tool::ParseMemorySize(value);
            if (!size) {
              throw UsageError{std::string("-S takes a size of at least 1K (a number of KiB, or with the suffix b, "
                                           "K, M, G or T), got '") + value + "'"};
            }
            options.memory = *size;
            break;
          }
          case 'T': options.temporaryFolder = value; break;
          default: break;
        }
      });
  if (operands.size() > 1) throw UsageError{"sort takes one FILE"};
  const std::string path = operands.empty() ? "" : operands[0];
  options.format = ComparableFormat(formatName);
  Input input(path);
  tirmok::tool::Output output(outputPath);
  tirmok::tool::SortLines(input.File(), input.Name(), options, [&](std::string_view text) { output.Write(text); });
  output.Commit();
  return 0;
}

int CompareCommand(int argc, char** argv) {
  std::string formatName;
  const auto operands = ParseOptions(
      argc, argv, "", {{"format", required_argument, nullptr, kLongOnly}},
      "usage: tirmok compare --format FORMAT [--] A B\n"
      "Prints -1, 0 or 1 as A sorts before, equal to or after B in Telugu dictionary order.\n",
      [&](int, const char* value) { formatName = value; });
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
  const auto words = ParseOptions(
      argc, argv, "", {{"to-english", no_argument, nullptr, kLongOnly}},
      "usage: tirmok date [--to-english] [--] [PHRASE...]\n"
      "Replaces English weekday and month names and AM/PM by Telugu words in the TELTRANS\n"
      "transliteration (or back, with --to-english). Without PHRASE, converts each line of\n"
      "standard input; a zero byte inside a line is kept, and a long line is read in pieces\n"
      "cut at blanks (a stretch of more than 64 MiB without one is an error).\n",
      [&](int, const char*) { fromEnglish = false; });
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
  for (const tirmok::Format format : tirmok::all_formats()) {
    std::snprintf(row, sizeof row, "%-16s %-7s %-6s %-6s %s\n", std::string(tirmok::format_name(format)).c_str(),
                  tirmok::is_wide(format) ? "16-bit" : "8-bit", tirmok::can_read(format) ? "yes" : "no",
                  tirmok::can_write(format) ? "yes" : "no", tirmok::can_compare(format) ? "yes" : "no");
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
  if (command == "--version" || command == "-V") {
    tirmok::tool::WriteStandardOutput(std::string(kVersion) + "\n");
    return 0;
  }
  try {
    if (command == "convert") return Convert(argc, argv);
    if (command == "formats") {
      const auto operands = ParseOptions(argc, argv, "", {}, "usage: tirmok formats\nLists the formats.\n",
                                         [](int, const char*) {});
      if (!operands.empty()) throw UsageError{"formats takes no operands"};
      return Formats();
    }
    if (command == "sort") return Sort(argc, argv);
    if (command == "compare") return CompareCommand(argc, argv);
    if (command == "date") return Date(argc, argv);
  } catch (const Shown&) {
    return 0;
  }
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
