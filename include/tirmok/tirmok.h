/* tirmok: Telugu text conversion. The four C exports of the library. */
#ifndef TIRMOK_TIRMOK_H
#define TIRMOK_TIRMOK_H

#include <stdint.h>

#if defined(TIRMOK_BUILDING)
#define TIRMOK_API __attribute__((visibility("default")))
#else
#define TIRMOK_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Property keys read by the converters (set with LpxSetProperty). */
#define LPX_KEY_LANGUAGE "LPX_KEY_LANGUAGE"
#define LPX_KEY_NEMETH "LPX_KEY_NEMETH"
#define LPX_KEY_SUBSCRIPT "LPX_KEY_SUBSCRIPT"
#define LPX_KEY_SUPERSCRIPT "LPX_KEY_SUPERSCRIPT"

/*
 * Converts `input` from `inputFormat` to `outputFormat`. Strings of the 16-bit
 * formats ("UNICODE", "COLLCODE", "ISO15919") are char16_t arrays in native
 * byte order; all others are bytes. `capacity` counts units of the output
 * format, terminator included. Returns the output's length in units, the
 * size to allocate when `capacity` is 0, or 0 on failure.
 */
TIRMOK_API int32_t LpxConvert(const void *input, const char *inputFormat, void *output,
                              const char *outputFormat, int32_t capacity);

/* Compares two strings in Telugu dictionary order: -1, 0 or 1; -1 also when a
 * format cannot be compared. */
TIRMOK_API int32_t LpxCompare(const void *string1, const char *format1, const void *string2,
                              const char *format2);

/* Replaces English date words by Telugu words (fromEnglish != 0) or back.
 * Returns the output's length in bytes. */
TIRMOK_API int32_t LpxDateConvert(const char *input, int32_t fromEnglish, char *output,
                                  int32_t capacity);

/* Stores a property (keys are case-sensitive). Returns 1. */
TIRMOK_API int32_t LpxSetProperty(const char *key, const char *value);

#ifdef __cplusplus
}
#endif

#endif /* TIRMOK_TIRMOK_H */
