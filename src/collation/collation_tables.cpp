// Table of the collation converter.
#include "collation/collation_tables.h"

namespace tirmok {
namespace {

// Every byte of the normalised internal code has one unit, 0xE600 plus the
// byte, so the units sort as the bytes do. The vowels e to au sit one lower,
// closing the gap that the vowels without a Unicode form leave before them.
constexpr CollationRange kCollationRanges[] = {
    {32, 64, 0xE620},    // space and punctuation
    {65, 65, 0xE641},    // avagraha
    {67, 67, 0xE643},    // rupee sign
    {74, 83, 0xE64A},    // Telugu digits zero to nine
    {87, 89, 0xE657},    // candrabindu, anusvara, visarga
    {94, 95, 0xE65E},    // zero width joiner; zero width non-joiner and separator
    {100, 107, 0xE664},  // vowels a, aa, i, ii, u, uu, vocalic r, vocalic rr
    {112, 114, 0xE66F},  // vowels e, ee, ai
    {116, 118, 0xE673},  // vowels o, oo, au
    {122, 141, 0xE67A},  // consonants ka to na
    {144, 151, 0xE690},  // consonants pa to rra
    {153, 154, 0xE699},  // consonants la, lla
    {157, 161, 0xE69D},  // consonants va, sha, ssa, sa, ha
    {170, 177, 0xE6AA},  // nukta; accent marks
};

}  // namespace

std::span<const CollationRange> CollationRanges() { return kCollationRanges; }

}  // namespace tirmok
