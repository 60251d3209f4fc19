// The operating-system family: classification at start-up and the OS code.
#include "framework/system/environment/VSystemServices.h"

#include "platform/toolbox/TbxEnvironment.h"

int32_t gOSCode = 0;

int32_t ClassifyOSVersion(const VOSVersionInfo& info) {
  // A system that says it is at least 5.1 is XP or later, whatever it is.
  if (info.verifyExists && info.verifyAtLeast51) return 7;
  if (!info.versionKnown) return 0;
  switch (info.platformId) {
    case 0:
      return 1;
    case 1:
      if (info.major == 3) return 3;
      if (info.major == 4) return 5;
      return 0;
    case 2:
      if (info.major == 3) return 2;
      if (info.major == 4) return 4;
      if (info.major == 5 && info.minor == 0) return 6;
      if (info.major == 5 && info.minor == 1) return 7;
      return 0;
    default:
      return 0;
  }
}

VOSVersionInfo QueryOSVersion() {
  VOSVersionInfo info;
  info.verifyExists = true;
  info.verifyAtLeast51 = true;
  info.versionKnown = true;
  info.platformId = 2;
  info.major = 5;
  info.minor = 1;
  return info;
}

void VSystemServices::ClassifySystem() {
  gOSCode = 0;
  gOSCode = ClassifyOSVersion(QueryOSVersion());
}

int32_t VSystemServices::GetSystemVersion() {
  if (gOSCode == 0) {
    int32_t answer = 0;
    if (Tbx::Gestalt(Tbx::gestaltSystemVersion, &answer) == Tbx::noErr) gOSCode = answer;
  }
  return gOSCode;
}
