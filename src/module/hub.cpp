// The conversion hub: decode any format into the internal code, encode it into any other; compare two strings.
#include "module/hub.h"

#include <cstring>
#include <limits>
#include <mutex>
#include <string>

#include "core/run_loop.h"
#include "core/utf.h"
#include "module/collation_stream.h"
#include "module/converter_module.h"

namespace tirmok {
namespace {

constexpr char kOutOfMemory[] = "Out of memory.";

bool IsAligned(const void* p) { return reinterpret_cast<std::uintptr_t>(p) % alignof(char16_t) == 0; }

// Decodes `input` into the internal code in `target`. The buffer roles follow
// the pipeline's design: decoders that need the normaliser afterwards write an
// intermediate buffer first. Returns false for a format without a decoder.
bool DecodeToInternal(const ConverterSet& c, ScratchBuffers& s, const PropertyStore& properties,
                      const void* input, std::int32_t n, Format from, Byte* target, Byte* work,
                      char16_t* wideWork, bool normalise) {
  const auto* bytes = static_cast<const Byte*>(input);
  const auto* wide = static_cast<const char16_t*>(input);
  const std::int32_t cap = s.Capacity();
  const std::int32_t wideCap = s.WideCapacity();
  auto normaliseInto = [&](Byte* from_buffer) {
    if (normalise) {
      c.normaliser.Normalise(from_buffer, -1, target, cap);
    } else if (from_buffer != target) {
      std::memmove(target, from_buffer, std::strlen(reinterpret_cast<const char*>(from_buffer)) + 1);
    }
  };
  switch (from) {
    case Format::kTeltrans:
      c.transliteration.Decode(bytes, n, target, cap);
      return true;
    case Format::kLpxkbd:
      c.phoneticKeyboard.Decode(bytes, n, target, cap);
      return true;
    case Format::kLpxcode:
      c.normaliser.Normalise(bytes, n, target, cap);
      return true;
    case Format::kAnsi:
      c.fontEncoding.Decode(bytes, n, target, cap);
      return true;
    case Format::kUnicode:
      c.unicode.Decode(wide, n, target, cap);
      return true;
    case Format::kCollcode:
      c.collation.Decode(wide, n, target, cap);
      return true;
    case Format::kInscript:
      c.inscript.Decode(bytes, n, work, cap, properties);
      normaliseInto(work);
      return true;
    case Format::kIso15919Ansi:
      c.iso15919Ansi.Decode(bytes, n, work, cap);
      normaliseInto(work);
      return true;
    case Format::kIso15919:
      c.iso15919.Decode(wide, n, work, cap);
      normaliseInto(work);
      return true;
    case Format::kUtf8: {
      const std::int32_t units = Utf8ToUtf16(bytes, n, wideWork, wideCap);
      c.unicode.Decode(wideWork, units, target, cap);
      return true;
    }
    case Format::kIso15919Utf8: {
      // The UTF-16 form goes into the target, which the normaliser then overwrites.
      auto* wideTarget = reinterpret_cast<char16_t*>(target);
      const std::int32_t units = Utf8ToUtf16(bytes, n, wideTarget, wideCap);
      c.iso15919.Decode(wideTarget, units, work, cap);
      normaliseInto(work);
      return true;
    }
    case Format::kBraille:
      c.braille.Decode(properties, bytes, n, target, cap);
      return true;
    case Format::kBrailleUnicode:
      c.braille.DecodeUnicode(properties, wide, n, work, cap, target, cap);
      return true;
  }
  return false;
}

template <class Converter>
void EncodeUtf8(const Converter& converter, const Byte* internal, Byte* output, std::int32_t capacity) {
  Utf8Sink sink(output, capacity);
  RunLoop(internal, -1, sink,
          [&converter](const Byte* p, Piece<char16_t>& piece) { return converter.EncodeStep(p, piece); });
  sink.Finish();
}

void EncodeFromInternal(const ConverterSet& c, const PropertyStore& properties, const Byte* internal,
                        void* output, Format to, std::int32_t capacity) {
  auto* bytes = static_cast<Byte*>(output);
  auto* wide = static_cast<char16_t*>(output);
  switch (to) {
    case Format::kTeltrans:
      c.transliteration.Encode(internal, -1, bytes, capacity);
      break;
    case Format::kAnsi:
      c.fontEncoding.Encode(internal, -1, bytes, capacity);
      break;
    case Format::kIso15919Ansi:
      c.iso15919Ansi.Encode(internal, -1, bytes, capacity);
      break;
    case Format::kUnicode:
      c.unicode.Encode(internal, -1, wide, capacity);
      break;
    case Format::kCollcode:
      c.collation.Encode(internal, -1, wide, capacity);
      break;
    case Format::kIso15919:
      c.iso15919.Encode(internal, -1, wide, capacity);
      break;
    case Format::kLpxcode: {
      const std::size_t n = std::min<std::size_t>(std::strlen(reinterpret_cast<const char*>(internal)),
                                                  static_cast<std::size_t>(capacity - 1));
      std::memcpy(bytes, internal, n);
      bytes[n] = 0;
      break;
    }
    case Format::kUtf8:
      c.unicode.EncodeUtf8(internal, bytes, capacity);
      break;
    case Format::kIso15919Utf8:
      EncodeUtf8(c.iso15919, internal, bytes, capacity);
      break;
    case Format::kBraille:
      c.braille.Encode(properties, internal, bytes, capacity);
      break;
    case Format::kBrailleUnicode:
      c.braille.EncodeUnicode(properties, internal, wide, capacity);
      break;
    case Format::kLpxkbd:
    case Format::kInscript:
      break;  // input-only formats: the output stays empty
  }
}

std::int32_t OutputLength(const void* output, Format to) {
  if (IsWide(to)) return UnitLength(static_cast<const char16_t*>(output));
  return static_cast<std::int32_t>(std::strlen(static_cast<const char*>(output)));
}

void WriteEmpty(void* output, Format to) {
  if (IsWide(to)) {
    const char16_t zero = 0;
    std::memcpy(output, &zero, sizeof zero);
  } else {
    static_cast<Byte*>(output)[0] = 0;
  }
}

}  // namespace

bool CollationString(const ConverterSet& c, ScratchBuffers& s, const void* input, std::int32_t n,
                     Format format, char16_t* target) {
  if (format == Format::kCollcode) {
    std::memcpy(target, input, static_cast<std::size_t>(n) * sizeof(char16_t));
    target[n] = 0;
    return true;
  }
  if (!Info(format).comparable) return false;
  // No normaliser after the ISO 15919 decoders here: characters without a
  // collation unit simply take no part in the comparison.
  if (!DecodeToInternal(c, s, PropertyStore{}, input, n, format, s.C(), s.C(), target, false)) return false;
  c.collation.Encode(s.C(), -1, target, s.WideCapacity());
  return true;
}

std::int64_t MeasureInput(const void* input, Format format) {
  if (!IsWide(format)) return static_cast<std::int64_t>(std::strlen(static_cast<const char*>(input)));
  if (IsAligned(input)) {
    const auto* units = static_cast<const char16_t*>(input);
    std::int64_t n = 0;
    while (units[n] != 0) ++n;
    return n;
  }
  const auto* bytes = static_cast<const unsigned char*>(input);
  std::int64_t n = 0;
  while (bytes[2 * n] != 0 || bytes[2 * n + 1] != 0) ++n;
  return n;
}

std::int32_t ConvertWith(const ConverterSet& converters, ScratchBuffers& scratch,
                         const PropertyStore& properties, const void* input, std::int32_t length,
                         Format from, void* output, Format to, std::int32_t capacity) {
  WriteEmpty(output, to);
  // The two Braille forms hold the same cells: one becomes the other pattern for pattern.
  if (from == Format::kBraille && to == Format::kBrailleUnicode) {
    converters.braille.CellsToPatterns(static_cast<const Byte*>(input), length, static_cast<char16_t*>(output),
                                       capacity);
    return OutputLength(output, to);
  }
  if (from == Format::kBrailleUnicode && to == Format::kBraille) {
    converters.braille.PatternsToCells(static_cast<const char16_t*>(input), length, static_cast<Byte*>(output),
                                       capacity);
    return OutputLength(output, to);
  }
  if (!DecodeToInternal(converters, scratch, properties, input, length, from, scratch.A(), scratch.B(),
                        scratch.WideB(), true)) {
    return 0;
  }
  EncodeFromInternal(converters, properties, scratch.A(), output, to, capacity);
  return OutputLength(output, to);
}

namespace {

// The comparison of the two full collation strings.
std::int32_t CompareCollationStrings(const ConverterSet& converters, ScratchBuffers& scratch, const void* string1,
                                     std::int32_t length1, Format format1, const void* string2,
                                     std::int32_t length2, Format format2) {
  if (!CollationString(converters, scratch, string1, length1, format1, scratch.WideA())) return -1;
  if (!CollationString(converters, scratch, string2, length2, format2, scratch.WideB())) return -1;
  const char16_t* a = scratch.WideA();
  const char16_t* b = scratch.WideB();
  // Unit by unit, and within a unit the low byte before the high byte. The
  // shorter string's terminator takes part, so a proper prefix sorts first.
  for (std::int32_t i = 0;; ++i) {
    if (a[i] != b[i]) {
      const unsigned lowA = a[i] & 0xFF, lowB = b[i] & 0xFF;
      if (lowA != lowB) return lowA < lowB ? -1 : 1;
      return (a[i] >> 8) < (b[i] >> 8) ? -1 : 1;
    }
    if (a[i] == 0) return 0;
  }
}

}  // namespace

std::int32_t CompareWith(const ConverterSet& converters, ScratchBuffers& scratch, const void* string1,
                         std::int32_t length1, Format format1, const void* string2,
                         std::int32_t length2, Format format2) {
  // Most comparisons of Telugu words are decided within their first
  // syllables; the streams reach the answer without the full strings.
  if (const auto streamed = CompareStreams(converters, string1, length1, format1, string2, length2, format2)) {
    return *streamed;
  }
  return CompareCollationStrings(converters, scratch, string1, length1, format1, string2, length2, format2);
}

std::int32_t ConvertCall(const ConverterSet& converters, ScratchBuffers& scratch,
                         const PropertyStore& properties, ModuleLock* lock, const void* input,
                         Format from, void* output, Format to, std::int32_t capacity) {
  const std::int64_t n = MeasureInput(input, from);
  const std::int64_t required = RequiredCapacity(n);
  if (capacity > 0) WriteEmpty(output, to);
  // An input whose size does not fit the library's 32-bit sizes converts to nothing.
  if (required > std::numeric_limits<std::int32_t>::max()) return 0;
  if (capacity == 0) return static_cast<std::int32_t>(required);

  // Strings of the 16-bit formats are read and written through aligned copies
  // when the caller's pointers are not aligned for char16_t.
  std::u16string alignedInput;
  if (IsWide(from) && !IsAligned(input)) {
    alignedInput.resize(static_cast<std::size_t>(n));
    std::memcpy(alignedInput.data(), input, static_cast<std::size_t>(n) * sizeof(char16_t));
    input = alignedInput.c_str();
  }
  std::u16string alignedOutput;
  void* target = output;
  if (IsWide(to) && !IsAligned(output)) {
    alignedOutput.assign(static_cast<std::size_t>(capacity), u'\0');
    target = alignedOutput.data();
  }

  std::int32_t result = 0;
  {
    std::unique_lock<ModuleLock> guard;
    if (lock != nullptr) guard = std::unique_lock<ModuleLock>(*lock);
    if (!scratch.Reserve(required)) {
      auto* bytes = static_cast<Byte*>(output);
      const std::size_t room = static_cast<std::size_t>(capacity - 1);
      const std::size_t count = std::min(room, sizeof kOutOfMemory - 1);
      std::memcpy(bytes, kOutOfMemory, count);
      bytes[count] = 0;
      return 0;
    }
    result = ConvertWith(converters, scratch, properties, input, static_cast<std::int32_t>(n), from, target, to,
                         capacity);
  }
  if (target != output) {
    std::memcpy(output, target, (static_cast<std::size_t>(result) + 1) * sizeof(char16_t));
  }
  return result;
}

std::int32_t HubConvert(ConverterModule& module, const void* input, Format from, void* output,
                        Format to, std::int32_t capacity) {
  return ConvertCall(module.converters, module.scratch, module.properties, &module.moduleLock, input, from,
                     output, to, capacity);
}

std::int32_t HubCompare(ConverterModule& module, const void* string1, Format format1,
                        const void* string2, Format format2) {
  const std::int64_t n1 = MeasureInput(string1, format1);
  const std::int64_t n2 = MeasureInput(string2, format2);
  const std::int64_t required = RequiredCapacity(std::max(n1, n2));
  if (required > std::numeric_limits<std::int32_t>::max()) return 0;
  const auto compare = [&](const void* first, const void* second) -> std::int32_t {
    std::lock_guard<ModuleLock> lock(module.moduleLock);
    if (!module.scratch.Reserve(required)) return 0;
    return CompareWith(module.converters, module.scratch, first, static_cast<std::int32_t>(n1), format1, second,
                       static_cast<std::int32_t>(n2), format2);
  };
  // Aligned copies where a 16-bit operand is not aligned; the common call
  // builds no strings at all.
  const bool copy1 = IsWide(format1) && !IsAligned(string1);
  const bool copy2 = IsWide(format2) && !IsAligned(string2);
  if (!copy1 && !copy2) return compare(string1, string2);
  std::u16string aligned1, aligned2;
  if (copy1) {
    aligned1.resize(static_cast<std::size_t>(n1));
    std::memcpy(aligned1.data(), string1, static_cast<std::size_t>(n1) * sizeof(char16_t));
  }
  if (copy2) {
    aligned2.resize(static_cast<std::size_t>(n2));
    std::memcpy(aligned2.data(), string2, static_cast<std::size_t>(n2) * sizeof(char16_t));
  }
  return compare(copy1 ? aligned1.c_str() : string1, copy2 ? aligned2.c_str() : string2);
}

}  // namespace tirmok
