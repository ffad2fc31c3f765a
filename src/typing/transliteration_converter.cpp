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

// The separators EncodeStep writes after an entry, by the first byte of the
// step: which one a step of the given table may need.
constexpr std::uint8_t kNoSeparator = 0;
constexpr std::uint8_t kVowelBreakAfter = 1;
constexpr std::uint8_t kTildeBeforeHa = 2;
constexpr std::uint8_t kTildeAfterTilde = 3;

std::uint8_t SeparatorAfter(TransliterationConverter::TableKind kind, Byte lead) {
  using TableKind = TransliterationConverter::TableKind;
  switch (kind) {
    case TableKind::kVowels:
      return kVowelBreakAfter;
    case TableKind::kConsonants:
      return MergesWithH(lead) ? kTildeBeforeHa : kNoSeparator;
    case TableKind::kSigns:
      return lead == code::kTilde ? kTildeAfterTilde : kNoSeparator;
    case TableKind::kWords:
    case TableKind::kNone:
      break;
  }
  return kNoSeparator;
}

}  // namespace

TransliterationConverter::TransliterationConverter() {
  Fill(words_, LatinWordRows());
  Fill(vowels_, LatinVowelRows());
  Fill(consonants_, LatinConsonantRows());
  Fill(signs_, LatinSignRows());
  MakeShortcuts();
}

// For each byte, the first table in the steps' order that has a key
// beginning with it. A decoding step at "#" reads the "#hex;" escape before
// the signs, so the signs are no shortcut there.
void TransliterationConverter::MakeShortcuts() {
  const struct {
    TableKind kind;
    const MappingTable* table;
  } order[] = {{TableKind::kWords, &words_},
               {TableKind::kVowels, &vowels_},
               {TableKind::kConsonants, &consonants_},
               {TableKind::kSigns, &signs_}};
  std::array<Shortcut, 256> decodeShortcuts{};
  std::array<Shortcut, 256> encodeShortcuts{};
  for (std::uint32_t b = 1; b < 256; ++b) {
    bool decodingFound = false;
    bool encodingFound = false;
    for (const auto& t : order) {
      const auto decoding = ShortGroup<Byte, Byte>::Of(t.table->LeftKeyed(), b);
      if (!decodingFound && !decoding.NoMatch()) {
        decodingFound = true;
        if (!(t.kind == TableKind::kSigns && b == kLatinHash)) decodeShortcuts[b] = {t.kind, kNoSeparator, decoding};
      }
      const auto encoding = ShortGroup<Byte, Byte>::Of(t.table->RightKeyed(), b);
      if (!encodingFound && !encoding.NoMatch()) {
        encodingFound = true;
        encodeShortcuts[b] = {t.kind, SeparatorAfter(t.kind, static_cast<Byte>(b)), encoding};
      }
    }
  }
  for (int next = 0; next < 256; ++next) {
    const auto n = static_cast<Byte>(next);
    separators_[kVowelBreakAfter].before[n] = IsVowel(n);
    separators_[kTildeBeforeHa].before[n] = n == code::kHa;
    separators_[kTildeAfterTilde].before[n] = MergesAfterTilde(n);
    for (std::uint8_t i = 1; i < separators_.size(); ++i) {
      if (separators_[i].before[n]) separatorBits_[n] |= static_cast<std::uint8_t>(1u << i);
    }
  }
  separators_[kVowelBreakAfter].size = 2;
  separators_[kVowelBreakAfter].text[0] = kVowelBreak[0];
  separators_[kVowelBreakAfter].text[1] = kVowelBreak[1];
  separators_[kTildeBeforeHa].size = 1;
  separators_[kTildeBeforeHa].text[0] = kLatinTilde;
  separators_[kTildeAfterTilde].size = 1;
  separators_[kTildeAfterTilde].text[0] = kLatinTilde;
  decodeCells_ = MakeCells(decodeShortcuts);
  encodeCells_ = MakeCells(encodeShortcuts);
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

TransliterationConverter::CellTable TransliterationConverter::MakeCells(const std::array<Shortcut, 256>& shortcuts) {
  using Group = ShortGroup<Byte, Byte>;
  const auto cellOf = [](const Group::Entry& entry, std::uint8_t separator) {
    Cell cell;
    cell.consumed = entry.keyLength;
    cell.size = entry.size;
    cell.separator = separator;
    cell.separatorBit = separator == kNoSeparator ? 0 : static_cast<std::uint8_t>(1u << separator);
    for (std::int32_t i = 0; i < entry.size; ++i) cell.text[i] = entry.value[i];
    return cell;
  };
  CellTable table;
  table.cells.emplace_back();  // cell 0: no answer
  for (std::uint32_t b = 1; b < 256; ++b) {
    const Shortcut& shortcut = shortcuts[b];
    const Group& group = shortcut.group;
    if (!group.complete) continue;
    if (group.state == Group::State::kDecided) {
      table.base[b] = static_cast<std::uint16_t>(table.cells.size());
      table.cells.push_back(cellOf(group.entries[0], shortcut.separator));
    } else if (group.state == Group::State::kPairs) {
      table.base[b] = static_cast<std::uint16_t>(table.cells.size());
      table.mask[b] = 0xFF;
      for (std::uint32_t next = 0; next < 256; ++next) {
        const Byte probe[2] = {static_cast<Byte>(b), static_cast<Byte>(next)};
        const Group::Entry* entry = group.Find(probe);
        table.cells.push_back(entry != nullptr ? cellOf(*entry, shortcut.separator) : Cell{});
      }
    }
  }
  return table;
}

template <bool kSeparators>
ShortStepResult TransliterationConverter::CellStep(const CellTable& table, const Byte* p, Byte* out) const {
  // p[0] is not the terminator, so p[1] may be read.
  const Cell& cell = table.cells[table.base[p[0]] + (p[1] & table.mask[p[0]])];
  const auto write = [&](std::int32_t consumed) -> ShortStepResult {
    std::int32_t n = cell.size;
    if (n == 1) {  // most entries
      out[0] = cell.text[0];
    } else {
      CopyUnits(out, cell.text, n);
    }
    if constexpr (kSeparators) {
      if ((separatorBits_[p[consumed]] & cell.separatorBit) != 0) {
        const Separator& separator = separators_[cell.separator];
        out[n] = separator.text[0];
        if (separator.size == 2) out[n + 1] = separator.text[1];
        n += separator.size;
      }
    }
    return {consumed, n};
  };
  // Most steps consume one byte. Saying so as a branch of its own lets the
  // processor go on to the next step before this one's cell has been read.
  if (cell.consumed == 1) [[likely]] return write(1);
  if (cell.consumed == 0) return {0, 0};
  return write(cell.consumed);
}

std::int32_t TransliterationConverter::Decode(const Byte* input, std::int32_t length, Byte* output,
                                              std::int32_t capacity) const {
  // Where the first table with a key for the byte finds its entry: what
  // DecodeStep gives, since it would find the same entry first.
  return RunLoopWithShortSteps(
      input, length, output, capacity,
      [this](const Byte* p, Byte* out) { return CellStep<false>(decodeCells_, p, out); },
      [this](const Byte* p, Piece<Byte>& piece) { return DecodeStep(p, piece); });
}

std::int32_t TransliterationConverter::Encode(const Byte* input, std::int32_t length, Byte* output,
                                              std::int32_t capacity) const {
  // The same for encoding, with the separator EncodeStep writes after the entry.
  return RunLoopWithShortSteps(
      input, length, output, capacity,
      [this](const Byte* p, Byte* out) { return CellStep<true>(encodeCells_, p, out); },
      [this](const Byte* p, Piece<Byte>& piece) { return EncodeStep(p, piece); });
}

}  // namespace tirmok
