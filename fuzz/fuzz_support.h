// Shared pieces of the fuzz targets: reading the fuzzer's bytes, calling the exports with guarded buffers,
// and the rules that say which internal-code strings must survive a trip through a format and back.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "tirmok/tirmok.h"

namespace tirmok::fuzz {

// A broken invariant is a finding like a crash: report it and abort so that
// the fuzzer keeps the input.
[[noreturn]] inline void Fail(const char* what, const std::string& detail = {}) {
  std::fprintf(stderr, "\ninvariant broken: %s\n%s\n", what, detail.c_str());
  std::fflush(stderr);
  std::abort();
}

inline void Require(bool holds, const char* what) {
  if (!holds) Fail(what);
}

// Bytes as decimal values, for failure reports.
inline std::string Describe(std::string_view bytes) {
  std::string out;
  for (unsigned char b : bytes) {
    if (!out.empty()) out += ' ';
    out += std::to_string(b);
  }
  return out;
}

// Reads the fuzzer's bytes from the front: header fields first, the text last.
// Past the end every field reads as zero.
class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte() { return position_ < size_ ? data_[position_++] : 0; }
  std::uint16_t Word() {
    const std::uint16_t low = Byte();
    return static_cast<std::uint16_t>(low | (Byte() << 8));
  }
  // The next `count` bytes, or fewer at the end.
  std::string Take(std::size_t count) {
    count = std::min(count, size_ - position_);
    std::string out(reinterpret_cast<const char*>(data_ + position_), count);
    position_ += count;
    return out;
  }
  std::string Rest() { return Take(size_ - position_); }
  std::size_t Left() const { return size_ - position_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

// ---- Format names ----
// Written out here rather than taken from the library's own tables on purpose:
// the harness checks the library against these expectations, so a wrong unit
// width or direction in the library shows up as a finding instead of hiding.

inline constexpr int kFormatCount = 12;
inline constexpr const char* kFormats[kFormatCount] = {"TELTRANS",      "LPXCODE",  "LPXKBD",         "INSCRIPT",
                                                       "ANSI",          "UNICODE",  "UTF-8",          "COLLCODE",
                                                       "ISO15919_ANSI", "ISO15919", "ISO15919_UTF_8", "BRAILLE"};
enum FormatIndex {
  kTeltrans,
  kLpxcode,
  kLpxkbd,
  kInscript,
  kAnsi,
  kUnicode,
  kUtf8,
  kCollcode,
  kIso15919Ansi,
  kIso15919,
  kIso15919Utf8,
  kBraille,
};

inline bool IsWide(int format) { return format == kUnicode || format == kCollcode || format == kIso15919; }
inline bool HasDecoder(int format) { return format != kBraille; }
inline bool HasEncoder(int format) { return format != kLpxkbd && format != kInscript; }
inline bool IsComparable(int format) {
  return format != kLpxkbd && format != kInscript && format != kIso15919Utf8 && format != kBraille;
}

// Names that are close to valid ones but are not: stray blanks, bytes above
// 127, letters that some locales upper-case into ASCII, over-long names.
inline const std::vector<std::string>& OddNames() {
  static const std::vector<std::string> names = {
      "",
      " ",
      "UNICODE ",
      " UNICODE",
      "UTF8",
      "UTF-16",
      "ISO-15919",
      "un\304\261code",  // dotless i (UTF-8)
      "UN\304\260CODE",  // capital I with dot (UTF-8)
      "un\375code",      // dotless i (ISO 8859-9)
      "an\xC5\xBFi",     // long s
      "\xFF\xFE",
      "LPXCODE\n",
      "BRAILLE\x01",
      "TELTRANSX",
      "COLL CODE",
      "ISO15919_UTF_8_",
      "ANS\xC9",
      "UNICODE\xA0",
      "\xEF\xBB\xBFUNICODE",  // byte order mark in front
      std::string(300, 'A'),
      "UNICODE" + std::string(250, ' '),
  };
  return names;
}

// A format name chosen by one selector byte: one of the twelve names in
// upper, lower or mixed case, or an odd name. `index` is -1 for odd names.
struct FormatChoice {
  std::string name;
  int index = -1;
};

inline FormatChoice ChooseFormat(std::uint8_t selector) {
  const int slot = selector % 16;
  const int variant = selector / 16;
  if (slot >= kFormatCount) {
    const auto& odd = OddNames();
    return {odd[static_cast<std::size_t>(variant + 16 * (slot - kFormatCount)) % odd.size()], -1};
  }
  std::string name = kFormats[slot];
  for (std::size_t i = 0; i < name.size(); ++i) {
    const bool lower = (variant % 4 == 1) || (variant % 4 == 2 && i % 2 == 0);
    if (lower && name[i] >= 'A' && name[i] <= 'Z') name[i] = static_cast<char>(name[i] - 'A' + 'a');
  }
  return {name, slot};
}

// The header most targets' inputs begin with: two format selectors, flags,
// and a 16-bit field (a capacity or a length), little-endian.
struct PairHeader {
  FormatChoice first;
  FormatChoice second;
  std::uint8_t flags = 0;
  std::uint16_t word = 0;
};

inline PairHeader ReadPairHeader(ByteReader& reader) {
  PairHeader header;
  header.first = ChooseFormat(reader.Byte());
  header.second = ChooseFormat(reader.Byte());
  header.flags = reader.Byte();
  header.word = reader.Word();
  return header;
}

// ---- Guarded buffers ----

inline constexpr std::size_t kGuardBytes = 32;
inline constexpr std::uint8_t kGuardByte = 0xA5;

// An input string laid out as the caller gives it: the bytes, then a zero unit
// of the format's width, optionally at an odd address. The buffer is exactly
// that long, so AddressSanitizer sees any read past the terminator.
class InputBuffer {
 public:
  InputBuffer(std::string_view bytes, bool wide, bool misaligned) : offset_(misaligned ? 1 : 0) {
    if (wide && bytes.size() % 2 != 0) bytes.remove_suffix(1);
    storage_.resize(offset_ + bytes.size() + (wide ? 2 : 1), 0);
    std::memcpy(storage_.data() + offset_, bytes.data(), bytes.size());
  }
  const void* data() const { return storage_.data() + offset_; }
  const char* c_str() const { return reinterpret_cast<const char*>(data()); }

 private:
  std::size_t offset_;
  std::vector<std::uint8_t> storage_;
};

// The text of a string up to its zero unit, as bytes (two per unit for wide strings).
inline std::string TextOf(const void* text, bool wide) {
  const auto* bytes = static_cast<const std::uint8_t*>(text);
  if (!wide) return std::string(reinterpret_cast<const char*>(bytes));
  std::size_t units = 0;
  while (bytes[2 * units] != 0 || bytes[2 * units + 1] != 0) ++units;
  return std::string(reinterpret_cast<const char*>(bytes), 2 * units);
}

// Units of a format's width in an output.
inline std::int32_t UnitCount(const std::string& bytes, bool wide) {
  return static_cast<std::int32_t>(wide ? bytes.size() / 2 : bytes.size());
}

// One guarded call of an export that writes `capacity` units of `width`
// bytes: the output sits between guard bytes (at an odd address when asked),
// and afterwards the guards must be intact. `text` is the output up to its
// terminator, and `terminated` says whether a zero unit lies within the
// capacity.
struct GuardedOutput {
  std::string text;
  bool terminated = false;
  bool touched = false;  // any byte of the buffer changed
};

template <class Call>
GuardedOutput CallGuarded(std::int32_t capacity, int width, bool misaligned, Call&& call) {
  const std::size_t offset = kGuardBytes + (misaligned ? 1 : 0);
  const std::size_t room = capacity > 0 ? static_cast<std::size_t>(capacity) * static_cast<std::size_t>(width) : 0;
  std::vector<std::uint8_t> buffer(offset + room + kGuardBytes, kGuardByte);
  call(static_cast<void*>(buffer.data() + offset));
  for (std::size_t i = 0; i < offset; ++i) Require(buffer[i] == kGuardByte, "a byte before the output changed");
  for (std::size_t i = offset + room; i < buffer.size(); ++i) {
    Require(buffer[i] == kGuardByte, "a byte past the capacity changed");
  }
  GuardedOutput out;
  out.touched = std::any_of(buffer.begin() + static_cast<std::ptrdiff_t>(offset),
                            buffer.begin() + static_cast<std::ptrdiff_t>(offset + room),
                            [](std::uint8_t b) { return b != kGuardByte; });
  for (std::size_t unit = 0; unit * static_cast<std::size_t>(width) < room; ++unit) {
    const std::uint8_t* p = buffer.data() + offset + unit * static_cast<std::size_t>(width);
    if (p[0] == 0 && (width == 1 || p[1] == 0)) {
      out.terminated = true;
      out.text.assign(reinterpret_cast<const char*>(buffer.data() + offset), unit * static_cast<std::size_t>(width));
      break;
    }
  }
  return out;
}

// A conversion through LpxConvert with every output invariant checked: the
// output is terminated within the capacity, nothing around it changed, and
// the result is its length in units. A capacity below 1 must leave the
// buffer untouched (0 asks for the size, a negative one is refused).
struct Converted {
  std::string text;  // output bytes up to the terminator
  std::int32_t result = 0;
};

inline Converted ConvertChecked(const InputBuffer& input, const char* from, const char* to, int toIndex,
                                std::int32_t capacity, bool misaligned = false) {
  const bool wide = toIndex >= 0 && IsWide(toIndex);
  Converted converted;
  const GuardedOutput out = CallGuarded(capacity, wide ? 2 : 1, misaligned, [&](void* buffer) {
    converted.result = LpxConvert(input.data(), from, buffer, to, capacity);
  });
  if (capacity < 1) {
    Require(!out.touched, "a conversion without capacity wrote into the output");
    return converted;
  }
  Require(out.terminated, "the output is not terminated within the capacity");
  converted.text = out.text;
  if (converted.result != UnitCount(out.text, wide)) {
    Fail("the result is not the output's length",
         "result " + std::to_string(converted.result) + ", length " + std::to_string(UnitCount(out.text, wide)));
  }
  return converted;
}

// The size a conversion asks for (capacity 0), checked against the size rule.
inline std::int32_t SizeQuery(const InputBuffer& input, const char* from, const char* to, bool fromWide) {
  const std::int32_t size = LpxConvert(input.data(), from, nullptr, to, 0);
  const auto units = static_cast<std::int64_t>(TextOf(input.data(), fromWide).size() / (fromWide ? 2 : 1));
  if (size != 20 * units + 4096) {
    Fail("the size query does not follow the size rule",
         std::to_string(size) + " for " + std::to_string(units) + " units");
  }
  return size;
}

// The whole output of a conversion of internal code (capacity from the size query).
inline std::string ConvertInternal(const std::string& code, int toIndex) {
  const InputBuffer input(code, false, false);
  const std::int32_t size = SizeQuery(input, "LPXCODE", kFormats[toIndex], false);
  return ConvertChecked(input, "LPXCODE", kFormats[toIndex], toIndex, size).text;
}

// The whole output of a conversion between two formats.
inline std::string ConvertText(const std::string& text, int fromIndex, int toIndex) {
  const InputBuffer input(text, IsWide(fromIndex), false);
  const std::int32_t size = SizeQuery(input, kFormats[fromIndex], kFormats[toIndex], IsWide(fromIndex));
  return ConvertChecked(input, kFormats[fromIndex], kFormats[toIndex], toIndex, size).text;
}

// The internal code of a text in a format (the LPXCODE output, whole).
inline std::string ConvertToInternal(const std::string& text, int fromIndex) {
  return ConvertText(text, fromIndex, kLpxcode);
}

// ---- Which internal-code strings must survive a round trip ----

inline constexpr std::uint8_t kEscape = 255;

// Bytes of the normalised internal code (without escapes).
inline bool IsNormalisedByte(std::uint8_t b) {
  return (b >= 1 && b <= 65) || b == 67 || (b >= 74 && b <= 83) || (b >= 87 && b <= 89) || b == 94 || b == 95 ||
         (b >= 100 && b <= 107) || (b >= 112 && b <= 114) || (b >= 116 && b <= 118) || (b >= 122 && b <= 141) ||
         (b >= 144 && b <= 151) || b == 153 || b == 154 || (b >= 157 && b <= 161) || (b >= 170 && b <= 177);
}
inline bool IsVowelByte(std::uint8_t b) { return b >= 100 && b <= 118; }

// One unit of internal code: an escape (the lead byte and what follows it,
// up to five bytes), ca or ja with their nukta, or a single byte.
struct CodeToken {
  std::size_t position;
  std::size_t length;
  bool escape;
  bool canonicalEscape;  // four upper-case hexadecimal digits
  unsigned value;        // the escape's value when canonical
};

inline std::vector<CodeToken> Tokens(const std::string& code) {
  std::vector<CodeToken> tokens;
  for (std::size_t i = 0; i < code.size();) {
    const auto b = static_cast<std::uint8_t>(code[i]);
    CodeToken t{i, 1, false, false, 0};
    if (b == kEscape) {
      t.escape = true;
      t.length = std::min<std::size_t>(5, code.size() - i);
      t.canonicalEscape = t.length == 5;
      for (std::size_t k = 1; k < t.length; ++k) {
        const char c = code[i + k];
        const bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
        t.canonicalEscape = t.canonicalEscape && hex;
        if (hex) t.value = t.value * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : c - 'A' + 10);
      }
    } else if ((b == 127 || b == 129) && i + 1 < code.size() && static_cast<std::uint8_t>(code[i + 1]) == 170) {
      t.length = 2;
    }
    tokens.push_back(t);
    i += t.length;
  }
  return tokens;
}

// Units that the Unicode decoder reads as something other than an escape,
// alone or together with a neighbour: the Telugu block, general punctuation
// (joiners, curly quotation marks), the rupee sign and ASCII punctuation.
inline bool UnicodeDecoderMaps(unsigned unit) {
  if (unit >= 0x0C00 && unit <= 0x0C7F) return true;
  if (unit >= 0x2000 && unit <= 0x206F) return true;
  if (unit == 0x20A8) return true;
  if (unit >= 0x20 && unit <= 0x7E) {
    const bool alphanumeric =
        (unit >= '0' && unit <= '9') || (unit >= 'A' && unit <= 'Z') || (unit >= 'a' && unit <= 'z');
    return !alphanumeric;
  }
  return false;
}

// Normalised internal code in which every character has a Unicode form and
// every escape names a unit that the decoder reads back as the same escape:
// encoding it to UTF-16 and decoding again gives it back byte for byte (the
// separator 95 between a bare consonant and a vowel comes back as written).
// Accent marks have no Unicode form and are dropped, so they are excluded.
inline bool SurvivesUnicode(const std::string& code, bool asUtf8) {
  for (const CodeToken& t : Tokens(code)) {
    if (t.escape) {
      if (!t.canonicalEscape || t.value < 0x20 || UnicodeDecoderMaps(t.value)) return false;
      // UTF-8 has no form for a lone surrogate; pairs are left out as well.
      if (asUtf8 && t.value >= 0xD800 && t.value <= 0xDFFF) return false;
      continue;
    }
    if (t.length == 2) continue;  // tsa, dza
    const auto b = static_cast<std::uint8_t>(code[t.position]);
    if (!IsNormalisedByte(b) || b >= 170) return false;
  }
  return true;
}

// Normalised internal code whose every character has a collation unit, and
// whose escapes name units outside the collation block: encoding to the
// collation code and decoding again gives it back.
inline bool SurvivesCollation(const std::string& code) {
  for (const CodeToken& t : Tokens(code)) {
    if (t.escape) {
      if (!t.canonicalEscape || t.value < 0x20 || (t.value >> 8) == 0xE6) return false;
      continue;
    }
    for (std::size_t k = 0; k < t.length; ++k) {
      if (!IsNormalisedByte(static_cast<std::uint8_t>(code[t.position + k]))) return false;
    }
  }
  return true;
}

// What the transliteration must give back for normalised internal code, or
// false when the code holds a character without a Latin form or one of the
// neighbourhoods whose Latin forms run together unguarded: a joiner before a
// joiner or non-joiner, the tilde before candrabindu or anusvara, and the
// accent 172 with a semicolon within the next five Latin characters. `latin`
// is the code's transliteration; `latinOfPrefix` gives the transliteration of
// a prefix of the code. Adjacent vowels come back with 95 between them.
template <class LatinOfPrefix>
bool TransliterationExpectation(const std::string& code, const std::string& latin, LatinOfPrefix&& latinOfPrefix,
                                std::string& expected) {
  const std::vector<CodeToken> tokens = Tokens(code);
  expected.clear();
  for (std::size_t k = 0; k < tokens.size(); ++k) {
    const CodeToken& t = tokens[k];
    const std::string text = code.substr(t.position, t.length);
    expected += text;
    if (t.escape) {
      if (!t.canonicalEscape || t.value == 0) return false;
      continue;
    }
    if (t.length == 2) continue;
    const auto b = static_cast<std::uint8_t>(text[0]);
    if (!IsNormalisedByte(b) || b == 54 || b == 170) return false;
    const std::uint8_t next = k + 1 < tokens.size() ? static_cast<std::uint8_t>(code[tokens[k + 1].position]) : 0;
    const bool nextIsByte = k + 1 < tokens.size() && !tokens[k + 1].escape;
    if (b == 94 && nextIsByte && (next == 94 || next == 95)) return false;
    if (b == 64 && nextIsByte && (next == 87 || next == 88)) return false;
    if (b == 172) {
      // The accent's "#" is the last character of the prefix's Latin form,
      // since no encoding step before it looks past its own next byte.
      const std::size_t hash = latinOfPrefix(t.position + 1).size() - 1;
      if (hash >= latin.size() || latin[hash] != '#') Fail("the accent 172 is not written \"#\"", Describe(code));
      for (std::size_t i = hash + 1; i <= hash + 5 && i < latin.size(); ++i) {
        if (latin[i] == ';') return false;
      }
    }
    if (IsVowelByte(b) && nextIsByte && IsVowelByte(next) && tokens[k + 1].length == 1)
      expected += static_cast<char>(95);  // the separator
  }
  return true;
}

}  // namespace tirmok::fuzz
