// The conversion hub: decode any format into the internal code, encode it into any other; compare two strings.
#pragma once

#include <cstdint>

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

// The pipeline itself over given converters, buffers and properties, with no
// lock: `input` holds `length` units of `from` and is terminated; `output`
// has `capacity` units of `to` (at least 1) and is suitably aligned. The
// buffers must already hold RequiredCapacity(length) bytes. Returns the
// output's length in units.
std::int32_t ConvertWith(const ConverterSet& converters, ScratchBuffers& scratch,
                         const PropertyStore& properties, const void* input, std::int32_t length,
                         Format from, void* output, Format to, std::int32_t capacity);

// Compares two terminated strings in Telugu dictionary order: -1, 0 or 1, and
// -1 when a format cannot be compared. The buffers must hold the required
// capacity for the longer string.
std::int32_t CompareWith(const ConverterSet& converters, ScratchBuffers& scratch, const void* string1,
                         std::int32_t length1, Format format1, const void* string2,
                         std::int32_t length2, Format format2);

// Brings an operand of `length` units to its collation string in `target`,
// which must be scratch buffer A or B (viewed as UTF-16); buffer C serves as
// work. Returns false for a format that cannot be compared.
bool CollationString(const ConverterSet& converters, ScratchBuffers& scratch, const void* input,
                     std::int32_t length, Format format, char16_t* target);

// A whole conversion as the C functions make it: size query, empty output,
// aligned copies of misaligned 16-bit strings, scratch growth and pipeline,
// under `lock` when one is given. `capacity` is at least 0 and the pointers
// are not null (the output may be null for a size query).
std::int32_t ConvertCall(const ConverterSet& converters, ScratchBuffers& scratch,
                         const PropertyStore& properties, ModuleLock* lock, const void* input,
                         Format from, void* output, Format to, std::int32_t capacity);

// The module's conversion: size query, lock, scratch growth, pipeline.
std::int32_t HubConvert(ConverterModule& module, const void* input, Format from, void* output,
                        Format to, std::int32_t capacity);
std::int32_t HubCompare(ConverterModule& module, const void* string1, Format format1,
                        const void* string2, Format format2);

}  // namespace tirmok
