// The conversion hub: decode any format into the internal code, encode it into any other; compare two strings.
#include "module/hub.h"

#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <string>

#include "core/run_loop.h"
#include "core/text.h"
#include "core/utf.h"
#include "module/converter_module.h"

namespace tirmok {
namespace {

constexpr char kOutOfMemory[] = "Out of memory.";

bool IsAligned(const void* p) { return reinterpret_cast<std::uintptr_t>(p) % alignof(char16_t) == 0; }

// Decodes `input` into the internal code in `target`. The buffer roles follow
// the pipeline's design: decoders that need the normaliser afterwards write an
// intermediate buffer first. Returns false for a format without a decoder.
// `n` is the input's measured length: every caller cuts the text at its first
// zero and terminates it there, so the 16-bit decoders take it as measured.
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
      c.unicode.Decode(wide, MeasuredLength{n}, target, cap);
      return true;
    case Format::kCollcode:
      c.collation.Decode(wide, MeasuredLength{n}, target, cap);
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
    case Format::kUtf8:
      if (UnicodeConverter::DecodesUtf8Fast()) {
        c.unicode.DecodeUtf8(bytes, n, target, cap);
      } else {
        const std::int32_t units = Utf8ToUtf16(bytes, n, wideWork, wideCap);
        c.unicode.Decode(wideWork, units, target, cap);
      }
      return true;
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

// The two Braille forms hold the same cells: between them the text is carried
// cell for cell and never read, so each converts into the other exactly. The
// stage between decoding and encoding then holds ASCII Braille cells instead
// of internal code.
bool CarriesCells(Format from, Format to) {
  return (from == Format::kBraille && to == Format::kBrailleUnicode) ||
         (from == Format::kBrailleUnicode && to == Format::kBraille);
}

// Copies what fits of a stage of `length` bytes, whole bytes only; returns the
// bytes copied.
std::int32_t CopyStage(const Byte* stage, std::int32_t length, Byte* output, std::int32_t capacity) {
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(length), static_cast<std::size_t>(capacity - 1));
  std::memcpy(output, stage, n);
  output[n] = 0;
  return static_cast<std::int32_t>(n);
}

// Encodes the internal code (`internalLength` bytes, terminated; the cells
// when the pair carries cells) into the output with the caller's capacity.
// Encoders stop before the first step that does not fit, so the output is
// whole exactly when the encoder consumed all of the internal code. False for
// a format that cannot be written.
bool EncodeFromInternal(const ConverterSet& c, const PropertyStore& properties, const Byte* internal,
                        std::int32_t internalLength, Format from, void* output, Format to,
                        std::int32_t capacity, bool& whole) {
  auto* bytes = static_cast<Byte*>(output);
  auto* wide = static_cast<char16_t*>(output);
  std::int32_t consumed = 0;
  if (CarriesCells(from, to)) {
    consumed = to == Format::kBrailleUnicode ? c.braille.CellsToPatterns(internal, internalLength, wide, capacity)
                                             : CopyStage(internal, internalLength, bytes, capacity);
    whole = consumed == internalLength;
    return true;
  }
  switch (to) {
    case Format::kTeltrans:
      consumed = c.transliteration.Encode(internal, -1, bytes, capacity);
      break;
    case Format::kAnsi:
      consumed = c.fontEncoding.Encode(internal, -1, bytes, capacity);
      break;
    case Format::kIso15919Ansi:
      consumed = c.iso15919Ansi.Encode(internal, -1, bytes, capacity);
      break;
    case Format::kUnicode:
      consumed = c.unicode.Encode(internal, -1, wide, capacity);
      break;
    case Format::kCollcode:
      consumed = c.collation.Encode(internal, -1, wide, capacity);
      break;
    case Format::kIso15919:
      consumed = c.iso15919.Encode(internal, -1, wide, capacity);
      break;
    case Format::kLpxcode:
      consumed = CopyStage(internal, internalLength, bytes, capacity);
      break;
    case Format::kUtf8:
      consumed = c.unicode.EncodeUtf8(internal, bytes, capacity);
      break;
    case Format::kIso15919Utf8:
      consumed = c.iso15919.EncodeUtf8(internal, bytes, capacity);
      break;
    case Format::kBraille:
      c.braille.Encode(properties, internal, bytes, capacity, &whole);
      return true;
    case Format::kBrailleUnicode:
      c.braille.EncodeUnicode(properties, internal, wide, capacity, &whole);
      return true;
    case Format::kLpxkbd:
    case Format::kInscript:
      return false;  // input-only formats: the output stays empty
  }
  whole = consumed == internalLength;
  return true;
}

std::int32_t OutputLength(const void* output, Format to) {
  if (IsWide(to)) return UnitLength(static_cast<const char16_t*>(output));
  return static_cast<std::int32_t>(std::strlen(static_cast<const char*>(output)));
}

}  // namespace

void WriteEmpty(void* output, Format to) {
  if (IsWide(to)) {
    const char16_t zero = 0;
    std::memcpy(output, &zero, sizeof zero);
  } else {
    static_cast<Byte*>(output)[0] = 0;
  }
}

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

bool DecodeInput(const ConverterSet& converters, ScratchBuffers& scratch, const PropertyStore& properties,
                 const void* input, std::int32_t length, Format from, Format to) {
  if (CarriesCells(from, to)) {
    if (from == Format::kBraille) {
      CopyStage(static_cast<const Byte*>(input), length, scratch.A(), scratch.Capacity());
    } else {
      converters.braille.PatternsToCells(static_cast<const char16_t*>(input), length, scratch.A(),
                                         scratch.Capacity());
    }
    return true;
  }
  return DecodeToInternal(converters, scratch, properties, input, length, from, scratch.A(), scratch.B(),
                          scratch.WideB(), true);
}

WholeOutput EncodeWhole(const ConverterSet& converters, ScratchBuffers& scratch, const PropertyStore& properties,
                        Format from, Format to, SpillBuffer& spill) {
  const Byte* internal = scratch.A();
  const auto internalLength = static_cast<std::int32_t>(std::strlen(reinterpret_cast<const char*>(internal)));
  const std::int64_t unitBytes = Info(to).unitBytes;
  constexpr std::int64_t kMaxBytes = std::int64_t{std::numeric_limits<std::int32_t>::max()} * 2;
  // Scratch buffer B is free once the input is decoded, and most results fit
  // there; only pages the result touches take memory.
  void* target = scratch.B();
  std::int64_t bytes = scratch.Capacity();
  for (;;) {
    const auto capacity =
        static_cast<std::int32_t>(std::min<std::int64_t>(bytes / unitBytes, std::numeric_limits<std::int32_t>::max()));
    bool whole = false;
    if (!EncodeFromInternal(converters, properties, internal, internalLength, from, target, to, capacity, whole)) {
      return {nullptr, 0, ConvertStatus::kInvalidArgument};
    }
    if (whole) return {target, OutputLength(target, to), ConvertStatus::kDone};
    // A result of 2^31 units or more does not fit the library's sizes.
    if (capacity == std::numeric_limits<std::int32_t>::max()) return {nullptr, 0, ConvertStatus::kInvalidArgument};
    bytes = std::min(2 * bytes, kMaxBytes);
    if (spill.bytes < bytes) {
      // Left uninitialised: the encoder writes what it uses.
      spill.units.reset();
      spill.units.reset(new (std::nothrow) char16_t[static_cast<std::size_t>(bytes / 2)]);
      spill.bytes = spill.units ? bytes : 0;
      if (!spill.units) return {nullptr, 0, ConvertStatus::kOutOfMemory};
    }
    target = spill.units.get();
  }
}

ConvertResult DecodeAndEncode(const ConverterSet& converters, ScratchBuffers& scratch,
                              const PropertyStore& properties, const void* input, std::int32_t length,
                              Format from, void* output, Format to, std::int32_t capacity) {
  WriteEmpty(output, to);
  if (!DecodeInput(converters, scratch, properties, input, length, from, to)) {
    return {0, ConvertStatus::kInvalidArgument, 0};
  }
  const auto internalLength = static_cast<std::int32_t>(std::strlen(reinterpret_cast<const char*>(scratch.A())));
  bool whole = false;
  if (!EncodeFromInternal(converters, properties, scratch.A(), internalLength, from, output, to, capacity, whole)) {
    return {0, ConvertStatus::kInvalidArgument, 0};
  }
  const std::int32_t written = OutputLength(output, to);
  if (whole) return {written, ConvertStatus::kDone, written + 1};
  return {written, ConvertStatus::kCut, 0};
}

ConvertResult ConvertTerminated(const ConverterSet& converters, ScratchBuffers& scratch,
                                const PropertyStore& properties, ModuleLock* lock, const void* input,
                                Format from, void* output, Format to, std::int32_t capacity, CallKind kind) {
  const std::int64_t n = MeasureInput(input, from);
  const std::int64_t required = RequiredCapacity(n);
  if (capacity > 0) WriteEmpty(output, to);
  // An input whose size does not fit the library's 32-bit sizes converts to nothing.
  if (required > std::numeric_limits<std::int32_t>::max()) return {0, ConvertStatus::kInvalidArgument, 0};
  if (capacity == 0 && kind == CallKind::kDesigned) {
    return {static_cast<std::int32_t>(required), ConvertStatus::kCut, 0};
  }
  if (!Info(from).input || !Info(to).output) return {0, ConvertStatus::kInvalidArgument, 0};

  // Strings of the 16-bit formats are read through an aligned copy when the
  // caller's pointer is not aligned for char16_t. A misaligned output is
  // written from the whole result (or from what of it fits), never from a
  // buffer of the caller's capacity, which may be far larger.
  std::u16string alignedInput;
  if (IsWide(from) && !IsAligned(input)) {
    alignedInput = AlignedCopy(input, static_cast<std::size_t>(n));
    input = alignedInput.c_str();
  }
  const bool direct = capacity > 0 && (!IsWide(to) || IsAligned(output));
  const auto unitBytes = static_cast<std::size_t>(Info(to).unitBytes);

  std::unique_lock<ModuleLock> guard;
  if (lock != nullptr) guard = std::unique_lock<ModuleLock>(*lock);
  if (!scratch.ReserveFor(n)) {
    if (kind == CallKind::kDesigned) {
      auto* bytes = static_cast<Byte*>(output);
      const std::size_t room = static_cast<std::size_t>(capacity - 1);
      const std::size_t count = std::min(room, sizeof kOutOfMemory - 1);
      std::memcpy(bytes, kOutOfMemory, count);
      bytes[count] = 0;
    }
    return {0, ConvertStatus::kOutOfMemory, 0};
  }
  SpillBuffer spill;
  if (direct) {
    ConvertResult result = DecodeAndEncode(converters, scratch, properties, input, static_cast<std::int32_t>(n), from,
                                           output, to, capacity);
    if (result.status != ConvertStatus::kCut || kind == CallKind::kDesigned) return result;
    const WholeOutput whole = EncodeWhole(converters, scratch, properties, from, to, spill);
    if (whole.status != ConvertStatus::kDone) {
      WriteEmpty(output, to);
      return {0, whole.status, 0};
    }
    result.required = whole.length + 1;
    return result;
  }

  const WholeOutput whole =
      ConvertWhole(converters, scratch, properties, input, static_cast<std::int32_t>(n), from, to, spill);
  if (whole.status != ConvertStatus::kDone) return {0, whole.status, 0};
  if (capacity == 0) return {0, ConvertStatus::kCut, whole.length + 1};
  if (whole.length < capacity) {
    std::memcpy(output, whole.data, (static_cast<std::size_t>(whole.length) + 1) * unitBytes);
    return {whole.length, ConvertStatus::kDone, whole.length + 1};
  }
  // What fits of the result is encoded again into a buffer the size of the
  // caller's capacity, which is smaller than the result: scratch buffer C
  // when it is large enough.
  std::unique_ptr<char16_t[]> allocated;
  char16_t* part = scratch.WideC();
  if (static_cast<std::int64_t>(capacity) * 2 > scratch.Capacity()) {
    allocated.reset(new (std::nothrow) char16_t[static_cast<std::size_t>(capacity)]);
    if (!allocated) return {0, ConvertStatus::kOutOfMemory, 0};
    part = allocated.get();
  }
  bool ignored = false;
  const auto internalLength = static_cast<std::int32_t>(std::strlen(reinterpret_cast<const char*>(scratch.A())));
  EncodeFromInternal(converters, properties, scratch.A(), internalLength, from, part, to, capacity, ignored);
  const std::int32_t written = OutputLength(part, to);
  std::memcpy(output, part, (static_cast<std::size_t>(written) + 1) * unitBytes);
  return {written, ConvertStatus::kCut, kind == CallKind::kMeasured ? whole.length + 1 : 0};
}

ConvertResult ConvertInModule(ConverterModule& module, const void* input, Format from, void* output, Format to,
                              std::int32_t capacity, CallKind kind) {
  return ConvertTerminated(module.converters, module.scratch, module.properties, &module.moduleLock, input, from,
                           output, to, capacity, kind);
}

WholeOutput ConvertWhole(const ConverterSet& converters, ScratchBuffers& scratch, const PropertyStore& properties,
                         const void* input, std::int32_t length, Format from, Format to, SpillBuffer& spill) {
  if (!scratch.ReserveFor(length)) return {nullptr, 0, ConvertStatus::kOutOfMemory};
  if (!DecodeInput(converters, scratch, properties, input, length, from, to)) {
    return {nullptr, 0, ConvertStatus::kInvalidArgument};
  }
  return EncodeWhole(converters, scratch, properties, from, to, spill);
}

ConvertResult ConvertDatePhrase(const ConverterSet& converters, ScratchBuffers& scratch, ModuleLock* lock,
                                const char* phrase, std::int64_t length, bool fromEnglish, char* output,
                                std::int32_t capacity) {
  auto* out = reinterpret_cast<Byte*>(output);
  out[0] = 0;
  std::unique_lock<ModuleLock> guard;
  if (lock != nullptr) guard = std::unique_lock<ModuleLock>(*lock);
  if (!scratch.ReserveFor(length)) return {0, ConvertStatus::kOutOfMemory, 0};
  const std::int32_t written =
      converters.date.Convert(reinterpret_cast<const Byte*>(phrase), fromEnglish, out, capacity,
                              converters.transliteration, scratch.A(), scratch.B(), scratch.Capacity());
  return {written, ConvertStatus::kDone, 0};
}

std::int32_t CompareInModule(ConverterModule& module, const void* string1, Format format1,
                             const void* string2, Format format2) {
  const std::int64_t n1 = MeasureInput(string1, format1);
  const std::int64_t n2 = MeasureInput(string2, format2);
  if (RequiredCapacity(std::max(n1, n2)) > std::numeric_limits<std::int32_t>::max()) return 0;
  // The lengths are taken by value: taken by reference, the measuring loop
  // above kept its count in memory, a store and a reload for every unit of a
  // 16-bit operand.
  const auto length1 = static_cast<std::int32_t>(n1);
  const auto length2 = static_cast<std::int32_t>(n2);
  const auto compare = [&module, length1, length2, format1, format2](const void* first,
                                                                     const void* second) -> std::int32_t {
    std::lock_guard<ModuleLock> lock(module.moduleLock);
    std::int32_t order = 0;  // when the buffers cannot be had
    CompareReserved(module.converters, module.scratch, first, length1, format1, second, length2, format2, order);
    return order;
  };
  // Aligned copies where a 16-bit operand is not aligned; the common call
  // builds no strings at all.
  const bool copy1 = IsWide(format1) && !IsAligned(string1);
  const bool copy2 = IsWide(format2) && !IsAligned(string2);
  if (!copy1 && !copy2) return compare(string1, string2);
  const std::u16string aligned1 = copy1 ? AlignedCopy(string1, static_cast<std::size_t>(n1)) : std::u16string();
  const std::u16string aligned2 = copy2 ? AlignedCopy(string2, static_cast<std::size_t>(n2)) : std::u16string();
  return compare(copy1 ? aligned1.c_str() : string1, copy2 ? aligned2.c_str() : string2);
}

}  // namespace tirmok
