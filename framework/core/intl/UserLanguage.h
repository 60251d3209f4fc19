// The user's and the system's default language as Windows language
// identifiers, taken from the process locale (LC_ALL, LC_MESSAGES, LANG).
#pragma once

#include <cstdint>

// The language of the process locale; United States English (0x0409) when
// the locale is unset, "C", "POSIX" or not known.
int32_t UserDefaultLanguage();
// The same: the process locale is also the system's.
int32_t SystemDefaultLanguage();
// The language identifier of a locale name such as "fr_CA.UTF-8" or
// "sr_RS@latin"; a known language with an unknown territory gives that
// language's main form; 0 when the language is not known.
int32_t LanguageOfLocaleName(const char* name);
