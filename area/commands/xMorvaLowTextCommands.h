// The point-based host commands (2 to 91) on an area's text, by family.
// Each runs the command frame of the package: outputs cleared where the
// command says, the area resolved, the work, the code recorded.
#pragma once

#include <cstdint>

class xMorvaMain;

namespace xMorvaLowTextCommands {

// 2, 3, 27, 59, 84: the selection and the position at a point.
void RunSelectionCommand(xMorvaMain& package, int32_t n, void** p, void* result);
// 19 to 21, 40, 88 to 90: text in and out, deletion, soft hyphens.
void RunTextCommand(xMorvaMain& package, int32_t n, void** p, void* result);
// 11 to 16, 61, 63: character and paragraph attributes.
void RunAttributeCommand(xMorvaMain& package, int32_t n, void** p, void* result);
// 17, 18: the tab stops of the selection's paragraph.
void RunTabCommand(xMorvaMain& package, int32_t n, void** p, void* result);
// 22, 24, 60: references to host fields and expressions.
void RunReferenceCommand(xMorvaMain& package, int32_t n, void** p, void* result);
// 68 to 71: pictures in the text.
void RunPictureCommand(xMorvaMain& package, int32_t n, void** p, void* result);
// 72 to 76: style sheets numbered from 1 without the default sheet.
void RunStyleSheetCommand(xMorvaMain& package, int32_t n, void** p, void* result);
// 34, 35: find and replace.
void RunFindCommand(xMorvaMain& package, int32_t n, void** p, void* result);
// 41, 62, 85: counts, the page of a position, date fields.
void RunCountCommand(xMorvaMain& package, int32_t n, void** p, void* result);

}  // namespace xMorvaLowTextCommands
