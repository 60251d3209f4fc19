// A resource file on disk for tests, written with stored (big-endian)
// resource bytes through the Toolbox library and opened again as the
// framework opens resource files, so that reading converts them.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/system/resources/VMacResourceFile.h"
#include "platform/toolbox/TbxHandles.h"
#include "platform/toolbox/TbxResources.h"

class StoredBytes {
 public:
  StoredBytes& U8(uint8_t v) {
    bytes.push_back(v);
    return *this;
  }
  StoredBytes& U16(uint16_t v) { return U8(uint8_t(v >> 8)).U8(uint8_t(v)); }
  StoredBytes& I32(int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    return U16(uint16_t(u >> 16)).U16(uint16_t(u));
  }
  // A length byte and the text in a field of `width` bytes.
  StoredBytes& Title(const std::string& text, size_t width = 32, int length = -1) {
    U8(uint8_t(length >= 0 ? length : int(text.size())));
    for (size_t i = 1; i < width; ++i) U8(i - 1 < text.size() ? uint8_t(text[i - 1]) : 0);
    return *this;
  }
  StoredBytes& Fill(size_t n, uint8_t v) {
    bytes.insert(bytes.end(), n, v);
    return *this;
  }
  std::vector<uint8_t> bytes;
};

class StoredResourceFile {
 public:
  StoredResourceFile() {
    char folder[] = "/tmp/qvviewsXXXXXX";
    if (mkdtemp(folder) != nullptr) fFolder = folder;
    fPath = fFolder + "/res";
    uint8_t pascal[256];
    Pascal(fPath, pascal);
    fPrevious = Tbx::CurResFile();
    Tbx::CreateResFile(pascal);
    fRef = Tbx::OpenResFile(pascal);
  }
  ~StoredResourceFile() {
    delete fFile;
    if (fRef >= 0) Tbx::CloseResFile(fRef);
    if (fPrevious >= 0) Tbx::UseResFile(fPrevious);
    unlink(fPath.c_str());
    rmdir(fFolder.c_str());
  }
  // Stored bytes as they are, under an optional name.
  void Add(uint32_t type, int16_t id, const std::vector<uint8_t>& bytes, const char* name = nullptr) {
    ASSERT_GE(fRef, 0);
    const Tbx::Handle h = Tbx::NewHandle(static_cast<int32_t>(bytes.size()));
    if (!bytes.empty()) std::memcpy(Tbx::HLock(h), bytes.data(), bytes.size());
    Tbx::HUnlock(h);
    uint8_t pascal[256] = {0};
    if (name != nullptr) Pascal(name, pascal);
    Tbx::UseResFile(fRef);
    Tbx::AddResource(h, type, id, pascal);
  }
  // Writes the file, closes it and opens it as the framework does.
  VResourceFile* Open() {
    Tbx::UpdateResFile(fRef);
    Tbx::CloseResFile(fRef);
    fRef = -1;
    fFile = VMacResourceFile::OpenExact(fPath.c_str(), 0);
    return fFile;
  }

 private:
  static void Pascal(const std::string& text, uint8_t* out) {
    out[0] = static_cast<uint8_t>(text.size());
    std::memcpy(out + 1, text.data(), text.size());
  }
  std::string fFolder;
  std::string fPath;
  int16_t fPrevious = -1;
  int16_t fRef = -1;
  VMacResourceFile* fFile = nullptr;
};
