// Helpers every converter shares: the escape for unmapped characters, hexadecimal readers and control runs.
#pragma once

#include <cstdint>

#include "core/internal_code.h"
#include "core/piece.h"

namespace tirmok {

// Appends byte 255 and the four upper-case hexadecimal digits of `value`.
void AppendEscape(Piece<Byte>& piece, std::uint16_t value);

// The escape read back by an encoder: the up-to-four characters after byte 255
// are read as hexadecimal digits of either case, stopping at the first other
// character (nothing read gives 0). `consumed` is 5, or less when the string
// ends first: an escape cut short never consumes the terminator.
struct EscapeRead {
  std::uint16_t value;
  std::int32_t consumed;
};
EscapeRead ReadEscape(const Byte* lead);

// The "#hex;" form of the typing schemes: "#", then the first ";" at most five
// characters on. The characters between are read as C's strtol reads them with
// base 16 (blanks, a sign and "0x" allowed); only the low 16 bits are kept.
struct HashEscapeRead {
  bool matched;
  std::uint16_t value;
  std::int32_t consumed;  // through the ";"
};
HashEscapeRead ReadHashEscape(const Byte* hash);

// strtol(text, nullptr, 16) over exactly `count` characters.
long StrtolHex(const Byte* text, std::int32_t count);

// Copies a run of control units (1 to 31) as units of the output's width:
// at most 31 in one step, ending before any other unit. Returns the count.
template <class In, class Out>
std::int32_t CopyControlRun(const In* p, Piece<Out>& piece) {
  std::int32_t n = 0;
  while (n < 31 && IsControl(static_cast<unsigned>(p[n]))) {
    piece.Push(static_cast<Out>(p[n]));
    ++n;
  }
  return n;
}

}  // namespace tirmok
