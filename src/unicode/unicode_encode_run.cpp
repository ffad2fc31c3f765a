// The cells of the Unicode converter's encoding run, made once from its
// shortcuts (the mapping tables' entries for each first byte). See
// unicode_encode_run.h for the rules they restate and the test that guards them.
#include "unicode/unicode_encode_run.h"

#include <optional>

namespace tirmok {
namespace {

// What one byte writes, as UTF-16 units.
struct CellText {
  std::int32_t size = 0;
  char16_t units[4] = {};
  bool Push(char16_t unit) {
    if (size == 4) return false;
    units[size++] = unit;
    return true;
  }
  bool Append(std::span<const char16_t> more) {
    for (const char16_t unit : more) {
      if (!Push(unit)) return false;
    }
    return true;
  }
};

constexpr std::uint32_t kCountShift = 56;

}  // namespace

void UnicodeConverter::MakeEncodeCells() {
  using Text = std::optional<CellText>;  // none: the run stops before the byte
  // The step that begins at `b`, before a byte of class `nextClass`, as far
  // as that byte alone decides it; `takesVowel` says that the step goes on
  // into a vowel after it.
  const auto fresh = [this](Byte b, std::uint32_t nextClass, bool* takesVowel) -> Text {
    if (b == code::kEnd || IsControl(b) || b == code::kEscapeLead) return std::nullopt;
    const EncodeShortcut& shortcut = encodeShortcuts_[b];
    CellText text;
    if (!shortcut.consonant.NoMatch()) {
      if (!shortcut.consonant.complete) return std::nullopt;
      // The key of one byte, which holds unless a longer key's second byte
      // follows; only the nukta is told apart by the class of the next byte.
      const EncodeGroup::Entry* single = nullptr;
      for (std::int32_t k = 0; k < shortcut.consonant.count; ++k) {
        const EncodeGroup::Entry& entry = shortcut.consonant.entries[k];
        if (entry.keyLength == 1) {
          single = &entry;
          break;
        }
        if (entry.second != code::kNukta || nextClass == kEncodeNukta) return std::nullopt;
      }
      if (single == nullptr || !text.Append(single->View())) return std::nullopt;
      if ((nextClass & kEncodeVowel) == 0 && !text.Push(kVirama)) return std::nullopt;
      if (takesVowel != nullptr) *takesVowel = true;
      return text;
    }
    // The independent vowel, or else the other signs' entry; no entry drops the byte.
    if (!shortcut.plain.complete) return std::nullopt;
    if (shortcut.plain.NoMatch()) return text;
    if (shortcut.plain.state != EncodeGroup::State::kDecided) return std::nullopt;
    if (!text.Append(shortcut.plain.entries[0].View())) return std::nullopt;
    return text;
  };
  // A vowel after a consonant: its sign, nothing for the inherent vowel, or
  // (a vowel without a sign) the step it begins itself.
  const auto taken = [this, &fresh](Byte b, std::uint32_t nextClass) -> Text {
    if (b == code::kVowelA) return CellText{};
    const EncodeGroup& signs = encodeShortcuts_[b].sign;
    if (!signs.complete) return std::nullopt;
    if (signs.NoMatch()) return fresh(b, nextClass, nullptr);
    if (signs.state != EncodeGroup::State::kDecided) return std::nullopt;
    CellText text;
    if (!text.Append(signs.entries[0].View())) return std::nullopt;
    return text;
  };
  const auto cell16 = [](const Text& text) -> EncodeCell {
    if (!text || text->size > 3) return kEncodeStop;
    EncodeCell cell = static_cast<EncodeCell>(text->size) << kCountShift;
    for (std::int32_t k = 0; k < text->size; ++k) cell |= static_cast<EncodeCell>(text->units[k]) << (16 * k);
    return cell;
  };
  const auto cell8 = [](const Text& text) -> EncodeCell {
    if (!text) return kEncodeStop;
    const Utf8Form form = Utf8Form::Of({text->units, static_cast<std::size_t>(text->size)});
    if (!form.usable || form.size > 6) return kEncodeStop;
    EncodeCell cell = static_cast<EncodeCell>(form.size) << kCountShift;
    for (std::int32_t k = 0; k < form.size; ++k) cell |= static_cast<EncodeCell>(form.bytes[k]) << (8 * k);
    return cell;
  };

  for (std::uint32_t b = 0; b < 256; ++b) {
    const auto byte = static_cast<Byte>(b);
    encodeClass_[b] = static_cast<std::uint8_t>((IsVowel(byte) ? kEncodeVowel : 0) |
                                                (byte == code::kNukta ? kEncodeNukta : 0));
  }
  encodeCells16_.fill(kEncodeStop);
  encodeCells8_.fill(kEncodeStop);
  // A vowel and the nukta are never both, so class 3 stays a stop.
  for (const std::uint32_t nextClass : {0u, kEncodeVowel + 0u, kEncodeNukta + 0u}) {
    for (std::uint32_t b = 0; b < 256; ++b) {
      const auto byte = static_cast<Byte>(b);
      bool takesVowel = false;
      const Text alone = fresh(byte, nextClass, &takesVowel);
      if (takesVowel && nextClass != kEncodeNukta) encodeClass_[b] |= kEncodeTakesVowel;
      const Text after = IsVowel(byte) ? taken(byte, nextClass) : alone;
      encodeCells16_[EncodeCellIndex(0, byte, nextClass)] = cell16(alone);
      encodeCells8_[EncodeCellIndex(0, byte, nextClass)] = cell8(alone);
      encodeCells16_[EncodeCellIndex(1, byte, nextClass)] = cell16(after);
      encodeCells8_[EncodeCellIndex(1, byte, nextClass)] = cell8(after);
    }
  }
}

}  // namespace tirmok
