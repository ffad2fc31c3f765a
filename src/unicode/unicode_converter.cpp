// UnicodeConverter: internal code <-> Telugu in UTF-16.
#include "unicode/unicode_converter.h"

#include <type_traits>

#include "core/escape.h"
#include "core/run_loop.h"
#include "core/table_steps.h"
#include "unicode/unicode_tables.h"

namespace tirmok {

UnicodeConverter::UnicodeConverter() {
  for (const UnicodeRow& row : UnicodeRows()) {
    AddToTable(row.table, Units<Byte>(reinterpret_cast<const char*>(row.code)), Units<char16_t>(row.text),
               WideMappingTable::kBoth);
  }
  MakeShortcuts();
}

void UnicodeConverter::AddToTable(UnicodeTable table, const Units<Byte>& code,
                                  const Units<char16_t>& text, int direction) {
  switch (table) {
    case UnicodeTable::kIndependentVowels:
      independentVowels_.AddEntry(code, text, direction);
      break;
    case UnicodeTable::kVowelSigns:
      vowelSigns_.AddEntry(code, text, direction);
      break;
    case UnicodeTable::kConsonants:
      consonants_.AddEntry(code, text, direction);
      break;
    case UnicodeTable::kOtherSigns:
      otherSigns_.AddEntry(code, text, direction);
      break;
    case UnicodeTable::kPriority:
      break;
  }
}

// The groups of the decoding step's lookups for input beginning with `unit`,
// in their order: the consonant table first; then, only when no consonant key
// begins with the unit, the independent vowels, and when no vowel key begins
// with it either, the other signs.
UnicodeConverter::Shortcut<UnicodeConverter::DecodeGroup> UnicodeConverter::DecodingShortcut(
    std::uint32_t unit) const {
  Shortcut<DecodeGroup> shortcut{DecodeGroup::Of(consonants_.RightKeyed(), unit),
                                 DecodeGroup::Of(vowelSigns_.RightKeyed(), unit), {}};
  const DecodeGroup vowel = DecodeGroup::Of(independentVowels_.RightKeyed(), unit);
  shortcut.plain = vowel.NoMatch() ? DecodeGroup::Of(otherSigns_.RightKeyed(), unit) : vowel;
  return shortcut;
}

// Decoding shortcuts for ASCII and the Telugu block; encoding shortcuts for
// every byte, in the encoding step's order (consonants and independent vowels
// for letters only).
void UnicodeConverter::MakeShortcuts() {
  const auto oneByte = [](const DecodeGroup& group) -> Byte {
    const bool one = group.state == DecodeGroup::State::kDecided && group.entries[0].size == 1;
    return one ? group.entries[0].value[0] : 0;
  };
  for (std::uint32_t i = 0; i < kRangeSize; ++i) {
    asciiShortcuts_[i] = DecodingShortcut(i);
    teluguShortcuts_[i] = DecodingShortcut(kBlockFirst + i);
    oneByteConsonants_[i] = oneByte(teluguShortcuts_[i].consonant);
    if (IsVowelSign(static_cast<char16_t>(kBlockFirst + i))) oneByteSigns_[i] = oneByte(teluguShortcuts_[i].sign);
  }
  const auto forms = [](const EncodeGroup& group) {
    EncodeShortcut::Forms utf8{};
    for (std::int32_t i = 0; i < group.count; ++i) utf8[static_cast<std::size_t>(i)] = Utf8Form::Of(group.entries[i].View());
    return utf8;
  };
  for (std::uint32_t b = 0; b < 256; ++b) {
    const bool letter = IsLetter(static_cast<Byte>(b));
    const EncodeGroup none = EncodeGroup::Empty();  // a table not consulted matches nothing
    EncodeShortcut& shortcut = encodeShortcuts_[b];
    shortcut.consonant = letter ? EncodeGroup::Of(consonants_.LeftKeyed(), b) : none;
    shortcut.sign = EncodeGroup::Of(vowelSigns_.LeftKeyed(), b);
    const EncodeGroup vowel = letter ? EncodeGroup::Of(independentVowels_.LeftKeyed(), b) : none;
    shortcut.plain = vowel.NoMatch() ? EncodeGroup::Of(otherSigns_.LeftKeyed(), b) : vowel;
    shortcut.consonant8 = forms(shortcut.consonant);
    shortcut.sign8 = forms(shortcut.sign);
    shortcut.plain8 = forms(shortcut.plain);
    const auto oneUnit = [](const EncodeGroup& group) -> char16_t {
      if (group.state != EncodeGroup::State::kDecided || group.entries[0].size != 1) return 0;
      const char16_t unit = group.entries[0].value[0];
      return unit >= kBlockFirst && unit < kBlockFirst + kRangeSize ? unit : 0;
    };
    oneUnitConsonants_[b] = oneUnit(shortcut.consonant);
    if (IsVowel(static_cast<Byte>(b))) oneUnitSigns_[b] = oneUnit(shortcut.sign);
  }
  const char16_t virama[] = {kVirama};
  virama8_ = Utf8Form::Of(virama);
  MakeRunCells();
}

// The steps of ordinary text, taken a unit at a time: a one-byte consonant
// writes its byte, and the inherent vowel unless a vowel sign or the virama
// follows; the sign after it writes its one byte; the virama after it writes
// the separator when a vowel or vowel sign follows, else nothing; a unit
// that begins a step of its own writes its plain entry. These are the short
// step's answers, spread over the units they come from, so that the run
// advances one unit at a time whatever the text. Anything else stops the run.
void UnicodeConverter::MakeRunCells() {
  runSlots_.fill(3);
  runSlots_[0] = 0;
  runSlots_[kBlockFirst >> 7] = 1;
  runSlots_[kPunctuationFirst >> 7] = 2;
  const auto unitAt = [](std::uint32_t index) {
    constexpr char16_t kSlotFirst[] = {0, kBlockFirst, kPunctuationFirst};
    return static_cast<char16_t>(kSlotFirst[index / kRangeSize] + index % kRangeSize);
  };
  constexpr std::uint32_t kKnownSlots = 3 * kRangeSize;  // the rest stop every run
  freshCells_.fill(kRunStop);
  takenCells_.fill(kRunStop);
  // The second units of two-unit vowel signs, which make a sign a step of two.
  std::array<bool, kRangeSize> signSecond{};
  for (std::uint32_t i = 0; i < kRangeSize; ++i) {
    const DecodeGroup& signs = teluguShortcuts_[i].sign;
    for (std::int32_t k = 0; k < signs.count; ++k) {
      const char16_t second = signs.entries[k].second;
      if (signs.entries[k].keyLength == 2 && second >= kBlockFirst && second < kBlockFirst + kRangeSize) {
        signSecond[second - kBlockFirst] = true;
      }
    }
  }
  for (std::uint32_t index = 0; index < kRunIndexSize; ++index) {
    std::uint8_t cls = kNotSignOrVirama;
    if (index >= kRangeSize && index < 2 * kRangeSize) {
      const char16_t unit = unitAt(index);
      if (IsVowelSign(unit) || unit == kVirama) cls = 0;
      if (IsIndependentVowel(unit) || IsVowelSign(unit)) cls |= kVowelOrSign;
      if (signSecond[unit - kBlockFirst]) cls |= kSignSecond;
    }
    unitClass_[index] = cls;
  }
  for (std::uint32_t index = 0; index < kKnownSlots; ++index) {
    const char16_t unit = unitAt(index);
    const bool telugu = unit >= kBlockFirst && unit < kBlockFirst + kRangeSize;
    const std::uint32_t i = unit - kBlockFirst;
    const Shortcut<DecodeGroup> shortcut = DecodingShortcut(unit);
    RunRule fresh;
    RunRule taken;
    for (std::uint32_t cls = 0; cls < 8; ++cls) fresh.stop[cls] = taken.stop[cls] = true;
    if (telugu && oneByteConsonants_[i] != 0) {
      // The consonant, and the inherent vowel unless a vowel sign or the
      // virama follows, which its step then takes in.
      fresh.first = oneByteConsonants_[i];
      fresh.second = code::kVowelA;
      for (std::uint32_t cls = 0; cls < 8; ++cls) {
        const bool signOrVirama = (cls & kNotSignOrVirama) == 0;
        fresh.kept[cls] = signOrVirama ? 1 : 2;
        fresh.continues[cls] = signOrVirama;
        fresh.stop[cls] = false;
      }
    } else if (shortcut.consonant.NoMatch() && shortcut.plain.complete &&
               shortcut.plain.state == DecodeGroup::State::kDecided && shortcut.plain.entries[0].size <= 2) {
      const DecodeGroup::Entry& plain = shortcut.plain.entries[0];
      fresh.first = plain.value[0];
      fresh.second = plain.value[1];
      for (std::uint32_t cls = 0; cls < 8; ++cls) {
        fresh.kept[cls] = plain.size;
        fresh.stop[cls] = false;
      }
    }
    if (unit == kVirama) {
      // The separator before a vowel or vowel sign, else nothing.
      taken.first = code::kSeparator;
      for (std::uint32_t cls = 0; cls < 8; ++cls) {
        taken.kept[cls] = (cls & kVowelOrSign) != 0 ? 1 : 0;
        taken.stop[cls] = false;
      }
    } else if (const DecodeGroup& signs = shortcut.sign; telugu && IsVowelSign(unit) && signs.complete &&
                                                         signs.count > 0) {
      // The sign's one-unit entry, the last of its group; before a unit that
      // could make a two-unit sign of it, the run leaves the step to the rules.
      const DecodeGroup::Entry& single = signs.entries[signs.count - 1];
      const bool twoUnitKeys = signs.state == DecodeGroup::State::kPairs;
      if (single.keyLength == 1 && single.size == 1) {
        taken.first = single.value[0];
        for (std::uint32_t cls = 0; cls < 8; ++cls) {
          if (twoUnitKeys && (cls & kSignSecond) != 0) continue;
          taken.kept[cls] = 1;
          taken.stop[cls] = false;
        }
      }
    }
    freshCells_[index] = RunCellOf(fresh);
    takenCells_[index] = RunCellOf(taken);
  }

  // Encoding a byte at a time: a consonant of one unit writes it, and the
  // virama unless a vowel follows; the vowel after it writes its sign (the
  // inherent vowel nothing); a byte that begins a step of its own writes its
  // plain entry. These are the short step's answers too. `form` holds the
  // output units (UTF-16) or bytes (UTF-8) packed from bit 0.
  const auto encodeCell = [](std::uint32_t form, std::uint32_t size, std::uint32_t keptBeforeOther,
                             std::uint32_t keptBeforeVowel, bool continuesBeforeVowel) {
    EncodeRunCell cell = form;
    cell |= static_cast<EncodeRunCell>(size) << 24;
    cell |= static_cast<EncodeRunCell>(keptBeforeOther) << 32;
    cell |= static_cast<EncodeRunCell>(keptBeforeVowel) << 36;
    if (continuesBeforeVowel) cell |= 1ull << 41;
    return cell;
  };
  const auto packed = [](const Utf8Form& form) {
    std::uint32_t bytes = 0;
    for (std::int32_t k = 0; k < form.size; ++k) bytes |= static_cast<std::uint32_t>(form.bytes[k]) << (8 * k);
    return bytes;
  };
  const auto utf8 = [](char16_t unit) {
    const char16_t units[] = {unit};
    return Utf8Form::Of(units);
  };
  for (EncodeRunCells* cells : {&encodeCells16_, &encodeCells8_}) {
    cells->fresh.fill(kEncodeRunStop);
    cells->taken.fill(kEncodeRunStop);
  }
  const std::uint32_t virama8 = virama8_.size;
  for (std::uint32_t b = 1; b < 256; ++b) {
    const EncodeShortcut& shortcut = encodeShortcuts_[b];
    const bool plain = shortcut.consonant.NoMatch() && shortcut.plain.complete &&
                       shortcut.plain.state == EncodeGroup::State::kDecided;
    if (const char16_t consonant = oneUnitConsonants_[b]; consonant != 0) {
      encodeCells16_.fresh[b] = encodeCell(consonant, 1, 2, 1, true);
      const Utf8Form form = utf8(consonant);
      encodeCells8_.fresh[b] = encodeCell(packed(form), form.size, form.size + virama8, form.size, true);
    } else if (plain) {
      if (const EncodeGroup::Entry& entry = shortcut.plain.entries[0]; entry.size <= 1) {
        encodeCells16_.fresh[b] = encodeCell(entry.value[0], entry.size, entry.size, entry.size, false);
      }
      if (const Utf8Form& form = shortcut.plain8[0]; form.usable && form.size <= 3) {
        encodeCells8_.fresh[b] = encodeCell(packed(form), form.size, form.size, form.size, false);
      }
    }
    if (b == code::kVowelA) {
      encodeCells16_.taken[b] = encodeCell(0, 0, 0, 0, false);
      encodeCells8_.taken[b] = encodeCell(0, 0, 0, 0, false);
    } else if (const char16_t sign = oneUnitSigns_[b]; sign != 0) {
      encodeCells16_.taken[b] = encodeCell(sign, 1, 1, 1, false);
      const Utf8Form form = utf8(sign);
      encodeCells8_.taken[b] = encodeCell(packed(form), form.size, form.size, form.size, false);
    }
  }
}

template <class Out>
ShortStepResult UnicodeConverter::EncodeRun(const Byte* p, std::int32_t count, Out* out, const Out* last) const {
  constexpr bool kUtf8 = std::is_same_v<Out, Byte>;
  const EncodeRunCells& cells = kUtf8 ? encodeCells8_ : encodeCells16_;
  return RunByUnits(p, count, out, last, [this, &cells](const Byte* q, std::uint32_t taking, Out* s) -> UnitResult {
    // q[0] is not the terminator, so q[1] may be read.
    const std::uint32_t vowelNext = IsVowel(q[1]) ? 1 : 0;
    const EncodeRunCell fresh = cells.fresh[q[0]];
    const EncodeRunCell taken = cells.taken[q[0]];
    const EncodeRunCell cell = fresh ^ ((fresh ^ taken) & (0ull - taking));
    // The form and the virama after it are staged; the first n units count.
    Out* const virama = s + ((cell >> 24) & 15);
    if constexpr (kUtf8) {
      s[0] = static_cast<Byte>(cell);
      s[1] = static_cast<Byte>(cell >> 8);
      s[2] = static_cast<Byte>(cell >> 16);
      virama[0] = virama8_.bytes[0];
      virama[1] = virama8_.bytes[1];
      virama[2] = virama8_.bytes[2];
    } else {
      s[0] = static_cast<char16_t>(cell);
      virama[0] = kVirama;
    }
    const auto n = static_cast<std::int32_t>((cell >> (32 + 4 * vowelNext)) & 15);
    const bool continues = ((cell >> (40 + vowelNext)) & 1) != 0;
    return {n, continues, (cell & kEncodeRunStop) != 0};
  });
}

ShortStepResult UnicodeConverter::DecodeRun(const char16_t* p, std::int32_t count, Byte* out,
                                            const Byte* last) const {
  return RunByUnits(p, count, out, last, [this](const char16_t* q, std::uint32_t taking, Byte* s) -> UnitResult {
    // q[0] is not the terminator, so q[1] may be read. Both cells are read
    // whatever the state, and what follows is arithmetic.
    const std::uint32_t index = RunIndex(q[0]);
    const std::uint32_t nextClass = unitClass_[RunIndex(q[1])];
    const RunCell fresh = freshCells_[index];
    const RunCell taken = takenCells_[index];
    const RunCell cell = fresh ^ ((fresh ^ taken) & (0ull - taking));
    // Both bytes are staged; the first n count.
    s[0] = static_cast<Byte>(cell);
    s[1] = static_cast<Byte>(cell >> 8);
    const auto n = static_cast<std::int32_t>((cell >> (16 + 2 * nextClass)) & 3);
    const bool continues = ((cell >> (32 + nextClass)) & 1) != 0;
    return {n, continues, ((cell >> (40 + nextClass)) & 1) != 0};
  });
}

std::int32_t UnicodeConverter::DecodeStep(const char16_t* p, Piece<Byte>& piece) const {
  if (const auto consonant = consonants_.MatchRight(p)) {
    piece.Append(consonant.value);
    const std::int32_t length = consonant.length;
    const char16_t next = p[length];
    if (IsVowelSign(next)) {
      // A sign without an entry is left for the next step, which escapes it.
      const auto sign = vowelSigns_.MatchRight(p + length);
      piece.Append(sign.value);
      return length + sign.length;
    }
    if (next == kVirama) {
      // A bare consonant directly before a vowel needs the separator, or the
      // vowel would become its vowel sign.
      const char16_t after = p[length + 1];
      if (IsIndependentVowel(after) || IsVowelSign(after)) piece.Push(code::kSeparator);
      return length + 1;
    }
    piece.Push(code::kVowelA);
    return length;
  }
  if (const auto vowel = independentVowels_.MatchRight(p)) {
    piece.Append(vowel.value);
    return vowel.length;
  }
  if (const auto sign = otherSigns_.MatchRight(p)) {
    piece.Append(sign.value);
    return sign.length;
  }
  if (p[0] == 0) return 0;
  if (IsControl(p[0])) return CopyControlRun(p, piece);
  AppendEscape(piece, p[0]);
  return 1;
}

std::int32_t UnicodeConverter::EncodeStep(const Byte* p, Piece<char16_t>& piece) const {
  const Byte b = p[0];
  if (IsLetter(b)) {
    if (const auto consonant = consonants_.MatchLeft(p)) {
      piece.Append(consonant.value);
      const std::int32_t length = consonant.length;
      const Byte next = p[length];
      if (!IsVowel(next)) {
        piece.Push(kVirama);
        return length;
      }
      if (next == code::kVowelA) return length + 1;  // the inherent vowel has no sign
      // A vowel without a sign (such as 108) is left for the next step, which drops it.
      const auto sign = vowelSigns_.MatchLeft(p + length);
      piece.Append(sign.value);
      return length + sign.length;
    }
    if (const auto vowel = independentVowels_.MatchLeft(p)) {
      piece.Append(vowel.value);
      return vowel.length;
    }
  }
  if (const auto sign = otherSigns_.MatchLeft(p)) {
    piece.Append(sign.value);
    return sign.length;
  }
  return WideEncodeFallback(p, piece);  // no Unicode form: dropped
}

// A consonant with the sign, virama or inherent vowel after it, or a plain
// unit, where the shortcuts hold the entries: what DecodeStep gives there.
auto UnicodeConverter::DecodeShortStep() const {
  return [this](const char16_t* p, Byte* out) -> ShortStepResult {
    // A one-byte consonant with a one-byte sign, or with no sign or virama.
    if (const std::uint32_t index = static_cast<std::uint32_t>(p[0]) - kBlockFirst; index < kRangeSize) {
      if (const Byte consonant = oneByteConsonants_[index]; consonant != 0) {
        const char16_t next = p[1];
        const std::uint32_t after = static_cast<std::uint32_t>(next) - kBlockFirst;
        if (after < kRangeSize && oneByteSigns_[after] != 0) {
          out[0] = consonant;
          out[1] = oneByteSigns_[after];
          return {2, 2};
        }
        if (!IsVowelSign(next) && next != kVirama) {
          out[0] = consonant;
          out[1] = code::kVowelA;
          return {1, 2};
        }
      }
    }
    const Shortcut<DecodeGroup>* shortcut = DecodeShortcut(p[0]);
    if (shortcut == nullptr) return {0, 0};
    const DecodeGroup::Entry* consonant = nullptr;
    if (shortcut->consonant.state == DecodeGroup::State::kDecided) {  // most steps
      consonant = &shortcut->consonant.entries[0];
    } else if (shortcut->consonant.NoMatch()) {
      if (!shortcut->plain.complete) return {0, 0};
      const DecodeGroup::Entry* plain = shortcut->plain.Find(p);
      if (plain == nullptr) return {0, 0};
      return {plain->keyLength, plain->Write(out)};
    } else {
      if (!shortcut->consonant.complete) return {0, 0};
      consonant = shortcut->consonant.Find(p);
      if (consonant == nullptr) return {0, 0};
    }
    const std::int32_t length = consonant->keyLength;
    const char16_t next = p[length];
    if (IsVowelSign(next)) {
      // A sign without an entry is left for the next step.
      const DecodeGroup& signs = teluguShortcuts_[next - kBlockFirst].sign;
      if (!signs.complete) return {0, 0};
      const DecodeGroup::Entry* sign =
          signs.state == DecodeGroup::State::kDecided ? &signs.entries[0] : signs.Find(p + length);
      const std::int32_t n = consonant->Write(out);
      if (sign == nullptr) return {length, n};
      return {length + sign->keyLength, n + sign->Write(out + n)};
    }
    const std::int32_t n = consonant->Write(out);
    if (next == kVirama) {
      const char16_t after = p[length + 1];
      if (!IsIndependentVowel(after) && !IsVowelSign(after)) return {length + 1, n};
      out[n] = code::kSeparator;
      return {length + 1, n + 1};
    }
    out[n] = code::kVowelA;
    return {length, n + 1};
  };
}

ShortStepResult UnicodeConverter::ShortDecodeStep(const char16_t* p, Byte* out) const {
  return DecodeShortStep()(p, out);
}

Byte UnicodeConverter::FirstDecodedByte(char16_t unit) const {
  // The short step writes the consonant first whatever follows it, or else
  // the plain entry.
  const Shortcut<DecodeGroup>* shortcut = DecodeShortcut(unit);
  if (shortcut == nullptr) return 0;
  const DecodeGroup& group = shortcut->consonant.NoMatch() ? shortcut->plain : shortcut->consonant;
  if (group.state != DecodeGroup::State::kDecided || group.entries[0].size == 0) return 0;
  return group.entries[0].value[0];
}

std::int32_t UnicodeConverter::Decode(const char16_t* input, std::int32_t length, Byte* output,
                                      std::int32_t capacity) const {
  BufferSink<Byte> sink(output, capacity);
  if (!sink.Usable()) return 0;
  return RunLoopWithShortRuns(
      input, length, sink, kShortStepMax,
      [this](const char16_t* p, std::int32_t count, Byte* out, const Byte* last) {
        return DecodeRun(p, count, out, last);
      },
      DecodeShortStep(), [this](const char16_t* p, Piece<Byte>& piece) { return DecodeStep(p, piece); });
}

template <class Sink>
std::int32_t UnicodeConverter::EncodeInto(const Byte* input, std::int32_t length, Sink& sink) const {
  // `out` takes UTF-16 units, or (Byte) the UTF-8 forms of the same units.
  constexpr bool kUtf8 = std::is_same_v<Sink, Utf8Sink>;
  using Out = std::conditional_t<kUtf8, Byte, char16_t>;
  // Writes entry `i` of a group; UTF-8 output needs the entry's UTF-8 form.
  const auto writable = [](const EncodeShortcut::Forms& forms, std::int32_t i) {
    return !kUtf8 || forms[static_cast<std::size_t>(i)].usable;
  };
  const auto write = [](const EncodeShortcut::Forms& forms, const EncodeGroup& group, std::int32_t i, Out* out) {
    if constexpr (kUtf8) {
      return forms[static_cast<std::size_t>(i)].Write(out);
    } else {
      return group.entries[i].Write(out);
    }
  };
  // A unit of the Telugu block, as itself or as its three bytes of UTF-8.
  const auto put = [](char16_t unit, Out* out) -> std::int32_t {
    if constexpr (kUtf8) {
      out[0] = 0xE0;
      out[1] = static_cast<Byte>(0x80 | ((unit >> 6) & 0x3F));
      out[2] = static_cast<Byte>(0x80 | (unit & 0x3F));
      return 3;
    } else {
      out[0] = unit;
      return 1;
    }
  };
  // A consonant with its vowel, or a plain byte, where the shortcuts hold the
  // entries: what EncodeStep gives there.
  const auto shortStep = [&](const Byte* p, Out* out) -> ShortStepResult {
    // The commonest case: a one-unit consonant with the inherent vowel, with
    // no vowel (virama), or with a vowel of one unit.
    if (const char16_t consonant = oneUnitConsonants_[p[0]]; consonant != 0) {
      const Byte next = p[1];
      if (next == code::kVowelA) return {2, put(consonant, out)};
      if (!IsVowel(next)) {
        const std::int32_t n = put(consonant, out);
        return {1, n + put(kVirama, out + n)};
      }
      if (const char16_t sign = oneUnitSigns_[next]; sign != 0) {
        const std::int32_t n = put(consonant, out);
        return {2, n + put(sign, out + n)};
      }
    }
    const EncodeShortcut& shortcut = encodeShortcuts_[p[0]];
    std::int32_t consonant = 0;  // most steps: a consonant whose first unit decides
    if (shortcut.consonant.state != EncodeGroup::State::kDecided) {
      if (shortcut.consonant.NoMatch()) {
        if (!shortcut.plain.complete) return {0, 0};
        const std::int32_t plain = shortcut.plain.FindIndex(p);
        if (plain < 0 || !writable(shortcut.plain8, plain)) return {0, 0};
        return {shortcut.plain.entries[plain].keyLength, write(shortcut.plain8, shortcut.plain, plain, out)};
      }
      if (!shortcut.consonant.complete) return {0, 0};
      consonant = shortcut.consonant.FindIndex(p);
      if (consonant < 0) return {0, 0};
    }
    if (!writable(shortcut.consonant8, consonant)) return {0, 0};
    const std::int32_t length = shortcut.consonant.entries[consonant].keyLength;
    const Byte next = p[length];
    if (!IsVowel(next)) {
      const std::int32_t n = write(shortcut.consonant8, shortcut.consonant, consonant, out);
      if constexpr (kUtf8) {
        return {length, n + virama8_.Write(out + n)};
      } else {
        out[n] = kVirama;
        return {length, n + 1};
      }
    }
    if (next == code::kVowelA) return {length + 1, write(shortcut.consonant8, shortcut.consonant, consonant, out)};
    // A vowel without a sign is left for the next step.
    const EncodeShortcut& after = encodeShortcuts_[next];
    if (!after.sign.complete) return {0, 0};
    const std::int32_t sign = after.sign.FindIndex(p + length);
    if (sign >= 0 && !writable(after.sign8, sign)) return {0, 0};
    const std::int32_t n = write(shortcut.consonant8, shortcut.consonant, consonant, out);
    if (sign < 0) return {length, n};
    return {length + after.sign.entries[sign].keyLength, n + write(after.sign8, after.sign, sign, out + n)};
  };
  return RunLoopWithShortRuns(
      input, length, sink, kUtf8 ? kShortUtf8Max : kShortStepMax,
      [this](const Byte* p, std::int32_t count, Out* out, const Out* last) { return EncodeRun(p, count, out, last); },
      shortStep, [this](const Byte* p, Piece<char16_t>& piece) { return EncodeStep(p, piece); });
}

std::int32_t UnicodeConverter::Encode(const Byte* input, std::int32_t length, char16_t* output,
                                      std::int32_t capacity) const {
  BufferSink<char16_t> sink(output, capacity);
  if (!sink.Usable()) return 0;
  return EncodeInto(input, length, sink);
}

std::int32_t UnicodeConverter::EncodeUtf8(const Byte* input, Byte* output, std::int32_t capacity) const {
  Utf8Sink sink(output, capacity);
  const std::int32_t consumed = EncodeInto(input, -1, sink);
  sink.Finish();
  return consumed;
}

}  // namespace tirmok
