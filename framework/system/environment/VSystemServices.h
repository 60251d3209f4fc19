// The system environment: which Windows family the module runs on, classified
// once at start-up into the OS code that text comparison and the file layer read.
#pragma once

#include <cstdint>

// The OS code: 0 not classified; 2, 4, 6 and 7 the NT family (NT 3, NT 4,
// Windows 2000, XP and later), which takes UTF-16 calls and long paths;
// 1, 3 and 5 the older platforms (Win32s, the Windows 3.x platform,
// Windows 95, 98 and Me).
extern int32_t gOSCode;

// What the platform's version queries answered.
struct VOSVersionInfo {
  bool verifyExists = false;   // the version check function is there
  bool verifyAtLeast51 = false;  // its answer to "major 5, minor 1 or later"
  bool versionKnown = false;   // the plain version query succeeded
  uint32_t platformId = 0;     // 0 Win32s, 1 the Windows 3.x and 9x line, 2 NT
  uint32_t major = 0;
  uint32_t minor = 0;
};

// The OS code for what the queries answered; 0 for any combination that is
// not one of the known families.
int32_t ClassifyOSVersion(const VOSVersionInfo& info);

// What this platform's version queries answer: the newest family the
// module knows (NT 5.1, checked as at least 5.1).
VOSVersionInfo QueryOSVersion();

class VSystemServices {
 public:
  // Classifies the platform and stores the code in gOSCode; run once by the
  // system environment's construction at start-up.
  static void ClassifySystem();

  // The OS code; while it is still 0, the Toolbox system version fills it
  // first, and that answer is kept.
  static int32_t GetSystemVersion();
};
