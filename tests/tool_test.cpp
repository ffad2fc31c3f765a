// The command-line tool: streaming conversion equal to the whole input's, output files, write errors, date, sort.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "input_check.h"
#include "stream.h"
#include "tirmok/tirmok.hpp"

namespace {

using tirmok::Format;
using tirmok::tool::AppendUtf8;
using tirmok::tool::ConvertStream;
using tirmok::tool::PropertyList;
using tirmok::tool::StreamLimits;
using tirmok::tool::TextConverter;
using tirmok::tool::ToolError;

// A source that hands out `text` a few bytes at a time (1 to `most`), so that
// reads end at every kind of point.
tirmok::tool::Source Chunked(const std::string& text, std::size_t most, unsigned seed) {
  auto position = std::make_shared<std::size_t>(0);
  auto rng = std::make_shared<std::mt19937>(seed);
  return [text, most, position, rng](char* buffer, std::size_t size) {
    std::uniform_int_distribution<std::size_t> pick(1, most);
    const std::size_t n = std::min({pick(*rng), size, text.size() - *position});
    std::copy_n(text.data() + *position, n, buffer);
    *position += n;
    return n;
  };
}

std::string Streamed(const TextConverter& converter, const std::string& text, StreamLimits limits,
                     std::size_t most = 7, unsigned seed = 1) {
  std::string out;
  ConvertStream(converter, Chunked(text, most, seed), [&](std::string_view piece) { out += piece; }, limits);
  return out;
}

// Random text of a format as the tool reads it, rich in what converters look
// across: blanks next to "#" and ";", quotation marks, accents, combining
// marks, joiners, digits, surrogates and zero units.
std::string RandomText(Format format, bool utf16, std::mt19937& rng, std::size_t units) {
  const std::string ascii = "kaAiIuUeEoOgGcCjJtTdDnNpPbBmMyrlLvwsSh#;~^&@$qQVW\"'.,:-0123456789 ";
  const char32_t wide[] = {0x0C15, 0x0C16, 0x0C3F, 0x0C4D, 0x0C02, 0x0C05, 0x0C24, 0x0C32, 0x0C41, 0x0C47,
                           0x0C66, 0x200C, 0x200D, 0x030D, 0x0332, 0x0304, 0x0101, 0x1E43, 0xE6AC, 0xE622,
                           0x1F600, 0xFFFD, 0x00E9};
  const char blanks[] = {' ', ' ', ' ', '\t', '\n', '\r'};
  std::uniform_int_distribution<int> kind(0, 99);
  std::string text;
  const bool utf8Text = format == Format::kUtf8 || format == Format::kIso15919Utf8 ||
                        (tirmok::is_wide(format) && !utf16);
  for (std::size_t i = 0; i < units; ++i) {
    const int k = kind(rng);
    char32_t c = 0;
    if (k < 18) {
      c = static_cast<unsigned char>(blanks[rng() % sizeof blanks]);
    } else if (k < 20) {
      c = 0;
    } else if (k < 60 || !(utf8Text || utf16)) {
      c = k < 56 || utf8Text || utf16 ? static_cast<unsigned char>(ascii[rng() % ascii.size()]) : 128 + rng() % 128;
    } else {
      c = wide[rng() % std::size(wide)];
    }
    if (utf16) {
      char16_t units16[2];
      int n = 1;
      if (c >= 0x10000) {
        units16[0] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        units16[1] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        n = 2;
      } else {
        units16[0] = static_cast<char16_t>(c);
      }
      for (int j = 0; j < n; ++j) {
        text += static_cast<char>(units16[j] & 0xFF);
        text += static_cast<char>(units16[j] >> 8);
      }
    } else if (utf8Text) {
      AppendUtf8(text, c);
    } else {
      text += static_cast<char>(c);
    }
  }
  return text;
}

std::vector<Format> Readable() {
  std::vector<Format> formats;
  for (int f = 0; f <= static_cast<int>(Format::kBrailleUnicode); ++f) {
    if (tirmok::can_read(static_cast<Format>(f))) formats.push_back(static_cast<Format>(f));
  }
  return formats;
}

std::vector<Format> Writable() {
  std::vector<Format> formats;
  for (int f = 0; f <= static_cast<int>(Format::kBrailleUnicode); ++f) {
    if (tirmok::can_write(static_cast<Format>(f))) formats.push_back(static_cast<Format>(f));
  }
  return formats;
}

// Every pair, text cut at every kind of point: the streamed result is the
// whole input's result.
TEST(ToolStream, EveryPairStreamsAsTheWholeInput) {
  std::mt19937 rng(15);
  const StreamLimits small{24, 1 << 20};
  for (const Format from : Readable()) {
    for (const Format to : Writable()) {
      for (const bool utf16 : {false, true}) {
        if (utf16 && !tirmok::is_wide(from) && !tirmok::is_wide(to)) continue;
        const TextConverter converter(from, to, utf16);
        for (int round = 0; round < 3; ++round) {
          const std::string text = RandomText(from, utf16, rng, 300);
          SCOPED_TRACE(std::string(tirmok::format_name(from)) + " -> " + std::string(tirmok::format_name(to)) +
                       (utf16 ? " (UTF-16)" : "") + " round " + std::to_string(round));
          EXPECT_EQ(Streamed(converter, text, small, 9, static_cast<unsigned>(round)), converter.Convert(text));
        }
      }
    }
  }
}

// Braille keeps a quotation open from block to block, and words carry their
// subscript or superscript cell, also across a cut.
TEST(ToolStream, BrailleQuotationsAndWordCellsAcrossBlocks) {
  const PropertyList variants[] = {{},
                                   {{"LPX_KEY_SUBSCRIPT", "TRUE"}},
                                   {{"LPX_KEY_SUPERSCRIPT", "true"}},
                                   {{"LPX_KEY_NEMETH", "TRUE"}}};
  std::string text;
  for (int i = 0; i < 120; ++i) {
    text += i % 7 == 3 ? "\"ka 12 kha\" " : (i % 11 == 5 ? "\"ga " : "ta 3.5 ");
    // A string that ends with a blank keeps its empty last word.
    if (i % 13 == 0) text += std::string(i % 2 ? "\0" : "\0\0", i % 2 ? 1 : 2);
  }
  text += "\nlast \"word";
  // The same text in the collation code, whose blanks and quotation mark are units of its own.
  // An ASCII space between its digits is no blank there: the number goes on.
  const TextConverter toCollation(Format::kTeltrans, Format::kCollcode, false);
  std::string collation = toCollation.Convert(text);
  for (int i = 0; i < 30; ++i) collation += toCollation.Convert("12") + " " + toCollation.Convert("3 ");
  for (const auto& [from, to] : {std::pair{Format::kTeltrans, Format::kBraille}, std::pair{Format::kInscript, Format::kBraille},
                                  std::pair{Format::kLpxkbd, Format::kBraille}, std::pair{Format::kCollcode, Format::kBraille},
                                  std::pair{Format::kTeltrans, Format::kBrailleUnicode}}) {
    for (const PropertyList& properties : variants) {
      const TextConverter converter(from, to, false, properties);
      SCOPED_TRACE(std::string(tirmok::format_name(from)) + " " +
                   (properties.empty() ? "" : properties.begin()->first));
      const std::string& input = from == Format::kCollcode ? collation : text;
      const std::string whole = converter.Convert(input);
      // Every block size puts the cuts somewhere else.
      for (std::size_t block = 20; block < 60; ++block) {
        ASSERT_EQ(Streamed(converter, input, {block, 1 << 20}), whole) << "block " << block;
      }
    }
  }
  // Read back, a closing quotation cell and a parenthesis cell depend on all
  // that was read before them in the string.
  const std::string cells = TextConverter(Format::kTeltrans, Format::kBraille, false).Convert(text + " (ka kha) ");
  for (const Format from : {Format::kBraille, Format::kBrailleUnicode}) {
    const TextConverter converter(from, Format::kUtf8, false);
    const std::string input =
        from == Format::kBraille ? cells : TextConverter(Format::kBraille, from, false).Convert(cells);
    const std::string whole = converter.Convert(input);
    for (std::size_t block = 20; block < 60; block += 7) {
      ASSERT_EQ(Streamed(converter, input, {block, 1 << 20}), whole) << "block " << block;
    }
  }
}

// The cases that were cut mid-line, mid-character or mid-pair.
TEST(ToolStream, LongLinesConvertWhole) {
  struct Case {
    const char* name;
    Format from, to;
    bool utf16;
    std::string text;
  };
  std::string telugu;
  for (int i = 0; i < 3000; ++i) telugu += "\u0C24\u0C46\u0C32\u0C41\u0C17\u0C41";
  std::string kha;
  for (int i = 0; i < 4000; ++i) kha += "kha";
  std::string spaced;
  for (int i = 0; i < 4000; ++i) spaced += "\u0C24\u0C46\u0C32\u0C41\u0C17\u0C41 ";
  std::string pairs;  // U+1F600 as UTF-16LE, a surrogate pair at every even unit
  for (int i = 0; i < 3000; ++i) pairs += std::string("\x3D\xD8\x00\xDE", 4);
  pairs += std::string(" \0", 2);
  // Spacer bytes of the font encoding decode to nothing, so an accent glyph after
  // a long run of them still meets the blank before the run.
  std::string spacers;
  for (int i = 0; i < 40; ++i) spacers += "O\xB3 " + std::string(200 + i, '\xFE') + "\x89\x8A ";
  std::vector<Case> cases = {
      {"font accents after spacers", Format::kAnsi, Format::kAnsi, false, spacers},
      {"line ends only", Format::kUtf8, Format::kTeltrans, false, std::string(5000, '\n')},
      {"telugu without blanks", Format::kUtf8, Format::kUtf8, false, telugu},
      {"kha without blanks", Format::kTeltrans, Format::kUtf8, false, kha},
      {"telugu words", Format::kUtf8, Format::kTeltrans, false, spaced},
      {"surrogate pairs", Format::kUnicode, Format::kUtf8, true, pairs},
  };
  // Collation code text has blanks of its own (units of the collation block), read as UTF-8 or UTF-16.
  const std::string collation = TextConverter(Format::kUtf8, Format::kCollcode, false).Convert(spaced);
  const std::string collation16 = TextConverter(Format::kUtf8, Format::kCollcode, true).Convert(spaced);
  for (const bool utf16 : {false, true}) {
    const TextConverter converter(Format::kCollcode, Format::kUtf8, utf16);
    const std::string& text = utf16 ? collation16 : collation;
    EXPECT_EQ(Streamed(converter, text, {64, 4096}, 100), converter.Convert(text)) << "collation code words";
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TextConverter converter(c.from, c.to, c.utf16);
    EXPECT_EQ(Streamed(converter, c.text, {1001, 1 << 20}, 4096), converter.Convert(c.text));
    EXPECT_EQ(Streamed(converter, c.text, {64, 1 << 17}, 100), converter.Convert(c.text));
  }
  // A blank that a "#hex;" escape reaches across is no cut point.
  const TextConverter typing(Format::kTeltrans, Format::kUtf8, false);
  std::string escapes;
  for (int i = 0; i < 500; ++i) escapes += "ka # 41; ";
  EXPECT_EQ(Streamed(typing, escapes, {10, 1 << 20}), typing.Convert(escapes));
}

// Past the limit without a cut point the stream stops with an error, and an
// odd number of UTF-16 bytes is an error, not a lost byte.
TEST(ToolStream, ErrorsInsteadOfChangedText) {
  const TextConverter typing(Format::kTeltrans, Format::kUtf8, false);
  std::string output;
  const auto collect = [&](std::string_view piece) { output += piece; };
  EXPECT_THROW(ConvertStream(typing, Chunked(std::string(5000, 'k'), 100, 1), collect, {256, 4096}), ToolError);
  EXPECT_EQ(output, "");
  const TextConverter wide(Format::kUnicode, Format::kUtf8, true);
  EXPECT_THROW(ConvertStream(wide, Chunked(std::string("k\0a\0x", 5), 2, 1), collect), ToolError);
}

TEST(ToolDate, ZeroBytesAndLongLines) {
  EXPECT_EQ(tirmok::tool::ConvertDateLine(std::string("Sunday\0Monday", 13), true),
            std::string("AdivAraM\0sOmavAraM", 18));
  std::string line;
  for (int i = 0; i < 3000; ++i) line += i % 2 ? "Monday, 5 March " : "AM #41; ";
  const std::string text = line + "\nSunday\n" + line;
  std::string expected = tirmok::tool::ConvertDateLine(line, true) + "\nAdivAraM\n" +
                         tirmok::tool::ConvertDateLine(line, true) + "\n";
  std::string output;
  tirmok::tool::ConvertDateStream(true, Chunked(text, 50, 3), [&](std::string_view p) { output += p; },
                                  {100, 1 << 20});
  EXPECT_EQ(output, expected);
  // A line with no blank over the limit is an error, not an empty line.
  output.clear();
  EXPECT_THROW(tirmok::tool::ConvertDateStream(true, Chunked(std::string(5000, 'x') + "\n", 50, 3),
                                               [&](std::string_view p) { output += p; }, {100, 1000}),
               ToolError);
  EXPECT_EQ(output, "");
}

// ---- The tool itself, run through the shell.

namespace fs = std::filesystem;

class ToolCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("tirmok-tool-test-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs `command` with bash in the test's folder ($T is the tool); returns
  // the exit status (128 + n for a signal).
  int Run(const std::string& command) const {
    const std::string script = "cd '" + dir_.string() + "' || exit 99\nT='" TIRMOK_TOOL "'\n" + command;
    const std::string line = "bash -c '" + Quote(script) + "' 2>stderr.txt";
    const int status = std::system(("cd '" + dir_.string() + "' && " + line).c_str());
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + WTERMSIG(status);
  }
  static std::string Quote(const std::string& s) {
    std::string out;
    for (const char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out;
  }
  void Write(const std::string& name, const std::string& content) const {
    std::ofstream(dir_ / name, std::ios::binary) << content;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  int FileCount() const {
    return static_cast<int>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }

  fs::path dir_;
};

TEST_F(ToolCommand, OutputFileIsReplacedOnlyWhenComplete) {
  Write("same.txt", "kalaM\n");
  EXPECT_EQ(Run("$T convert --from TELTRANS --to TELTRANS -o same.txt same.txt"), 0);
  EXPECT_EQ(Read("same.txt"), "kalaM\n");
  Write("old.txt", "old\n");
  fs::create_directories(dir_ / "adir");
  EXPECT_EQ(Run("$T convert --from UTF-8 --to UTF-8 -o old.txt adir/"), 1);
  EXPECT_EQ(Read("old.txt"), "old\n");
  // Interrupted while reading: SIGINT, SIGTERM and SIGHUP leave the old file
  // and no temporary one (job control, so that the background job does not
  // ignore SIGINT).
  for (const char* signal : {"INT", "TERM", "HUP"}) {
    const int before = FileCount();
    EXPECT_NE(Run(std::string("set -m; sleep 1 | $T convert --from UTF-8 --to UTF-8 -o old.txt & pid=$!; sleep 0.3; kill -") +
                  signal + " $pid; wait $pid"),
              0);
    EXPECT_EQ(Read("old.txt"), "old\n") << signal;
    EXPECT_EQ(FileCount(), before) << signal;
  }
}

TEST_F(ToolCommand, EveryCommandReportsWriteErrors) {
  Write("words.txt", "kalaM\nKagaM\n");
  const char* commands[] = {
      "$T sort --format TELTRANS words.txt > /dev/full",
      "$T date Monday > /dev/full",
      "echo Monday | $T date > /dev/full",
      "$T compare --format TELTRANS ka kha > /dev/full",
      "$T formats > /dev/full",
      "$T convert --from TELTRANS --to UTF-8 words.txt > /dev/full",
      "$T convert --from TELTRANS --to UTF-8 -o /dev/full words.txt",
      "$T --help > /dev/full",
  };
  for (const char* command : commands) EXPECT_EQ(Run(command), 1) << command;
  // A closed pipe with SIGPIPE ignored: the failed write is an error.
  std::string many;
  for (int i = 0; i < 100000; ++i) many += "kalaM\n";
  Write("many.txt", many);
  EXPECT_NE(Run("trap '' PIPE; $T sort --format TELTRANS many.txt | head -c10 >/dev/null; exit ${PIPESTATUS[0]}"), 0);
  EXPECT_NE(Run("trap '' PIPE; $T convert --from TELTRANS --to UTF-8 many.txt | head -c10 >/dev/null; "
                "exit ${PIPESTATUS[0]}"),
            0);
}

TEST_F(ToolCommand, SortKeepsLineEndsAndTheByteOrderMark) {
  Write("crlf.txt", "\xEF\xBB\xBF\u0C16\u0C17\u0C02\r\n\u0C15\u0C32\u0C02\r\n\u0C05\u0C2E\u0C4D\u0C2E\n");
  EXPECT_EQ(Run("$T sort crlf.txt > out.txt"), 0);
  EXPECT_EQ(Read("out.txt"), "\xEF\xBB\xBF\u0C05\u0C2E\u0C4D\u0C2E\n\u0C15\u0C32\u0C02\r\n\u0C16\u0C17\u0C02\r\n");
}

TEST_F(ToolCommand, DateKeepsZeroBytesAndUtf16NeedsWholeUnits) {
  EXPECT_EQ(Run("printf 'Sunday\\0Monday\\n' | $T date > out.txt"), 0);
  EXPECT_EQ(Read("out.txt"), std::string("AdivAraM\0sOmavAraM\n", 19));
  EXPECT_EQ(Run("printf 'k\\0a' | $T convert --from UNICODE --to UTF-8 --utf16 > out.txt"), 1);
  EXPECT_NE(Read("stderr.txt").find("odd number of bytes"), std::string::npos);
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// Running out of memory is an error, never an empty or partial result with
// status 0. Text with blanks streams in small blocks and fits the limit; a
// 3 MB stretch without a blank is one piece and does not.
TEST_F(ToolCommand, OutOfMemoryIsAnError) {
  std::string text;
  while (text.size() < (3u << 20)) text += "kalaM telugu ";
  Write("big.txt", text);
  EXPECT_EQ(Run("ulimit -v 60000; $T convert --from TELTRANS --to UTF-8 big.txt > out.txt"), 0);
  EXPECT_EQ(Read("out.txt"), tirmok::convert(text, Format::kTeltrans, Format::kUtf8));
  Write("kha.txt", std::string(3u << 20, 'k'));
  EXPECT_EQ(Run("ulimit -v 60000; $T convert --from TELTRANS --to UTF-8 kha.txt > out.txt"), 1);
  EXPECT_NE(Read("stderr.txt").find("out of memory"), std::string::npos);
}
#endif


// Each case: bytes, their encoding, and the offset of the first ill-formed
// sequence (-1 for none), fed whole and one byte at a time.
TEST(ToolInputCheck, FirstIllFormedSequence) {
  using tirmok::tool::Encoding;
  const struct {
    std::string bytes;
    Encoding encoding;
    long long first;
  } cases[] = {
      {"ab\xE0\xB0\x95", Encoding::kUtf8, -1},
      {"ab\xFF" "cd", Encoding::kUtf8, 2},
      {"a\xE0\xB0", Encoding::kUtf8, 1},            // cut off at the end
      {"a\xE0\xB0z\xE0\xB0\x95", Encoding::kUtf8, 1},  // broken off inside
      {"\xC0\xAF", Encoding::kUtf8, 0},              // overlong
      {"x\xED\xA0\x80", Encoding::kUtf8, 1},         // a surrogate
      {"\xF4\x90\x80\x80", Encoding::kUtf8, 0},      // past U+10FFFF
      {"\xF0\x9F\x98\x80", Encoding::kUtf8, -1},
      {std::string("\x15\x0C\x3D\xD8\x00\xDE", 6), Encoding::kUtf16Le, -1},
      {std::string("\x15\x0C\x00\xDE", 4), Encoding::kUtf16Le, 2},        // a lone low surrogate
      {std::string("\x3D\xD8\x41\x00", 4), Encoding::kUtf16Le, 0},        // a high one without its low
      {std::string("\x41\x00\x3D\xD8", 4), Encoding::kUtf16Le, 2},        // ... at the end
      {"\xFF\xFE", Encoding::kBytes, -1},
  };
  for (const auto& c : cases) {
    for (const bool bytewise : {false, true}) {
      tirmok::tool::WellFormedCheck check(c.encoding);
      if (bytewise) {
        for (const char b : c.bytes) check.Feed(&b, 1);
      } else {
        check.Feed(c.bytes.data(), c.bytes.size());
      }
      check.Finish();
      const long long got = check.FirstInvalid() ? static_cast<long long>(*check.FirstInvalid()) : -1;
      EXPECT_EQ(got, c.first) << "case " << (&c - cases) << (bytewise ? " bytewise" : "");
    }
  }
}

// The tool's own UTF-8 reading: one U+FFFD per maximal ill-formed subpart,
// as the library reads UTF-8 (the tool_stream fuzzer compares the two).
TEST(ToolInputCheck, Utf8AndUtf16) {
  const struct {
    std::string utf8;
    std::u16string utf16;
  } cases[] = {
      {"a\xE0\xB0z", u"a\uFFFDz"},
      {"\xF0\x9F\x98\x80!", u"\U0001F600!"},
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"\xF4\x8F\xBF", u"\uFFFD"},
      {"\xC0\xAF\xE0\xB0\x95", u"\uFFFD\uFFFD\u0C15"},
  };
  for (const auto& c : cases) EXPECT_TRUE(tirmok::tool::Utf8ToUtf16(c.utf8) == c.utf16) << c.utf8;
  EXPECT_EQ(tirmok::tool::Utf16ToUtf8(std::u16string(u"a\xD800" u"b\xDC00") + u"\U0001F600"),
            "a\uFFFD" "b\uFFFD\xF0\x9F\x98\x80");
}

TEST_F(ToolCommand, ArgumentsAsGetoptTakesThem) {
  Write("a.txt", "kalaM\n");
  Write("b.txt", "telugu\n");
  const std::string both = "\u0C15\u0C32\u0C02\n\u0C24\u0C46\u0C32\u0C41\u0C17\u0C41\n";
  const struct {
    const char* command;
    std::string out;
  } ok[] = {
      {"$T convert --from TELTRANS --to UTF-8 a.txt b.txt", both},
      {"$T convert --from=TELTRANS --to=UTF-8 a.txt b.txt", both},
      {"$T convert -fTELTRANS -t UTF-8 a.txt -- b.txt", both},
      {"cat b.txt | $T convert a.txt -f TELTRANS - -t UTF-8", both},
      {"$T convert -f TELTRANS -t TELTRANS -s LPX_KEY_LANGUAGE=marathi -s LPX_KEY_NEMETH=False a.txt", "kalaM\n"},
      {"$T -V", "tirmok 0.1.0\n"},
      {"$T sort --version", "tirmok 0.1.0\n"},
      {"$T compare --format=TELTRANS -- ka -ka", "1\n"},
  };
  for (const auto& c : ok) {
    EXPECT_EQ(Run(std::string(c.command) + " > out.txt"), 0) << c.command << Read("stderr.txt");
    EXPECT_EQ(Read("out.txt"), c.out) << c.command;
  }
  EXPECT_EQ(Run("$T convert -f TELTRANS -t UTF-8 -o both.txt a.txt b.txt"), 0);
  EXPECT_EQ(Read("both.txt"), both);
  // Refused with status 2 and a message naming what is valid.
  const struct {
    const char* command;
    const char* message;
  } refused[] = {
      {"$T convert -f UTF-8 -t UTF-8 --set FOO=BAR a.txt", "valid properties: LPX_KEY_NEMETH"},
      {"$T convert -f UTF-8 -t UTF-8 -s LPX_KEY_LANGUAGE=KLINGON a.txt", "valid values: BENGALI, ASSAMESE, MARATHI"},
      {"$T convert -f UTF-8 -t UTF-8 -s LPX_KEY_NEMETH=yes a.txt", "valid values: TRUE, FALSE"},
      {"$T convert -f UTF-8 -t UTF-8 --frob a.txt", "unknown option '--frob'"},
      {"$T convert -f UTF-8 -t UTF-8 -o", "option '-o' needs a value"},
      {"$T convert -f UTF-8 -t KLINGON", "valid formats: TELTRANS"},
      {"$T convert -f UTF-8 -t TELTRANS --bom a.txt", "--bom needs UTF-8 or UTF-16"},
  };
  for (const auto& c : refused) {
    EXPECT_EQ(Run(c.command), 2) << c.command;
    EXPECT_NE(Read("stderr.txt").find(c.message), std::string::npos) << c.command << ": " << Read("stderr.txt");
  }
}

TEST_F(ToolCommand, ByteOrderMarksUtf16BigEndianAndStrict) {
  const std::string ka = "\u0C15";
  Write("bom.txt", "\xEF\xBB\xBF" + ka + "\n");
  Write("be-bom.txt", std::string("\xFE\xFF\x0C\x15\x00\n", 6));
  Write("be.txt", std::string("\x0C\x15\x00\n", 4));
  Write("le-bom.txt", std::string("\xFF\xFE\x15\x0C\n\x00", 6));
  const struct {
    const char* command;
    std::string out;
  } cases[] = {
      {"$T convert -f UTF-8 -t TELTRANS bom.txt", "ka\n"},
      {"$T convert -f UTF-8 -t UTF-8 bom.txt", ka + "\n"},
      {"$T convert -f UTF-8 -t UTF-8 --bom bom.txt", "\xEF\xBB\xBF" + ka + "\n"},
      {"$T convert -f UNICODE -t UTF-8 --utf16 be-bom.txt", ka + "\n"},
      {"$T convert -f UNICODE -t UTF-8 --utf16 le-bom.txt", ka + "\n"},
      {"$T convert -f UNICODE -t UTF-8 --utf16=be be.txt", ka + "\n"},
      {"$T convert -f UNICODE -t UNICODE --utf16=BE be.txt", std::string("\x0C\x15\x00\n", 4)},
      {"$T convert -f UTF-8 -t UNICODE --utf16=be --bom bom.txt", std::string("\xFE\xFF\x0C\x15\x00\n", 6)},
      {"$T convert -f UTF-8 -t UNICODE --utf16 --bom bom.txt", std::string("\xFF\xFE\x15\x0C\n\x00", 6)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run(std::string(c.command) + " > out.txt"), 0) << c.command << Read("stderr.txt");
    EXPECT_EQ(Read("out.txt"), c.out) << c.command;
  }
  // Invalid input: converted as before with one warning per file naming the
  // first offset; --strict stops there with status 1.
  Write("bad.txt", "ab\xFF" "cd\xFF\n");
  EXPECT_EQ(Run("$T convert -f UTF-8 -t UTF-8 bad.txt bad.txt > out.txt"), 0);
  EXPECT_EQ(Read("out.txt"), "ab\uFFFD" "cd\uFFFD\nab\uFFFD" "cd\uFFFD\n");
  const std::string warned = Read("stderr.txt");
  EXPECT_NE(warned.find("'bad.txt': invalid UTF-8 at byte 2"), std::string::npos) << warned;
  EXPECT_EQ(std::count(warned.begin(), warned.end(), '\n'), 2) << warned;
  EXPECT_EQ(Run("$T convert -f UTF-8 -t UTF-8 --strict bom.txt bad.txt > out.txt"), 1);
  EXPECT_NE(Read("stderr.txt").find("'bad.txt': invalid UTF-8 at byte 2"), std::string::npos);
  Write("lone.txt", std::string("\xFE\xFF\x00\x41\xD8\x00", 6));
  EXPECT_EQ(Run("$T convert -f UNICODE -t UTF-8 --utf16 --strict -o out.txt lone.txt"), 1);
  EXPECT_NE(Read("stderr.txt").find("invalid UTF-16 at byte 4"), std::string::npos) << Read("stderr.txt");
}

// Every file below `root` (relative name, then content), links and all.
std::map<std::string, std::string> Tree(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = fs::relative(entry.path(), root).string();
    if (entry.is_directory()) {
      files[name + "/"] = "";
    } else {
      std::ifstream in(entry.path(), std::ios::binary);
      files[name] = std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  }
  return files;
}

// A folder converted file by file into the same tree. One file cannot be
// read: unreadable by its mode, or, where the tests run as root (whom modes
// do not stop), invalid UTF-8 under --strict. A link that leads nowhere and a
// pipe fail too; a link to a folder is not followed; the rest is converted,
// one thread or two giving the same tree, with no temporary file left.
TEST_F(ToolCommand, FolderTreeWithFailures) {
  const std::string ka = "\u0C15\u0C32\u0C02\n";
  fs::create_directories(dir_ / "in/sub/deep");
  fs::create_directories(dir_ / "in/empty");
  Write("in/a.txt", ka);
  Write("in/sub/b.txt", "\xEF\xBB\xBF" + ka + ka);
  Write("in/sub/deep/c.txt", "");
  Write("in/sub/bad.txt", "ab\xFF\n");
  const bool root = geteuid() == 0;
  if (!root) fs::permissions(dir_ / "in/sub/bad.txt", fs::perms::none);
  fs::create_symlink("../a.txt", dir_ / "in/sub/link.txt");
  fs::create_symlink("nowhere", dir_ / "in/dangling.txt");
  fs::create_directory_symlink("..", dir_ / "in/sub/up");
  ASSERT_EQ(Run("mkfifo in/pipe && ln -s pipe in/pipe-link"), 0);
  const std::map<std::string, std::string> expected = {
      {"a.txt", "kalaM\n"},          {"empty/", ""},       {"sub/", ""},
      {"sub/b.txt", "kalaM\nkalaM\n"}, {"sub/deep/", ""},    {"sub/deep/c.txt", ""},
      {"sub/link.txt", "kalaM\n"},
  };
  for (const char* jobs : {"", " -j 2"}) {
    const std::string out = std::string("out") + (*jobs != 0 ? "2" : "1");
    EXPECT_EQ(Run("$T convert -f UTF-8 -t TELTRANS --strict -r in -o " + out + jobs), 1) << jobs;
    const std::string said = Read("stderr.txt");
    for (const char* message :
         {root ? "'in/sub/bad.txt': invalid UTF-8 at byte 2" : "cannot read 'in/sub/bad.txt': Permission denied",
          "cannot read 'in/dangling.txt'", "'in/pipe' is not a regular file", "'in/pipe-link' is not a regular",
          "'in/sub/up' is a link to a folder", "4 files converted, 4 failed, 1 skipped"}) {
      EXPECT_NE(said.find(message), std::string::npos) << jobs << ": " << message << "\n" << said;
    }
    EXPECT_EQ(Tree(dir_ / out), expected) << jobs;
  }
  // Nothing failing: status 0; an existing output file is replaced.
  if (!root) fs::permissions(dir_ / "in/sub/bad.txt", fs::perms::owner_all);
  ASSERT_EQ(Run("rm in/sub/bad.txt in/dangling.txt in/pipe in/pipe-link"), 0);
  EXPECT_EQ(Run("$T convert -f UTF-8 -t TELTRANS -r in/ -o out1/ -j 2"), 0) << Read("stderr.txt");
  EXPECT_EQ(Tree(dir_ / "out1"), expected);
  const struct {
    const char* command;
    int status;
    const char* message;
  } refused[] = {
      {"$T convert -f UTF-8 -t TELTRANS -r in", 2, "-r IN_DIR needs -o OUT_DIR"},
      {"$T convert -f UTF-8 -t TELTRANS -r in -o x a.txt", 2, "takes no FILE operands"},
      {"$T convert -f UTF-8 -t TELTRANS -j 2 in/a.txt", 2, "-j works with -r"},
      {"$T convert -f UTF-8 -t TELTRANS -r in -o x -j 0", 2, "-j takes a number of threads"},
      {"$T convert -f UTF-8 -t TELTRANS -r in -o in/", 1, "is the input folder or holds it"},
      {"$T convert -f UTF-8 -t TELTRANS -r in/sub -o in", 1, "is the input folder or holds it"},
      {"$T convert -f UTF-8 -t TELTRANS -r in/a.txt -o x", 1, "is not a folder"},
  };
  for (const auto& c : refused) {
    EXPECT_EQ(Run(c.command), c.status) << c.command;
    EXPECT_NE(Read("stderr.txt").find(c.message), std::string::npos) << c.command << ": " << Read("stderr.txt");
  }
  // An output folder inside the input folder is left out of the walk.
  EXPECT_EQ(Run("$T convert -f UTF-8 -t TELTRANS -r in -o in/out -j 2"), 0) << Read("stderr.txt");
  EXPECT_EQ(Tree(dir_ / "in/out"), expected);
}

// Sorting more lines than its memory bound holds (sorted runs on disk and a
// merge over several passes) gives the order of the sort in memory: keys of
// tirmok::sort_key, equal keys in input order, each line with its own line
// end. Also reversed, without repeated keys, and both; the runs are gone at
// the end and when a signal stops the sort.
TEST_F(ToolCommand, SortBeyondItsMemoryBound) {
  std::mt19937 rng(7);
  const char32_t letters[] = {0x0C05, 0x0C15, 0x0C16, 0x0C17, 0x0C24, 0x0C32, 0x0C2E, 0x0C4D, 0x0C3F, 0x0C02, 'k', ' '};
  struct Line {
    std::string text, ending, key;
  };
  std::vector<Line> lines;
  std::string input;
  for (int i = 0; i < 4000; ++i) {
    Line line;
    const int length = static_cast<int>(rng() % 6);
    for (int j = 0; j < length; ++j) AppendUtf8(line.text, letters[rng() % std::size(letters)]);
    line.ending = i == 3999 ? "" : (rng() % 3 == 0 ? "\r\n" : "\n");
    line.key = tirmok::sort_key(line.text);
    input += line.text + line.ending;
    lines.push_back(std::move(line));
  }
  ASSERT_GT(input.size(), 30000u);
  Write("words.txt", input);
  fs::create_directories(dir_ / "tmp");
  const struct {
    const char* options;
    bool reverse, unique;
  } cases[] = {{"", false, false}, {" -r", true, false}, {" -u", false, true}, {" --reverse --unique", true, true}};
  for (const auto& c : cases) {
    std::vector<Line> sorted = lines;
    std::stable_sort(sorted.begin(), sorted.end(), [&](const Line& a, const Line& b) {
      return c.reverse ? b.key < a.key : a.key < b.key;
    });
    std::string expected;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
      if (c.unique && i > 0 && sorted[i].key == sorted[i - 1].key) continue;
      expected += sorted[i].text + (sorted[i].ending.empty() ? "\n" : sorted[i].ending);
    }
    for (const char* bound : {"", " -S 2K -T tmp", " --buffer-size=1500b --temporary-directory=tmp/"}) {
      const std::string command = std::string("$T sort") + c.options + bound + " -o out.txt words.txt";
      EXPECT_EQ(Run(command), 0) << command << Read("stderr.txt");
      EXPECT_TRUE(Read("out.txt") == expected) << command;
      EXPECT_TRUE(fs::is_empty(dir_ / "tmp")) << command;
    }
  }
  // The output may be the input; the runs may go to $TMPDIR.
  Write("same.txt", input);
  EXPECT_EQ(Run("TMPDIR=tmp $T sort -S 2K -o same.txt same.txt"), 0) << Read("stderr.txt");
  EXPECT_EQ(Run("$T sort words.txt > memory.txt"), 0);
  EXPECT_EQ(Read("same.txt"), Read("memory.txt"));
  // Stopped while the runs are on disk: they go with the tool.
  for (const char* signal : {"INT", "TERM", "HUP"}) {
    EXPECT_NE(Run(std::string("set -m; (cat words.txt; sleep 2) | $T sort -S 2K -T tmp -o out.txt & pid=$!; "
                              "sleep 0.5; kill -") + signal + " $pid; wait $pid"),
              0) << signal;
    EXPECT_TRUE(fs::is_empty(dir_ / "tmp")) << signal;
  }
  const struct {
    const char* command;
    const char* message;
  } refused[] = {
      {"$T sort -S 10b words.txt", "-S takes a size of at least 1K"},
      {"$T sort -S 5X words.txt", "-S takes a size"},
      {"$T sort -S 4K -T no/such/folder words.txt", "cannot make a temporary folder in 'no/such/folder'"},
  };
  for (const auto& c : refused) {
    EXPECT_NE(Run(c.command), 0) << c.command;
    EXPECT_NE(Read("stderr.txt").find(c.message), std::string::npos) << c.command << ": " << Read("stderr.txt");
  }
}

}  // namespace
