// VEditField: the toolbar's one-line text field, whose value is the bound
// command's text. Unfocused it draws its frame and the command's text;
// focused it edits in a text-edit frame inside itself, through an entry
// filter when its template names one. Return or Enter commits the text to
// the command; the command's executor accepts it or refuses it.
#pragma once

#include <cstdint>

#include "controls/controls/VControl.h"

class VEntryFilter;
class VPort;
class VTextEditFrame;

constexpr uint32_t kResTypeEditField = FourCC("XEDT");

class VEditField : public VControl {
 public:
  // From template 'XEDT' `templateId`; a missing or short template leaves
  // the field without position and size.
  VEditField(VFrame* parent, VPort* port, VResourceFile* file, int16_t templateId,
             int32_t commandId);
  explicit VEditField(VFrame* parent);
  // Drops the text frame (uncommitted text is lost) and the filter.
  ~VEditField() override;

  void ResizeTo(int32_t width, int32_t height, int16_t mode) override;
  void DrawContent(VPort& port) override;
  void SetVisible(bool visible) override;
  bool MouseDown(VEvent& event) override;
  int32_t HandleKey(VEvent& event) override;
  void LoseFocus(VFrame* next) override;
  void TakeFocus() override;
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override;
  void SetEnabled(bool enabled) override;
  void Close() override;
  VFrame* Clone(VFrame* newParent, int32_t word) override;
  bool AcceptsScrapType(uint32_t type) override;
  int32_t UpdateEditCommands() override;
  void EnsureValue() override;

  // Makes the editing frame inside the field with the command's text.
  virtual VTextEditFrame* CreateTextFrame();

  // Commits pending input, as Return does.
  bool Commit() { return CommitText(); }
  // Puts the text frame's text into the command and sends the command up
  // the chain; answers whether the executor accepted it (true when there
  // was nothing to commit).
  bool CommitText();
  // Whether the text frame's text was changed since it was last loaded.
  bool IsModified() const;
  // Takes the filter over (null: none) and lends it to the text frame.
  void SetEntryFilter(VEntryFilter* filter);
  VEntryFilter* GetEntryFilter() const { return fFilter; }
  VTextEditFrame* GetTextFrame() const { return fTextFrame; }

 private:
  void DropTextFrame();

  VTextEditFrame* fTextFrame = nullptr;
  VEntryFilter* fFilter = nullptr;
};
