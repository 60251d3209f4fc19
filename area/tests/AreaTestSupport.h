// The editing area's test fixture: the module's resource file as the host
// opens it, the text engine's services, a recording host that answers the
// method question, and a package whose user-method calls are recorded
// instead of run by the host.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "area/xMorvaPlugInKinds.h"
#include "boundary/HostRecords.h"
#include "boundary/HostServiceSelectors.h"
#include "boundary/ModuleExports.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaText.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "framework/core/VService.h"
#include "framework/core/values/VValue.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "graphics/VCharWidthCache.h"
#include "host/context/VHostContext.h"
#include "host/tests/HostTestSupport.h"
#include "platform/toolbox/TbxHandles.h"
#include "platform/toolbox/TbxResources.h"

namespace areatest {

// One call of a user method, as the package made it.
struct MethodCall {
  std::string name;
  std::vector<int32_t> numbers;  // longs and words in order
  std::string text;              // the string argument, if any
  bool function = false;
};

// A package that records its method calls; a function answers `answer`.
class RecordingMain : public xMorvaMain {
 public:
  RecordingMain() : xMorvaMain(nullptr) {}
  std::vector<MethodCall> calls;
  int32_t answer = 0;
  // Run inside a call, as a host method that issues commands would.
  std::function<void(const MethodCall&)> during;

 protected:
  int32_t InvokeMethod(const VString& name, const VValue* const* arguments, int32_t count,
                       bool function) override {
    MethodCall call;
    char buffer[64] = {};
    name.GetCText(buffer, sizeof buffer, kCharSetMac);
    call.name = buffer;
    call.function = function;
    for (int32_t i = 0; i < count; ++i) {
      if (arguments[i]->GetKind() == kValueString) {
        char text[256] = {};
        static_cast<const VString*>(arguments[i])->GetCText(text, sizeof text, kCharSetMac);
        call.text = text;
      } else {
        call.numbers.push_back(arguments[i]->GetLong(0));
      }
    }
    calls.push_back(call);
    // A copy: the hook may replace itself while it runs.
    if (const auto hook = during) hook(call);
    return answer;
  }
};

// A length-byte string for a command's parameter or result.
struct PString {
  explicit PString(const std::string& text = "") {
    bytes[0] = static_cast<uint8_t>(text.size());
    std::memcpy(bytes + 1, text.data(), text.size());
  }
  std::string Text() const { return std::string(reinterpret_cast<const char*>(bytes + 1), bytes[0]); }
  uint8_t bytes[256] = {};
};

// The module's compiled resource file, current while the fixture lives.
class ModuleResources {
 public:
  ModuleResources() : fPrevious(Tbx::CurResFile()) {
    const std::string path = QV_RESOURCE_FILE;
    uint8_t pascal[256];
    pascal[0] = static_cast<uint8_t>(path.size());
    std::memcpy(pascal + 1, path.data(), path.size());
    fRef = Tbx::OpenResFile(pascal);
    if (fRef >= 0) Tbx::SetResFileSwapProc(fRef, &SwapRsrcProc);
    Tbx::UseResFile(fRef);
    gModuleResFile = new VMacResourceFile(fRef);
  }
  ~ModuleResources() {
    delete gModuleResFile;
    gModuleResFile = nullptr;
    Tbx::CloseResFile(fRef);
    Tbx::UseResFile(fPrevious);
  }

 private:
  int16_t fPrevious;
  int16_t fRef = -1;
};

class AreaTest : public ::testing::Test {
 protected:
  AreaTest() : fEngine(&fEngineServices) {
    host.answer = [this](int32_t selector, HostParamBlock& block) {
      if (selector == kHostSelRoomLeft) block.param2 = HostWord(methodRoom);
      if (selector == kHostSelConfirm) block.param2 = HostWord(confirm ? 1 : 0);
    };
    package = std::make_unique<RecordingMain>();
    package->Init();
    gCurrentPackage = package.get();
  }
  ~AreaTest() override {
    for (VPlugInObject* object : fObjects) delete object;
    fObjects.clear();
    gCurrentPackage = nullptr;
    package.reset();
    // Composing the documents' lines filled the graphics' font cache.
    FreeFontCache();
  }

  // An area of a host form, through the package's factory.
  xMorvaPlugIn* NewFormArea() {
    void* params[kAreaEventParamCount] = {nullptr, nullptr, nullptr, &fCell};
    auto* area = static_cast<xMorvaPlugIn*>(package->NewPlugIn(1, params));
    fObjects.push_back(area);
    return area;
  }
  // An area without a form, as command 47 makes it.
  xMorvaPlugIn* NewOffscreenArea() {
    auto* area = new xMorvaPlugIn(package.get());
    area->ReloadCommands();
    fObjects.push_back(area);
    return area;
  }
  template <typename Kind>
  Kind* NewKind(VPlugInObject* (xMorvaMain::*make)(int32_t, void*)) {
    void* params[kAreaEventParamCount] = {nullptr, nullptr, nullptr, &fCell};
    auto* object = static_cast<Kind*>((package.get()->*make)(1, params));
    fObjects.push_back(object);
    return object;
  }
  // An object the fixture no longer deletes.
  void Forget(VPlugInObject* object) {
    fObjects.erase(std::remove(fObjects.begin(), fObjects.end(), object), fObjects.end());
  }
  // Deletes an object the fixture made.
  void Delete(VPlugInObject* object) {
    fObjects.erase(std::remove(fObjects.begin(), fObjects.end(), object), fObjects.end());
    delete object;
  }

  // Runs command n on reference `area` with the further parameters.
  void Run(int32_t n, uint32_t area, std::vector<void*> more = {}, void* result = nullptr) {
    reference = area;
    std::vector<void*> params{&reference};
    params.insert(params.end(), more.begin(), more.end());
    params.resize(12, nullptr);
    package->ExecuteCommand(n, params.data(), result);
  }
  // Command 28: the area's last error (1022 when it does not resolve).
  int32_t LastError(uint32_t area) {
    int32_t result = -7;
    Run(28, area, {}, &result);
    return result;
  }
  void SetErrorMethod(const char* name) {
    PString text(name);
    void* params[] = {text.bytes};
    package->ExecuteCommand(52, params, nullptr);
  }

  hosttest::RecordingHost host;
  uint32_t reference = 0;
  int32_t methodRoom = 20000;
  bool confirm = false;
  std::unique_ptr<RecordingMain> package;

 private:
  ModuleResources fResources;
  xMorvaDocumentEngineServices fEngineServices;
  VInstalledService<xMorvaEngineServices> fEngine;
  void* fCell = nullptr;
  std::vector<VPlugInObject*> fObjects;
};

// An area test with the system's fonts listed as the module's start lists
// them, and editing areas of both kinds holding a text.
class TextAreasTest : public AreaTest {
 protected:
  TextAreasTest() {
    if (gSystemServices != nullptr) return;
    fServices = std::make_unique<VSystemServices>();
    fServices->LoadFontLists();
    gSystemServices = fServices.get();
  }
  ~TextAreasTest() override {
    if (gSystemServices == fServices.get()) gSystemServices = nullptr;
  }
  // Both kinds of editing area, each with the text typed into its body (a
  // line end starts a paragraph) and the caret at its start.
  std::vector<uint32_t> Areas(const std::string& text) {
    std::vector<uint32_t> refs;
    for (xMorvaPlugIn* area : {NewFormArea(), NewOffscreenArea()}) {
      xMorvaDocument& document = *area->GetDocument();
      for (char c : text) document.TypeCharacter(c == '\n' ? char16_t(13) : char16_t(c));
      if (xMorvaUndo* undo = document.GetUndo()) undo->Commit();
      document.GetCurrentPart()->SetSelection(0, 0);
      refs.push_back(area->GetReference());
    }
    return refs;
  }
  xMorvaDocument& Doc(uint32_t ref) {
    int32_t kind = 0;
    return *package->FindReference(ref, kind)->GetDocument();
  }

 private:
  std::unique_ptr<VSystemServices> fServices;
};

// A host text record over a new handle of the text's bytes (none for an
// empty text), disposed with the record.
struct HostText {
  explicit HostText(const std::string& text = "") {
    record.length = int16_t(text.size());
    record.handle = text.empty() ? 0 : uint32_t(Tbx::NewHandle(int32_t(text.size())));
    if (record.handle != 0) {
      std::memcpy(Tbx::HLock(record.handle), text.data(), text.size());
      Tbx::HUnlock(record.handle);
    }
  }
  ~HostText() {
    if (record.handle != 0) Tbx::DisposeHandle(record.handle);
  }
  HostText(const HostText&) = delete;
  HostText& operator=(const HostText&) = delete;
  std::string Text() const {
    if (record.handle == 0) return "";
    const auto* bytes = static_cast<const char*>(Tbx::HLock(record.handle));
    std::string text(bytes, size_t(record.length));
    Tbx::HUnlock(record.handle);
    return text;
  }
  // By value: the record's fields are packed and may not be bound.
  uint32_t Handle() const { return record.handle; }
  int16_t Length() const { return record.length; }
  HostTextRecord record{};
};

}  // namespace areatest
