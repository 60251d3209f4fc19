// The process's command line and the system's version.
#include "platform/win32/WinProcess.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>

#include "platform/win32/WinFiles.h"

namespace {

std::mutex gMutex;
std::string gCommandLine;
bool gCommandLineSet = false;
DWORD gMajor = 10;
DWORD gMinor = 0;

// The process's own arguments, read from /proc: the first quoted, as
// Windows writes a program path.
std::string OwnCommandLine() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string line;
  size_t start = 0;
  for (size_t i = 0; i <= raw.size(); ++i) {
    if (i < raw.size() && raw[i] != '\0') continue;
    if (i > start) {
      const std::string argument = raw.substr(start, i - start);
      if (line.empty()) {
        line = "\"" + argument + "\"";
      } else {
        line += " " + argument;
      }
    }
    start = i + 1;
  }
  return line;
}

}  // namespace

char* GetCommandLineA() {
  std::lock_guard<std::mutex> lock(gMutex);
  if (!gCommandLineSet) {
    gCommandLine = OwnCommandLine();
    gCommandLineSet = true;
  }
  return gCommandLine.data();
}

void SetHeadlessCommandLine(const char* line) {
  std::lock_guard<std::mutex> lock(gMutex);
  gCommandLineSet = line != nullptr;
  gCommandLine = line != nullptr ? line : "";
}

BOOL GetVersionExA(OSVERSIONINFOA* info) {
  if (info == nullptr || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::lock_guard<std::mutex> lock(gMutex);
  info->dwMajorVersion = gMajor;
  info->dwMinorVersion = gMinor;
  info->dwBuildNumber = 19041;
  info->dwPlatformId = 2;
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  return 1;
}

void SetHeadlessVersion(DWORD major, DWORD minor) {
  std::lock_guard<std::mutex> lock(gMutex);
  gMajor = major;
  gMinor = minor;
}
