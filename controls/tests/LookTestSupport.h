// What the look painter tests share: a 32-bit canvas port cleared to a
// ground colour that no look uses, and the module's compiled resource file
// reachable as the host's, where the painters find their images.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "graphics/GraphicsHooks.h"
#include "graphics/VDIBPort.h"
#include "graphics/VGraphicsStart.h"
#include "platform/gdi/GdiSnapshot.h"
#include "platform/gdi/WinGdi.h"
#include "platform/toolbox/TbxResources.h"
#include "testsupport/ReferencePicture.h"

constexpr COLORREF kLookGround = RGB(1, 2, 3);

class LookCanvas {
 public:
  LookCanvas(int32_t width, int32_t height) : port_(width, height, 32) { Clear(); }
  void Clear() {
    port_.SetFillPatternIndex(6);
    port_.SetFillColor(kLookGround);
    port_.PaintRect(0, 0, port_.GetWidth(), port_.GetHeight());
  }
  COLORREF At(int32_t x, int32_t y) const { return port_.GetPixel(x, y) & 0xFFFFFF; }
  // How many pixels of the box show the colour.
  int32_t Count(COLORREF color, int32_t x, int32_t y, int32_t w, int32_t h) const {
    int32_t n = 0;
    for (int32_t j = y; j < y + h; ++j) {
      for (int32_t i = x; i < x + w; ++i) n += At(i, j) == color ? 1 : 0;
    }
    return n;
  }
  VDIBPort& port() { return port_; }

 private:
  VDIBPort port_;
};

// Opens the module's resource file and offers it as the host's for as long
// as the object lives.
class LookResources {
 public:
  LookResources() {
    const std::string path = QV_RESOURCE_FILE;
    uint8_t pascal[256];
    pascal[0] = static_cast<uint8_t>(path.size());
    std::memcpy(pascal + 1, path.data(), path.size());
    ref_ = Tbx::OpenResFile(pascal);
    if (ref_ >= 0) {
      file_ = std::make_unique<VMacResourceFile>(ref_);
      sFile = file_.get();
      VHostResourceFileService::Install(&kProc);
    }
  }
  ~LookResources() {
    if (file_ == nullptr) return;
    VHostResourceFileService::Remove(&kProc);
    sFile = nullptr;
    file_.reset();
    Tbx::CloseResFile(ref_);
  }
  bool IsOpen() const { return file_ != nullptr; }

 private:
  static inline VResourceFile* sFile = nullptr;
  static inline const VHostResourceFileProc kProc{[]() -> VResourceFile* { return sFile; }};
  int16_t ref_ = -1;
  std::unique_ptr<VMacResourceFile> file_;
};

// The graphics started (painter table, font cache) for as long as the
// object lives, as the module keeps them while it runs; text drawing keeps
// its fonts in that cache.
class GraphicsSession {
 public:
  GraphicsSession() { InitGraphics(); }
  ~GraphicsSession() { ExitGraphics(); }
  GraphicsSession(const GraphicsSession&) = delete;
  GraphicsSession& operator=(const GraphicsSession&) = delete;
};

inline VStr<255> LookText(const char16_t* text) {
  VStr<255> s;
  s.SetUniChars(text, 0, static_cast<int32_t>(std::char_traits<char16_t>::length(text)));
  return s;
}

// Writes what the canvas shows to folder/name.png under the working folder
// (for people to look at) and compares it with the reference name.png in
// the data folder beside this file (controls/tests/data unless given),
// pixel for pixel; QV_REGENERATE_REFERENCES=1 rewrites the reference
// instead.
inline void ExpectMatchesReference(LookCanvas& canvas, const std::string& folder, const std::string& name,
                                   const std::filesystem::path& data = std::filesystem::path(__FILE__).parent_path() /
                                                                       "data") {
  ExpectMatchesReferencePicture(canvas.port().GetSection(), static_cast<const uint32_t*>(canvas.port().GetBits()),
                                canvas.port().GetWidth(), canvas.port().GetHeight(), data, folder, name);
}
