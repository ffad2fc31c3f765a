// Key tables of the INSCRIPT layout on a US keyboard: keystrokes and the internal code they type.
//
// Rows follow the keyboard, top row first, each key before its shifted key;
// the two-key entries (a key, then the nukta key "]") come last. Codes for
// letters Telugu lacks (vocalic l and ll, the vowels ê and ô, ṉ, ḻ, the om
// sign, nukta consonants) are folded by the normaliser after decoding.
#include "typing/inscript_tables.h"

namespace tirmok::inscript {
namespace {

constexpr KeyRow kVowelRows[] = {
    {"~", {116}},   // o      U+0C12
    {"!", {111}},   // ê
    {"+", {106}},   // vocalic r   U+0C0B
    {"Q", {118}},   // au     U+0C14
    {"W", {114}},   // ai     U+0C10
    {"E", {101}},   // aa     U+0C06
    {"R", {103}},   // ii     U+0C08
    {"T", {105}},   // uu     U+0C0A
    {"|", {115}},   // ô
    {"A", {117}},   // oo     U+0C13
    {"S", {113}},   // ee     U+0C0F
    {"D", {100}},   // a      U+0C05
    {"F", {102}},   // i      U+0C07
    {"G", {104}},   // u      U+0C09
    {"Z", {112}},   // e      U+0C0E
    {"+]", {107}},  // vocalic rr  U+0C60
    {"R]", {109}},  // vocalic ll
    {"F]", {108}},  // vocalic l
};

constexpr KeyRow kVowelSignRows[] = {
    {"`", {116}},   // o      U+0C4A
    {"@", {111}},   // ê
    {"=", {106}},   // vocalic r   U+0C43
    {"q", {118}},   // au     U+0C4C
    {"w", {114}},   // ai     U+0C48
    {"e", {101}},   // aa     U+0C3E
    {"r", {103}},   // ii     U+0C40
    {"t", {105}},   // uu     U+0C42
    {"\\", {115}},  // ô
    {"a", {117}},   // oo     U+0C4B
    {"s", {113}},   // ee     U+0C47
    {"D", {100}},   // a (no sign)
    {"f", {102}},   // i      U+0C3F
    {"g", {104}},   // u      U+0C41
    {"z", {112}},   // e      U+0C46
    {"=]", {107}},  // vocalic rr  U+0C44
    {"r]", {109}},  // vocalic ll
    {"f]", {108}},  // vocalic l
};

constexpr KeyRow kConsonantRows[] = {
    {"#", {150}},        // ra, taken as the second member of a cluster
    {"$", {150}},        // ra, always dead: the first member of a cluster
    {"%", {129, 131}},   // ja with nya
    {"y", {146}},        // ba    U+0C2C
    {"Y", {147}},        // bha   U+0C2D
    {"u", {161}},        // ha    U+0C39
    {"U", {126}},        // nga   U+0C19
    {"i", {124}},        // ga    U+0C17
    {"I", {125}},        // gha   U+0C18
    {"o", {139}},        // da    U+0C26
    {"O", {140}},        // dha   U+0C27
    {"p", {129}},        // ja    U+0C1C
    {"P", {130}},        // jha   U+0C1D
    {"[", {134}},        // dda   U+0C21
    {"{", {135}},        // ddha  U+0C22
    {"}", {131}},        // nya   U+0C1E
    {"h", {144}},        // pa    U+0C2A
    {"H", {145}},        // pha   U+0C2B
    {"j", {150}},        // ra    U+0C30
    {"J", {151}},        // rra   U+0C31
    {"k", {122}},        // ka    U+0C15
    {"K", {123}},        // kha   U+0C16
    {"l", {137}},        // ta    U+0C24
    {"L", {138}},        // tha   U+0C25
    {";", {127}},        // ca    U+0C1A
    {":", {128}},        // cha   U+0C1B
    {"'", {132}},        // tta   U+0C1F
    {"\"", {133}},       // ttha  U+0C20
    {"c", {148}},        // ma    U+0C2E
    {"C", {136}},        // nna   U+0C23
    {"v", {141}},        // na    U+0C28
    {"V", {142}},        // ṉ
    {"b", {157}},        // va    U+0C35
    {"B", {155}},        // ḻ
    {"n", {153}},        // la    U+0C32
    {"N", {154}},        // lla   U+0C33
    {"m", {160}},        // sa    U+0C38
    {"M", {158}},        // sha   U+0C36
    {"<", {159}},        // ssa   U+0C37
    {"/", {149}},        // ya    U+0C2F
    {"?", {149, 170}},   // ya with nukta
    {"k]", {122, 170}},  // ka with nukta
    {"K]", {123, 170}},  // kha with nukta
    {"i]", {124, 170}},  // ga with nukta
    {";]", {127, 170}},  // tsa   U+0C58
    {"p]", {129, 170}},  // dza   U+0C59
    {"[]", {134, 170}},  // dda with nukta
    {"{]", {135, 170}},  // ddha with nukta
    {"H]", {145, 170}},  // pha with nukta
    {"/]", {149, 170}},  // ya with nukta
    {"j]", {151}},       // rra   U+0C31
    {"v]", {142}},       // ṉ
    {"N]", {155}},       // ḻ
};

constexpr KeyRow kSignRows[] = {
    {"1", {75}},  {"2", {76}},  {"3", {77}},  {"4", {78}},  {"5", {79}},
    {"6", {80}},  {"7", {81}},  {"8", {82}},  {"9", {83}},  {"0", {74}},  // Telugu digits
    {"^", {95}},   // zero width non-joiner
    {"&", {94}},   // zero width joiner
    {"*", {67}},   // rupee sign
    {"(", {40}},
    {")", {41}},
    {"-", {45}},
    {"_", {89}},   // visarga
    {"x", {88}},   // anusvara
    {"X", {87}},   // candrabindu
    {",", {44}},
    {".", {46}},
    {">", {62}},   // vertical bar
    {" ", {32}},
    {"X]", {66}},  // om sign
    {">]", {65}},  // avagraha
};

}  // namespace

std::span<const KeyRow> VowelRows() { return kVowelRows; }
std::span<const KeyRow> VowelSignRows() { return kVowelSignRows; }
std::span<const KeyRow> ConsonantRows() { return kConsonantRows; }
std::span<const KeyRow> SignRows() { return kSignRows; }

}  // namespace tirmok::inscript
