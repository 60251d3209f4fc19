// The families of host commands 100 to 172 that live outside the package's
// own command file: each runs one command's frame (outputs cleared,
// the area resolved, the work, the code recorded) on the package.
#pragma once

#include <cstdint>

class xMorvaMain;

namespace xMorvaTableCommands {

// Pictures in the text and on the pages: 119, 121 to 126, 136, 165.
void RunPictureCommand(xMorvaMain& package, int32_t selector, void** params, void* result);
// The stored form of the selection (127, 128) and the special elements:
// 117, 118, 120, 135, 147, 156, 166 to 169.
void RunElementCommand(xMorvaMain& package, int32_t selector, void** params, void* result);
// Counts and informations: 143 to 145.
void RunCountCommand(xMorvaMain& package, int32_t selector, void** params, void* result);

}  // namespace xMorvaTableCommands
