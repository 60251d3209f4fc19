// The HTML character encoder that the strings' HTML writer calls. It belongs
// to the HTML export, which sits above the framework and installs it at
// start; the framework only keeps the pointer.
#pragma once

#include <cstdint>

// Answers the HTML form of one UTF-16 character as a length-prefixed text
// (a named entity, a numeric reference or the character itself), valid until
// the next call.
using VHtmlEntityEncoder = const uint8_t* (*)(char16_t c);

// Installs `encoder` (null to remove) and answers the one it replaces.
VHtmlEntityEncoder SetHtmlEntityEncoder(VHtmlEntityEncoder encoder);
// The installed encoder, or null.
VHtmlEntityEncoder GetHtmlEntityEncoder();
