// UTF-8 <-> UTF-16 conversion for the UTF-8 formats and the tools.
#include "core/utf.h"

#include <bit>
#include <cstring>

namespace tirmok {
namespace {

constexpr bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
constexpr bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

using Decoded = Utf8Read;

Decoded DecodeUtf8(const Byte* p, std::int32_t available) {
  const Byte lead = p[0];
  if (lead < 0x80) return {lead, 1};
  std::int32_t needed = 0;
  Byte low = 0x80;
  Byte high = 0xBF;
  char32_t cp = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    needed = 1;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    needed = 2;
    cp = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;  // no surrogates in UTF-8
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    needed = 3;
    cp = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {kReplacementCharacter, 1};
  }
  std::int32_t i = 1;
  for (; i <= needed; ++i) {
    if (i >= available) return {kReplacementCharacter, i};
    const Byte b = p[i];
    const Byte lo = i == 1 ? low : 0x80;
    const Byte hi = i == 1 ? high : 0xBF;
    if (b < lo || b > hi) return {kReplacementCharacter, i};
    cp = (cp << 6) | (b & 0x3F);
  }
  return {cp, i};
}

std::int32_t EncodeUtf8(char32_t cp, Byte* out) {
  if (cp < 0x80) {
    out[0] = static_cast<Byte>(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = static_cast<Byte>(0xC0 | (cp >> 6));
    out[1] = static_cast<Byte>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = static_cast<Byte>(0xE0 | (cp >> 12));
    out[1] = static_cast<Byte>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<Byte>(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = static_cast<Byte>(0xF0 | (cp >> 18));
  out[1] = static_cast<Byte>(0x80 | ((cp >> 12) & 0x3F));
  out[2] = static_cast<Byte>(0x80 | ((cp >> 6) & 0x3F));
  out[3] = static_cast<Byte>(0x80 | (cp & 0x3F));
  return 4;
}

}  // namespace

Utf8Read ReadUtf8Character(const Byte* p, std::int32_t available) { return DecodeUtf8(p, available); }

std::int32_t Utf8ToUtf16(const Byte* input, std::int32_t length, char16_t* output,
                         std::int32_t capacity) {
  if (output == nullptr || capacity < 1) return 0;
  std::int32_t written = 0;
  std::int32_t position = 0;
  if (input != nullptr && capacity > length && length > 2) {
    // No byte gives more than one unit, so here the output cannot fill up.
    // The common characters take the short way; the last two bytes are left
    // to the careful loop below.
    const Byte* in = input;
    const Byte* const end = input + length - 2;
    char16_t* out = output;
    while (in < end) {
      // Two letters of the Telugu block in a row (E0 B0-B1 80-BF twice), read
      // with one eight-byte load where that is the machine's byte order.
      if constexpr (std::endian::native == std::endian::little) {
        if (input + length - in >= 8) {
          std::uint64_t word;
          std::memcpy(&word, in, sizeof word);
          if ((word & 0x0000C0FEFFC0FEFFull) == 0x000080B0E080B0E0ull) {
            out[0] = static_cast<char16_t>(0x0C00 | ((word >> 2) & 0x40) | ((word >> 16) & 0x3F));
            out[1] = static_cast<char16_t>(0x0C00 | ((word >> 26) & 0x40) | ((word >> 40) & 0x3F));
            out += 2;
            in += 6;
            continue;
          }
          // Eight ASCII bytes, each its own unit.
          if ((word & 0x8080808080808080ull) == 0) {
            for (int k = 0; k < 8; ++k) out[k] = static_cast<char16_t>((word >> (8 * k)) & 0x7F);
            out += 8;
            in += 8;
            continue;
          }
        }
      }
      // ReadCommonUtf8's cases, with three bytes known to be there.
      const Byte lead = in[0];
      const Byte b1 = in[1];
      const Byte b2 = in[2];
      if (lead == 0xE0 && (b1 & 0xFE) == 0xB0 && (b2 & 0xC0) == 0x80) {  // U+0C00 to U+0C7F
        *out++ = static_cast<char16_t>(0x0C00 | ((b1 & 1) << 6) | (b2 & 0x3F));
        in += 3;
        continue;
      }
      if (lead < 0x80) {
        *out++ = lead;
        ++in;
        continue;
      }
      if (lead >= 0xC2 && lead <= 0xDF && (b1 & 0xC0) == 0x80) {  // two bytes: the Latin letters with marks
        *out++ = static_cast<char16_t>(((lead & 0x1F) << 6) | (b1 & 0x3F));
        in += 2;
        continue;
      }
      if ((lead & 0xF0) == 0xE0 && (b1 & 0xC0) == 0x80 && (b2 & 0xC0) == 0x80 && (lead != 0xE0 || b1 >= 0xA0) &&
          (lead != 0xED || b1 < 0xA0)) {
        *out++ = static_cast<char16_t>(((lead & 0x0F) << 12) | ((b1 & 0x3F) << 6) | (b2 & 0x3F));
        in += 3;
        continue;
      }
      const Decoded d = DecodeUtf8(in, static_cast<std::int32_t>(input + length - in));
      if (d.codePoint >= 0x10000) {
        const char32_t v = d.codePoint - 0x10000;
        *out++ = static_cast<char16_t>(0xD800 + (v >> 10));
        *out++ = static_cast<char16_t>(0xDC00 + (v & 0x3FF));
      } else {
        *out++ = static_cast<char16_t>(d.codePoint);
      }
      in += d.length;
    }
    position = static_cast<std::int32_t>(in - input);
    written = static_cast<std::int32_t>(out - output);
  }
  while (input != nullptr && position < length) {
    const Decoded d = DecodeUtf8(input + position, length - position);
    const std::int32_t units = d.codePoint >= 0x10000 ? 2 : 1;
    if (written + units + 1 > capacity) break;
    if (units == 2) {
      const char32_t v = d.codePoint - 0x10000;
      output[written++] = static_cast<char16_t>(0xD800 + (v >> 10));
      output[written++] = static_cast<char16_t>(0xDC00 + (v & 0x3FF));
    } else {
      output[written++] = static_cast<char16_t>(d.codePoint);
    }
    position += d.length;
  }
  output[written] = 0;
  return written;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string result(text.size() + 1, u'\0');
  const auto n = Utf8ToUtf16(reinterpret_cast<const Byte*>(text.data()),
                             static_cast<std::int32_t>(text.size()), result.data(),
                             static_cast<std::int32_t>(result.size()));
  result.resize(static_cast<std::size_t>(n));
  return result;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string result;
  result.reserve(text.size() * 3);
  Byte buffer[4];
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
      cp = kReplacementCharacter;
    }
    const auto n = EncodeUtf8(cp, buffer);
    result.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(n));
  }
  return result;
}

Utf8Form Utf8Form::Of(std::span<const char16_t> units) {
  Utf8Form form;
  if (units.size() > static_cast<std::size_t>(kMaxUnits)) return form;
  for (char16_t u : units) {
    if (IsHighSurrogate(u) || IsLowSurrogate(u)) return Utf8Form{};
    form.size = static_cast<std::uint8_t>(form.size + EncodeUtf8(u, form.bytes + form.size));
  }
  form.usable = true;
  return form;
}

Utf8Sink::Utf8Sink(Byte* output, std::int32_t capacity)
    : output_(capacity > 0 ? output : nullptr), capacity_(output_ ? capacity : 0) {
  if (output_) output_[0] = 0;
}

bool Utf8Sink::AppendAnyUnits(std::span<const char16_t> piece) {
  if (!output_) return false;
  // A piece is at most a few dozen units; its UTF-8 form fits here.
  Byte bytes[4 * 70];
  std::int32_t n = 0;
  char16_t pending = pendingHigh_;
  for (char16_t u : piece) {
    if (n > static_cast<std::int32_t>(sizeof bytes) - 8) return false;
    if (pending != 0) {
      if (IsLowSurrogate(u)) {
        n += EncodeUtf8(0x10000 + ((static_cast<char32_t>(pending) - 0xD800) << 10) + (u - 0xDC00),
                        bytes + n);
        pending = 0;
        continue;
      }
      n += EncodeUtf8(kReplacementCharacter, bytes + n);
      pending = 0;
    }
    if (IsHighSurrogate(u)) {
      pending = u;
    } else {
      n += EncodeUtf8(IsLowSurrogate(u) ? kReplacementCharacter : u, bytes + n);
    }
  }
  // A high surrogate left waiting counts as the U+FFFD it becomes if nothing pairs it.
  const std::int64_t total = static_cast<std::int64_t>(written_) + n + (pending != 0 ? 3 : 0);
  if (total + 1 > capacity_) return false;
  for (std::int32_t i = 0; i < n; ++i) output_[written_++] = bytes[i];
  output_[written_] = 0;
  pendingHigh_ = pending;
  return true;
}

void Utf8Sink::Finish() {
  if (!output_) return;
  if (pendingHigh_ != 0) {
    written_ += EncodeUtf8(kReplacementCharacter, output_ + written_);
    pendingHigh_ = 0;
  }
  output_[written_] = 0;
}

}  // namespace tirmok
