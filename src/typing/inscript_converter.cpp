// InscriptConverter: INSCRIPT keystrokes -> internal code, with the layout variants of LPX_KEY_LANGUAGE.
#include "typing/inscript_converter.h"

#include <span>

#include "core/escape.h"
#include "core/run_loop.h"
#include "typing/key_rows.h"
#include "tirmok/tirmok.h"
#include "typing/inscript_tables.h"

namespace tirmok {
namespace {

// "d" is in no table: it only kills the vowel of the consonant before it.
constexpr Byte kHalantKey = 'd';
// "$" types ra as the first member of a cluster, so it never takes the inherent a.
constexpr Byte kDeadRaKey = '$';
// "#" types ra as the second member of a cluster: the consonant before it stays bare.
constexpr Byte kSecondRaKey = '#';
constexpr Byte kNonJoinerKey = '^';
constexpr Byte kJoinerKey = '&';

// Codes the layout variants retype to.
constexpr Byte kBa = 146;
constexpr Byte kVowelEHat = 111;     // ê, typed by "!" and "@"
constexpr Byte kVowelAVariant = 110;

enum class KeyClass { kConsonant, kVowel };

// The first byte of a consonant, vowel or vowel-sign code as the layout
// variant types it.
Byte Retyped(Byte first, KeyClass keyClass, InscriptConverter::Language language) {
  using Language = InscriptConverter::Language;
  if (keyClass == KeyClass::kConsonant) {
    if (language == Language::kBengali && first == code::kVa) return kBa;
    if (language == Language::kAssamese && first == code::kRa) return code::kSecondRa;
  } else if (language == Language::kMarathi && first == kVowelEHat) {
    return kVowelAVariant;
  }
  return first;
}

void AppendRetyped(Piece<Byte>& piece, std::span<const Byte> code, KeyClass keyClass,
                   InscriptConverter::Language language) {
  if (code.empty()) return;
  piece.Push(Retyped(code[0], keyClass, language));
  piece.Append(code.subspan(1));
}

}  // namespace

InscriptConverter::InscriptConverter()
    : vowels_(KeyTable(inscript::VowelRows())),
      vowelSigns_(KeyTable(inscript::VowelSignRows())),
      consonants_(KeyTable(inscript::ConsonantRows())),
      signs_(KeyTable(inscript::SignRows())),
      shortcuts_({consonants_, vowelSigns_, vowels_, signs_, kHalantKey, {kSecondRaKey, kNonJoinerKey, kJoinerKey},
                  {&vowels_, &vowelSigns_}, {}}),
      run_({consonants_, vowelSigns_, vowels_, signs_, kHalantKey, {kSecondRaKey, kNonJoinerKey, kJoinerKey},
            {kDeadRaKey}}) {}

InscriptConverter::Language InscriptConverter::LanguageOf(const PropertyStore& properties) {
  if (PropertyEquals(properties, LPX_KEY_LANGUAGE, "BENGALI")) return Language::kBengali;
  if (PropertyEquals(properties, LPX_KEY_LANGUAGE, "ASSAMESE")) return Language::kAssamese;
  if (PropertyEquals(properties, LPX_KEY_LANGUAGE, "MARATHI")) return Language::kMarathi;
  return Language::kStandard;
}

std::int32_t InscriptConverter::Decode(const Byte* input, std::int32_t length, Byte* output,
                                       std::int32_t capacity, const PropertyStore& properties) const {
  // Read once per conversion: a property change takes effect with the next one.
  const Language language = LanguageOf(properties);
  const auto step = [this, language](const Byte* p, Piece<Byte>& piece) { return DecodeStep(p, piece, language); };
  if (language != Language::kStandard) return RunLoop(input, length, output, capacity, step);
  // The standard layout retypes nothing: runs of ordinary keys a key at a
  // time (InscriptRun); then consonants with their vowel sign, halant or
  // inherent a, vowels and signs in place (KeyShortcuts), except the dead ra,
  // which never takes the a; the rest step by step.
  const auto shortRun = [this](const Byte* p, std::int32_t count, Byte* out, const Byte* last) {
    return run_.Run(p, count, out, last);
  };
  const auto shortStep = [this](const Byte* p, Byte* out) -> ShortStepResult {
    if (p[0] == kDeadRaKey) return {0, 0};
    return shortcuts_.Step(p, out);
  };
  BufferSink<Byte> sink(output, capacity);
  if (!sink.Usable()) return 0;
  return RunLoopWithShortRuns(input, length, sink, kShortStepMax, shortRun, shortStep, step);
}

// A consonant key and what its next keys make of it: its vowel sign, dead
// after the halant key, dead in a cluster with ra or before a joiner, or the
// inherent a.
std::int32_t InscriptConverter::ConsonantStep(const Match<Byte, Byte>& consonant, const Byte* p,
                                              Piece<Byte>& piece, Language language) const {
  AppendRetyped(piece, consonant.value, KeyClass::kConsonant, language);
  const Byte* next = p + consonant.length;
  if (const auto sign = vowelSigns_.MatchLeft(next)) {
    AppendRetyped(piece, sign.value, KeyClass::kVowel, language);
    return consonant.length + sign.length;
  }
  if (next[0] == kHalantKey) {
    // "dd" keeps a visible virama.
    if (next[1] == kHalantKey) {
      piece.Push(code::kSeparator);
      return consonant.length + 2;
    }
    // A vowel typed after the halant stands by itself: the separator keeps it
    // from becoming this consonant's vowel. An independent-vowel key is left
    // to the next step; a vowel-sign key is taken here, since no later step
    // would read it and the keystroke would be lost.
    const Byte* after = next + 1;
    if (vowels_.MatchLeft(after)) {
      piece.Push(code::kSeparator);
      return consonant.length + 1;
    }
    if (const auto sign = vowelSigns_.MatchLeft(after)) {
      piece.Push(code::kSeparator);
      AppendRetyped(piece, sign.value, KeyClass::kVowel, language);
      return consonant.length + 1 + sign.length;
    }
    return consonant.length + 1;
  }
  const bool deadRa = consonant.length == 1 && consonant.key[0] == kDeadRaKey;
  if (deadRa || next[0] == kSecondRaKey || next[0] == kNonJoinerKey || next[0] == kJoinerKey) {
    return consonant.length;
  }
  piece.Push(code::kVowelA);
  return consonant.length;
}

std::int32_t InscriptConverter::DecodeStep(const Byte* p, Piece<Byte>& piece, Language language) const {
  if (const auto consonant = consonants_.MatchLeft(p)) return ConsonantStep(consonant, p, piece, language);
  if (const auto vowel = vowels_.MatchLeft(p)) {
    AppendRetyped(piece, vowel.value, KeyClass::kVowel, language);
    return vowel.length;
  }
  // "#" is a consonant key here, so the "#hex;" escape of the other schemes never arises.
  if (const auto sign = signs_.MatchLeft(p)) {
    piece.Append(sign.value);
    return sign.length;
  }
  if (p[0] == code::kEnd) return 0;
  if (IsControl(p[0])) return CopyControlRun(p, piece);
  return 1;  // a key that types nothing here ("]", "d", a lone vowel sign, bytes from 128 up)
}

}  // namespace tirmok
