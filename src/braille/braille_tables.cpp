// The Braille converter's five cell tables (internal-code keys and North American ASCII Braille cells) and the dot patterns of the cells.
//
// Every character of a cell string is one cell. The quotation mark '"' is the
// dot-5 cell, so "\"R" is dot 5 followed by R.
#include "braille/braille_tables.h"

namespace tirmok {

std::span<const CellRow> ConsonantCellRows() {
  static const CellRow rows[] = {
      // key         cells     letter
      {{122},        "K"},     // ka
      {{123},        "."},     // kha
      {{124},        "G"},     // ga
      {{125},        "<"},     // gha
      {{126},        "+"},     // nga
      {{127},        "C"},     // ca
      {{128},        "*"},     // cha
      {{129},        "J"},     // ja
      {{130},        "0"},     // jha
      {{131},        "3"},     // nya
      {{132},        ")"},     // tta
      {{133},        "W"},     // ttha
      {{134},        "$"},     // dda
      {{135},        "="},     // ddha
      {{136},        "#"},     // nna
      {{137},        "T"},     // ta
      {{138},        "?"},     // tha
      {{139},        "D"},     // da
      {{140},        "!"},     // dha
      {{141},        "N"},     // na
      {{142},        ";"},     // ṉa
      {{144},        "P"},     // pa
      {{145},        "6"},     // pha
      {{146},        "B"},     // ba
      {{147},        "^"},     // bha
      {{148},        "M"},     // ma
      {{149},        "Y"},     // ya
      {{150},        "R"},     // ra
      {{221},        "R"},     // second ra
      {{151},        "]"},     // rra
      {{153},        "L"},     // la
      {{154},        "_"},     // lla
      {{155},        "("},     // ḻa
      {{157},        "V"},     // va
      {{158},        "%"},     // sha
      {{159},        "&"},     // ssa
      {{160},        "S"},     // sa
      {{161},        "H"},     // ha
      {{122, 159},   "Q"},     // ka + ssa
      {{129, 131},   ":"},     // ja + nya
      {{122, 170},   "\"K"},   // ka + nukta
      {{123, 170},   "X"},     // kha + nukta
      {{124, 170},   "\"<"},   // ga + nukta
      // tsa: the dot-5 cell followed by the cell of ca, the letter it is written with.
      {{127, 170},   "\"C"},
      {{129, 170},   "Z"},     // dza
      {{134, 170},   "]"},     // dda + nukta
      {{135, 170},   "\"]"},   // ddha + nukta
      {{145, 170},   "F"},     // pha + nukta
      {{149, 170},   "5"},     // ya + nukta
  };
  return rows;
}

std::span<const CellRow> VowelCellRows() {
  static const CellRow rows[] = {
      // key    cells      vowel
      {{100},   "A"},      // a
      {{101},   ">"},      // aa
      {{102},   "I"},      // i
      {{103},   "9"},      // ii
      {{104},   "U"},      // u
      {{105},   "\\"},     // uu
      {{106},   "\"R"},    // vocalic r
      {{107},   "\"R"},    // vocalic rr
      {{108},   "L\"R"},   // vocalic l
      {{109},   "L\"R"},   // vocalic ll
      {{111},   "5"},      // ê
      {{112},   "5"},      // e
      {{113},   "E"},      // ee
      {{114},   "/"},      // ai
      {{115},   "X"},      // ô
      {{116},   "X"},      // o
      {{117},   "O"},      // oo
      {{118},   "["},      // au
  };
  return rows;
}

std::span<const CellRow> SignCellRows() {
  static const CellRow rows[] = {
      // key            cells     sign
      {{75},            "A"},     // digit one
      {{76},            "B"},     // two
      {{77},            "C"},     // three
      {{78},            "D"},     // four
      {{79},            "E"},     // five
      {{80},            "F"},     // six
      {{81},            "G"},     // seven
      {{82},            "H"},     // eight
      {{83},            "I"},     // nine
      {{74},            "J"},     // zero
      {{32},            " "},     // space: the empty cell
      {{44},            "1"},     // comma
      {{49},            "2"},     // semicolon
      {{48},            "3"},     // colon
      {{46},            "4"},     // full stop
      {{33},            "6"},     // exclamation mark
      {{53},            "8"},     // question mark
      {{40},            "7"},     // left parenthesis
      {{41},            "7"},     // right parenthesis
      {{55},            ",7"},    // left square bracket
      {{57},            "7'"},    // right square bracket
      {{34},            "8"},     // quotation mark
      {{56},            "_*"},    // reverse solidus
      {{43},            "+"},     // plus sign
      {{45},            "-"},     // hyphen-minus
      {{42},            "@*"},    // asterisk
      {{47},            "_/"},    // solidus
      {{50},            ";8"},    // less-than sign
      {{51},            ".K"},    // equals sign
      {{52},            "02"},    // greater-than sign
      {{61},            ";7"},    // left curly bracket
      {{63},            "72"},    // right curly bracket
      {{37},            "3P"},    // percent sign
      {{35},            "@#"},    // number sign
      {{36},            "@4"},    // dollar sign
      {{38},            "@&"},    // ampersand
      {{59},            "."},     // low line
      {{54},            "@A"},    // commercial at
      {{62},            "4"},     // vertical line
      {{46, 46, 46},    "'''"},   // three full stops
      {{60},            ",8"},    // left single quotation mark
      {{60, 60},        "8"},     // left double quotation mark
      {{39},            "0'"},    // apostrophe
      {{39, 39},        "0"},     // right double quotation mark
      {{58},            ""},      // circumflex: nothing
      {{64},            ""},      // tilde: nothing
      {{94},            ""},      // zero width joiner: nothing
      {{95},            ""},      // zero width non-joiner: nothing
      {{67},            ",RS"},   // rupee sign
      {{65},            "1"},     // avagraha
      {{66},            "O@M"},   // om sign
      {{87},            "'"},     // candrabindu
      {{88},            ";"},     // anusvara
      {{89},            ","},     // visarga
      {{220},           "@5"},    // ẏa as a single byte
      {{200},           "#AJ"},   // number sign ten
      {{201},           "#AJJ"},  // hundred
      {{202},           "#AJJJ"}, // thousand
  };
  return rows;
}

std::span<const CellRow> NumberCellRows() {
  static const CellRow rows[] = {
      {{46}, "."},  // full stop between digits
      {{47}, "/"},  // solidus between digits
  };
  return rows;
}

std::span<const CellRow> NemethCellRows() {
  static const CellRow rows[] = {
      // key        cells    sign
      {{75},        "1"},    // digit one
      {{76},        "2"},    // two
      {{77},        "3"},    // three
      {{78},        "4"},    // four
      {{79},        "5"},    // five
      {{80},        "6"},    // six
      {{81},        "7"},    // seven
      {{82},        "8"},    // eight
      {{83},        "9"},    // nine
      {{74},        "0"},    // zero
      {{44},        ","},    // comma
      {{47},        "/"},    // solidus
      {{37},        "@0"},   // percent sign
      {{62},        "\\"},   // vertical line
      {{40},        "("},    // left parenthesis
      {{41},        ")"},    // right parenthesis
      {{55},        "@("},   // left square bracket
      {{57},        "@)"},   // right square bracket
      {{61},        ".("},   // left curly bracket
      {{63},        ".)"},   // right curly bracket
      {{52},        ".1"},   // greater-than sign
      {{50},        "\"K"},  // less-than sign
      {{48},        "\"1"},  // colon
      {{48, 48},    ";2"},   // two colons
      {{35},        ".#"},   // number sign
      {{36},        "@S"},   // dollar sign
      {{39},        "'"},    // apostrophe
      {{39, 39},    "''"},   // right double quotation mark
      {{58},        "_<"},   // circumflex
      {{64},        "@:"},   // tilde
  };
  return rows;
}

std::string_view AsciiBrailleByDots() {
  // Patterns 0 to 63; the character for dots 3 4 5 6 (60) is the number sign "#".
  return " A1B'K2L@CIF/MSP\"E3H9O6R^DJG>NTQ,*5<-U8V.%[$+X!&;:4\\0Z7(_?W]#Y)=";
}

}  // namespace tirmok
