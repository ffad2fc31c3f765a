// The tool's streaming conversion: blocks cut where no conversion step looks across, converted exactly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tirmok/tirmok.hpp"

namespace tirmok::tool {

// A failure the tool reports as one line and a non-zero exit (1).
class ToolError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Properties given with --set, passed to every conversion.
using PropertyList = std::map<std::string, std::string, std::less<>>;

// Converts text as the tool reads and writes it: 8-bit formats as bytes,
// 16-bit formats as UTF-8 text (or UTF-16LE bytes with `utf16`). A zero unit
// ends every string in the library, so the text is converted piece by piece
// between zero units and the zero units are kept between the pieces.
class TextConverter {
 public:
  TextConverter(Format from, Format to, bool utf16, PropertyList properties = {});

  // The whole conversion of `text`. Throws std::bad_alloc when memory runs
  // out and ToolError for a piece beyond the library's 32-bit sizes.
  std::string Convert(std::string_view text) const;
  // The same into another output format (same input, properties and --utf16).
  std::string ConvertTo(std::string_view text, Format to) const;

  Format From() const { return from_; }
  Format To() const { return to_; }
  bool Utf16() const { return utf16_; }
  // Bytes per unit of the text read: 2 for a 16-bit input format with --utf16.
  std::size_t InputUnit() const { return inputUnit_; }
  const PropertyList& Properties() const { return properties_; }

 private:
  std::string ConvertPiece(std::string_view library, Format to) const;

  Format from_;
  Format to_;
  bool utf16_;
  std::size_t inputUnit_;
  PropertyList properties_;
};

// The limits of a stream: blocks of about `block` bytes; a stretch without a
// safe cut point may grow to `longest` bytes before the stream stops with an
// error (never with changed text).
struct StreamLimits {
  std::size_t block = std::size_t{1} << 18;
  std::size_t longest = std::size_t{64} << 20;
};

// Reads more input into `buffer` (at most `size` bytes); 0 at the end.
// Throws on a read error.
using Source = std::function<std::size_t(char* buffer, std::size_t size)>;

// Whether a block may end at `cut` of `text` (a candidate: just after a line
// end, blank or zero unit). `text` holds what the reader has; `whole` is true
// when the input ends with it.
using CutCheck = std::function<bool(std::string_view text, std::size_t cut, bool whole)>;

// Reads a stream in blocks that end at safe cut points, so that converting
// the blocks one by one gives what converting the whole stream gives.
// Candidates are the points just after one of `ends` (a zero unit, a line
// end, a blank); `check` accepts or rejects each, latest first.
class BlockReader {
 public:
  BlockReader(Source source, std::size_t unit, std::vector<std::string> ends, CutCheck check,
              StreamLimits limits = {});

  // The next block; false at the end of the input. Throws ToolError when a
  // stretch longer than the limit has no safe cut point, or when the input
  // ends inside a unit (an odd number of bytes of UTF-16).
  bool Next(std::string& block);

 private:
  bool Fill();
  bool IsCandidate(std::size_t cut) const;
  std::size_t FindCut();

  Source source_;
  std::size_t unit_;
  std::vector<std::string> ends_;
  CutCheck check_;
  StreamLimits limits_;
  std::string pending_;
  std::size_t scanned_ = 0;  // candidates before this point were all rejected
  bool done_ = false;
};

// Converts a stream block by block, exactly as the whole stream would convert
// (zero units separating the strings): it picks cut points where the
// converters agree that nothing looks across, and carries the one state that
// reaches from word to word when Braille is written, its open quotation.
// Braille read back carries more (open quotations and parentheses), so such
// text is cut only after a zero unit.
class StreamConverter {
 public:
  StreamConverter(const TextConverter& converter, std::size_t longest = StreamLimits{}.longest);
  StreamConverter(const StreamConverter&) = delete;
  StreamConverter& operator=(const StreamConverter&) = delete;

  // Where BlockReader may try to cut: after a zero unit, or after a line end,
  // tab or space as the input format writes them.
  std::vector<std::string> CutEnds() const;

  // A cut check for BlockReader: the text on either side of the cut converts
  // to the same apart as together, shown on a window around the cut.
  bool SafeCut(std::string_view text, std::size_t cut, bool whole) const;

  // Converts the next block; `last` for the final one. Blocks must end at
  // cut points accepted by SafeCut.
  std::string Convert(std::string_view block, bool last);

 private:
  std::string ConvertBraille(std::string_view block, bool last);
  std::string ConvertOpened(std::string_view piece) const;
  std::string InInputFormat(std::string_view code) const;
  bool QuoteOpenAfter(std::string_view segment, bool openBefore) const;

  // Unicode Braille cells are written as ASCII Braille, whose stream carries
  // the quotation from block to block, and each block's cells are then turned
  // into patterns one for one (`patterns_`).
  std::optional<TextConverter> ascii_;
  std::optional<TextConverter> patterns_;
  const TextConverter& converter_;
  bool braille_;
  bool readsBraille_;
  std::size_t longest_;
  std::string quote_;       // the input's text for a quotation mark and a space, if it has one
  std::string wordPrefix_;  // the subscript or superscript cell every Braille word starts with
  bool quoteOpen_ = false;
  std::string held_;        // input kept back while a quotation is open and cannot be carried
};

// Converts a whole stream: `sink` receives the output piece by piece.
void ConvertStream(const TextConverter& converter, const Source& source,
                   const std::function<void(std::string_view)>& sink, StreamLimits limits = {});

// Converts the date words of each line of a stream (`fromEnglish` or back);
// each line's output ends with a line feed, and a zero byte inside a line is
// kept between the converted pieces. Long lines are cut as above.
void ConvertDateStream(bool fromEnglish, const Source& source, const std::function<void(std::string_view)>& sink,
                       StreamLimits limits = {});

// The date conversion of one line (without its line feed), zero bytes kept.
std::string ConvertDateLine(std::string_view line, bool fromEnglish);

}  // namespace tirmok::tool
