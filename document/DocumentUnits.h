// Lengths in the document model: pixels at the screen resolution in memory,
// twips (1/1440 inch) in stored records, points in the oldest records.
#pragma once

#include <cstdint>

// The screen resolution in dots per inch, the unit of every length the
// document holds in memory: the graphics layer's, read from the screen at
// start-up. A resolution below 1 counts as 96 (every conversion divides by
// it).
int32_t GetScreenResolution();

// The system's decimal separator, used in the number formats of the
// display units; '.' until start-up sets it from the system's locale.
char16_t GetDecimalSeparator();
void SetDecimalSeparator(char16_t separator);

// A real truncated toward zero, held to the 32-bit range (a damaged record
// may hold any number; the conversion must not overflow).
int32_t TruncateToLong(double value);

// A real rounded to the nearest whole number (halves away from zero), held
// to the 32-bit range.
int32_t RoundToLong(double value);

// The conversions between pixels and the stored units, the one rule for
// every stored length: round(pixels x 1440 / resolution) and so on, in
// floating point. Rounding makes a second round trip change nothing.
int32_t PixelsToTwips(int32_t pixels);
int32_t TwipsToPixels(int32_t twips);
int32_t PixelsToPoints(int32_t pixels);
int32_t PointsToPixels(int32_t points);
// trunc(resolution x centimetres / 2.54): the pixels of a length given in
// centimetres, as every default length is.
int32_t CentimetresToPixels(double centimetres);
