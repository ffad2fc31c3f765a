// Escape formatting and hexadecimal readers shared by the converters.
#include "core/escape.h"

namespace tirmok {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexValue(Byte c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsCSpace(Byte c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

void AppendEscape(Piece<Byte>& piece, std::uint16_t value) {
  piece.Push(code::kEscapeLead);
  for (int shift = 12; shift >= 0; shift -= 4) piece.Push(kHexDigits[(value >> shift) & 0xF]);
}

EscapeRead ReadEscape(const Byte* lead) {
  std::uint32_t value = 0;
  std::int32_t available = 0;
  while (available < 4 && lead[1 + available] != 0) ++available;
  for (std::int32_t i = 0; i < available; ++i) {
    const int digit = HexValue(lead[1 + i]);
    if (digit < 0) break;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  return {static_cast<std::uint16_t>(value & 0xFFFF), 1 + available};
}

long StrtolHex(const Byte* text, std::int32_t count) {
  std::int32_t i = 0;
  while (i < count && IsCSpace(text[i])) ++i;
  bool negative = false;
  if (i < count && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // "0x" is a prefix only when a hexadecimal digit follows it; otherwise the 0 is the number.
  if (i + 2 < count && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
      HexValue(text[i + 2]) >= 0) {
    i += 2;
  }
  unsigned long value = 0;
  for (; i < count; ++i) {
    const int digit = HexValue(text[i]);
    if (digit < 0) break;
    value = value * 16 + static_cast<unsigned long>(digit);
  }
  return negative ? -static_cast<long>(value) : static_cast<long>(value);
}

HashEscapeRead ReadHashEscape(const Byte* hash) {
  if (hash[0] != '#') return {false, 0, 0};
  for (std::int32_t i = 1; i <= 5 && hash[i] != 0; ++i) {
    if (hash[i] == ';') {
      const long value = StrtolHex(hash + 1, i - 1);
      return {true, static_cast<std::uint16_t>(static_cast<unsigned long>(value) & 0xFFFF), i + 1};
    }
  }
  return {false, 0, 0};
}

}  // namespace tirmok
