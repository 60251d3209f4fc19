// The host commands below 95 that work on whole areas and documents rather
// than on their text: the view and its bars, the document's options, BLOB
// insertion, saving back to the host, the printed page, the menu commands
// that the user names by code, and the font and colour conversions that
// need no area. Each runs one command's frame on the package.
#pragma once

#include <cstdint>

class xMorvaMain;

namespace xMorvaAreaCommands {

// Redraw, view and bars: 9, 10, 29, 43, 46, 77, 78, 86, 87; options: 30.
void RunViewCommand(xMorvaMain& package, int32_t n, void** p, void* result);
// Menu commands by the user's code: 25 runs, 44 reads, 53 switches.
void RunMenuCommand(xMorvaMain& package, int32_t n, void** p);
// 54: a document carried in a BLOB inserted into the current part.
void InsertBlob(xMorvaMain& package, void** p, void* result);
// 45: the document stored back into its host field.
void SaveToHost(xMorvaMain& package, void** p);
// Fonts and colours without an area: 31, 32, 65, 79, 80, 91.
void RunFontCommand(int32_t n, void** p, void* result);

// 79's colour 0xRRGGBB from three 16-bit components: the high byte of each
// shifted into its field, arithmetic shifts and no masking, so that a
// component beyond 0..65535 spills into the next field as hosts of the
// command have always seen it.
int32_t ColourFromComponents(int32_t red, int32_t green, int32_t blue);

}  // namespace xMorvaAreaCommands
