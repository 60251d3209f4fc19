// The user's methods: names of host-language methods that the user installs
// with commands and that the word processor calls back through the host.
// Each has an on flag (set by a non-empty name) and a busy flag, so that a
// method already running is never entered again through the host.
#pragma once

#include <cstdint>

#include "framework/core/strings/VUniString.h"

struct xMorvaUserMethod {
  uint8_t busy = 0;
  uint8_t on = 0;
  VStr<31> name;

  // A non-empty name switches the method on, an empty one off; the name is
  // cut to 31 characters.
  void Set(const VString& text) {
    name.SetEmpty(false);
    name.Assign(text);
    on = name.GetLength() > 0 ? 1 : 0;
    if (on == 0) name.SetEmpty(false);
  }
  // The name while the method is on, else the empty text.
  void GetName(VString& out) const {
    out.SetEmpty(false);
    if (on != 0) out.Assign(name);
  }
  void Clear() {
    busy = 0;
    on = 0;
    name.SetEmpty(false);
  }
};

// One method per event kind -1 to 10, at index kind + 1.
constexpr int32_t kFirstEventKind = -1;
constexpr int32_t kLastEventKind = 10;
constexpr int32_t kEventKindCount = kLastEventKind - kFirstEventKind + 1;

struct xMorvaEventMethods {
  xMorvaUserMethod kinds[kEventKindCount];

  static bool IsKind(int32_t kind) { return kind >= kFirstEventKind && kind <= kLastEventKind; }
  // Null for a kind outside -1 to 10.
  xMorvaUserMethod* ForKind(int32_t kind) { return IsKind(kind) ? &kinds[kind + 1] : nullptr; }
  void Clear() {
    for (xMorvaUserMethod& method : kinds) method.Clear();
  }
};

// What the host language keeps with each document it drives by reference:
// the code of its last command, and the document's own callback and
// command methods.
struct xMorvaCommandState {
  int32_t lastError = 0;
  // Set by command 9: refreshes asked for inside a host command draw
  // nothing until command 9 clears it.
  uint8_t redrawSuspended = 0;
  xMorvaUserMethod callback;
  xMorvaUserMethod command;
};
