// The ISO 15919 romanisation tables, in UTF-16 ("ISO15919") and in the 8-bit form ("ISO15919_ANSI").
//
// Rows are in their order of addition. Where a key has several texts, the
// encoder writes the shortest, and of equal lengths the one added first; the
// others are only read. Where a text belongs to several keys of equal length,
// the decoder gives the one added first, which is why a few rows come ahead
// of their place in key order.
#include "unicode/iso15919_tables.h"

namespace tirmok {
namespace {

using WideRow = RomanisationRow<char16_t>;
using AnsiRow = RomanisationRow<Byte>;

const WideRow kIso15919Rows[] = {
    // Candrabindu n̆, added before every other entry: of its two texts of equal length it is the one written.
    {{87}, u"n\u0306"},

    // Punctuation, digits and other signs
    {{32}, u" ", 7},             // 32 to 38: space to ampersand
    {{39}, u"\u2019"},           // apostrophe ’
    {{39, 39}, u"\u201D"},       // a pair of apostrophes ”
    {{94}, u"-"},                // zero width joiner; ahead of hyphen-minus, so that "-" reads as 94
    {{40}, u"(", 8},             // 40 to 47: left parenthesis to solidus
    {{48}, u":", 7},             // 48 to 54: colon to commercial at
    {{55}, u"[", 5},             // 55 to 59: left square bracket to low line
    {{60}, u"\u2018"},           // left quotation mark ‘
    {{60, 60}, u"\u201C"},       // a pair of them “
    {{61}, u"{", 4},             // 61 to 64: left curly bracket to tilde
    {{65}, u":'"},               // avagraha
    {{66}, u"\u014Dm\u0310"},    // om ōm̐
    {{67}, u"Rs"},               // rupee; holds a capital, so the lower-cased input never matches it
    {{74}, u"0", 10},            // Telugu digits zero to nine as 0 to 9
    {{87}, u"m\u0310"},          // candrabindu m̐, read only
    {{88}, u"\u1E41"},           // anusvara ṁ
    {{88}, u"m\u0307"},
    {{89}, u"\u1E25"},           // visarga ḥ
    {{89}, u"h\u0323"},
    {{95}, u"\u2013"},           // zero width non-joiner and separator –

    // Vowels
    {{100}, u"a"},
    {{101}, u"\u0101"},          // ā
    {{101}, u"a\u0304"},
    {{102}, u"i"},
    {{102}, u":i"},              // i kept apart from a before it
    {{103}, u"\u012B"},          // ī
    {{103}, u"i\u0304"},
    {{104}, u"u"},
    {{104}, u":u"},              // u kept apart from a before it
    {{105}, u"\u016B"},          // ū
    {{105}, u"u\u0304"},
    {{106}, u"r\u0325"},         // vocalic r r̥
    {{107}, u"r\u0325\u0304"},   // vocalic rr r̥̄
    {{108}, u"l\u0325"},         // vocalic l l̥
    {{109}, u"l\u0325\u0304"},   // vocalic ll l̥̄
    {{111}, u"\u00EA"},          // ê; ahead of 110, so that ê reads as 111
    {{111}, u"e\u0302"},
    {{110}, u"\u00EA"},          // the a variant, written ê
    {{112}, u"e"},
    {{113}, u"\u0113"},          // ē
    {{113}, u"e\u0304"},
    {{114}, u"ai"},
    {{115}, u"\u00F4"},          // ô
    {{115}, u"o\u0302"},
    {{116}, u"o"},
    {{117}, u"\u014D"},          // ō
    {{117}, u"o\u0304"},
    {{118}, u"au"},

    // Consonants
    {{122}, u"k"},
    {{123}, u"kh"},
    {{124}, u"g"},
    {{125}, u"gh"},
    {{126}, u"\u1E45"},          // ṅ
    {{126}, u"n\u0307"},
    {{127}, u"c"},
    {{128}, u"ch"},
    {{129}, u"j"},
    {{130}, u"jh"},
    {{131}, u"\u00F1"},          // ñ
    {{131}, u"n\u0303"},
    {{132}, u"\u1E6D"},          // ṭ
    {{132}, u"t\u0323"},
    {{133}, u"\u1E6Dh"},         // ṭh
    {{133}, u"t\u0323h"},
    {{134}, u"\u1E0D"},          // ḍ
    {{134}, u"d\u0323"},
    {{135}, u"\u1E0Dh"},         // ḍh
    {{135}, u"d\u0323h"},
    {{136}, u"\u1E47"},          // ṇ
    {{136}, u"n\u0323"},
    {{137}, u"t"},
    {{138}, u"th"},
    {{139}, u"d"},
    {{140}, u"dh"},
    {{141}, u"n"},
    {{142}, u"\u1E49"},          // ṉ
    {{142}, u"n\u0331"},
    {{144}, u"p"},
    {{145}, u"ph"},
    {{146}, u"b"},
    {{147}, u"bh"},
    {{148}, u"m"},
    {{149}, u"y"},
    {{150}, u"r"},
    {{151}, u"\u1E5F"},          // ṟ
    {{151}, u"r\u0331"},
    {{153}, u"l"},
    {{154}, u"\u1E37"},          // ḷ
    {{154}, u"l\u0323"},
    {{155}, u"\u1E3B"},          // ḻ
    {{155}, u"l\u0331"},
    {{157}, u"v"},
    {{158}, u"\u015B"},          // ś
    {{158}, u"s\u0301"},
    {{159}, u"\u1E63"},          // ṣ
    {{159}, u"s\u0323"},
    {{160}, u"s"},
    {{161}, u"h"},
    {{161}, u":h"},              // h kept apart from a consonant before it

    // Nukta, accent marks and variant bytes
    {{170}, u"\u0323"},          // nukta alone: dot below
    {{171}, u"\u0332"},          // accent marks: low line, vertical line above, double vertical line above
    {{172}, u"\u030D"},
    {{173}, u"\u030E"},
    {{174}, {}, 4},              // 174 to 177: accent marks without a form, dropped
    {{190}, u"\u0113"},          // ē variant
    {{200}, u"10"},              // number signs ten, hundred, thousand
    {{201}, u"100"},
    {{202}, u"1000"},
    {{215}, u"\u1E43"},          // anusvara variant ṃ
    {{215}, u"m\u0323"},
    {{216}, {}},                 // no form, dropped
    {{220}, u"\u1E8F"},          // ẏ
    {{220}, u"y\u0307"},
    {{221}, u"r"},               // second ra
    {{225}, u"w"},               // wa

    // Consonants with nukta
    {{122, 170}, u"q"},
    {{123, 170}, u"k\u0332h\u0332"},  // k̲h̲
    {{124, 170}, u"\u0121"},     // ġ
    {{124, 170}, u"g\u0307"},
    {{127, 170}, u"\u0109"},     // tsa ĉ
    {{127, 170}, u"c\u0302"},
    {{129, 170}, u"z"},          // dza
    {{134, 170}, u"\u1E5B"},     // ṛ
    {{134, 170}, u"r\u0323"},
    {{135, 170}, u"\u1E5Bh"},    // ṛh
    {{135, 170}, u"r\u0323h"},
    {{141, 170}, u"\u1E49"},     // ṉ
    {{141, 170}, u"n\u0331"},
    {{145, 170}, u"f"},
    {{149, 170}, u"\u1E8F"},     // ẏ
    {{149, 170}, u"y\u0307"},
};

// The same romanisation with every letter that carries a diacritic as one byte
// of the upper half. Keys without an entry here (110, 190, 170 alone, 141 170,
// the pairs 39 39 and 60 60) are dropped or written byte by byte.
const AnsiRow kIso15919AnsiRows[] = {
    // Candrabindu, added before every other entry: of its two bytes it is the one written.
    {{87}, {209}},

    // ASCII-valued entries
    {{32}, {32}, 16},            // 32 to 47: space and punctuation, the same values
    {{48}, {58}, 7},             // 48 to 54: colon to commercial at
    {{55}, {91}, 5},             // 55 to 59: left square bracket to low line
    {{60}, {96}},                // grave accent
    {{61}, {123}, 4},            // 61 to 64: left curly bracket to tilde
    {{65}, ":'"},                // avagraha
    // Rupee: written rs, but not read back. Read back it would swallow every
    // r directly followed by s, the cluster of ra and sa that is common in
    // real words; so, as with the UTF-16 form, rs reads as those two letters.
    {{67}, "rs", 1, MappingTable::kLeftKeyed},
    {{74}, "0", 10},             // Telugu digits zero to nine as 0 to 9
    {{100}, "a"},
    {{112}, "e"},
    {{116}, "o"},
    {{114}, "ai"},
    {{118}, "au"},
    {{102}, "i"},
    {{104}, "u"},
    {{102}, ":i"},               // i and u kept apart from a before them
    {{104}, ":u"},
    {{122}, "k"},
    {{123}, "kh"},
    {{124}, "g"},
    {{125}, "gh"},
    {{127}, "c"},
    {{128}, "ch"},
    {{129}, "j"},
    {{130}, "jh"},
    {{137}, "t"},
    {{138}, "th"},
    {{139}, "d"},
    {{140}, "dh"},
    {{141}, "n"},
    {{144}, "p"},
    {{145}, "ph"},
    {{146}, "b"},
    {{147}, "bh"},
    {{148}, "m"},
    {{149}, "y"},
    {{150}, "r"},
    {{153}, "l"},
    {{157}, "v"},
    {{160}, "s"},
    {{161}, "h"},
    {{161}, ":h"},               // h kept apart from a consonant before it
    {{161}, {210}},
    {{221}, "r"},                // second ra
    {{225}, "w"},                // wa
    {{122, 170}, "q"},
    {{129, 170}, "z"},           // dza
    {{145, 170}, "f"},

    // Letters with diacritics, one byte each
    {{101}, {161}},              // ā
    {{103}, {167}},              // ī
    {{105}, {192}},              // ū
    {{106}, {187}},              // r̥
    {{107}, {188}},              // r̥̄
    {{108}, {171}},              // l̥
    {{109}, {172}},              // l̥̄
    {{111}, {164}},              // ê
    {{113}, {163}},              // ē
    {{115}, {182}},              // ô
    {{117}, {181}},              // ō
    {{87}, {176}},               // candrabindu, read only
    {{88}, {175}},               // anusvara ṁ
    {{89}, {166}},               // visarga ḥ
    {{66}, {181, 176}},          // om ōm̐
    {{126}, {177}},              // ṅ
    {{131}, {178}},              // ñ
    {{132}, {191}},              // ṭ
    {{133}, {191, 104}},         // ṭh
    {{134}, {162}},              // ḍ
    {{135}, {162, 104}},         // ḍh
    {{136}, {179}},              // ṇ
    {{142}, {180}},              // ṉ
    {{151}, {186}},              // ṟ
    {{154}, {169}},              // ḷ
    {{155}, {170}},              // ḻ
    {{158}, {190}},              // ś
    {{159}, {189}},              // ṣ
    {{123, 170}, {168}},         // k̲h̲
    {{124, 170}, {165}},         // ġ
    {{127, 170}, {205}},         // tsa ĉ
    {{134, 170}, {184}},         // ṛ
    {{135, 170}, {184, 104}},    // ṛh
    {{149, 170}, {193}},         // ẏ
    {{220}, {193}},              // ẏ as one byte; the shorter code, so 193 reads as 220
    {{215}, {174}},              // anusvara variant ṃ
    {{94}, {196}},               // zero width joiner
    {{95}, {197}},               // zero width non-joiner and separator
    {{171}, {198}, 3},           // 171 to 173: accent marks
    {{216}, {202}},

    // Dropped by the encoder
    {{174}, {}, 4},              // 174 to 177: accent marks without a form
    {{200}, {}, 3},              // 200 to 202: number signs
};

}  // namespace

std::span<const RomanisationRow<char16_t>> Iso15919Rows() { return kIso15919Rows; }
std::span<const RomanisationRow<Byte>> Iso15919AnsiRows() { return kIso15919AnsiRows; }

}  // namespace tirmok
