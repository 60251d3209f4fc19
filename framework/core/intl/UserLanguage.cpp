// The process locale turned into a Windows language identifier, by a table of
// language and territory codes.
#include "framework/core/intl/UserLanguage.h"

#include <cstdlib>
#include <cstring>

namespace {

struct LocaleLanguage {
  const char* language;   // ISO 639 code
  const char* territory;  // ISO 3166 code; the first row of a language is its main form
  uint16_t id;
};

constexpr LocaleLanguage kLocaleLanguages[] = {
    {"af", "ZA", 0x0436}, {"ar", "SA", 0x0401}, {"ar", "IQ", 0x0801}, {"ar", "EG", 0x0C01},
    {"ar", "LY", 0x1001}, {"ar", "DZ", 0x1401}, {"ar", "MA", 0x1801}, {"ar", "TN", 0x1C01},
    {"ar", "OM", 0x2001}, {"ar", "YE", 0x2401}, {"ar", "SY", 0x2801}, {"ar", "JO", 0x2C01},
    {"ar", "LB", 0x3001}, {"ar", "KW", 0x3401}, {"ar", "AE", 0x3801}, {"ar", "BH", 0x3C01},
    {"ar", "QA", 0x4001}, {"be", "BY", 0x0423}, {"bg", "BG", 0x0402}, {"ca", "ES", 0x0403},
    {"cs", "CZ", 0x0405}, {"da", "DK", 0x0406}, {"de", "DE", 0x0407}, {"de", "CH", 0x0807},
    {"de", "AT", 0x0C07}, {"de", "LU", 0x1007}, {"de", "LI", 0x1407}, {"el", "GR", 0x0408},
    {"en", "US", 0x0409}, {"en", "GB", 0x0809}, {"en", "AU", 0x0C09}, {"en", "CA", 0x1009},
    {"en", "NZ", 0x1409}, {"en", "IE", 0x1809}, {"en", "ZA", 0x1C09}, {"en", "JM", 0x2009},
    {"en", "BZ", 0x2809}, {"en", "TT", 0x2C09}, {"es", "ES", 0x0C0A}, {"es", "MX", 0x080A},
    {"es", "GT", 0x100A}, {"es", "CR", 0x140A}, {"es", "PA", 0x180A}, {"es", "DO", 0x1C0A},
    {"es", "VE", 0x200A}, {"es", "CO", 0x240A}, {"es", "PE", 0x280A}, {"es", "AR", 0x2C0A},
    {"es", "EC", 0x300A}, {"es", "CL", 0x340A}, {"es", "UY", 0x380A}, {"es", "PY", 0x3C0A},
    {"es", "BO", 0x400A}, {"es", "SV", 0x440A}, {"es", "HN", 0x480A}, {"es", "NI", 0x4C0A},
    {"es", "PR", 0x500A}, {"et", "EE", 0x0425}, {"eu", "ES", 0x042D}, {"fa", "IR", 0x0429},
    {"fi", "FI", 0x040B}, {"fo", "FO", 0x0438}, {"fr", "FR", 0x040C}, {"fr", "BE", 0x080C},
    {"fr", "CA", 0x0C0C}, {"fr", "CH", 0x100C}, {"fr", "LU", 0x140C}, {"he", "IL", 0x040D},
    {"hr", "HR", 0x041A}, {"hu", "HU", 0x040E}, {"id", "ID", 0x0421}, {"is", "IS", 0x040F},
    {"it", "IT", 0x0410}, {"it", "CH", 0x0810}, {"ja", "JP", 0x0411}, {"ko", "KR", 0x0412},
    {"lt", "LT", 0x0427}, {"lv", "LV", 0x0426}, {"nb", "NO", 0x0414}, {"nl", "NL", 0x0413},
    {"nl", "BE", 0x0813}, {"nn", "NO", 0x0814}, {"no", "NO", 0x0414}, {"pl", "PL", 0x0415},
    {"pt", "BR", 0x0416}, {"pt", "PT", 0x0816}, {"ro", "RO", 0x0418}, {"ru", "RU", 0x0419},
    {"sk", "SK", 0x041B}, {"sl", "SI", 0x0424}, {"sq", "AL", 0x041C}, {"sr", "RS", 0x0C1A},
    {"sv", "SE", 0x041D}, {"sv", "FI", 0x081D}, {"th", "TH", 0x041E}, {"tr", "TR", 0x041F},
    {"uk", "UA", 0x0422}, {"vi", "VN", 0x042A}, {"zh", "TW", 0x0404}, {"zh", "CN", 0x0804},
    {"zh", "HK", 0x0C04}, {"zh", "SG", 0x1004},
};

// Serbian in Latin letters ("sr_RS@latin").
constexpr uint16_t kSerbianLatin = 0x081A;

// Copies the run of letters at `text` (at most `capacity` - 1) into `out`.
const char* TakeLetters(const char* text, char* out, size_t capacity) {
  size_t n = 0;
  while ((*text >= 'a' && *text <= 'z') || (*text >= 'A' && *text <= 'Z')) {
    if (n + 1 < capacity) out[n++] = *text;
    ++text;
  }
  out[n] = 0;
  return text;
}

const char* ProcessLocaleName() {
  static const char* const kVariables[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  for (const char* variable : kVariables) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] != 0) return value;
  }
  return nullptr;
}

}  // namespace

int32_t LanguageOfLocaleName(const char* name) {
  if (name == nullptr) return 0;
  // language[_TERRITORY][.codeset][@modifier]
  char language[4];
  char territory[4] = {0};
  const char* rest = TakeLetters(name, language, sizeof language);
  if (*rest == '_') rest = TakeLetters(rest + 1, territory, sizeof territory);
  const char* modifier = std::strchr(rest, '@');
  if (std::strcmp(language, "sr") == 0 && modifier != nullptr && std::strcmp(modifier, "@latin") == 0) {
    return kSerbianLatin;
  }
  int32_t mainForm = 0;
  for (const LocaleLanguage& entry : kLocaleLanguages) {
    if (std::strcmp(entry.language, language) != 0) continue;
    if (mainForm == 0) mainForm = entry.id;
    if (std::strcmp(entry.territory, territory) == 0) return entry.id;
  }
  return mainForm;
}

int32_t UserDefaultLanguage() {
  int32_t language = LanguageOfLocaleName(ProcessLocaleName());
  return language != 0 ? language : 0x0409;
}

int32_t SystemDefaultLanguage() { return UserDefaultLanguage(); }
