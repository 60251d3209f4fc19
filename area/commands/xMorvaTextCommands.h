// The host-language commands on an area's text, by family: selection and
// position, properties and fonts, find and replace, document command ids,
// tab stops and style sheets. Each runs the command frame of the package:
// its outputs cleared where the command says, the area resolved, the work,
// the code recorded.
#pragma once

#include <cstdint>

class xMorvaMain;

namespace xMorvaTextCommands {

// 100, 101, 106, 129, 134, 162, 163, 164.
void RunSelectionCommand(xMorvaMain& package, int32_t n, void** p, void* result);
// 102 to 105, 108, 109.
void RunFormatCommand(xMorvaMain& package, int32_t n, void** p, void* result);
// 110 to 112.
void RunFindCommand(xMorvaMain& package, int32_t n, void** p, void* result);
// 113: a document command id.
void RunDocumentCommand(xMorvaMain& package, void** p);
// 130 to 133: the tab stops of the selection.
void RunTabCommand(xMorvaMain& package, int32_t n, void** p, void* result);
// 107, 148 to 155, 157 to 161.
void RunStyleSheetCommand(xMorvaMain& package, int32_t n, void** p, void* result);

}  // namespace xMorvaTextCommands
