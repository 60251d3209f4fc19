// The Toolbox emulation library's script services that keyboard handling
// makes: the Script Manager's variables for the keyboard script and the
// keyboard layout, the translation of a key through that layout, the test
// of where a byte stands in double-byte text, and the conversion of script
// text to UTF-16.
#pragma once

#include <cstdint>

#include "platform/Export.h"

namespace Tbx {

// Script codes. The keyboard script follows the active keyboard layout's
// language: Japanese, Chinese (traditional, simplified) and Korean layouts
// type double-byte text, every other one Roman.
constexpr int16_t smRoman = 0;
constexpr int16_t smJapanese = 1;
constexpr int16_t smTradChinese = 2;
constexpr int16_t smKorean = 3;
constexpr int16_t smSimpChinese = 25;

// Script Manager variables.
constexpr int16_t smKeyScript = 22;  // the keyboard's script code
constexpr int16_t smKCHRCache = 38;  // the current keyboard layout's table

// The variable's value; 0 for a selector the emulation does not keep.
// smKCHRCache answers the address of the layout table that KeyTranslate
// takes (one US layout serves every keyboard).
QV_PLATFORM_API intptr_t GetScriptManagerVariable(int16_t selector);

// Modifier bits in the high byte of KeyTranslate's key code.
constexpr uint16_t kTranslateShift = 0x0200;
constexpr uint16_t kTranslateCapsLock = 0x0400;

// Translates a key through a layout table: `keycode` holds the Macintosh
// key code in bits 0 to 6, the key-up flag in bit 7 and the modifiers in
// bits 8 to 15. Answers the character in the low byte (0 for a key that
// types none, or a table that is no layout's); *state is set to 0, the
// layout having no dead keys.
QV_PLATFORM_API uint32_t KeyTranslate(const void* transData, uint16_t keycode, uint32_t* state);

// Where byte `offset` of the text stands, walking from its start: a byte
// of a one-byte character, the first byte or the last byte of a two-byte
// character. Roman text has one-byte characters only.
constexpr int16_t smSingleByte = 0;
constexpr int16_t smFirstByte = -1;
constexpr int16_t smLastByte = 1;
QV_PLATFORM_API int16_t CharacterByteType(const uint8_t* text, int16_t offset, int16_t script);

// Converts `length` bytes of text of the script (Roman text is Macintosh
// Roman) into at most `capacity` UTF-16 units; answers the number of units
// written, 0 when the bytes are no text of the script.
QV_PLATFORM_API int32_t ScriptTextToUnicode(const uint8_t* text, int32_t length, int16_t script,
                                            char16_t* out, int32_t capacity);

}  // namespace Tbx
