// VHostResourceFile: the resource file that the host keeps for the module,
// reached through host selectors with the host's reference of the file.
// For now it is made without a host reference, which every operation of
// such a file answers with its neutral value.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"

class VHostResourceFile : public VObject {
 public:
  // A file without a host reference (-1): nothing is asked of the host.
  VHostResourceFile() = default;

  // True when both the host's reference and the Toolbox reference name a file.
  bool IsOpen() const { return fHostRef != -1 && fToolboxRef != -1; }
  int16_t GetHostReference() const { return fHostRef; }
  // The answer of an update of a file without a host reference.
  int32_t Update() const { return fHostRef == -1 ? 401 : 0; }

 private:
  int16_t fHostRef = -1;
  int16_t fToolboxRef = -1;
};
