// The questions the editing area asks before it goes on: save before
// closing ("mvCanDelete"), change the paper ("mvPaperSize") and save plain
// text that would lose characters ("mvTextLoses"), each answered yes, no
// or cancel; convert an older document ("mvConvert") and
// repair a damaged one ("mvRepair"), each OK or cancel with a box that says
// to do it always.
#pragma once

#include <cstdint>

#include "area/xMorvaAreaDialogs.h"
#include "dialogs/xMorvaDialog.h"

// Yes (0), no (1) or cancel (2); cancel is offered only when the caller
// allows it.
class xMorvaYesNoCancelDialog : public xMorvaDialog {
 public:
  static constexpr uint8_t kYes = 0;
  static constexpr uint8_t kNo = 1;
  static constexpr uint8_t kCancel = 2;

  xMorvaYesNoCancelDialog(xMorvaPlugIn* area, const char* formName, bool canCancel);
  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;
  bool CanAccept(const VString& objectName, int16_t page) override;
  bool CanCancel(const VString& objectName, int16_t page) override;
  // The button that ended the run. A run ended otherwise (the form closed)
  // answers cancel when allowed, else yes, which loses nothing.
  uint8_t GetAnswer() const { return fAnswer; }

 private:
  // The answer of a button; false for another object.
  bool Answer(const VString& objectName);

  uint8_t fCanCancel;
  uint8_t fAnswer;
};

class xMorvaCanDeleteDialog : public xMorvaYesNoCancelDialog {
 public:
  xMorvaCanDeleteDialog(xMorvaPlugIn* area, bool canCancel)
      : xMorvaYesNoCancelDialog(area, "mvCanDelete", canCancel) {}
};

class xMorvaPaperChangeDialog : public xMorvaYesNoCancelDialog {
 public:
  xMorvaPaperChangeDialog(xMorvaPlugIn* area, bool canCancel)
      : xMorvaYesNoCancelDialog(area, "mvPaperSize", canCancel) {}
};

// A plain text save that would lose characters ("mvTextLoses"): save as
// Unicode text (yes), save anyway (no) or cancel; the question's text, from
// the package's alert list, in its object "txtQuestion".
class xMorvaTextLosesDialog : public xMorvaYesNoCancelDialog {
 public:
  explicit xMorvaTextLosesDialog(xMorvaPlugIn* area) : xMorvaYesNoCancelDialog(area, "mvTextLoses", true) {}
  bool AfterOpen() override;
};

// OK or cancel, with the "always" box read when accepted.
class xMorvaAlwaysDialog : public xMorvaDialog {
 public:
  xMorvaAlwaysDialog(xMorvaPlugIn* area, const char* formName, const char* box);
  bool ReadValues() override;
  bool GetAlways() const { return fAlways != 0; }

 private:
  const char* fBox;
  uint8_t fAlways = 0;
};

class xMorvaCanConvertDialog : public xMorvaAlwaysDialog {
 public:
  explicit xMorvaCanConvertDialog(xMorvaPlugIn* area)
      : xMorvaAlwaysDialog(area, "mvConvert", "ckbAlwaysConvert") {}
};

class xMorvaRepairDialog : public xMorvaAlwaysDialog {
 public:
  explicit xMorvaRepairDialog(xMorvaPlugIn* area) : xMorvaAlwaysDialog(area, "mvRepair", "ckbAlwaysRepair") {}
};

// The questions as the area asks them.
class xMorvaQuestionDialogService final : public xMorvaAreaDialogs {
 public:
  int16_t RunCanDelete(xMorvaPlugIn& area, bool flag) override;
  bool RunCanConvert(bool& dontAskAgain) override;
  void RunRepair(bool& dontAskAgain) override;
  int16_t RunTextLoses(xMorvaPlugIn& area) override;
};

// The paper question before printing: print as is (yes), fit the document
// to the new paper (no) or cancel.
int16_t RunPaperQuestionDialog(xMorvaPlugIn& area);
