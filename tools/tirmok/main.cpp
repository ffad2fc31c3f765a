// tirmok: the command-line tool. Converts, sorts and compares Telugu text, and converts date words.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/utf.h"
#include "module/formats.h"
#include "tirmok/tirmok.h"

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
    "Text of the 16-bit formats (UNICODE, COLLCODE, ISO15919) is read and written\n"
    "as UTF-8 unless --utf16 asks for UTF-16LE bytes.\n";

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
                   "Converts FILE (or standard input) and writes the result to standard output or FILE.\n"
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
  const std::string text = ReadAll(options.input);
  const std::string converted = ConvertPiece(ToLibrary(text, *options.from, options.utf16), *options.from, *options.to);
  WriteOutput(options.output, FromLibrary(converted, *options.to, options.utf16));
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
