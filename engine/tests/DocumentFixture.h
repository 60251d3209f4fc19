// A document over real engines with an area that keeps command values and
// records what it was asked, for the document's and its commands' tests.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "document/tests/FakeDocument.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaDocumentArea.h"
#include "document/xMorvaUndo.h"
#include "engine/tests/EngineTestSupport.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "graphics/GraphicsGlobals.h"
#include "graphics/VPoint.h"
#include "graphics/VShape.h"
#include "graphics/pictures/VPictureData.h"

// An area that keeps command values and records what it was asked.
class FakeArea : public xMorvaDocumentArea {
 public:
  bool HasHostWindow() const override { return hostWindow; }
  int32_t GetCommandLong(int32_t command) override { return values[command]; }
  void SetCommandLong(int32_t command, int32_t value, int16_t) override { values[command] = value; }
  void GetCommandString(int32_t command, VString& value) override {
    value.AppendCText(fontName.c_str(), kCharSetAnsi);
  }
  bool CallCommandMethod(int32_t command) override {
    ++methodCalls;
    return consumeByMethod;
  }
  bool CallAreaCallback(int32_t command) override {
    ++callbackCalls;
    return false;
  }
  int32_t RunCommand(int32_t command) override {
    commands.push_back(command);
    return 0;
  }
  void FinishHostCommand() override { ++hostCommandsFinished; }
  bool AskValue(int32_t command, int32_t current, int32_t& value) override {
    asked.push_back(command);
    if (!answer) return false;
    value = answerValue;
    return true;
  }
  bool CanClose(uint8_t) override { return canClose; }
  void SetContentSize(int32_t width, int32_t height) override { ++contentSizes; }
  void DrawSelection() override { ++draws; }
  void UpdateCaret(bool) override { ++carets; }
  void ShowSelection(bool) override { ++shows; }
  void UpdateBarState() override { ++bars; }
  void UpdateCommands(int16_t) override { ++commandUpdates; }
  void ApplyViewOptions(bool) override { ++viewOptions; }
  uint8_t GetOptionFlag() override { return optionFlag; }
  void SetOptionFlag(uint8_t value) override { optionFlag = value; }
  void UnloadWinSpeller() override { ++spellerUnloads; }
  void SetMinimumSize(int32_t width, int32_t height) override {
    minimumWidth = width;
    minimumHeight = height;
  }
  void UpdateTitle() override { ++titles; }
  bool IsPagePictureSelected() override { return pagePictureSelected; }
  bool IsLocked() override { return locked; }
  bool TrackPictureResize(double ratio, const VPoint&, int16_t horizontal, int16_t vertical,
                          VRect& box) override {
    resizes.push_back({horizontal, vertical});
    lastRatio = ratio;
    if (!resizeTo.IsEmpty()) box = resizeTo;
    return !resizeTo.IsEmpty();
  }
  bool TrackPagePictureMove(const VPoint&, VPoint& origin) override {
    ++moves;
    origin = VPoint(7, 9);
    return true;
  }
  void SetPagePictureBox(const VRect& box) override { pageBox = box; }
  void SetPagePictureOrigin(const VPoint& origin) override { pageOrigin = origin; }
  bool EditPagePicture() override { return ++pageEdits, editChanges; }
  bool EditTextPicture() override { return ++textEdits, editChanges; }
  void ApplyTextPictureEdit() override { ++applied; }
  void SetHostOutcome(bool outcome) override { modal.push_back(outcome); }
  int16_t AskPastePicturePlacement() override { return placement; }
  bool AddPagePicture(VPictureData* picture) override {
    delete picture;
    return false;
  }
  bool CallEventCallback(int16_t kind, int32_t value) override {
    events.emplace_back(kind, value);
    return consumeEvents;
  }
  bool IsDisplaySuppressed() const override { return suppressed; }
  void Relayout() override { ++relayouts; }
  void ShowRulerElements(bool show, bool pageRuler, bool) override {
    rulers = show;
    pageRulerShown = pageRuler;
  }
  bool ShowBar(int16_t bar, bool show) override {
    shownBars[bar] = show;
    return true;
  }
  bool IsBarShown(int16_t bar) const override { return shownBars.count(bar) != 0 && shownBars.at(bar); }
  int16_t GetSizeState() const override { return sizeState; }
  void ShowScrollBars(bool horizontal, bool show) override { scrollBars[horizontal ? 0 : 1] = show; }
  void ShowPaneElement(int16_t element, bool show) override { paneElements[element & 1] = show; }
  void ShowBars(bool locked) override { barsLocked.push_back(locked); }

  bool hostWindow = true;
  std::map<int32_t, int32_t> values;
  std::string fontName;
  bool consumeByMethod = false;
  int methodCalls = 0;
  int callbackCalls = 0;
  std::vector<int32_t> commands;
  int hostCommandsFinished = 0;
  std::vector<int32_t> asked;
  bool answer = false;
  int32_t answerValue = 0;
  bool canClose = true;
  bool suppressed = false;
  bool rulers = false;
  bool pageRulerShown = false;
  int relayouts = 0;
  std::map<int16_t, bool> shownBars;
  bool scrollBars[2] = {true, true};
  bool paneElements[2] = {true, true};
  std::vector<bool> barsLocked;
  int16_t sizeState = 0;
  int contentSizes = 0, draws = 0, carets = 0, shows = 0, bars = 0, commandUpdates = 0,
      viewOptions = 0;
  uint8_t optionFlag = 0;
  int spellerUnloads = 0, titles = 0;
  int32_t minimumWidth = 0, minimumHeight = 0;
  std::vector<std::pair<int16_t, int32_t>> events;
  bool consumeEvents = false;
  bool pagePictureSelected = false, locked = false, editChanges = false;
  std::vector<std::pair<int16_t, int16_t>> resizes;
  double lastRatio = 0;
  VRect resizeTo, pageBox;
  VPoint pageOrigin;
  int moves = 0, pageEdits = 0, textEdits = 0, applied = 0;
  // The paste picture dialog's answer: in the text.
  int16_t placement = 1;
  std::vector<bool> modal;
};

class PackageResources : public FakeAreaServices {
 public:
  VMemHandle CopyPackageResource(uint32_t type) override {
    auto it = resources.find(type);
    if (it == resources.end()) return 0;
    return gMemoryMgr->NewHandleFromData(it->second.data(), uint32_t(it->second.size()));
  }
  std::map<uint32_t, Bytes> resources;
};

class ScopedGraphicsResolution {
 public:
  explicit ScopedGraphicsResolution(int32_t dpi) : fSaved(gScreenLogPixelsX) { gScreenLogPixelsX = dpi; }
  ~ScopedGraphicsResolution() { gScreenLogPixelsX = fSaved; }

 private:
  int32_t fSaved;
};

class DocumentTest : public ::testing::Test {
 protected:
  DocumentTest() { UseTestWordCharacters(); }

  // Puts the units into the current part (unrecorded) and selects.
  void Load(const std::u16string& text, int32_t start, int32_t end) {
    xMorvaTextInterface* part = document->GetCurrentPart();
    Bytes bytes;
    for (char16_t unit : text) {
      bytes.push_back(uint8_t(unit));
      bytes.push_back(uint8_t(unit >> 8));
    }
    document->GetUndo()->Suspend();
    part->Clear();
    const VMemHandle handle = gMemoryMgr->NewHandleFromData(bytes.data(), uint32_t(bytes.size()));
    EXPECT_EQ(0, part->InsertHandle(handle, int32_t(text.size())));
    gMemoryMgr->DisposeHandle(handle);
    document->GetUndo()->Resume();
    part->SetSelection(start, end);
  }
  std::u16string Text() {
    xMorvaTextInterface* part = document->GetCurrentPart();
    std::u16string text;
    const uint8_t* data = part->LockStream();
    for (uint32_t at = 0; data != nullptr && at < part->GetStreamSize();) {
      const StreamItem item = ReadStreamItem(data + at, part->GetStreamSize() - at);
      if (item.kind == StreamItem::kUnit) text.push_back(item.unit);
      at += item.size;
    }
    part->UnlockStream();
    return text;
  }
  int32_t PropertyAt(uint16_t id, int32_t start, int32_t end) {
    xMorvaTextInterface* part = document->GetCurrentPart();
    part->SetSelection(start, end);
    return part->GetPropertyValue(id);
  }

  xMorvaDocumentEngineServices engines;
  VInstalledService<xMorvaEngineServices> installed{&engines};
  PackageResources resources;
  FakeArea area;
  std::unique_ptr<xMorvaDocument> document{new xMorvaDocument(&area)};
};

