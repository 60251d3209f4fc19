// Script services of the Toolbox emulation: the keyboard script from the
// active keyboard layout, one US keyboard layout table, the double-byte
// byte test and script text conversion through the C library's iconv.
#include "platform/toolbox/TbxScript.h"

#include <iconv.h>

#include <cstring>

#include "platform/win32/WinInput.h"

namespace Tbx {

namespace {

// The layout table: the character of each Macintosh key code, plain and
// with Shift. Keys not listed type nothing.
struct LayoutTable {
  char plain[128];
  char shifted[128];
};

constexpr LayoutTable MakeUsLayout() {
  LayoutTable t{};
  struct Key {
    uint8_t code;
    char plain;
    char shifted;
  };
  constexpr Key keys[] = {
      {0x00, 'a', 'A'}, {0x01, 's', 'S'}, {0x02, 'd', 'D'},  {0x03, 'f', 'F'}, {0x04, 'h', 'H'},
      {0x05, 'g', 'G'}, {0x06, 'z', 'Z'}, {0x07, 'x', 'X'},  {0x08, 'c', 'C'}, {0x09, 'v', 'V'},
      {0x0B, 'b', 'B'}, {0x0C, 'q', 'Q'}, {0x0D, 'w', 'W'},  {0x0E, 'e', 'E'}, {0x0F, 'r', 'R'},
      {0x10, 'y', 'Y'}, {0x11, 't', 'T'}, {0x12, '1', '!'},  {0x13, '2', '@'}, {0x14, '3', '#'},
      {0x15, '4', '$'}, {0x16, '6', '^'}, {0x17, '5', '%'},  {0x18, '=', '+'}, {0x19, '9', '('},
      {0x1A, '7', '&'}, {0x1B, '-', '_'}, {0x1C, '8', '*'},  {0x1D, '0', ')'}, {0x1E, ']', '}'},
      {0x1F, 'o', 'O'}, {0x20, 'u', 'U'}, {0x21, '[', '{'},  {0x22, 'i', 'I'}, {0x23, 'p', 'P'},
      {0x25, 'l', 'L'}, {0x26, 'j', 'J'}, {0x27, '\'', '"'}, {0x28, 'k', 'K'}, {0x29, ';', ':'},
      {0x2A, '\\', '|'}, {0x2B, ',', '<'}, {0x2C, '/', '?'}, {0x2D, 'n', 'N'}, {0x2E, 'm', 'M'},
      {0x2F, '.', '>'}, {0x31, ' ', ' '},  {0x32, '`', '~'},
  };
  for (const Key& k : keys) {
    t.plain[k.code] = k.plain;
    t.shifted[k.code] = k.shifted;
  }
  return t;
}

constexpr LayoutTable kUsLayout = MakeUsLayout();

int16_t ScriptOfLanguage(uint16_t language) {
  switch (language) {
    case 0x0411: return smJapanese;
    case 0x0404:
    case 0x0C04:
    case 0x1404: return smTradChinese;
    case 0x0412: return smKorean;
    case 0x0804:
    case 0x1004: return smSimpChinese;
    default: return smRoman;
  }
}

bool IsLeadByte(uint8_t b, int16_t script) {
  switch (script) {
    case smJapanese: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case smTradChinese:
    case smKorean:
    case smSimpChinese: return b >= 0x81 && b <= 0xFE;
    default: return false;
  }
}

const char* EncodingOfScript(int16_t script) {
  switch (script) {
    case smRoman: return "MACINTOSH";
    case smJapanese: return "CP932";
    case smTradChinese: return "BIG5";
    case smKorean: return "CP949";
    case smSimpChinese: return "GBK";
    default: return nullptr;
  }
}

}  // namespace

intptr_t GetScriptManagerVariable(int16_t selector) {
  switch (selector) {
    case smKeyScript: {
      const auto layout = reinterpret_cast<uintptr_t>(GetKeyboardLayout(0));
      return ScriptOfLanguage(static_cast<uint16_t>(layout & 0xFFFF));
    }
    case smKCHRCache:
      return reinterpret_cast<intptr_t>(&kUsLayout);
    default:
      return 0;
  }
}

uint32_t KeyTranslate(const void* transData, uint16_t keycode, uint32_t* state) {
  if (state != nullptr) *state = 0;
  if (transData != &kUsLayout) return 0;
  const auto* table = static_cast<const LayoutTable*>(transData);
  const uint8_t key = keycode & 0x7F;
  char c = (keycode & kTranslateShift) ? table->shifted[key] : table->plain[key];
  if ((keycode & kTranslateCapsLock) && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return static_cast<uint8_t>(c);
}

int16_t CharacterByteType(const uint8_t* text, int16_t offset, int16_t script) {
  if (text == nullptr || offset < 0) return smSingleByte;
  int32_t i = 0;
  while (i < offset) i += IsLeadByte(text[i], script) ? 2 : 1;
  if (i > offset) return smLastByte;
  return IsLeadByte(text[offset], script) ? smFirstByte : smSingleByte;
}

int32_t ScriptTextToUnicode(const uint8_t* text, int32_t length, int16_t script, char16_t* out,
                            int32_t capacity) {
  const char* encoding = EncodingOfScript(script);
  if (encoding == nullptr || text == nullptr || out == nullptr || length <= 0 || capacity <= 0)
    return 0;
  iconv_t cd = iconv_open("UTF-16LE", encoding);
  if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
  char source[16];
  const size_t n = length < static_cast<int32_t>(sizeof source) ? static_cast<size_t>(length) : sizeof source;
  std::memcpy(source, text, n);
  char target[64];
  char* in = source;
  char* to = target;
  size_t inLeft = n;
  size_t outLeft = sizeof target;
  const size_t result = iconv(cd, &in, &inLeft, &to, &outLeft);
  iconv_close(cd);
  if (result == static_cast<size_t>(-1) && to == target) return 0;
  int32_t units = static_cast<int32_t>((sizeof target - outLeft) / 2);
  if (units > capacity) units = capacity;
  for (int32_t u = 0; u < units; ++u) {
    out[u] = static_cast<char16_t>(static_cast<uint8_t>(target[2 * u]) |
                                   (static_cast<uint8_t>(target[2 * u + 1]) << 8));
  }
  return units;
}

}  // namespace Tbx
