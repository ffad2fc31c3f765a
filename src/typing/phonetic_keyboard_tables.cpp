// Key tables of the phonetic keyboard scheme: keystrokes and the internal code they type, in order of addition.
#include "typing/phonetic_keyboard_tables.h"

namespace tirmok::phonetic_keyboard {
namespace {

// One key per vowel; after a consonant key it is that consonant's vowel.
constexpr KeyRow kVowelRows[] = {
    {"a", {100}},   // a       U+0C05
    {"A", {101}},   // aa      U+0C06
    {"i", {102}},   // i       U+0C07
    {"I", {103}},   // ii      U+0C08
    {"u", {104}},   // u       U+0C09
    {"U", {105}},   // uu      U+0C0A
    {"R", {106}},   // vocalic r   U+0C0B
    {"Rx", {107}},  // vocalic rr  U+0C60
    {"e", {112}},   // e       U+0C0E
    {"E", {113}},   // ee      U+0C0F
    {"Y", {114}},   // ai      U+0C10
    {"o", {116}},   // o       U+0C12
    {"O", {117}},   // oo      U+0C13
    {"V", {118}},   // au      U+0C14
};

// A consonant key types the bare consonant; the step adds its vowel.
constexpr KeyRow kConsonantRows[] = {
    {"k", {122}},        // ka    U+0C15
    {"K", {123}},        // kha   U+0C16
    {"g", {124}},        // ga    U+0C17
    {"G", {125}},        // gha   U+0C18
    {"Z", {126}},        // nga   U+0C19
    {"c", {127}},        // ca    U+0C1A
    {"cx", {127, 170}},  // tsa   U+0C58
    {"C", {128}},        // cha   U+0C1B
    {"j", {129}},        // ja    U+0C1C
    {"jx", {129, 170}},  // dza   U+0C59
    {"J", {130}},        // jha   U+0C1D
    {"z", {131}},        // nya   U+0C1E
    {"q", {132}},        // tta   U+0C1F
    {"Q", {133}},        // ttha  U+0C20
    {"w", {134}},        // dda   U+0C21
    {"W", {135}},        // ddha  U+0C22
    {"N", {136}},        // nna   U+0C23
    {"t", {137}},        // ta    U+0C24
    {"T", {138}},        // tha   U+0C25
    {"d", {139}},        // da    U+0C26
    {"D", {140}},        // dha   U+0C27
    {"n", {141}},        // na    U+0C28
    {"p", {144}},        // pa    U+0C2A
    {"P", {145}},        // pha   U+0C2B
    {"b", {146}},        // ba    U+0C2C
    {"B", {147}},        // bha   U+0C2D
    {"m", {148}},        // ma    U+0C2E
    {"y", {149}},        // ya    U+0C2F
    {"r", {150}},        // ra    U+0C30
    {"rx", {151}},       // rra   U+0C31
    {"l", {153}},        // la    U+0C32
    {"v", {157}},        // va    U+0C35
    {"S", {158}},        // sha   U+0C36
    {"X", {159}},        // ssa   U+0C37
    {"s", {160}},        // sa    U+0C38
    {"h", {161}},        // ha    U+0C39
    {"L", {154}},        // lla   U+0C33
    {"<", {127, 170}},   // tsa   U+0C58
    {">", {129, 170}},   // dza   U+0C59
};

// Signs, joiners, punctuation and digits.
constexpr KeyRow kSignRows[] = {
    {"M", {88}},  // anusvara
    {"H", {89}},  // visarga
    {"*", {87}},  // candrabindu
    {"^", {95}},  // zero width non-joiner
    {"&", {94}},  // zero width joiner
    {"@", {67}},  // rupee sign
    {" ", {32}},  {"!", {33}},  {"\"", {34}}, {"#", {35}},  {"$", {36}},  {"%", {37}},
    {"'", {39}},  {"(", {40}},  {")", {41}},  {"+", {43}},  {",", {44}},  {"-", {45}},
    {".", {46}},  {"/", {47}},  {":", {48}},  {";", {49}},  {"=", {51}},  {"?", {53}},
    {"[", {55}},  {"\\", {56}}, {"]", {57}},  {"_", {59}},  {"`", {60}},  {"{", {61}},
    {"|", {62}},  {"}", {63}},  {"~", {64}},  {"~~", {64}},
    {"0", {74}},  {"1", {75}},  {"2", {76}},  {"3", {77}},  {"4", {78}},
    {"5", {79}},  {"6", {80}},  {"7", {81}},  {"8", {82}},  {"9", {83}},
};

}  // namespace

std::span<const KeyRow> VowelRows() { return kVowelRows; }
std::span<const KeyRow> ConsonantRows() { return kConsonantRows; }
std::span<const KeyRow> SignRows() { return kSignRows; }

}  // namespace tirmok::phonetic_keyboard
