/* tirmok: additions to the C interface that need no lock and keep no global state. */
#ifndef TIRMOK_TIRMOK_EXT_H
#define TIRMOK_TIRMOK_EXT_H

#include "tirmok/tirmok.h"

#ifdef __cplusplus
extern "C" {
#endif

/*
 * LpxConvert with properties given for this call only, instead of those of
 * LpxSetProperty: `properties` is null or a list of key and value strings
 * ending with a null key ({"LPX_KEY_NEMETH", "TRUE", NULL}). Arguments,
 * capacity rule and result are those of LpxConvert, except that invalid format
 * names print nothing (the result is 0). Calls run in parallel.
 */
TIRMOK_API int32_t TirmokConvert(const void *input, const char *inputFormat, void *output,
                                 const char *outputFormat, int32_t capacity, const char *const *properties);

/*
 * Writes the sort key of `text` (a zero-terminated string of `format`, as for
 * LpxCompare) into `key`. Keys compare as byte strings (memcmp over the shorter
 * length, then the shorter key first) exactly as LpxCompare compares the
 * strings. Returns the key's length; when `capacity` is smaller than that,
 * nothing is written and the length is still returned, so a call with
 * capacity 0 asks for the size. Returns -1 for a format that cannot be
 * compared or a null pointer. Calls run in parallel.
 */
TIRMOK_API int32_t TirmokSortKey(const void *text, const char *format, unsigned char *key, int32_t capacity);

#ifdef __cplusplus
}
#endif

#endif /* TIRMOK_TIRMOK_EXT_H */
