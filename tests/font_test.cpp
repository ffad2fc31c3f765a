// Tests of the legacy font glyph encoding ("ANSI"): syllable composition, accents, escapes, capacities, round trips.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "font/font_encoding_converter.h"
#include "font/glyph_tables.h"
#include "support/test_support.h"

namespace tirmok {
namespace {

using test::Codes;
using test::Convert;
using test::Describe;
using test::Escape;

const FontEncodingConverter& Font() {
  static const FontEncodingConverter converter;
  return converter;
}

// The result of a direct Encode or Decode call.
struct Direct {
  std::string text;
  std::int32_t consumed = 0;
};

constexpr std::int32_t kGuard = 16;
constexpr char kGuardByte = static_cast<char>(0xA5);

// Calls the converter with an output of exactly `capacity` bytes followed by
// guard bytes that must stay untouched; the output must be terminated within
// the capacity.
Direct RunDirect(bool encode, const std::string& input, std::int32_t capacity = 1024, std::int32_t length = -1) {
  std::string buffer(static_cast<std::size_t>(capacity + kGuard), kGuardByte);
  auto* out = reinterpret_cast<Byte*>(buffer.data());
  const auto* in = reinterpret_cast<const Byte*>(input.c_str());
  Direct result;
  result.consumed = encode ? Font().Encode(in, length, out, capacity) : Font().Decode(in, length, out, capacity);
  for (std::int32_t i = std::max(capacity, 0); i < capacity + kGuard; ++i) {
    EXPECT_EQ(buffer[static_cast<std::size_t>(i)], kGuardByte) << "write past capacity " << capacity;
  }
  if (capacity > 0) {
    const std::size_t end = buffer.find('\0');
    EXPECT_LT(end, static_cast<std::size_t>(capacity)) << "output not terminated within the capacity";
    if (end < static_cast<std::size_t>(capacity)) result.text = buffer.substr(0, end);
  }
  return result;
}
Direct Encode(const std::string& input, std::int32_t capacity = 1024, std::int32_t length = -1) {
  return RunDirect(true, input, capacity, length);
}
Direct Decode(const std::string& input, std::int32_t capacity = 1024, std::int32_t length = -1) {
  return RunDirect(false, input, capacity, length);
}

struct Case {
  std::string internal;
  std::string glyphs;
};

// Syllables that encode to the given glyphs and decode back to the same internal code.
TEST(FontEncoding, SyllablesEncodeAndDecodeBack) {
  const Case cases[] = {
      {Codes({122, 100}), Codes({79, 181})},            // ka
      {Codes({122}), Codes({79, 179})},                 // k (virama)
      {Codes({122, 101}), Codes({79, 184})},            // kaa
      {Codes({100}), Codes({67})},                      // independent a
      {Codes({123, 100}), Codes({80})},                 // kha: inherent vowel drawn with the letter
      {Codes({125, 102}), Codes({187, 84})},            // ghi: sign glyph in front
      {Codes({161, 117}), Codes({182, 172, 209})},      // hoo: the first of its two drawings
      {Codes({122, 159, 100}), Codes({176, 181})},      // kssa cluster glyph
      {Codes({122, 159}), Codes({176, 179})},           // kss
      {Codes({122, 159, 114}), Codes({204, 176, 199})}, // kssai
      {Codes({127, 170, 101}), Codes({159, 86, 184})},  // tsaa
      // Below forms; ra after another below form is 242 with no spacer.
      {Codes({122, 150, 100}), Codes({79, 181, 241})},                 // kra
      {Codes({122, 137, 150, 100}), Codes({79, 181, 229, 242})},       // ktra
      {Codes({122, 150, 150, 100}), Codes({79, 181, 241, 242})},       // krra
      {Codes({122, 150, 137, 100}), Codes({79, 181, 241, 254, 229})},  // krta
      {Codes({122, 137}), Codes({79, 179, 229})},                      // kt without vowel
      // u after pa, pha and va: the sign first, then 253 and the below forms.
      {Codes({144, 150, 104}), Codes({182, 112, 193, 253, 241})},       // pru
      {Codes({145, 137, 104}), Codes({182, 112, 251, 193, 253, 229})},  // phtu
      {Codes({157, 150, 104}), Codes({182, 162, 193, 253, 241})},       // vru
      {Codes({144, 137, 105}), Codes({182, 112, 193, 185, 229})},       // ptuu: only u moves the below forms
      {Codes({122, 137, 104}), Codes({79, 181, 192, 229})},             // ktu: only after pa, pha, va
      // Vocalic r and rr: the sign goes after the below forms.
      {Codes({122, 137, 106}), Codes({79, 181, 229, 253, 197})},  // ktr̥
      {Codes({122, 137, 107}), Codes({79, 181, 229, 253, 198})},  // ktr̥̄
      {Codes({122, 137, 146, 154, 106}), Codes({79, 181, 229, 254, 236, 254, 245, 253, 197})},  // ktbḷr̥
      // Ai: 204 in front when ta's below form follows, otherwise 254 before the below forms.
      {Codes({122, 137, 114}), Codes({204, 79, 199, 253, 229})},  // ktai
      {Codes({122, 146, 114}), Codes({203, 79, 199, 254, 236})},  // kbai
      {Codes({122, 146, 137, 114}), Codes({203, 79, 199, 254, 236, 254, 229})},  // kbtai: ta not first
      // Signs, joiners and separators.
      {Codes({122, 88}), Codes({79, 179, 65})},            // k + anusvara
      {Codes({88, 89, 87}), Codes({65, 66, 252})},        // anusvara, visarga, candrabindu
      {Codes({122, 95, 137, 100}), Codes({79, 179, 104, 181})},  // k | ta
      {Codes({122, 95, 100}), Codes({79, 179, 67})},             // k | a
      {Codes({32, 46, 74, 83, 67}), Codes({32, 46, 48, 57, 64})},  // space, full stop, digits, rupee
      {Codes({9, 10, 13}), Codes({9, 10, 13})},                  // control bytes
      // Accents move in front of their syllable.
      {Codes({122, 100, 171}), Codes({133, 79, 181})},
      {Codes({122, 137, 150, 100, 177}), Codes({140, 79, 181, 229, 242})},
      {Codes({100, 173}), Codes({135, 67})},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Describe(Convert(c.internal, "LPXCODE", "ANSI").bytes), Describe(c.glyphs))
        << "encoding " << Describe(c.internal);
    EXPECT_EQ(Describe(Convert(c.glyphs, "ANSI", "LPXCODE").bytes), Describe(c.internal))
        << "decoding " << Describe(c.glyphs);
  }
}

// Internal code whose glyphs decode to something else, or that the font does not hold.
TEST(FontEncoding, EncodesOneWay) {
  const Case cases[] = {
      {Codes({122, 94, 137, 100}), Codes({79, 179, 104, 181})},  // the joiner draws nothing
      {Codes({171, 122, 100}), Codes({133, 79, 181})},           // accent at the start: in place
      {Codes({122, 100, 171, 172}), Codes({133, 79, 181, 134})}, // second accent in a row: in place
      {Codes({9, 171}), Codes({9, 133})},                        // accent after a control byte: in place
      {Codes({54, 171}), Codes({133})},                          // after a dropped byte: moved in front of nothing
      {Codes({54, 122, 100}), Codes({79, 181})},                 // commercial at has no glyph
      {Codes({127, 170, 137, 114}), Codes({204, 203, 86, 199, 253, 229})},  // tstai: 159 replaced by 204
      {Codes({122, 127, 170, 100}), Codes({79, 181, 219})},     // k + tsa below: the below form of ca
      {Codes({122, 137, 146, 154, 139, 106}),
       Codes({79, 181, 229, 254, 236, 254, 245, 254, 231, 253, 197})},
      // Five consonants after the first: the fifth starts a syllable of its own.
      {Codes({122, 137, 146, 150, 153, 160, 100}), Codes({79, 179, 229, 254, 236, 242, 254, 244, 182, 170})},
      // The count of four is in key bytes: two tsa below forms fill it.
      {Codes({122, 127, 170, 127, 170, 137, 100}), Codes({79, 179, 219, 254, 219, 104, 181})},
      // A vowel is still taken once four below forms are counted.
      {Codes({122, 137, 137, 137, 137, 101}), Codes({79, 184, 229, 254, 229, 254, 229, 254, 229})},
      // Escapes: one byte for 1 to 255, a question mark otherwise.
      {Escape("0041"), Codes({65})},
      {Escape("00e9"), Codes({233})},
      {Escape("0C05"), Codes({63})},
      {Escape("0000"), Codes({63})},
      {Escape("10FF"), Codes({63})},
      {Escape("00G1") + Codes({122, 100}), Codes({63, 79, 181})},  // not hexadecimal, still five bytes
      {Escape("0041") + Codes({171}), Codes({133, 65})},           // an accent after an escape moves too
      {Escape("41"), Codes({65})},                                  // cut short by the end of the string
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Describe(Encode(c.internal).text), Describe(c.glyphs)) << "encoding " << Describe(c.internal);
  }
}

TEST(FontEncoding, DropsBytesWithoutGlyph) {
  for (int b : {54, 66, 108, 109, 110, 111, 115, 170, 190, 200, 201, 202, 215, 216, 220, 221, 225, 143, 250}) {
    const Direct out = Encode(Codes({b, 122, 100}));
    EXPECT_EQ(Describe(out.text), "79 181") << b;
    EXPECT_EQ(out.consumed, 3) << b;
  }
}

// Glyph strings that decode to internal code other than their encoder's choice.
TEST(FontDecoding, ReadsWhatTheEncoderDoesNotWrite) {
  const Case cases[] = {
      {Codes({255, '0', '0', '4', 'F'}), Codes({79})},  // a lone glyph at an ASCII position: escape
      {Codes({255, '0', '0', '7', 'F'}), Codes({127})},
      {"", Codes({200})},                               // a lone glyph above 127: dropped
      {Codes({106}), Codes({115, 192, 192})},           // independent vocalic r
      {Codes({107}), Codes({115, 192, 192, 185})},      // independent vocalic rr
      {Codes({161, 117}), Codes({200, 172, 195})},      // hoo, second drawing
      {"", Codes({240})},                               // below forms need a syllable
      {"", Codes({242})},
      {Codes({122, 150, 100}), Codes({79, 181, 240})},  // ra's third below form
      {Codes({122, 127, 100}), Codes({79, 181, 219})},
      {Codes({122, 137, 146, 150, 153, 95, 160, 100}),
       Codes({79, 179, 229, 254, 236, 242, 254, 244, 182, 170})},
      {Codes({122, 137, 146, 154, 139, 100}), Codes({79, 181, 229, 254, 236, 254, 245, 254, 231, 253, 197})},
      {Codes({127, 137, 114}), Codes({204, 203, 86, 199, 253, 229})},
      // Spacers are skipped anywhere and leave the bare flag as it was.
      {Codes({122, 100}), Codes({254, 254, 79, 181, 254, 253})},
      {Codes({122, 95, 100}), Codes({79, 179, 254, 253, 67})},
      // A sign between clears the bare flag.
      {Codes({122, 88, 100}), Codes({79, 179, 65, 67})},
      // 197 and 198 after below forms turn the vowel a into vocalic r or rr, once.
      {Codes({122, 137, 106}), Codes({79, 181, 229, 197})},
      {Codes({122, 137, 106}), Codes({79, 181, 229, 197, 197})},
      {Codes({122, 137, 107}), Codes({79, 181, 229, 198})},
      {Codes({122, 137, 101}), Codes({79, 184, 229, 197})},  // not after another vowel
      {Codes({122}), Codes({79, 179, 197})},                 // nor without vowel
      // 204 makes the vowel ai, also before a bare consonant; alone it is dropped.
      {Codes({122, 114}), Codes({204, 79, 179})},
      {Codes({100}), Codes({204, 67})},
      // At most four below forms in one syllable.
      {Codes({122, 122, 122, 122, 122}), Codes({79, 179, 214, 214, 214, 214, 214})},
      // Of several syllable tables, the strictly longest match: jhi, not ri.
      {Codes({130, 102}), Codes({177, 188, 98})},
      {Codes({150, 102}), Codes({177, 188})},
      // Accents return after their syllable.
      {Codes({171}), Codes({133})},
      {Codes({171, 171}), Codes({133, 133})},
      {Codes({171, 122, 100, 172}), Codes({133, 134, 79, 181})},  // the first is released by the second
      {Codes({171, 9}), Codes({133, 9})},
      {Codes({32, 171}), Codes({133, 32})},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Describe(Convert(c.glyphs, "ANSI", "LPXCODE").bytes), Describe(c.internal))
        << "decoding " << Describe(c.glyphs);
  }
}

TEST(FontConversion, EmptyInputGivesEmptyOutput) {
  EXPECT_EQ(Encode("").text, "");
  EXPECT_EQ(Encode("").consumed, 0);
  EXPECT_EQ(Decode("").text, "");
  EXPECT_EQ(Decode("").consumed, 0);
}

TEST(FontConversion, StopsBeforeTheFirstPieceThatDoesNotFit) {
  struct Capacity {
    bool encode;
    std::string input;
    std::int32_t capacity;
    std::string output;
    std::int32_t consumed;
  } cases[] = {
      {true, Codes({122, 100, 122, 100}), 3, Codes({79, 181}), 2},
      {true, Codes({122, 100, 122, 100}), 4, Codes({79, 181}), 2},
      {true, Codes({122, 100, 122, 100}), 5, Codes({79, 181, 79, 181}), 4},
      {true, Codes({122, 100, 171}), 3, "", 0},  // the accent travels with its syllable
      {true, Codes({122, 100}), 1, "", 0},
      {false, Codes({133, 79, 181}), 3, "", 1},  // the held accent is lost with the syllable
      {false, Codes({133, 79, 181}), 4, Codes({122, 100, 171}), 3},
      {false, Codes({79, 181, 133}), 3, Codes({122, 100}), 3},  // an accent held at the end needs room
      {false, Codes({79, 181, 133}), 4, Codes({122, 100, 171}), 3},
      {false, Codes({133}), 1, "", 1},
      {false, Codes({254, 254}), 1, "", 2},  // spacers need no room
      {false, Codes({79, 181}), 0, "", 0},
  };
  for (const auto& c : cases) {
    const Direct out = RunDirect(c.encode, c.input, c.capacity);
    EXPECT_EQ(Describe(out.text), Describe(c.output)) << Describe(c.input) << " capacity " << c.capacity;
    EXPECT_EQ(out.consumed, c.consumed) << Describe(c.input) << " capacity " << c.capacity;
  }
  const Byte input[] = {122, 100, 0};
  EXPECT_EQ(Font().Encode(input, -1, nullptr, 10), 0);
  EXPECT_EQ(Font().Decode(input, -1, nullptr, 10), 0);
  EXPECT_EQ(Font().Decode(nullptr, -1, nullptr, 10), 0);
}

TEST(FontConversion, ControlRunsAreCopiedThirtyOneAtATime) {
  const std::string tabs(40, '\t');
  for (bool encode : {true, false}) {
    EXPECT_EQ(RunDirect(encode, tabs).text, tabs);
    const Direct cut = RunDirect(encode, tabs, 33);
    EXPECT_EQ(cut.text, std::string(31, '\t'));
    EXPECT_EQ(cut.consumed, 31);
  }
}

TEST(FontConversion, ReadsOnlyTheGivenLength) {
  const Direct encoded = Encode(Codes({122, 100, 122, 100}), 64, 1);
  EXPECT_EQ(Describe(encoded.text), "79 179");
  EXPECT_EQ(encoded.consumed, 1);
  const Direct decoded = Decode(Codes({79, 181, 79, 181}), 64, 2);
  EXPECT_EQ(Describe(decoded.text), "122 100");
  EXPECT_EQ(decoded.consumed, 2);
  EXPECT_EQ(Decode(Codes({79, 181}), 64, 0).consumed, 0);
  EXPECT_EQ(Decode(Codes({79, 181}), 64, -5).consumed, 0);
}

// A syllable as the generator builds it: a consonant key, the keys of its
// below forms, and a vowel (0 for none).
struct Syllable {
  std::vector<Byte> key;
  std::vector<std::vector<Byte>> below;
  Byte vowel = 0;

  std::string Internal() const {
    std::string s(key.begin(), key.end());
    for (const auto& b : below) s.append(b.begin(), b.end());
    if (vowel != 0) s.push_back(static_cast<char>(vowel));
    return s;
  }
};

// The three cases in which decoding does not give a generated syllable back.
enum Exception { kNuktaBelowForm, kVocalicSignAfterFourBelowForms, kNuktaLostBeforeTaWithAi };

// What decoding gives back for a generated syllable, and which exceptions
// made it differ.
std::string ExpectedRoundTrip(Syllable s, std::vector<Exception>& applied) {
  // k followed by ss is always the cluster k+ss: the same bytes, but the
  // below forms are counted from the cluster.
  if (s.key == std::vector<Byte>{122} && !s.below.empty() && s.below[0] == std::vector<Byte>{159}) {
    s.key.push_back(159);
    s.below.erase(s.below.begin());
  }
  // The below forms of tsa and dza are those of ca and ja.
  for (auto& b : s.below) {
    if (b.size() > 1) {
      b.resize(1);
      applied.push_back(kNuktaBelowForm);
    }
  }
  // The sign of vocalic r or rr after four below forms is not read back.
  if (s.below.size() == 4 && (s.vowel == 106 || s.vowel == 107)) {
    s.vowel = 100;
    applied.push_back(kVocalicSignAfterFourBelowForms);
  }
  // tsa and dza with ta's below form first and ai lose their nukta.
  if (s.key.size() == 2 && s.key[1] == 170 && !s.below.empty() && s.below[0][0] == 137 && s.vowel == 114) {
    s.key.resize(1);
    applied.push_back(kNuktaLostBeforeTaWithAi);
  }
  return s.Internal();
}

TEST(FontRoundTrip, EverySyllableWithUpToFourBelowForms) {
  std::vector<std::vector<Byte>> keys, belowKeys;
  for (const auto& row : glyphs::ConsonantRows()) {
    const auto key = row.key.View();
    keys.emplace_back(key.begin(), key.end());
    if (row.below != 0) belowKeys.emplace_back(key.begin(), key.end());
  }
  std::vector<Byte> vowels(std::begin(glyphs::kSyllableVowels), std::end(glyphs::kSyllableVowels));
  vowels.push_back(0);

  std::mt19937 random(15919);
  std::vector<std::vector<std::vector<Byte>>> belowLists = {{}};
  for (const auto& a : belowKeys) belowLists.push_back({a});
  // Longer lists drawn at random, keeping to four key bytes.
  for (std::size_t count = 2; count <= 4; ++count) {
    for (int i = 0; i < 200; ++i) {
      std::vector<std::vector<Byte>> list;
      std::size_t bytes = 0;
      while (list.size() < count) {
        const auto& b = belowKeys[random() % belowKeys.size()];
        // Leave room for the rest of the list: tsa and dza take two bytes.
        if (bytes + b.size() + (count - list.size() - 1) > 4) continue;
        list.push_back(b);
        bytes += b.size();
      }
      belowLists.push_back(list);
    }
  }

  std::map<Exception, int> exceptions;
  int checked = 0, failures = 0;
  for (const auto& key : keys) {
    for (Byte vowel : vowels) {
      for (const auto& below : belowLists) {
        const Syllable s{key, below, vowel};
        const std::string internal = s.Internal();
        const std::string glyphString = Encode(internal, 64).text;
        const Direct decoded = Decode(glyphString, 64);
        std::vector<Exception> applied;
        const std::string expected = ExpectedRoundTrip(s, applied);
        ++checked;
        for (Exception e : applied) ++exceptions[e];
        if (decoded.text != expected && ++failures <= 20) {
          ADD_FAILURE() << Describe(internal) << " -> " << Describe(glyphString) << " -> "
                        << Describe(decoded.text) << ", expected " << Describe(expected);
        }
      }
    }
  }
  EXPECT_EQ(failures, 0) << "of " << checked;
  for (Exception e : {kNuktaBelowForm, kVocalicSignAfterFourBelowForms, kNuktaLostBeforeTaWithAi}) {
    EXPECT_GT(exceptions[e], 0) << "exception " << e << " never generated";
  }
}

// Decoding arbitrary glyph bytes never fails and never writes past the capacity.
TEST(FontDecoding, ArbitraryBytes) {
  std::mt19937 random(253);
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  std::vector<std::string> inputs;
  for (int i = 0; i < 50; ++i) {
    std::shuffle(all.begin(), all.end(), random);
    inputs.push_back(all);
  }
  // Glyphs that only make sense next to others: spacers, below forms, accents, signs.
  const std::string loose = Codes({253, 254, 214, 219, 229, 240, 241, 242, 250, 133, 134, 140, 197,
                                   198, 204, 179, 181, 192, 185, 203, 159, 251});
  for (int i = 0; i < 300; ++i) {
    std::string s;
    const int n = 1 + static_cast<int>(random() % 60);
    for (int j = 0; j < n; ++j) s.push_back(loose[random() % loose.size()]);
    inputs.push_back(s);
  }
  inputs.push_back(std::string(5000, static_cast<char>(254)) + Codes({79, 181}));
  inputs.push_back(std::string(5000, static_cast<char>(253)));
  inputs.push_back(std::string(3000, static_cast<char>(133)));
  inputs.push_back(std::string(3000, static_cast<char>(229)));

  for (const std::string& input : inputs) {
    const Direct full = Decode(input, static_cast<std::int32_t>(input.size() * 9 + 16));
    EXPECT_EQ(full.consumed, static_cast<std::int32_t>(input.size()));
    for (int k = 0; k < 8; ++k) {
      const auto capacity = static_cast<std::int32_t>(random() % (full.text.size() + 4));
      const Direct cut = Decode(input, capacity);
      // Whole pieces only: a shorter capacity gives a prefix of the full output.
      EXPECT_EQ(full.text.compare(0, cut.text.size(), cut.text), 0) << Describe(input);
      EXPECT_LE(cut.consumed, full.consumed);
    }
    // The exports see the same bytes, with their own guard check.
    EXPECT_EQ(Convert(input, "ANSI", "LPXCODE").bytes, full.text);
  }
  EXPECT_EQ(Describe(Decode(std::string(5000, static_cast<char>(254)) + Codes({79, 181})).text), "122 100");
}

// Encoding arbitrary internal code never fails and never writes past the capacity.
TEST(FontEncoding, ArbitraryInternalCode) {
  std::mt19937 random(254);
  for (int i = 0; i < 400; ++i) {
    std::string s;
    const int n = 1 + static_cast<int>(random() % 80);
    for (int j = 0; j < n; ++j) {
      // Mostly letters and accents, so that syllables and clusters form.
      const int pick = static_cast<int>(random() % 4);
      const int b = pick == 0 ? 1 + static_cast<int>(random() % 255)
                    : pick == 1 ? 171 + static_cast<int>(random() % 7)
                                : 100 + static_cast<int>(random() % 62);
      s.push_back(static_cast<char>(b));
    }
    const Direct full = Encode(s, static_cast<std::int32_t>(s.size() * 12 + 16));
    EXPECT_EQ(full.consumed, static_cast<std::int32_t>(s.size())) << Describe(s);
    for (int k = 0; k < 6; ++k) {
      const auto capacity = static_cast<std::int32_t>(random() % (full.text.size() + 4));
      const Direct cut = Encode(s, capacity);
      EXPECT_EQ(full.text.compare(0, cut.text.size(), cut.text), 0) << Describe(s);
    }
  }
}

// Unicode text through the font and back. The font cannot draw every Unicode
// sequence, so the test counts the words that come back unchanged and sorts
// the rest by the reason.
TEST(FontRoundTrip, UnicodeWordSample) {
  const auto& words = test::WordSample();
  ASSERT_FALSE(words.empty());
  std::map<std::string, int> reasons;
  std::map<std::string, std::string> example;
  int unchanged = 0, decoded = 0;
  for (const std::string& word : words) {
    const std::string internal = Convert(word, "UTF-8", "LPXCODE").bytes;
    if (internal.empty()) continue;
    ++decoded;
    const std::string glyphString = Convert(word, "UTF-8", "ANSI").bytes;
    if (Convert(glyphString, "ANSI", "UTF-8").bytes == word) {
      ++unchanged;
      continue;
    }
    const std::string internalBack = Convert(glyphString, "ANSI", "LPXCODE").bytes;
    std::string reason;
    if (internalBack == internal) {
      reason = "same internal code, written back differently in Unicode";
    } else if (internal.find_first_of(Codes({94, 95})) != std::string::npos) {
      reason = "joiners, which the font draws as nothing";
    } else if (internal.find(static_cast<char>(255)) != std::string::npos) {
      reason = "characters outside Telugu (escapes)";
    } else if (internalBack.find(static_cast<char>(95)) != std::string::npos) {
      reason = "clusters longer than the font draws (separator added)";
    } else {
      reason = "other";
    }
    if (++reasons[reason] == 1) example[reason] = word + " (" + Describe(internal) + " -> " + Describe(internalBack) + ")";
  }
  std::printf("Unicode -> ANSI -> Unicode: %d of %d words unchanged\n", unchanged, decoded);
  for (const auto& [reason, count] : reasons) {
    std::printf("  %5d %s, e.g. %s\n", count, reason.c_str(), example[reason].c_str());
  }
  if (decoded == 0) GTEST_SKIP() << "no Unicode decoder";
  EXPECT_EQ(decoded, static_cast<int>(words.size()));
  EXPECT_GE(unchanged * 100, decoded * 99);
  EXPECT_EQ(reasons.count("other"), 0u) << example["other"];
}

// Unicode text that the font cannot keep, and what comes back instead.
TEST(FontRoundTrip, UnicodeTheFontCannotKeep) {
  const struct {
    std::u16string text;
    std::u16string back;
  } cases[] = {
      // KA, VIRAMA, ZERO WIDTH JOINER, SSA: the joiner draws nothing and the
      // decoder separates the bare k with a non-joiner.
      {u"\u0C15\u0C4D\u200D\u0C37", u"\u0C15\u0C4D\u200C\u0C37"},
      // PA, VIRAMA, O: the bare p is kept apart from the vowel by a non-joiner.
      {u"\u0C2A\u0C4D\u0C12", u"\u0C2A\u0C4D\u200C\u0C12"},
      // SA with five further consonants T R Y V M: the fifth starts a syllable of its own.
      {u"\u0C38\u0C4D\u0C24\u0C4D\u0C30\u0C4D\u0C2F\u0C4D\u0C35\u0C4D\u0C2E",
       u"\u0C38\u0C4D\u0C24\u0C4D\u0C30\u0C4D\u0C2F\u0C4D\u0C35\u0C4D\u200C\u0C2E"},
      // LATIN CAPITAL A lands on the glyph position of the anusvara.
      {u"A\u0C15", u"\u0C02\u0C15"},
      // KA, LATIN SMALL E WITH ACUTE: 233 is the below form of na.
      {u"\u0C15\u00E9", u"\u0C15\u0C4D\u0C28"},
      // KA, TELUGU LENGTH MARK: no single-byte position, a question mark.
      {u"\u0C15\u0C55", u"\u0C15?"},
  };
  for (const auto& c : cases) {
    const std::string glyphString = Convert(c.text, "UNICODE", "ANSI").bytes;
    if (glyphString.empty()) GTEST_SKIP() << "no Unicode encoder";
    EXPECT_EQ(Describe(Convert(glyphString, "ANSI", "UNICODE").wide), Describe(c.back)) << Describe(c.text);
  }
}

}  // namespace
}  // namespace tirmok
