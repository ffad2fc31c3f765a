// Tables of the Unicode and collation converters, as rows in their order of addition.
#include "unicode/unicode_tables.h"

namespace tirmok {
namespace {

constexpr auto kOther = UnicodeTable::kOtherSigns;
constexpr auto kIndependent = UnicodeTable::kIndependentVowels;
constexpr auto kSign = UnicodeTable::kVowelSigns;
constexpr auto kConsonant = UnicodeTable::kConsonants;

// The order matters where two rows share a side: of equal keys the shorter
// value wins, then the row added first. So 60 and 39 are written as the
// curly quotation marks while U+0060 and U+0027 still read back as 60 and 39,
// and a vowel written with a length mark reads as the one-unit sign it
// stands for.
constexpr UnicodeRow kUnicodeRows[] = {
    // Other signs: candrabindu, anusvara, visarga, joiners.
    {kOther, {87}, u"\u0C01"}, {kOther, {88}, u"\u0C02"}, {kOther, {89}, u"\u0C03"},
    {kOther, {95}, u"\u200C"}, {kOther, {94}, u"\u200D"},
    // Space to ampersand.
    {kOther, {32}, u"\u0020"}, {kOther, {33}, u"\u0021"}, {kOther, {34}, u"\u0022"},
    {kOther, {35}, u"\u0023"}, {kOther, {36}, u"\u0024"}, {kOther, {37}, u"\u0025"},
    {kOther, {38}, u"\u0026"},
    // Quotation marks: curly forms first, then the ASCII ones.
    {kOther, {60}, u"\u2018"}, {kOther, {60, 60}, u"\u201C"},
    {kOther, {39}, u"\u2019"}, {kOther, {39, 39}, u"\u201D"},
    {kOther, {60}, u"\u0060"}, {kOther, {39}, u"\u0027"},
    // Left parenthesis to solidus.
    {kOther, {40}, u"\u0028"}, {kOther, {41}, u"\u0029"}, {kOther, {42}, u"\u002A"},
    {kOther, {43}, u"\u002B"}, {kOther, {44}, u"\u002C"}, {kOther, {45}, u"\u002D"},
    {kOther, {46}, u"\u002E"}, {kOther, {47}, u"\u002F"},
    // Colon to commercial at.
    {kOther, {48}, u"\u003A"}, {kOther, {49}, u"\u003B"}, {kOther, {50}, u"\u003C"},
    {kOther, {51}, u"\u003D"}, {kOther, {52}, u"\u003E"}, {kOther, {53}, u"\u003F"},
    {kOther, {54}, u"\u0040"},
    // Rupee sign.
    {kOther, {67}, u"\u20A8"},
    // Square brackets, reverse solidus, circumflex, low line; curly brackets, vertical line, tilde.
    {kOther, {55}, u"\u005B"}, {kOther, {56}, u"\u005C"}, {kOther, {57}, u"\u005D"},
    {kOther, {58}, u"\u005E"}, {kOther, {59}, u"\u005F"},
    {kOther, {61}, u"\u007B"}, {kOther, {62}, u"\u007C"}, {kOther, {63}, u"\u007D"},
    {kOther, {64}, u"\u007E"},
    // Avagraha.
    {kOther, {65}, u"\u0C3D"},
    // Telugu digits zero to nine.
    {kOther, {74}, u"\u0C66"}, {kOther, {75}, u"\u0C67"}, {kOther, {76}, u"\u0C68"},
    {kOther, {77}, u"\u0C69"}, {kOther, {78}, u"\u0C6A"}, {kOther, {79}, u"\u0C6B"},
    {kOther, {80}, u"\u0C6C"}, {kOther, {81}, u"\u0C6D"}, {kOther, {82}, u"\u0C6E"},
    {kOther, {83}, u"\u0C6F"},

    // Independent vowels: a aa i ii u uu, vocalic r rr, e ee ai, o oo au.
    {kIndependent, {100}, u"\u0C05"}, {kIndependent, {101}, u"\u0C06"},
    {kIndependent, {102}, u"\u0C07"}, {kIndependent, {103}, u"\u0C08"},
    {kIndependent, {104}, u"\u0C09"}, {kIndependent, {105}, u"\u0C0A"},
    {kIndependent, {106}, u"\u0C0B"}, {kIndependent, {107}, u"\u0C60"},
    {kIndependent, {112}, u"\u0C0E"}, {kIndependent, {113}, u"\u0C0F"},
    {kIndependent, {114}, u"\u0C10"}, {kIndependent, {116}, u"\u0C12"},
    {kIndependent, {117}, u"\u0C13"}, {kIndependent, {118}, u"\u0C14"},

    // Vowel signs. The inherent vowel a has none; ii, ee, ai and oo may also be
    // written as a shorter sign with a length mark (U+0C55, U+0C56).
    {kSign, {100}, nullptr},
    {kSign, {101}, u"\u0C3E"},
    {kSign, {102}, u"\u0C3F"},
    {kSign, {103}, u"\u0C40"}, {kSign, {103}, u"\u0C3F\u0C55"},
    {kSign, {104}, u"\u0C41"},
    {kSign, {105}, u"\u0C42"},
    {kSign, {106}, u"\u0C43"},
    {kSign, {107}, u"\u0C44"},
    {kSign, {112}, u"\u0C46"},
    {kSign, {113}, u"\u0C47"}, {kSign, {113}, u"\u0C46\u0C55"},
    {kSign, {114}, u"\u0C48"}, {kSign, {114}, u"\u0C46\u0C56"},
    {kSign, {116}, u"\u0C4A"},
    {kSign, {117}, u"\u0C4B"}, {kSign, {117}, u"\u0C4A\u0C55"},
    {kSign, {118}, u"\u0C4C"},

    // Consonants ka to na, with tsa and dza (ca and ja with nukta) after ca and ja.
    {kConsonant, {122}, u"\u0C15"}, {kConsonant, {123}, u"\u0C16"},
    {kConsonant, {124}, u"\u0C17"}, {kConsonant, {125}, u"\u0C18"},
    {kConsonant, {126}, u"\u0C19"},
    {kConsonant, {127}, u"\u0C1A"}, {kConsonant, {127, 170}, u"\u0C58"},
    {kConsonant, {128}, u"\u0C1B"},
    {kConsonant, {129}, u"\u0C1C"}, {kConsonant, {129, 170}, u"\u0C59"},
    {kConsonant, {130}, u"\u0C1D"}, {kConsonant, {131}, u"\u0C1E"},
    {kConsonant, {132}, u"\u0C1F"}, {kConsonant, {133}, u"\u0C20"},
    {kConsonant, {134}, u"\u0C21"}, {kConsonant, {135}, u"\u0C22"},
    {kConsonant, {136}, u"\u0C23"}, {kConsonant, {137}, u"\u0C24"},
    {kConsonant, {138}, u"\u0C25"}, {kConsonant, {139}, u"\u0C26"},
    {kConsonant, {140}, u"\u0C27"}, {kConsonant, {141}, u"\u0C28"},
    // pa to rra.
    {kConsonant, {144}, u"\u0C2A"}, {kConsonant, {145}, u"\u0C2B"},
    {kConsonant, {146}, u"\u0C2C"}, {kConsonant, {147}, u"\u0C2D"},
    {kConsonant, {148}, u"\u0C2E"}, {kConsonant, {149}, u"\u0C2F"},
    {kConsonant, {150}, u"\u0C30"}, {kConsonant, {151}, u"\u0C31"},
    // la, lla; va, sha, ssa, sa, ha.
    {kConsonant, {153}, u"\u0C32"}, {kConsonant, {154}, u"\u0C33"},
    {kConsonant, {157}, u"\u0C35"}, {kConsonant, {158}, u"\u0C36"},
    {kConsonant, {159}, u"\u0C37"}, {kConsonant, {160}, u"\u0C38"},
    {kConsonant, {161}, u"\u0C39"},
};

}  // namespace

std::span<const UnicodeRow> UnicodeRows() { return kUnicodeRows; }

}  // namespace tirmok
