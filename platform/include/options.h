// Command-line option scanner: every option a separate argument of a dash and
// one letter, its value always the next argument; arguments without a dash
// are skipped; an argument beginning with two dashes ends the scan. Every
// error is fatal (0x40 bad format, 0x41 missing value, 0x42 unknown option).
#ifndef ZORV_OPTIONS_H
#define ZORV_OPTIONS_H

#include "zorv_types.h"

// After a call: the option's value, or the option argument itself when the
// option takes none.
extern char* option_argument;

// The next option letter; '?' when argv or options is null; -1 when no
// option is left. In `options` a letter followed by ':' takes a value.
INT_S32 get_next_option(INT_S16 argc, char** argv, const char* options);
// Starts the scan again at the first argument.
void reset_option_scanner();

#endif
