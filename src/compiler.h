#pragma once

// What the program asks of every compiler it is built with (GCC, clang,
// MSVC), spelled so that each of them accepts it.

// printf-style checking of a function's format string against its
// arguments, where the compiler offers it for functions of our own.
#if defined(__GNUC__)
#define FIRE_PRINTF_FORMAT(format_index, first_argument) \
  [[gnu::format(printf, format_index, first_argument)]]
#else
#define FIRE_PRINTF_FORMAT(format_index, first_argument)
#endif

// The texts must leave the program as the UTF-8 bytes written in the
// sources. A compiler that reads the sources in another code page, or that
// stores narrow literals in one (MSVC without /utf-8 on a Greek Windows,
// GCC with -fexec-charset), would change them without a word, so such a
// build stops here. "ρ" is CF 81 in UTF-8, and 0x81 is no character of code
// page 1253, so no round trip through it can keep these bytes.
static_assert(sizeof("ρ") == 3 && "ρ"[0] == '\xCF' && "ρ"[1] == '\x81',
              "the sources must be compiled as UTF-8, with UTF-8 narrow literals (MSVC: /utf-8)");
