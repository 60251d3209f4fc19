// What the commands on an area's text share: the area resolved to its
// document and current text, and the text forms of their parameters
// (length-byte strings in the Macintosh character set, host text records).
#pragma once

#include <cstdint>

class VString;
class xMorvaDocument;
class xMorvaEngine;
class xMorvaHostObject;
class xMorvaMain;
class xMorvaTabs;
class xMorvaTextInterface;

namespace xMorvaTextCommands {

// The area of p[0] with its document and the text being edited.
struct TextArea {
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  xMorvaTextInterface* text = nullptr;
  // The same text as the engine that holds it; null when there is none.
  xMorvaEngine* engine = nullptr;
};

// ResolveArea of the command frame; false (1022 recorded) when p[0] is no
// area.
bool ResolveTextArea(xMorvaMain& package, void** p, TextArea& area);

// Parameter i as a length-byte string; empty when missing.
void PascalAt(void** p, int i, VString& out);
// Parameter i as a host text record (16-bit length, Toolbox handle); empty
// when missing or when the handle is none.
void HostTextAt(void** p, int i, VString& out);
// A length-byte string output of at most 255 bytes into the host's buffer.
void PutPascal(void* slot, const VString& text);
void ClearPascal(void* slot);
// One character as a length-byte string; empty for 0.
void PutCharacter(void* slot, char16_t c);
// Whether the system's font list holds the name.
bool IsSystemFontName(const VString& name);

// ---- Tab stops as the commands give and take them (xMorvaTabCommands.cpp).
constexpr int32_t kErrorTabListFull = 1066;
constexpr int32_t kErrorTabPosition = 1067;
constexpr int32_t kErrorTabKind = 1068;
constexpr int32_t kErrorNoTabStop = 1084;
// Stop n (1-based) of the list into the outputs p[first] (position in the
// display unit), p[first + 1] (kind, a long) and p[first + 2] (leader, a
// one-character string when it has one): 0, or 1084 with the outputs left.
int32_t PutTabStop(const xMorvaDocument& document, const xMorvaTabs& tabs, int32_t n, void** p, int first);
// The outputs of PutTabStop cleared.
void ClearTabStop(void** p, int first);
// A stop from a position in the display unit, a kind and a leader text: the
// position must lie from 0 to the current text width (else 1067), the kind
// in 0 to 5 when `adding`, else in 1 to 5: a changed stop stays a stop
// (else 1068). An added stop of kind 0 is a left stop: stored as it stands,
// kind 0 is no stop and would take away the stop at its position, so that
// an add would remove. The leader is the text's first character when it
// lies above 32 and below 128, else none.
int32_t TabStopFromHost(xMorvaDocument& document, double position, int16_t kind, const VString& leader,
                        bool adding, uint32_t& stop);

}  // namespace xMorvaTextCommands
