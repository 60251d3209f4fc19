#include "platform/gdi/pict/PictInterpreter.h"
HENHMETAFILE PictToEnhMetaFile(const uint8_t*, uint32_t) { return nullptr; }
bool PlayPict(HDC, const uint8_t*, uint32_t, const RECT*) { return false; }
