/* A C program of a library user: LpxConvert and TirmokConvertStatus through the installed shared library. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <tirmok/tirmok_ext.h>

int main(void) {
  const char *input = "telugu";
  char out[64];
  int32_t status = -1, required = -1;
  if (LpxConvert(input, "TELTRANS", out, "UTF-8", sizeof out) != 18 || strcmp(out, "\xE0\xB0\xA4\xE0\xB1\x86\xE0\xB0\xB2\xE0\xB1\x81\xE0\xB0\x97\xE0\xB1\x81") != 0) {
    fprintf(stderr, "LpxConvert gave \"%s\"\n", out);
    return 1;
  }
  if (TirmokConvertStatus(input, "TELTRANS", NULL, "UTF-8", 0, NULL, &status, &required) != 0 ||
      status != TIRMOK_CUT || required != 19) {
    fprintf(stderr, "TirmokConvertStatus measured %d (status %d)\n", (int)required, (int)status);
    return 1;
  }
  printf("c consumer: %s\n", out);
  return 0;
}
