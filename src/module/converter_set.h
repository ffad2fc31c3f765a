// ConverterSet: one converter per format, built once and read-only afterwards.
#pragma once

#include "braille/braille_converter.h"
#include "collation/collation_converter.h"
#include "collation/first_units.h"
#include "core/normaliser.h"
#include "date/date_converter.h"
#include "font/font_encoding_converter.h"
#include "typing/inscript_converter.h"
#include "typing/phonetic_keyboard_converter.h"
#include "typing/transliteration_converter.h"
#include "unicode/iso15919_ansi_converter.h"
#include "unicode/iso15919_converter.h"
#include "unicode/unicode_converter.h"

namespace tirmok {

// Members in the order the library builds them. Every operation of a
// converter is const and keeps its working state in the call, so one set can
// serve any number of threads.
struct ConverterSet {
  TransliterationConverter transliteration;
  PhoneticKeyboardConverter phoneticKeyboard;
  InscriptConverter inscript;
  FontEncodingConverter fontEncoding;
  UnicodeConverter unicode;
  CodeNormaliser normaliser;
  CollationConverter collation;
  DateConverter date;
  Iso15919AnsiConverter iso15919Ansi;
  Iso15919Converter iso15919;
  BrailleConverter braille;
  // Derived from the Unicode and collation converters above, for comparisons.
  FirstCollationUnits firstUnits{unicode, collation};
};

}  // namespace tirmok
