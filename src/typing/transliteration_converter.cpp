// TransliterationConverter: internal code <-> the Latin transliteration ("TELTRANS").
#include "typing/transliteration_converter.h"

#include <span>

#include "core/escape.h"
#include "core/run_loop.h"
#include "typing/transliteration_tables.h"

namespace tirmok {
namespace {

constexpr Byte kLatinTilde = '~';
constexpr Byte kLatinHash = '#';
constexpr Byte kLatinSemicolon = ';';
constexpr char kVowelBreak[] = "^^";

void Fill(MappingTable& table, std::span<const LatinRow> rows) {
  for (const LatinRow& row : rows) {
    const Units<Byte> code = row.code[1] != 0 ? Units<Byte>{row.code[0], row.code[1]}
                                              : Units<Byte>{row.code[0]};
    for (const char* latin : row.latin) {
      if (latin != nullptr) table.AddEntry(latin, code);
    }
  }
}

// Consonants whose Latin form followed by "h" would read back as another
// consonant ("k" "h" as kha, "S" "h" as ssa); before ha they get a "~", so
// that the ha is read as "~h".
constexpr bool MergesWithH(Byte consonant) {
  switch (consonant) {
    case 122: case 124: case 127: case 128: case 129: case 132: case 134:
    case 137: case 139: case 144: case 146: case 158: case 160:
      return true;
    default:
      return false;
  }
}

// Codes whose Latin form, written straight after the "~" of the tilde 64,
// would run together with it into another key ("~g", "~&", "~^", "~#", "~~"
// ...); the tilde is then written "~~".
constexpr bool MergesAfterTilde(Byte next) {
  switch (next) {
    case 35: case 36: case 38: case 58: case 64: case 65: case 94: case 95:
    case 124: case 126: case 129: case 131: case 161: case 172: case 173:
    case code::kEscapeLead:
      return true;
    default:
      return false;
  }
}

// "#", four upper-case hexadecimal digits, ";".
void AppendHashEscape(Piece<Byte>& piece, std::uint16_t value) {
  const std::int32_t lead = piece.Size();
  AppendEscape(piece, value);
  piece.Data()[lead] = kLatinHash;
  piece.Push(kLatinSemicolon);
}

}  // namespace

TransliterationConverter::TransliterationConverter() {
  Fill(words_, LatinWordRows());
  Fill(vowels_, LatinVowelRows());
  Fill(consonants_, LatinConsonantRows());
  Fill(signs_, LatinSignRows());
}

std::int32_t TransliterationConverter::DecodeStep(const Byte* p, Piece<Byte>& piece) const {
  if (p[0] == code::kEnd) return 0;
  for (const MappingTable* table : {&words_, &vowels_, &consonants_}) {
    if (const auto match = table->MatchLeft(p)) {
      piece.Append(match.value);
      return match.length;
    }
  }
  if (const HashEscapeRead escape = ReadHashEscape(p); escape.matched) {
    if (escape.value != 0) AppendEscape(piece, escape.value);
    return escape.consumed;
  }
  if (const auto match = signs_.MatchLeft(p)) {
    piece.Append(match.value);
    return match.length;
  }
  // Text that begins no key is dropped a byte at a time; control runs pass through.
  if (p[0] >= code::kSpace) return 1;
  return CopyControlRun(p, piece);
}

std::int32_t TransliterationConverter::EncodeStep(const Byte* p, Piece<Byte>& piece) const {
  if (p[0] == code::kEnd) return 0;
  if (const auto match = words_.MatchRight(p)) {
    piece.Append(match.value);
    return match.length;
  }
  if (const auto match = vowels_.MatchRight(p)) {
    piece.Append(match.value);
    // Two vowels side by side would read back as one ("a" "i" as ai).
    if (IsVowel(p[match.length])) {
      piece.Append(std::span<const Byte>(reinterpret_cast<const Byte*>(kVowelBreak), 2));
    }
    return match.length;
  }
  if (const auto match = consonants_.MatchRight(p)) {
    piece.Append(match.value);
    if (p[match.length] == code::kHa && MergesWithH(p[0])) piece.Push(kLatinTilde);
    return match.length;
  }
  if (const auto match = signs_.MatchRight(p)) {
    piece.Append(match.value);
    if (p[0] == code::kTilde && MergesAfterTilde(p[match.length])) piece.Push(kLatinTilde);
    return match.length;
  }
  if (p[0] == code::kEscapeLead) {
    const EscapeRead escape = ReadEscape(p);
    if (escape.value != 0) AppendHashEscape(piece, escape.value);
    return escape.consumed;
  }
  // Codes without a Latin form are dropped; control runs pass through.
  if (p[0] >= code::kSpace) return 1;
  return CopyControlRun(p, piece);
}

std::int32_t TransliterationConverter::Decode(const Byte* input, std::int32_t length, Byte* output,
                                              std::int32_t capacity) const {
  return RunLoop(input, length, output, capacity,
                 [this](const Byte* p, Piece<Byte>& piece) { return DecodeStep(p, piece); });
}

std::int32_t TransliterationConverter::Encode(const Byte* input, std::int32_t length, Byte* output,
                                              std::int32_t capacity) const {
  return RunLoop(input, length, output, capacity,
                 [this](const Byte* p, Piece<Byte>& piece) { return EncodeStep(p, piece); });
}

}  // namespace tirmok
