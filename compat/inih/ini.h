// The part of inih's interface the updater uses, for targets Debian ships no inih for (the
// Windows cross build): the same names, limits and defaults as Debian's libinih-dev, so that
// app/private_profile.cpp builds unchanged. ini_parse_string.cpp implements it.
#pragma once

#define INI_MAX_LINE 200

#ifdef __cplusplus
extern "C" {
#endif

typedef int (*ini_handler)(void* user, const char* section, const char* name, const char* value);

// Parses the text line by line and calls the handler for each name=value (or name: value)
// line; returns 0, or the number of the first line that could not be parsed.
int ini_parse_string(const char* string, ini_handler handler, void* user);

#ifdef __cplusplus
}
#endif
