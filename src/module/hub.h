// The conversion hub: decode any format into the internal code, encode it into any other; compare two strings.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>

#include "collation/compare.h"
#include "core/properties.h"
#include "module/converter_set.h"
#include "module/formats.h"
#include "module/module_lock.h"
#include "module/scratch_buffers.h"

namespace tirmok {

class ConverterModule;

// Length of a caller's string in units of its format (16-bit units for the
// wide formats, bytes otherwise), read without assuming alignment.
std::int64_t MeasureInput(const void* input, Format format);

// What a conversion did. The values are those of TIRMOK_DONE ... in
// tirmok/tirmok_ext.h.
enum class ConvertStatus : std::int32_t {
  kDone = 0,             // the whole input was converted
  kCut = 1,              // the output needs more than the capacity; whole steps were written
  kOutOfMemory = 2,      // a buffer could not be had
  kInvalidArgument = 3,  // a direction the format lacks, or an input beyond the 32-bit sizes
};

// The result of a conversion: its length beside what happened, so that no
// caller has to guess from a zero or a full buffer.
struct ConvertResult {
  std::int32_t length = 0;  // units written, terminator not counted
  ConvertStatus status = ConvertStatus::kDone;
  // Units, terminator included, that hold the whole result; 0 when it was
  // not asked for (or on failure).
  std::int32_t required = 0;
};

// The whole result of a conversion, in scratch buffer B or in `spill`.
struct WholeOutput {
  const void* data = nullptr;  // units of the output format, terminated
  std::int32_t length = 0;
  ConvertStatus status = ConvertStatus::kDone;
};

// Where a result too long for scratch buffer B goes; it belongs to the caller
// (so to one thread or to the holder of the module lock).
struct SpillBuffer {
  std::unique_ptr<char16_t[]> units;
  std::int64_t bytes = 0;
};

// Decodes `input` (`length` units of `from`, terminated, none of them zero)
// into the internal code in scratch buffer A, or into ASCII Braille cells when
// the conversion is from one Braille form to the other (they are carried cell
// for cell). The buffers must already hold RequiredCapacity(length) bytes.
// False for a format that cannot be read.
bool DecodeInput(const ConverterSet& converters, ScratchBuffers& scratch, const PropertyStore& properties,
                 const void* input, std::int32_t length, Format from, Format to);

// Encodes the internal code in scratch buffer A whole, sized by the encoding
// itself: into scratch buffer B when it fits there, otherwise into `spill`,
// grown until it does. Memory follows the result, not the worst case.
WholeOutput EncodeWhole(const ConverterSet& converters, ScratchBuffers& scratch, const PropertyStore& properties,
                        Format from, Format to, SpillBuffer& spill);

// The pipeline itself over given converters, buffers and properties, with no
// lock: decodes `input` (`length` units of `from`, terminated) and encodes
// straight into `output`, which has `capacity` units of `to` (at least 1) and
// is suitably aligned. The buffers must already hold RequiredCapacity(length)
// bytes.
ConvertResult DecodeAndEncode(const ConverterSet& converters, ScratchBuffers& scratch,
                              const PropertyStore& properties, const void* input, std::int32_t length,
                              Format from, void* output, Format to, std::int32_t capacity);

// The setup every entry point (the C functions, the C++ API, the automation
// object) shares: the scratch buffers reserved by the size rule, then the
// operation; under `lock` when one is given (the module's buffers), without
// one for buffers of the calling thread.

// The whole result of converting `input` (`length` units of `from`,
// terminated), sized by the encoding itself: see EncodeWhole. kOutOfMemory
// when the buffers cannot be had.
WholeOutput ConvertWhole(const ConverterSet& converters, ScratchBuffers& scratch, const PropertyStore& properties,
                         const void* input, std::int32_t length, Format from, Format to, SpillBuffer& spill);

// Compares two terminated operands of `length1` and `length2` units into
// `order` (see CompareWith); false when the buffers cannot be had. The
// caller holds any lock the buffers need. (An out-parameter rather than an
// optional result: a comparison takes a few tens of nanoseconds, and the
// optional's two fields written apart and read as one cost a stalled load.)
inline bool CompareReserved(const ConverterSet& converters, ScratchBuffers& scratch, const void* string1,
                            std::int32_t length1, Format format1, const void* string2, std::int32_t length2,
                            Format format2, std::int32_t& order) {
  if (!scratch.ReserveFor(std::max(length1, length2))) return false;
  order = CompareWith(converters, scratch, string1, length1, format1, string2, length2, format2);
  return true;
}

// Converts a terminated date phrase of `length` bytes into `output`
// (`capacity` bytes with the terminator, at least 1; "" first): Telugu
// phrases are normalised in the scratch buffers, which the size rule for the
// phrase makes large enough for any phrase. kOutOfMemory when they cannot be
// had, the output then empty; otherwise kDone with the output's length (a
// word that did not fit is left out: the caller judges by the length).
ConvertResult ConvertDatePhrase(const ConverterSet& converters, ScratchBuffers& scratch, ModuleLock* lock,
                                const char* phrase, std::int64_t length, bool fromEnglish, char* output,
                                std::int32_t capacity);

// Brings an operand of `length` units to its collation string in `target`,
// which must be scratch buffer A or B (viewed as UTF-16); buffer C serves as
// work. Returns false for a format that cannot be compared.
bool CollationString(const ConverterSet& converters, ScratchBuffers& scratch, const void* input,
                     std::int32_t length, Format format, char16_t* target);

// Writes an empty string (one zero unit of the format's width) into `output`.
void WriteEmpty(void* output, Format to);

// How ConvertTerminated answers.
enum class CallKind {
  kDesigned,  // LpxConvert's results: capacity 0 asks for the size rule's value, "Out of memory." in the output
  kMeasured,  // TirmokConvertStatus: `required` is exact, capacity 0 measures the whole result
};

// A whole conversion of a caller's terminated string, as the C functions
// make it: measure, size query, empty output, aligned copies of misaligned
// 16-bit strings, scratch growth and pipeline, under `lock` when one is
// given. `capacity` is at least 0 and the pointers are not null (the output
// may be null when `capacity` is 0). A misaligned 16-bit output is written
// through a buffer no larger than the result.
ConvertResult ConvertTerminated(const ConverterSet& converters, ScratchBuffers& scratch,
                                const PropertyStore& properties, ModuleLock* lock, const void* input,
                                Format from, void* output, Format to, std::int32_t capacity, CallKind kind);

// ConvertTerminated with the module's converters, buffers, properties and lock.
ConvertResult ConvertInModule(ConverterModule& module, const void* input, Format from, void* output, Format to,
                              std::int32_t capacity, CallKind kind = CallKind::kDesigned);
// A comparison of two terminated strings with the module's converters,
// buffers and lock: -1, 0 or 1 (see CompareWith); 0 when an operand is beyond
// the library's sizes or the buffers cannot be had.
std::int32_t CompareInModule(ConverterModule& module, const void* string1, Format format1,
                             const void* string2, Format format2);

}  // namespace tirmok
