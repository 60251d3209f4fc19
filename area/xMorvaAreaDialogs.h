// The dialogs the editing area runs before they exist: the dialogs layer,
// above the area, installs its dialogs here at start. Without them the
// questions go to the host as yes-or-no confirmations, so that no answer
// loses the user's work unasked.
#pragma once

#include <cstdint>

#include "framework/core/VService.h"

class xMorvaMain;
class xMorvaPlugIn;

// Buttons of the can-delete question.
constexpr int16_t kCanDeleteSave = 0;
constexpr int16_t kCanDeleteDiscard = 1;
constexpr int16_t kCanDeleteCancel = 2;

// Buttons of the question before a plain text save that would lose
// characters.
constexpr int16_t kTextLosesUnicode = 0;
constexpr int16_t kTextLosesAnyway = 1;
constexpr int16_t kTextLosesCancel = 2;
// Its text: the item of the package's alert list (resource base + 6).
constexpr int16_t kAlertTextLoses = 28;

class xMorvaAreaDialogs {
 public:
  virtual ~xMorvaAreaDialogs() = default;
  // Whether to save a modified document before its area goes: one of the
  // three buttons.
  virtual int16_t RunCanDelete(xMorvaPlugIn& area, bool flag) = 0;
  // Whether a document read from the older format may be stored back in
  // the new one; `dontAskAgain` the dialog's box.
  virtual bool RunCanConvert(bool& dontAskAgain) = 0;
  // Whether a repaired document is accepted (always, as the text stands);
  // `dontAskAgain` the dialog's box.
  virtual void RunRepair(bool& dontAskAgain) = 0;
  // Whether a document whose characters the chosen plain text form cannot
  // all carry is saved as Unicode text, in that form anyway (losing them),
  // or not at all: one of the three buttons.
  virtual int16_t RunTextLoses(xMorvaPlugIn& area) = 0;
};

using xMorvaAreaDialogSlot = VService<xMorvaAreaDialogs>;

// Through the installed dialogs; without them, item 20 of the package's
// alert list as the host's confirmation: yes saves, no closes unsaved.
int16_t AskCanDelete(xMorvaPlugIn& area, bool flag);
// The conversion question; without the dialogs item 19 of the alert list
// as a confirmation (yes stores the document).
bool AskCanConvert(xMorvaMain& package, bool& dontAskAgain);
// The repair question while the module still asks it; without the dialogs
// nothing is asked.
void AskRepair();
// The question of a plain text save that would lose characters; without
// the dialogs item 28 of the alert list as a confirmation: yes saves as
// Unicode text, no saves nothing (a save that loses characters is never
// made unasked).
int16_t AskTextLoses(xMorvaPlugIn& area);
