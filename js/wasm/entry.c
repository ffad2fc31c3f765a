/* The module has no main: JavaScript calls the library's C interface directly. */
#include "tirmok/tirmok.h"
#include "tirmok/tirmok_ext.h"
