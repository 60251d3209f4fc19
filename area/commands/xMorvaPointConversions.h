// The value forms of the point-based commands (2 to 91): lengths in
// points, colours as 0xRRGGBB longs, character styles as a bit set,
// interline codes, and tab stop kind and leader codes, each converted to
// and from what the document stores.
#pragma once

#include <cstdint>

class xMorvaProperties;
class xMorvaDocument;

namespace xMorvaPointConversions {

// Style bits of the point-based commands.
constexpr int16_t kStyleBold = 1;
constexpr int16_t kStyleItalic = 2;
constexpr int16_t kStyleUnderline = 4;
constexpr int16_t kStyleShadow = 16;
constexpr int16_t kStyleSuperscript = 32;
constexpr int16_t kStyleSubscript = 64;

// The highest interline code: 9.5 lines.
constexpr int16_t kLastInterlineCode = 17;

// round(pixels x 72 / R) and round(points x R / 72), R the screen
// resolution, halves away from zero in double precision: at 72 dots per
// inch and above a length in points comes back as it was set.
int32_t PixelsToPoints(int32_t pixels);
int32_t PointsToPixels(int32_t points);

// The host's 0x00RRGGBB against the stored 0x00BBGGRR; the swap is its own
// inverse. The stored "none" (-1) reads as -1.
int32_t StoredToHostColour(int32_t stored);
int32_t HostToStoredColour(int32_t host);

// The style bits of bold, italic, underline (any kind), shadow and the
// vertical position.
int16_t StyleBitsOf(const xMorvaProperties& properties);
// Property 5 from style bits: 32 superscript (1), else 64 subscript (2),
// else 0. `reversed` is the reading of the clear-and-set command, where 64
// gives superscript and 32 subscript.
int32_t VerticalPositionOfBits(int16_t bits, bool reversed);

// Property 33 (tenths of a line) of code n (0 to 17) and back; the reading
// divides unsigned, as the stored value is taken.
int32_t InterlineOfCode(int16_t code);
int16_t CodeOfInterline(int32_t interline);

// Tab stop kinds: host 0 left, 1 right, 2 decimal, 3 centre against the
// stored 1, 3, 4, 2. A stored kind outside those reads as -1.
uint8_t StoredTabKind(int16_t hostKind);
int16_t HostTabKind(uint8_t storedKind);
// Leaders: host 0 none, 1 ".", 2 "-", 3 "_" against the characters 0, 46,
// 45, 95; any other host code is stored as the character of its low byte,
// any other stored character given as its own code.
uint8_t StoredTabLeader(int16_t hostLeader);
int16_t HostTabLeader(uint8_t storedLeader);

// W: the right edge of the document's page area (area option 41) in
// pixels, the edge that the point-based indent and tab commands measure
// against.
int32_t RightEdgeOf(xMorvaDocument& document);

}  // namespace xMorvaPointConversions
