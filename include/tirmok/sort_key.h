/* tirmok: sort keys for callers that sort many strings (C linkage). */
#ifndef TIRMOK_SORT_KEY_H
#define TIRMOK_SORT_KEY_H

#include "tirmok/tirmok.h"

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Writes the sort key of `text` (a zero-terminated string of `format`, as for
 * LpxCompare) into `key`. Keys compare as byte strings (memcmp over the shorter
 * length, then the shorter key first) exactly as LpxCompare compares the
 * strings. Returns the key's length; when `capacity` is smaller than that,
 * nothing is written and the length is still returned, so a call with
 * capacity 0 asks for the size. Returns -1 for a format that cannot be
 * compared or a null pointer. Needs no lock: calls run in parallel.
 */
TIRMOK_API int32_t TirmokSortKey(const void *text, const char *format, unsigned char *key, int32_t capacity);

#ifdef __cplusplus
}
#endif

#endif /* TIRMOK_SORT_KEY_H */
