// The Latin transliteration's tables: which Latin forms stand for which internal-code strings.
#include "typing/transliteration_tables.h"

namespace tirmok {
namespace {

constexpr LatinRow kWordRows[] = {
    {{67}, {"Rs"}},  // rupee sign
};

// An independent vowel and its vowel sign are one internal code, so one form serves both.
constexpr LatinRow kVowelRows[] = {
    // code   Latin forms
    {{100}, {"a"}},          // a
    {{101}, {"A", "aa"}},    // aa
    {{102}, {"i"}},          // i
    {{103}, {"I", "ee"}},    // ii
    {{104}, {"u"}},          // u
    {{105}, {"U", "oo"}},    // uu
    {{106}, {"Ru"}},         // vocalic r
    {{107}, {"RU"}},         // vocalic rr
    {{112}, {"e"}},          // e
    {{113}, {"E"}},          // ee
    {{114}, {"ai"}},         // ai
    {{116}, {"o"}},          // o
    {{117}, {"O"}},          // oo
    {{118}, {"au", "ou"}},   // au
};

constexpr LatinRow kConsonantRows[] = {
    // code      Latin forms
    {{122}, {"k"}},          // ka
    {{123}, {"K", "kh"}},    // kha
    {{124}, {"g"}},          // ga
    {{125}, {"G", "gh"}},    // gha
    {{126}, {"~g"}},         // nga
    {{127}, {"c", "ch"}},    // ca
    {{128}, {"C", "Ch"}},    // cha
    {{129}, {"j"}},          // ja
    {{130}, {"J", "jh"}},    // jha
    {{131}, {"~j"}},         // nya
    {{132}, {"T"}},          // tta
    {{133}, {"Th"}},         // ttha
    {{134}, {"D"}},          // dda
    {{135}, {"Dh"}},         // ddha
    {{136}, {"N"}},          // nna
    {{137}, {"t"}},          // ta
    {{138}, {"th"}},         // tha
    {{139}, {"d"}},          // da
    {{140}, {"dh"}},         // dha
    {{141}, {"n"}},          // na
    {{144}, {"p"}},          // pa
    {{145}, {"P", "ph"}},    // pha
    {{146}, {"b"}},          // ba
    {{147}, {"B", "bh"}},    // bha
    {{148}, {"m"}},          // ma
    {{149}, {"y", "Y"}},     // ya
    {{150}, {"r"}},          // ra
    {{151}, {"rx"}},         // rra
    {{153}, {"l"}},          // la
    {{157}, {"v", "w"}},     // va
    {{158}, {"S", "sh"}},    // sha
    {{159}, {"Sh"}},         // ssa
    {{160}, {"s"}},          // sa
    {{161}, {"h", "~h"}},    // ha
    {{154}, {"L"}},          // lla
    {{127, 170}, {"cx"}},    // tsa
    {{129, 170}, {"z", "jx"}},  // dza
};

constexpr LatinRow kSignRows[] = {
    // Nasals, visarga and the two joiners.
    {{87}, {"~M"}},   // candrabindu
    {{88}, {"M"}},    // anusvara
    {{89}, {"H"}},    // visarga
    {{94}, {"^"}},    // zero width joiner
    {{95}, {"^^"}},   // zero width non-joiner
    // Punctuation. 54 (commercial at) has no form: "@" is the accent mark 171.
    {{32}, {" "}},
    {{33}, {"!"}},
    {{34}, {"\""}},
    {{35}, {"~#"}},
    {{36}, {"~$"}},
    {{37}, {"%"}},
    {{38}, {"~&"}},
    {{39}, {"'"}},
    {{40}, {"("}},
    {{41}, {")"}},
    {{42}, {"*"}},
    {{43}, {"+"}},
    {{44}, {","}},
    {{45}, {"-"}},
    {{46}, {"."}},
    {{47}, {"/"}},
    {{48}, {":"}},
    {{49}, {";"}},
    {{50}, {"<"}},
    {{51}, {"="}},
    {{52}, {">"}},
    {{53}, {"?"}},
    {{55}, {"["}},
    {{56}, {"\\"}},
    {{57}, {"]"}},
    {{58}, {"~^"}},
    {{59}, {"_"}},
    {{60}, {"`"}},
    {{61}, {"{"}},
    {{62}, {"|"}},
    {{63}, {"}"}},
    {{64}, {"~", "~~"}},
    {{65}, {"&"}},    // avagraha
    // Accent marks, in this order.
    {{171}, {"@"}},
    {{172}, {"#"}},
    {{173}, {"$"}},
    {{174}, {"q"}},
    {{175}, {"Q"}},
    {{177}, {"V"}},
    {{176}, {"W"}},
    // ASCII digits stand for the Telugu digits zero to nine.
    {{74}, {"0"}},
    {{75}, {"1"}},
    {{76}, {"2"}},
    {{77}, {"3"}},
    {{78}, {"4"}},
    {{79}, {"5"}},
    {{80}, {"6"}},
    {{81}, {"7"}},
    {{82}, {"8"}},
    {{83}, {"9"}},
};

}  // namespace

std::span<const LatinRow> LatinWordRows() { return kWordRows; }
std::span<const LatinRow> LatinVowelRows() { return kVowelRows; }
std::span<const LatinRow> LatinConsonantRows() { return kConsonantRows; }
std::span<const LatinRow> LatinSignRows() { return kSignRows; }

}  // namespace tirmok
