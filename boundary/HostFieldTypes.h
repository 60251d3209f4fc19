// The codes of the host's field kinds and value types that the module and
// the stand-in host both name.
#pragma once

#include <cstdint>

// Host field kinds that hold bytes a stream can carry: text, picture, BLOB.
constexpr int16_t kHostFieldText = 2;
constexpr int16_t kHostFieldPicture = 3;
constexpr int16_t kHostFieldBlob = 30;
// The host's value type of a time, for the value and text conversions.
constexpr uint32_t kHostTypeTime = 11;
