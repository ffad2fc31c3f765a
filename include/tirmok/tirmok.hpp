// tirmok C++ API: whole-string conversions, comparison, sort keys and date words, safe from many threads at once.
#ifndef TIRMOK_TIRMOK_HPP
#define TIRMOK_TIRMOK_HPP

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tirmok/tirmok.h"

namespace tirmok {

// The formats, in the order the library lists them.
enum class Format : std::uint8_t {
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
  kBrailleUnicode,  // Unicode Braille cells, 16-bit
};

// Every format, in the order above (which is the order the library lists them).
TIRMOK_API std::vector<Format> all_formats();
// Parses a format name without regard to case; nullopt for an unknown name.
TIRMOK_API std::optional<Format> parse_format(std::string_view name);
// The format's name as the library writes it ("UTF-8", "ISO15919_ANSI", ...).
TIRMOK_API std::string_view format_name(Format format);
// True for the formats whose strings are UTF-16 units: UNICODE, COLLCODE, ISO15919, BRAILLE_UNICODE.
TIRMOK_API bool is_wide(Format format);
TIRMOK_API bool can_read(Format format);
TIRMOK_API bool can_write(Format format);
TIRMOK_API bool can_compare(Format format);

// Converter options, passed per call: LPX_KEY_NEMETH, LPX_KEY_SUBSCRIPT and
// LPX_KEY_SUPERSCRIPT ("TRUE") for Braille, LPX_KEY_LANGUAGE for INSCRIPT.
using Properties = std::map<std::string, std::string, std::less<>>;

// Converts the whole input and returns the whole result, never cut short.
// Byte strings carry the 8-bit formats; for a 16-bit input format a byte
// string is read as UTF-8 text. The result of a 16-bit output format is
// returned as UTF-8 text by `convert` and as UTF-16 by `convert_u16`, which
// only accepts the 16-bit output formats and the two UTF-8 text formats.
// Throws std::invalid_argument for a direction the format lacks (such as
// LPXKBD as output, or UTF-16 input for an 8-bit format) and
// std::length_error for inputs beyond the library's 32-bit sizes.
TIRMOK_API std::string convert(std::string_view input, Format from, Format to, const Properties& properties = {});
TIRMOK_API std::string convert(std::u16string_view input, Format from, Format to,
                               const Properties& properties = {});
TIRMOK_API std::u16string convert_u16(std::string_view input, Format from, Format to,
                                      const Properties& properties = {});
TIRMOK_API std::u16string convert_u16(std::u16string_view input, Format from, Format to,
                                      const Properties& properties = {});

// Telugu dictionary order: -1, 0 or 1. Throws std::invalid_argument for a
// format that cannot be compared.
TIRMOK_API int compare(std::string_view a, Format format_a, std::string_view b, Format format_b);
TIRMOK_API int compare(std::u16string_view a, Format format_a, std::u16string_view b, Format format_b);

// A key whose byte order is the order of `compare`: sorting strings by their
// keys (std::string's operator<) sorts them as `compare` does, and two strings
// compare equal exactly when their keys are equal.
TIRMOK_API std::string sort_key(std::string_view text, Format format = Format::kUtf8);
TIRMOK_API std::string sort_key(std::u16string_view text, Format format);

// English weekday and month names and AM/PM to Telugu words in the TELTRANS
// transliteration, and back.
TIRMOK_API std::string date_to_telugu(std::string_view phrase);
TIRMOK_API std::string date_to_english(std::string_view phrase);

}  // namespace tirmok

#endif  // TIRMOK_TIRMOK_HPP
