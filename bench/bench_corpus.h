// The benchmark's text: real Telugu running text in every format, in blocks of whole lines, and its words.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tirmok/tirmok.hpp"

namespace tirmok::bench {

// Blocks stay below the size the command-line tool streams (1 MiB of whole
// lines), so a file of any size is converted the way the tool converts it.
inline constexpr std::size_t kBlockBytes = 1 << 20;

// The text in one format: each block as a terminated string of the format's
// units (char16_t storage for the 16-bit formats, bytes otherwise).
class FormText {
 public:
  Format format = Format::kUtf8;
  std::vector<std::string> bytes;
  std::vector<std::u16string> wide;
  std::size_t totalBytes = 0;   // of all blocks, in this format, without terminators
  std::size_t largestUnits = 0;  // units of the largest block

  std::size_t Blocks() const { return IsWide() ? wide.size() : bytes.size(); }
  const void* Block(std::size_t i) const {
    return IsWide() ? static_cast<const void*>(wide[i].c_str()) : static_cast<const void*>(bytes[i].c_str());
  }
  bool IsWide() const { return is_wide(format); }
};

struct Corpus {
  std::string source;            // where the text was read from
  FormText utf8;                 // the text as read (UTF-8)
  std::vector<std::string> words;  // Telugu words of the text, UTF-8, shuffled with a fixed seed
};

// Reads the text (whole lines, cut into blocks) and picks its words. Returns
// false with a message in `error` when the file cannot be read.
bool LoadCorpus(const std::string& path, std::string& error);
const Corpus& TheCorpus();

// The corpus text in `format`, made once on first use: the library's own
// conversion of the UTF-8 text for the formats it writes, the text's UTF-16
// for UNICODE, and for the two keyboard schemes the keys a typist presses to
// type the text.
const FormText& TextIn(Format format);

// The lines of the UTF-8 text, each with its line break, for peers whose tools
// convert a line at a time.
const std::vector<std::string>& LinesUtf8();

// UTF-16 of UTF-8 text, for the peers and the 16-bit inputs.
std::u16string Utf16Of(std::string_view utf8);

// Word pairs compared per iteration, and words sorted per iteration.
inline constexpr std::size_t kPairs = 4096;
inline constexpr std::size_t kSortWords = 10000;

// The first words of the shuffled list, as many as there are up to `limit`,
// in UTF-8 and in UTF-16. Pair i is word i with word i + 1.
const std::vector<std::string>& WordsUtf8(std::size_t limit);
const std::vector<std::u16string>& WordsUtf16(std::size_t limit);

}  // namespace tirmok::bench
