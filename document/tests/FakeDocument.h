// A small document, engine services and area services for the document
// model's tests: they answer what the records and the undo history ask and
// remember what they were told.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "document/xMorvaAreaServices.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocumentInterface.h"
#include "document/xMorvaEngineServices.h"
#include "document/xMorvaRecordStore.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VString.h"
#include "graphics/VShape.h"

class FakeDocument : public xMorvaDocumentInterface {
 public:
  const xMorvaDocParams& GetParams() const override { return params; }
  int32_t GetTextWidth(int16_t part) override {
    lastPart = part;
    return textWidth;
  }
  void SetModified() override { ++modified; }
  void SetCurrentPart(xMorvaUndoEngine& engine) override { currentPart = &engine; }
  xMorvaUndoEngine* GetEditedPart(int32_t& page) override {
    page = currentPage;
    return currentPart;
  }
  void RestoreEditedPart(xMorvaUndoEngine& engine, int32_t page) override {
    currentPart = &engine;
    currentPage = page;
  }
  // Style sheets by id, their state as undo keeps it.
  bool GetStyleSheetState(int16_t id, std::vector<uint8_t>& state) override {
    state = styleSheets.count(id) != 0 ? styleSheets[id] : std::vector<uint8_t>();
    return styleSheets.count(id) != 0;
  }
  bool PutStyleSheetState(int16_t id, const std::vector<uint8_t>* state) override {
    if (state == nullptr) styleSheets.erase(id);
    if (state != nullptr) styleSheets[id] = *state;
    return true;
  }
  void BeginChange() override { ++changesBegun; }
  void EndChange() override { ++changesEnded; }
  // Pictures on pages by data id, with the box undo and redo last gave.
  bool SetPagePictureBox(int32_t picture, const VRect& box) override {
    auto it = pictureBoxes.find(picture);
    if (it == pictureBoxes.end()) return false;
    it->second = {box.GetLeft(), box.GetTop(), box.GetWidth(), box.GetHeight()};
    return true;
  }
  // Pictures on pages by data id, as undo keeps them: put back only where
  // none holds the id, taken away only where one does; no picture has a
  // negative id.
  bool PutPagePictureState(int16_t picture, const std::vector<uint8_t>* state) override {
    if (picture < 0) return false;
    if (state == nullptr) return pagePictures.erase(picture) != 0;
    return pagePictures.emplace(picture, *state).second;
  }
  void GetStyleSheetName(int16_t id, VString& name) override {
    auto it = styleSheetNames.find(id);
    if (it != styleSheetNames.end()) name.AppendCText(it->second.c_str(), kCharSetAnsi);
  }

  xMorvaDocParams params;
  int32_t textWidth = 600;
  int16_t lastPart = -1;
  int modified = 0;
  xMorvaUndoEngine* currentPart = nullptr;
  int32_t currentPage = 0;
  std::map<int16_t, std::vector<uint8_t>> styleSheets;
  int changesBegun = 0;
  int changesEnded = 0;
  std::map<int16_t, std::string> styleSheetNames;
  std::map<int32_t, std::vector<int32_t>> pictureBoxes;
  std::map<int16_t, std::vector<uint8_t>> pagePictures;
};

// Installs itself for the life of a scope; answers list items as
// "list:item" unless given a text, and records the alerts shown.
class FakeAreaServices : public xMorvaAreaServices {
 public:
  FakeAreaServices() : fPrevious(xMorvaAreaServiceSlot::Install(this)) {}
  ~FakeAreaServices() override { xMorvaAreaServiceSlot::Install(fPrevious); }

  void ShowAlert(int16_t listOffset, int16_t item) override { alerts.emplace_back(listOffset, item); }
  void GetListString(VString& text, int16_t listOffset, int16_t item) override {
    auto it = texts.find({listOffset, item});
    const std::string value = it != texts.end() ? it->second
                                                : std::to_string(listOffset) + ":" + std::to_string(item);
    text.AppendCText(value.c_str(), kCharSetAnsi);
  }
  // A package without resources.
  VMemHandle CopyPackageResource(uint32_t) override { return 0; }

  std::vector<std::pair<int16_t, int16_t>> alerts;
  std::map<std::pair<int16_t, int16_t>, std::string> texts;

 private:
  xMorvaAreaServices* fPrevious;
};

class FakeEngineServices : public xMorvaEngineServices {
 public:
  FakeEngineServices() : fPrevious(xMorvaEngineServiceSlot::Install(this)) {}
  ~FakeEngineServices() override { xMorvaEngineServiceSlot::Install(fPrevious); }
  int32_t GetWidestBodyLine(xMorvaDocumentInterface&) override { return widest; }
  void GetFontName(xMorvaDocumentInterface&, int16_t font, VString& name) override {
    auto it = fontNames.find(font);
    if (it != fontNames.end()) name.AppendCText(it->second.c_str(), kCharSetAnsi);
  }
  xMorvaTextInterface* NewText(xMorvaUndo*, uint16_t) override { return nullptr; }

  int32_t widest = 0;
  std::map<int16_t, std::string> fontNames;

 private:
  xMorvaEngineServices* fPrevious;
};

// A store of resources by type and id, as bytes; it can be told to refuse.
class FakeStore : public xMorvaRecordStore {
 public:
  VMemHandle CopyResource(uint32_t type, int16_t id) override {
    auto it = resources.find({type, id});
    if (it == resources.end()) return 0;
    return gMemoryMgr->NewHandleFromData(it->second.data(), uint32_t(it->second.size()));
  }
  bool PutResource(uint32_t type, int16_t id, const void* data, uint32_t size) override {
    if (refuse) return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    resources[{type, id}] = std::vector<uint8_t>(bytes, bytes + size);
    return true;
  }

  std::map<std::pair<uint32_t, int16_t>, std::vector<uint8_t>> resources;
  bool refuse = false;
};
