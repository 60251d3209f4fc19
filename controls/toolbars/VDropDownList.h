// VDropDownList: the toolbar's drop-down list and combo box. Its choices are
// the choice list of its command and its value is the command's value as
// text; the 'XDRP' template says where the choices come from. An editable
// list also lets the user type a value, filtered like an edit field, and
// selects the matching choice as the user types.
#pragma once

#include <cstdint>

#include "controls/toolbars/VListControl.h"

class VEntryFilter;
class VResourceFile;
class VScrollContainer;
class VDropDownListView;
struct VDropTemplate;

constexpr uint32_t kResTypeDropDownList = FourCC("XDRP");

class VDropDownList : public VListControl {
 public:
  // From template 'XDRP' `templateId` of the file; a missing template
  // leaves the defaults.
  VDropDownList(VFrame* parent, VPort* port, VResourceFile* file, int16_t templateId,
                int32_t commandId);
  explicit VDropDownList(VFrame* parent);
  ~VDropDownList() override;

  int32_t HandleKey(VEvent& event) override;
  void TakeFocus() override;
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override;
  int32_t GetCursorIdAt(VEvent& event) override;
  VFrame* Clone(VFrame* newParent, int32_t word) override;
  void CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) override;
  void EnsureValue() override;

  bool HasChoices() override;
  int32_t GetPopUpHeight(int32_t available) override;
  void DrawCurrent(VPort& port, const int32_t* rect) override;
  void BuildPopUp(VDropDownWindow& window) override;
  void PopUpClosed() override {}
  void OpenList(VEvent& event) override;
  VTextEditFrame* CreateTextFrame() override;
  void RefreshPopUp() override;
  // Takes the filter over (null: none) and lends it to the text frame.
  virtual void SetEntryFilter(VEntryFilter* filter);

  // Commits pending input, as Return does; true after a cancelled pop-up.
  bool Commit();
  bool CommitText();
  bool IsModified() const;
  VDropDownListView* GetListView() const { return fListView; }
  int16_t GetVisibleLines() const { return fVisibleLines; }
  int16_t GetLineHeight() const { return fLineHeight; }
  void SetLineHeight(int16_t height) { fLineHeight = height; }
  bool HasFontChoices() const { return fFontChoices != 0; }
  VEntryFilter* GetEntryFilter() const { return fFilter; }

 private:
  void BuildChoices(VResourceFile* file, const VDropTemplate& t);
  // The current choice's text into `out`; empty without one.
  void CurrentChoiceText(VString& out) const;

  VScrollContainer* fScroller = nullptr;
  VDropDownListView* fListView = nullptr;
  VEntryFilter* fFilter = nullptr;
  int16_t fVisibleLines = 5;
  int16_t fLineHeight = 0;
  uint8_t fFontChoices = 0;
};
