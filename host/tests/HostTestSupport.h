// Helpers of the host bridge's tests: strings, a recording host callback, temporary
// folders, and resource files built from bytes.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "host/callback/HostCallback.h"
#include "boundary/HostRecords.h"
#include "boundary/HostSelectors.h"
#include "framework/core/strings/VUniString.h"
#include "platform/toolbox/TbxHandles.h"
#include "platform/toolbox/TbxResources.h"

namespace hosttest {

// A string's characters as single bytes, for comparing with literals.
inline std::string Str(const VString& s) {
  std::string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) out += static_cast<char>(s.GetCharAt(i));
  return out;
}

inline VStr<255> Text(const char* text) {
  VStr<255> s;
  s.SetAnsiCText(text);
  return s;
}

// A folder under /tmp, removed with the object.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/qvhosttest.XXXXXX";
    if (mkdtemp(pattern) != nullptr) fPath = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!fPath.empty()) std::filesystem::remove_all(fPath, ignored);
  }
  // With a trailing "/", as the host gives its folder.
  std::string Folder() const { return fPath + "/"; }
  std::string Path(const std::string& name) const { return fPath + "/" + name; }

 private:
  std::string fPath;
};

inline std::vector<uint8_t> Pascal(const std::string& text) {
  std::vector<uint8_t> p(1 + text.size());
  p[0] = static_cast<uint8_t>(text.size());
  std::memcpy(p.data() + 1, text.data(), text.size());
  return p;
}

// A 'STR#' resource's data: a big-endian count, then the items.
inline std::vector<uint8_t> StringList(const std::vector<std::string>& items) {
  std::vector<uint8_t> data = {static_cast<uint8_t>(items.size() >> 8), static_cast<uint8_t>(items.size())};
  for (const std::string& item : items) {
    const std::vector<uint8_t> p = Pascal(item);
    data.insert(data.end(), p.begin(), p.end());
  }
  return data;
}

inline std::vector<uint8_t> BigEndian32(uint32_t v) {
  return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
          static_cast<uint8_t>(v)};
}

inline std::vector<uint8_t> BigEndian16(uint16_t v) { return {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)}; }

struct Resource {
  uint32_t type;
  int16_t id;
  std::string name;
  std::vector<uint8_t> data;  // as stored (big-endian)
};

// Writes a resource file of these resources, stored as given (no byte-order
// procedure is installed while they are added).
inline bool WriteResourceFile(const std::string& path, const std::vector<Resource>& resources) {
  const std::vector<uint8_t> p = Pascal(path);
  const int16_t previous = Tbx::CurResFile();
  Tbx::CreateResFile(p.data());
  const int16_t ref = Tbx::OpenResFile(p.data());
  if (ref < 0) return false;
  for (const Resource& r : resources) {
    Tbx::Handle h = Tbx::NewHandle(static_cast<int32_t>(r.data.size()));
    if (!r.data.empty()) {
      std::memcpy(Tbx::HLock(h), r.data.data(), r.data.size());
      Tbx::HUnlock(h);
    }
    const std::vector<uint8_t> name = Pascal(r.name);
    Tbx::AddResource(h, r.type, r.id, r.name.empty() ? nullptr : name.data());
  }
  Tbx::CloseResFile(ref);
  if (previous >= 0) Tbx::UseResFile(previous);
  return true;
}

// Opens a resource file, with the module's byte-order procedure, as the
// current file for the life of the object; the previous current file comes
// back after.
class OpenResourceFile {
 public:
  OpenResourceFile(const std::string& path, Tbx::ResSwapProc swap) : fPrevious(Tbx::CurResFile()) {
    const std::vector<uint8_t> p = Pascal(path);
    ref = Tbx::OpenResFile(p.data());
    if (ref >= 0) Tbx::SetResFileSwapProc(ref, swap);
  }
  ~OpenResourceFile() {
    if (ref >= 0) Tbx::CloseResFile(ref);
    if (fPrevious >= 0) Tbx::UseResFile(fPrevious);
  }
  int16_t ref = -1;

 private:
  int16_t fPrevious;
};

// One call the module made: its selector and the block as the module
// handed it over (before the host answered).
struct SeenCall {
  int32_t selector;
  HostParamBlock block;
  std::string text;  // the length-byte text at 272 for -249
};

// A host callback that records every call and answers the start-up query
// and the folder query; a test adds its own answers through `answer`, which
// runs after the recording.
class RecordingHost {
 public:
  RecordingHost() {
    sActive = this;
    fPrevious = GetHostCallback();
    SetHostCallback(&RecordingHost::Entry);
  }
  ~RecordingHost() {
    SetHostCallback(fPrevious);
    sActive = nullptr;
  }
  RecordingHost(const RecordingHost&) = delete;
  RecordingHost& operator=(const RecordingHost&) = delete;

  static void Entry(int32_t selector, HostParamBlock* block) {
    if (sActive != nullptr) sActive->Handle(selector, *block);
  }

  int32_t Count(int32_t selector) const {
    int32_t n = 0;
    for (const SeenCall& c : calls) n += c.selector == selector;
    return n;
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const SeenCall& c : calls)
      if (c.selector == kHostSelShowMessage) texts.push_back(c.text);
    return texts;
  }

  std::vector<SeenCall> calls;
  std::function<void(int32_t, HostParamBlock&)> answer;
  // The start-up answer.
  uint32_t version = 0x670;
  uint32_t flagWord266 = 0;
  uint32_t flagWord272 = 0;
  std::string name = "Qvbase";
  std::string secondName = "Second";
  int16_t resourceRef = -1;
  // The folder answer; empty answers nothing.
  std::string folder;

 private:
  void Handle(int32_t selector, HostParamBlock& block) {
    SeenCall seen{selector, block, {}};
    if (selector == kHostSelShowMessage) {
      const auto* text = HostPointer<const uint8_t>(block.param1);
      if (text != nullptr) seen.text.assign(reinterpret_cast<const char*>(text + 1), text[0]);
    }
    calls.push_back(seen);
    if (selector == kHostSelStartupQuery) {
      block.text[0] = static_cast<uint8_t>(name.size());
      std::memcpy(block.text + 1, name.data(), name.size());
      block.text2[0] = static_cast<uint8_t>(secondName.size());
      std::memcpy(block.text2 + 1, secondName.data(), secondName.size());
      block.handle = flagWord266;
      block.param1 = flagWord272;
      block.param2 = version;
      block.longValue = static_cast<uint16_t>(resourceRef);
    } else if (selector == kHostSelGetPath && !folder.empty()) {
      char* buffer = HostPointer<char>(block.param3);
      if (buffer != nullptr && folder.size() < static_cast<size_t>(HostWordOf(block.param4)))
        std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    }
    if (answer) answer(selector, block);
  }

  static inline RecordingHost* sActive = nullptr;
  HostCallback fPrevious = nullptr;
};

}  // namespace hosttest
