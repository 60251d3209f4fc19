// VFlagHolder: the one flag shared between the area and window event
// handling, which raise it, and the tool-tip tracker, which clears it while
// it shows a tip and, finding it clear, shows the next tip without waiting.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"

class VFrame;
class VString;
class VPoint;

class VFlagHolder : public VObject {
 public:
  VFlagHolder() = default;

  void SetFlag(uint8_t flag) { fFlag = flag; }
  uint8_t GetFlag() const { return fFlag; }

  // Whether a new tip waits for the tool-tip delay: only while the flag is
  // raised; a tip that follows another at once (flag clear) counts the
  // delay as already elapsed.
  bool ShouldWaitForTip() const { return fFlag != 0; }

  // Passes the three arguments unchanged to the host's window call and
  // answers its result; 0 without a host.
  int32_t ForwardToHost(const VString& text, VFrame* frame, const VPoint* place);

 private:
  uint8_t fFlag = 0;
};

// The flag holder, made at start after the cursor.
extern VFlagHolder* gFlagHolder;
