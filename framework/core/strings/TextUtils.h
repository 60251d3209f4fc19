// Plain functions on raw texts: zero-terminated 8-bit and UTF-16 texts, and
// length-prefixed texts (one length byte, then at most 255 bytes).
#pragma once

#include <cstdint>

// Bytes before the terminator; 0 for a null text.
int32_t CStrLen(const char* text);
// UTF-16 units before the terminator; 0 for a null text.
int32_t UniStrLen(const char16_t* text);
// Copies the bytes and the terminator; the destination must be large enough.
void CStrCopy(const char* source, char* destination);

// The room arguments are the destination's size in bytes. A room below 1
// writes nothing, and no function writes more than `room` bytes, so a
// length byte that claims more than the destination holds never runs past it.

// Copies the length byte and the characters: at most `room` bytes in all.
// The copied length byte says how many characters were copied, so the copy
// always reads as a whole length-prefixed text.
void PStrCopyMax(const uint8_t* source, uint8_t* destination, int16_t room);
// The characters of a length-prefixed text, cut to room - 1, and a
// terminator. Answers the destination.
char* PToCStr(const uint8_t* source, char* destination, int16_t room);
// The characters up to the terminator, at most room - 1 and at most 255,
// behind a length byte that gives their number.
void CToPStr(const char* source, uint8_t* destination, int16_t room);
