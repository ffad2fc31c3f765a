// The conversion hub: decode any format into the internal code, encode it into any other; compare two strings.
#pragma once

#include <cstdint>
#include <memory>

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

// Decodes `input` (`length` units of `from`, terminated) into the internal
// code in scratch buffer A, or into ASCII Braille cells when the conversion
// is from one Braille form to the other (they are carried cell for cell). The
// buffers must already hold RequiredCapacity(length) bytes. False for a
// format that cannot be read.
bool DecodeInput(const ConverterSet& converters, ScratchBuffers& scratch, const PropertyStore& properties,
                 const void* input, std::int32_t length, Format from, Format to);

// Encodes the internal code in scratch buffer A whole, sized by the encoding
// itself: into scratch buffer B when it fits there, otherwise into `spill`,
// grown until it does. Memory follows the result, not the worst case.
WholeOutput EncodeWhole(const ConverterSet& converters, ScratchBuffers& scratch, const PropertyStore& properties,
                        Format from, Format to, SpillBuffer& spill);

// The pipeline itself over given converters, buffers and properties, with no
// lock: `input` holds `length` units of `from` and is terminated; `output`
// has `capacity` units of `to` (at least 1) and is suitably aligned. The
// buffers must already hold RequiredCapacity(length) bytes.
ConvertResult ConvertWith(const ConverterSet& converters, ScratchBuffers& scratch,
                          const PropertyStore& properties, const void* input, std::int32_t length,
                          Format from, void* output, Format to, std::int32_t capacity);

// Brings an operand of `length` units to its collation string in `target`,
// which must be scratch buffer A or B (viewed as UTF-16); buffer C serves as
// work. Returns false for a format that cannot be compared.
bool CollationString(const ConverterSet& converters, ScratchBuffers& scratch, const void* input,
                     std::int32_t length, Format format, char16_t* target);

// Writes an empty string (one zero unit of the format's width) into `output`.
void WriteEmpty(void* output, Format to);

// How ConvertCall answers.
enum class CallKind {
  kDesigned,  // LpxConvert's results: capacity 0 asks for the size rule's value, "Out of memory." in the output
  kMeasured,  // TirmokConvertStatus: `required` is exact, capacity 0 measures the whole result
};

// A whole conversion as the C functions make it: size query, empty output,
// aligned copies of misaligned 16-bit strings, scratch growth and pipeline,
// under `lock` when one is given. `capacity` is at least 0 and the pointers
// are not null (the output may be null when `capacity` is 0). A misaligned
// 16-bit output is written through a buffer no larger than the result.
ConvertResult ConvertCall(const ConverterSet& converters, ScratchBuffers& scratch,
                          const PropertyStore& properties, ModuleLock* lock, const void* input,
                          Format from, void* output, Format to, std::int32_t capacity, CallKind kind);

// The module's conversion: size query, lock, scratch growth, pipeline.
ConvertResult HubConvert(ConverterModule& module, const void* input, Format from, void* output, Format to,
                         std::int32_t capacity, CallKind kind = CallKind::kDesigned);
std::int32_t HubCompare(ConverterModule& module, const void* string1, Format format1,
                        const void* string2, Format format2);

}  // namespace tirmok
