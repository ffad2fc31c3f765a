// The tool's streaming conversion: blocks cut where no conversion step looks across, converted exactly.
#include "stream.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "input_check.h"
#include "tirmok/tirmok_ext.h"

namespace tirmok::tool {
namespace {

// Internal-code bytes the Braille quotation rule looks at.
constexpr unsigned char kQuotationMark = 34;
constexpr unsigned char kEscapeLead = 255;
constexpr std::size_t kEscapeLength = 5;

// Units of text looked at on each side of a candidate cut. A step of any
// converter reads at most one table key ahead (35 bytes of internal code, 33
// UTF-16 units of up to three UTF-8 bytes each; the "#hex;" escape of the
// typing schemes, six characters), so a step that crosses the cut starts
// within the window before it and ends within the window after it. Beyond
// steps, the only state that lives from word to word is the font decoder's
// (cleared by a blank or control character) and Braille's quotation (carried
// by StreamConverter).
constexpr std::size_t kWindowAfter = 128;
constexpr std::size_t kWindowBefore = 128;
constexpr std::size_t kContent = 64;
// How far the date command's check looks for the ends of the line around a cut.
constexpr std::size_t kDateReach = 8 * kWindowAfter;

// Candidates tried in one search; text where this many in a row are refused
// is read further before trying again.
constexpr int kTriesPerSearch = 64;

// The blanks of the internal code (and of ASCII text): Braille words end at them.
constexpr char kBlanks[] = {' ', '\t', '\n', '\r'};

bool IsBlank(unsigned char value) { return value == ' ' || value == '\t' || value == '\n' || value == '\r'; }

// `text` as units of `unit` bytes (UTF-16LE for 2).
std::string AsUnits(std::string_view text, std::size_t unit) {
  if (unit == 1) return std::string(text);
  std::string out;
  for (const char c : text) {
    out += c;
    out += '\0';
  }
  return out;
}

unsigned UnitAt(std::string_view text, std::size_t at, std::size_t unit) {
  const auto low = static_cast<unsigned char>(text[at]);
  if (unit == 1) return low;
  return low | static_cast<unsigned>(static_cast<unsigned char>(text[at + 1])) << 8;
}

std::string MegabytesOf(std::size_t bytes) {
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  if (bytes >= kMiB && bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
  return std::to_string(bytes) + " bytes";
}

// Whether `convert` gives the same for the text around `cut` as for its two
// sides apart. Each side of the window holds at least kWindowAfter (or
// kWindowBefore) units and at least kContent of what `measure` counts (the
// internal code the side decodes to): text that decodes to nothing (spacer
// and unreadable glyph bytes of the font encoding) lets an accent meet a
// blank however many bytes lie between them. Text that may still go on past
// the window's end is not judged yet.
bool AgreesAcross(std::string_view text, std::size_t cut, bool whole, std::size_t unit,
                  const std::function<std::string(std::string_view)>& convert,
                  const std::function<std::size_t(std::string_view)>& measure) {
  if (cut == text.size()) return whole;
  const std::size_t rest = text.size() - cut;
  std::size_t after = kWindowAfter * unit;
  for (;;) {
    if (after > rest) {
      if (!whole) return false;
      after = rest;
    }
    if (measure(text.substr(cut, after)) >= kContent || (after == rest && whole)) break;
    if (after == rest) return false;
    after = std::min(rest, 2 * after);
  }
  std::size_t before = std::min(cut, kWindowBefore * unit);
  while (before < cut && measure(text.substr(cut - before, before)) < kContent) before = std::min(cut, 2 * before);
  const std::string_view left = text.substr(cut - before, before);
  const std::string_view right = text.substr(cut, after - after % unit);
  std::string joined(left);
  joined += right;
  return convert(joined) == convert(left) + convert(right);
}

ToolError TooLarge(std::size_t units) {
  return ToolError("a piece of " + std::to_string(units) +
                   " units between zero units is beyond the library's 32-bit sizes");
}

// The offset of the first zero unit of `text`, or its size.
std::size_t FirstZero(std::string_view text, std::size_t unit) {
  for (std::size_t i = 0; i + unit <= text.size(); i += unit) {
    if (UnitAt(text, i, unit) == 0) return i;
  }
  return text.size();
}

}  // namespace

TextConverter::TextConverter(Format from, Format to, bool utf16, PropertyList properties)
    : from_(from),
      to_(to),
      utf16_(utf16),
      inputUnit_(utf16 && is_wide(from) ? 2 : 1),
      properties_(std::move(properties)) {}

std::string TextConverter::Convert(std::string_view text) const { return ConvertTo(text, to_); }

std::string TextConverter::ConvertTo(std::string_view text, Format to) const {
  if (text.size() % inputUnit_ != 0) throw ToolError("UTF-16 input has an odd number of bytes");
  // The text as the library's string of the input format: UTF-8 text of a
  // 16-bit format becomes UTF-16 units (in memory order).
  std::string library;
  if (is_wide(from_) && !utf16_) {
    const std::u16string wide = Utf8ToUtf16(text);
    library.assign(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(char16_t));
  } else {
    library.assign(text);
  }
  const std::size_t unit = is_wide(from_) ? 2 : 1;
  const std::size_t outUnit = is_wide(to) ? 2 : 1;
  std::string result;
  std::size_t start = 0;
  while (start <= library.size()) {
    std::size_t end = start;
    while (end + unit <= library.size() && UnitAt(library, end, unit) != 0) end += unit;
    if (end > start) result += ConvertPiece(std::string_view(library).substr(start, end - start), to);
    if (end + unit > library.size()) break;
    result.append(outUnit, '\0');
    start = end + unit;
  }
  if (!is_wide(to)) return result;
  std::u16string wide(result.size() / 2, u'\0');
  std::memcpy(wide.data(), result.data(), wide.size() * sizeof(char16_t));
  if (!utf16_) return Utf16ToUtf8(wide);
  std::string bytes;
  bytes.reserve(result.size());
  for (const char16_t u : wide) {
    bytes.push_back(static_cast<char>(u & 0xFF));
    bytes.push_back(static_cast<char>(u >> 8));
  }
  return bytes;
}

// Converts one piece that holds no zero unit, given in the library's units.
std::string TextConverter::ConvertPiece(std::string_view library, Format to) const {
  const std::size_t inUnit = is_wide(from_) ? 2 : 1;
  const std::size_t outUnit = is_wide(to) ? 2 : 1;
  // char16_t storage keeps 16-bit strings aligned; byte strings use it as bytes.
  std::vector<char16_t> input(library.size() / 2 + 2);
  std::memcpy(input.data(), library.data(), library.size());
  std::memset(reinterpret_cast<char*>(input.data()) + library.size(), 0, inUnit);

  std::vector<const char*> properties;
  for (const auto& [key, value] : properties_) {
    properties.push_back(key.c_str());
    properties.push_back(value.c_str());
  }
  properties.push_back(nullptr);
  const std::string fromName(format_name(from_));
  const std::string toName(format_name(to));

  // A first guess at the output's size, uninitialised so that only what the
  // conversion writes is touched; the library tells the exact size when the
  // guess is short.
  const std::size_t units = library.size() / inUnit;
  if (units > static_cast<std::size_t>(TirmokMaxInputUnits())) throw TooLarge(units);
  auto capacity = static_cast<std::int32_t>(2 * units + 64);
  for (;;) {
    const std::unique_ptr<char16_t[]> output(new char16_t[(static_cast<std::size_t>(capacity) * outUnit + 1) / 2]);
    std::int32_t status = TIRMOK_INVALID_ARGUMENT;
    std::int32_t required = 0;
    const std::int32_t length = TirmokConvertStatus(input.data(), fromName.c_str(), output.get(), toName.c_str(),
                                                    capacity, properties.data(), &status, &required);
    switch (status) {
      case TIRMOK_DONE:
        return std::string(reinterpret_cast<const char*>(output.get()), static_cast<std::size_t>(length) * outUnit);
      case TIRMOK_CUT:
        if (required <= capacity) throw ToolError("internal error: the library asked for no more room");
        capacity = required;
        break;
      case TIRMOK_OUT_OF_MEMORY:
        throw std::bad_alloc();
      default:
        throw TooLarge(units);
    }
  }
}

BlockReader::BlockReader(Source source, std::size_t unit, std::vector<std::string> ends, CutCheck check,
                         StreamLimits limits)
    : source_(std::move(source)), unit_(unit), ends_(std::move(ends)), check_(std::move(check)), limits_(limits) {}

bool BlockReader::IsCandidate(std::size_t cut) const {
  const std::string_view before = std::string_view(pending_).substr(0, cut);
  return std::any_of(ends_.begin(), ends_.end(), [&](const std::string& end) { return before.ends_with(end); });
}

// Reads up to the block size more; false when the input has ended.
bool BlockReader::Fill() {
  const std::size_t want = std::max<std::size_t>(limits_.block, 1);
  const std::size_t old = pending_.size();
  pending_.resize(old + want);
  std::size_t got = 0;
  while (got < want) {
    const std::size_t n = source_(pending_.data() + old + got, want - got);
    if (n == 0) {
      done_ = true;
      break;
    }
    got += n;
  }
  pending_.resize(old + got);
  return !done_;
}

// The last accepted cut point in what is pending, or 0. While more input may
// come, the last window's width of text is left for later: a check needs to
// see the text after a cut.
std::size_t BlockReader::FindCut() {
  const std::size_t whole = pending_.size() - pending_.size() % unit_;
  const std::size_t margin = done_ ? 0 : kWindowAfter * unit_;
  const std::size_t start = whole > margin ? whole - margin : 0;
  int tries = 0;
  for (std::size_t cut = start; cut > scanned_ && cut >= unit_; cut -= unit_) {
    if (!IsCandidate(cut)) continue;
    if (check_(pending_, cut, done_)) return cut;
    if (++tries == kTriesPerSearch) break;
  }
  scanned_ = start;
  return 0;
}

bool BlockReader::Next(std::string& block) {
  block.clear();
  for (;;) {
    if (!done_ && pending_.size() < limits_.block) {
      Fill();
      continue;
    }
    if (done_) {
      if (pending_.empty()) return false;
      if (pending_.size() % unit_ != 0) {
        throw ToolError("UTF-16 input has an odd number of bytes (" + std::to_string(pending_.size()) +
                        " left at the end)");
      }
      // The rest is one block when it is within the limit; beyond it, it is
      // cut like any other text.
      if (pending_.size() <= limits_.longest) {
        block.swap(pending_);
        pending_.clear();
        scanned_ = 0;
        return true;
      }
    }
    const std::size_t cut = FindCut();
    if (cut > 0) {
      block.assign(pending_, 0, cut);
      pending_.erase(0, cut);
      scanned_ = 0;
      return true;
    }
    if (pending_.size() >= limits_.longest) {
      throw ToolError("the input has a stretch of more than " + MegabytesOf(limits_.longest) +
                      " without a point where it can be cut (a line end, or a blank that no conversion step "
                      "looks across); nothing of it was converted");
    }
    if (done_) {
      block.swap(pending_);
      pending_.clear();
      return true;
    }
    Fill();
  }
}

namespace {

bool ReadsBraille(const TextConverter& converter) {
  return converter.From() == Format::kBraille || converter.From() == Format::kBrailleUnicode;
}

// Braille written as Unicode cells from text that is not Braille already
// (between the two Braille forms the cells are carried as they are).
bool WritesPatterns(const TextConverter& converter) {
  return converter.To() == Format::kBrailleUnicode && !ReadsBraille(converter);
}

}  // namespace

StreamConverter::StreamConverter(const TextConverter& converter, std::size_t longest)
    : converter_(WritesPatterns(converter)
                     ? ascii_.emplace(converter.From(), Format::kBraille, converter.Utf16(), converter.Properties())
                     : converter),
      braille_(converter_.To() == Format::kBraille),
      readsBraille_(ReadsBraille(converter)),
      longest_(longest) {
  if (WritesPatterns(converter)) patterns_.emplace(Format::kBraille, converter.To(), converter.Utf16());
  if (!braille_) return;
  // Every word, even an empty one, starts with the subscript or superscript
  // cell when one is set: a space alone is that cell, the space and the cell
  // again for the empty word after it.
  const std::string spaced =
      TextConverter(Format::kLpxcode, Format::kBraille, false, converter_.Properties()).Convert(" ");
  const std::size_t half = spaced.size() / 2;
  wordPrefix_ = spaced.substr(0, half);
  if (spaced.size() % 2 != 1 || spaced != wordPrefix_ + " " + wordPrefix_) {
    throw ToolError("internal error: Braille words have no recognisable start");
  }
  // The input's own quotation mark and space, so that a block that starts
  // inside a quotation can be given one (and their cells taken off again):
  // the format's own writing of them, or else an 8-bit character that reads
  // as the quotation mark.
  std::vector<std::string> candidates;
  if (tirmok::can_write(converter_.From())) candidates.push_back(InInputFormat("\" "));
  if (converter_.InputUnit() == 1) {
    for (int b = 1; b < 256; ++b) candidates.push_back(std::string(1, static_cast<char>(b)) + " ");
  }
  for (const std::string& text : candidates) {
    if (!text.empty() && converter_.ConvertTo(text, Format::kLpxcode) == "\" " &&
        converter_.Convert(text) == wordPrefix_ + "8 " + wordPrefix_) {
      quote_ = text;
      break;
    }
  }
}

// `code` (internal code) as the input format writes it, in the text form the
// tool reads; empty when the format has no writing of it.
std::string StreamConverter::InInputFormat(std::string_view code) const {
  if (!tirmok::can_write(converter_.From())) return {};
  const TextConverter writer(Format::kLpxcode, converter_.From(), converter_.InputUnit() == 2,
                             converter_.Properties());
  std::string text = writer.Convert(code);
  if (converter_.ConvertTo(text, Format::kLpxcode) != code) return {};
  return text;
}

std::vector<std::string> StreamConverter::CutEnds() const {
  const std::size_t unit = converter_.InputUnit();
  std::vector<std::string> ends{std::string(unit, '\0')};
  for (const char blank : kBlanks) {
    ends.push_back(AsUnits(std::string_view(&blank, 1), unit));
    // Formats with blanks of their own (the collation code's units).
    std::string own = InInputFormat(std::string_view(&blank, 1));
    if (!own.empty() && std::find(ends.begin(), ends.end(), own) == ends.end()) ends.push_back(std::move(own));
  }
  return ends;
}

bool StreamConverter::SafeCut(std::string_view text, std::size_t cut, bool whole) const {
  const std::size_t unit = converter_.InputUnit();
  // After a zero unit the library starts a new string: nothing carries over.
  if (UnitAt(text, cut - unit, unit) == 0) return true;
  // Reading Braille, whether a closing quotation cell or a parenthesis cell
  // opens or closes depends on everything read before it in the string.
  if (readsBraille_) return false;
  // Braille words end at blanks and share only the quotation state, carried
  // by Convert; what has to agree is the internal code they are made from.
  // Convert drops the empty word a block's end makes, which is a word of the
  // text when the string ends there: such a block ends after the zero unit.
  if (braille_ && cut < text.size() && cut + unit <= text.size() && UnitAt(text, cut, unit) == 0) return false;
  // And a Braille word ends only at a blank of the internal code, which not
  // every blank of the input is (the collation code reads an ASCII space as
  // an escape).
  if (braille_) {
    const std::size_t before = std::min(cut, kWindowBefore * unit);
    const std::string code = converter_.ConvertTo(text.substr(cut - before, before), Format::kLpxcode);
    if (code.empty() || !IsBlank(static_cast<unsigned char>(code.back()))) return false;
  }
  const Format to = braille_ ? Format::kLpxcode : converter_.To();
  return AgreesAcross(
      text, cut, whole, unit, [&](std::string_view piece) { return converter_.ConvertTo(piece, to); },
      [&](std::string_view piece) { return converter_.ConvertTo(piece, Format::kLpxcode).size(); });
}

std::string StreamConverter::Convert(std::string_view block, bool last) {
  if (!braille_) return converter_.Convert(block);
  std::string cells = ConvertBraille(block, last);
  return patterns_ ? patterns_->Convert(cells) : cells;
}

// Whether a Braille quotation is open after `segment` (zero-free), as the
// encoder decides it: each quotation mark of the internal code that is a step
// of its own turns the state over; only an escape (five bytes, or what is
// left of its word) can hold one without being that.
bool StreamConverter::QuoteOpenAfter(std::string_view segment, bool openBefore) const {
  const std::string code = converter_.ConvertTo(segment, Format::kLpxcode);
  bool open = openBefore;
  std::size_t wordEnd = 0;
  for (std::size_t i = 0; i < code.size();) {
    if (i >= wordEnd) {
      wordEnd = i;
      while (wordEnd < code.size() && !IsBlank(static_cast<unsigned char>(code[wordEnd]))) ++wordEnd;
      if (wordEnd < code.size()) ++wordEnd;
    }
    const auto b = static_cast<unsigned char>(code[i]);
    if (b == kEscapeLead) {
      i += std::min(kEscapeLength, wordEnd - i);
      continue;
    }
    if (b == kQuotationMark) open = !open;
    ++i;
  }
  return open;
}

// Converts a zero-free piece that starts inside a quotation: the input's own
// quotation mark in front reopens it, and its cells are taken off again.
std::string StreamConverter::ConvertOpened(std::string_view piece) const {
  std::string input = quote_;
  input += piece;
  std::string output = converter_.Convert(input);
  const std::string opening = wordPrefix_ + "8 ";
  if (output.compare(0, opening.size(), opening) != 0) {
    throw ToolError("internal error: a reopened Braille quotation does not start with its mark");
  }
  output.erase(0, opening.size());
  return output;
}

std::string StreamConverter::ConvertBraille(std::string_view block, bool last) {
  std::string input;
  if (!held_.empty()) {
    input = std::move(held_);
    held_.clear();
    input += block;
    block = input;
  }
  const std::size_t unit = converter_.InputUnit();
  // The segments between zero units are separate strings: a quotation open
  // at the end of the previous block reaches only into the first.
  std::size_t lastStart = 0;
  for (std::size_t i = 0; i + unit <= block.size(); i += unit) {
    if (UnitAt(block, i, unit) == 0) lastStart = i + unit;
  }
  const bool endsInSegment = lastStart < block.size();
  const bool openAtStart = quoteOpen_;
  const bool firstIsLast = lastStart == 0;
  bool openAtEnd = false;
  if (!last && endsInSegment) {
    const std::string_view tail = block.substr(lastStart);
    openAtEnd = QuoteOpenAfter(tail, firstIsLast && openAtStart);
    if (openAtEnd && quote_.empty()) {
      // Without a quotation mark of its own the input cannot reopen the
      // quotation in the next block: keep this block and convert it with the
      // next one.
      if (block.size() > longest_) {
        throw ToolError("a Braille quotation stays open over more than " + MegabytesOf(longest_) +
                        " of input that has no quotation mark of its own");
      }
      held_.assign(block);
      return {};
    }
  }
  std::string output;
  if (openAtStart && !firstIsLast) {
    // Only the first segment continues the quotation.
    const std::size_t firstEnd = FirstZero(block, unit);
    output = ConvertOpened(block.substr(0, firstEnd));
    output += converter_.Convert(block.substr(firstEnd));
  } else if (openAtStart) {
    output = ConvertOpened(block);
  } else {
    output = converter_.Convert(block);
  }
  if (!last && endsInSegment && !wordPrefix_.empty()) {
    // The block ends at a blank, where the whole text goes on with its next
    // word: the empty word the block's end makes is no word of the text.
    if (output.size() < wordPrefix_.size() ||
        output.compare(output.size() - wordPrefix_.size(), wordPrefix_.size(), wordPrefix_) != 0) {
      throw ToolError("internal error: a Braille block does not end with its empty word");
    }
    output.resize(output.size() - wordPrefix_.size());
  }
  quoteOpen_ = openAtEnd;
  return output;
}

}  // namespace tirmok::tool

namespace tirmok::tool {

void ConvertStream(const TextConverter& converter, const Source& source,
                   const std::function<void(std::string_view)>& sink, StreamLimits limits) {
  StreamConverter stream(converter, limits.longest);
  BlockReader reader(
      source, converter.InputUnit(), stream.CutEnds(),
      [&stream](std::string_view text, std::size_t cut, bool whole) { return stream.SafeCut(text, cut, whole); },
      limits);
  std::string block;
  std::string next;
  bool more = reader.Next(block);
  while (more) {
    // One block ahead, to know which block is the last.
    more = reader.Next(next);
    sink(stream.Convert(block, !more));
    block.swap(next);
  }
}

std::string ConvertDateLine(std::string_view line, bool fromEnglish) {
  // The date conversion reads a terminated phrase: the pieces between zero
  // bytes are converted one by one and the zero bytes kept.
  std::string output;
  for (std::size_t start = 0;;) {
    const std::size_t end = std::min(line.find('\0', start), line.size());
    const std::string_view piece = line.substr(start, end - start);
    if (!piece.empty()) output += fromEnglish ? date_to_telugu(piece) : date_to_english(piece);
    if (end == line.size()) break;
    output.push_back('\0');
    start = end + 1;
  }
  return output;
}

void ConvertDateStream(bool fromEnglish, const Source& source, const std::function<void(std::string_view)>& sink,
                       StreamLimits limits) {
  // Lines are converted one by one; a long line is cut at blanks that the
  // date conversion does not look across.
  const auto check = [fromEnglish](std::string_view text, std::size_t cut, bool whole) {
    const char before = text[cut - 1];
    if (before == '\n' || before == '\0') return true;
    // The window stays inside the line: a line end is a cut of its own.
    const std::size_t low = cut > kDateReach ? cut - kDateReach : 0;
    const std::size_t endBefore = text.substr(low, cut - low).rfind('\n');
    const std::size_t from = endBefore == std::string_view::npos ? low : low + endBefore + 1;
    const std::size_t high = std::min(text.size(), cut + kDateReach);
    const std::size_t endAfter = text.substr(cut, high - cut).find('\n');
    const std::size_t to = endAfter == std::string_view::npos ? high : cut + endAfter;
    const auto convert = [fromEnglish](std::string_view piece) { return ConvertDateLine(piece, fromEnglish); };
    const bool lineEnds = endAfter != std::string_view::npos || (whole && high == text.size());
    return AgreesAcross(text.substr(from, to - from), cut - from, lineEnds, 1,
                        convert, [&convert](std::string_view piece) { return convert(piece).size(); });
  };
  BlockReader reader(source, 1, {"\n", std::string(1, '\0'), " ", "\t", "\r"}, check, limits);
  std::string block;
  bool insideLine = false;
  while (reader.Next(block)) {
    for (std::size_t start = 0; start < block.size();) {
      const std::size_t end = block.find('\n', start);
      if (end == std::string::npos) {
        sink(ConvertDateLine(std::string_view(block).substr(start), fromEnglish));
        insideLine = true;
        break;
      }
      std::string line = ConvertDateLine(std::string_view(block).substr(start, end - start), fromEnglish);
      line.push_back('\n');
      sink(line);
      insideLine = false;
      start = end + 1;
    }
  }
  if (insideLine) sink("\n");
}

}  // namespace tirmok::tool
