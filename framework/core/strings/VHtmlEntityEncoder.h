// The HTML character encoder that the strings' HTML writer calls. It belongs
// to the HTML export, which sits above the framework and installs it at
// start; without it the writer uses numeric references only.
#pragma once

#include <cstdint>

#include "framework/core/VService.h"

struct VHtmlEntityEncoder {
  // Answers the HTML form of one UTF-16 character as a length-prefixed text
  // (a named entity, a numeric reference or the character itself), valid
  // until the next call.
  const uint8_t* (*encode)(char16_t c);
};

using VHtmlEntityEncoderService = VService<const VHtmlEntityEncoder>;
