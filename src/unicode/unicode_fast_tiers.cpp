// The tables of the Unicode converter's fast tiers, built once from its
// mapping tables: the shortcuts of the short steps and the packed run cells.
// See unicode_fast_tiers.h for the rules they restate and the test that guards
// them.
#include "unicode/unicode_fast_tiers.h"

namespace tirmok {

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
  MakeEncodeCells();
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

}  // namespace tirmok
