// Steps shared by the table converters of the Unicode family.
#include "core/table_steps.h"

#include "core/escape.h"

namespace tirmok {

std::int32_t WideTableDecodeStep(const WideMappingTable& table, const char16_t* p, Piece<Byte>& piece) {
  if (const auto match = table.MatchRight(p)) {
    piece.Append(match.value);
    return match.length;
  }
  if (p[0] == 0) return 0;
  if (IsControl(p[0])) return CopyControlRun(p, piece);
  AppendEscape(piece, p[0]);
  return 1;
}

std::int32_t WideEncodeFallback(const Byte* p, Piece<char16_t>& piece) {
  if (p[0] == code::kEnd) return 0;
  if (IsControl(p[0])) return CopyControlRun(p, piece);
  if (p[0] == code::kEscapeLead) {
    const EscapeRead escape = ReadEscape(p);
    if (escape.value != 0) piece.Push(escape.value);
    return escape.consumed;
  }
  return 1;
}

}  // namespace tirmok
