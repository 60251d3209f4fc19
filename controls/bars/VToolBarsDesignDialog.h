// VToolBarsDesignDialog: the toolbar design dialog on the form
// "xp_ToolBarsDesign". Pages 1 to 7 are its tab pages; pages 8 to 13 describe
// a new toolbar item (edit field, combo, button, menu, message, witness) and
// page 14 is the icon picker. It applies nothing: its value reading is empty.
#pragma once

#include <cstdint>
#include <vector>

#include "host/dialog/VDialQv.h"

class VToolBarsDesignDialog : public VDialQv {
 public:
  // The message an icon picker sends with the chosen icon's id.
  static constexpr int32_t kMsgIconChosen = 101;
  // The last tab page and the icon picker's page.
  static constexpr int16_t kLastTabPage = 7;
  static constexpr int16_t kIconPickerPage = 14;

  // `configuration` is the area's toolbar configuration (not owned, may be
  // null); the title goes on the dialog's window.
  VToolBarsDesignDialog(VDialQvOwner* parent, const std::vector<uint8_t>* configuration,
                        const VString& title);

  // OK and Cancel end the dialog only from a tab page: on a sub-page they
  // go back instead (ItemHit).
  bool CanCancel(const VString& objectName, int16_t page) override;
  bool CanAccept(const VString& objectName, int16_t page) override;
  // The check box and radio button items cannot be described yet.
  bool AfterOpen() override;
  // Message 101 carries the icon chosen on the picker; every message is
  // answered.
  bool HandleMessage(VObject* sender, int32_t message, int16_t value) override;
  void ItemHit(const VString& objectName, int16_t page) override;

  const std::vector<uint8_t>* GetConfiguration() const { return fConfiguration; }
  // The page the icon picker was opened from (0: never opened).
  int16_t GetReturnPage() const { return fReturnPage; }
  // The icon last confirmed on the picker with OK, and the page it was
  // chosen for (0 for none).
  int16_t GetChosenIcon() const { return fChosenIcon; }
  int16_t GetChosenIconPage() const { return fChosenIconPage; }

 private:
  void OpenSubPage(int16_t page);
  void BackToPage(int16_t page);
  void OpenIconPicker(int16_t page);
  void ShowTabObjects(bool show);

  const std::vector<uint8_t>* fConfiguration;
  // The tab page last shown, where a tab value that names no tab page
  // leads back to.
  int16_t fTabPage = 1;
  int16_t fReturnPage = 0;
  // The icon the picker reported, kept until its OK or Cancel.
  int16_t fPendingIcon = 0;
  int16_t fChosenIcon = 0;
  int16_t fChosenIconPage = 0;
};
