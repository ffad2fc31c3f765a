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

/* What TirmokConvertStatus did. */
#define TIRMOK_DONE 0              /* the whole input was converted */
#define TIRMOK_CUT 1               /* the output needs more than `capacity`; whole steps were written, terminated */
#define TIRMOK_OUT_OF_MEMORY 2
#define TIRMOK_INVALID_ARGUMENT 3  /* unknown format, a direction the format lacks, null pointer, negative capacity, input beyond 32-bit sizes */

/*
 * TirmokConvert that says what happened instead of leaving the caller to
 * guess from a zero or a full buffer. `*status` (when `status` is not null)
 * receives one of the values above. `*required` (when not null) receives the
 * capacity in output units, terminator included, that holds the whole
 * result: exact, also when the output was cut, so that one more call with a
 * buffer of that size converts everything; 0 on errors. With `capacity` 0
 * (the output may then be null) nothing is written, the result is 0 and
 * `*required` is the exact size (status TIRMOK_CUT). Otherwise the output is
 * always terminated and holds whole steps only; on an error it is empty
 * when the pointers allow it. Returns the output's length in units. Prints
 * nothing; calls run in parallel.
 */
TIRMOK_API int32_t TirmokConvertStatus(const void *input, const char *inputFormat, void *output,
                                       const char *outputFormat, int32_t capacity,
                                       const char *const *properties, int32_t *status, int32_t *required);

/*
 * The longest input, in units of its format (terminator not counted), that
 * one conversion, comparison or sort key accepts: the library's buffers are
 * sized from the input's length and must stay within 32-bit sizes. Longer
 * inputs give TIRMOK_INVALID_ARGUMENT (and std::length_error in the C++ API).
 */
TIRMOK_API int32_t TirmokMaxInputUnits(void);

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

/*
 * Converts many strings in one call: `inputs` holds zero-terminated strings
 * of `inputFormat` back to back, `inputUnits` units in all (terminators
 * included; the last unit must be a terminator). Their results are written to
 * `output` back to back, each followed by its terminator, as long as whole
 * results fit into `capacity` units; each is what TirmokConvertStatus gives
 * for that string with `properties`. Returns the number of strings converted;
 * `*consumed` is the number of input units they took, `*written` the output
 * units they fill, and `*status` TIRMOK_DONE when every string was converted,
 * TIRMOK_CUT when the next result does not fit (`*required` is then the
 * capacity it needs; call again from `inputs + *consumed`), or the status that
 * stopped the next string. Calls run in parallel.
 */
TIRMOK_API int32_t TirmokConvertBatch(const void *inputs, int32_t inputUnits, const char *inputFormat, void *output,
                                      const char *outputFormat, int32_t capacity, const char *const *properties,
                                      int32_t *consumed, int32_t *written, int32_t *status, int32_t *required);

/*
 * LpxDateConvert with a status: `*status` receives TIRMOK_DONE,
 * TIRMOK_CUT (the output needs `*required` bytes, terminator included;
 * nothing is written then but an empty string), TIRMOK_OUT_OF_MEMORY or
 * TIRMOK_INVALID_ARGUMENT (null phrase, negative capacity, null output with a
 * capacity, phrase beyond 32-bit sizes). Capacity 0 asks for the size.
 * Returns the output's length. Calls run in parallel.
 */
TIRMOK_API int32_t TirmokDateConvertStatus(const char *phrase, int32_t fromEnglish, char *output, int32_t capacity,
                                           int32_t *status, int32_t *required);

#ifdef __cplusplus
}
#endif

#endif /* TIRMOK_TIRMOK_EXT_H */
