// xMorvaDialog: what every dialog of the word processor shares on top of
// the host's form dialog (VDialQv). A dialog is built on its caller's stack
// with the editing area it serves, runs once on its form and keeps a working
// copy of what it shows; the caller reads that copy back only after an
// accepted run.
//
// The run (VDialQv::RunDialog) keeps this order, which the dialogs rely on:
// the area is told -998, then BeforeOpen (fill pop-ups and lists; false
// refuses the dialog and no form is ever shown), the form opens, AfterOpen
// (load the values; false closes the form at once), then the form's events
// (ItemHit per object; an accept asks CanAccept and a cancel CanCancel, and
// a false answer keeps the form open), ReadValues only when the run ended
// through an accept, Closing whatever the outcome, the form closes and the
// area is told -997.
#pragma once

#include <cstdint>

#include "host/dialog/VDialQv.h"

class VDialQv;
class VStringArray;
class xMorvaDocParams;
class xMorvaDocument;
class xMorvaPlugIn;

// Tells the editing area that a modal dialog begins and ends, as a frame
// hears of anything its children do.
class xMorvaDialogOwner : public VDialQvOwner {
 public:
  explicit xMorvaDialogOwner(xMorvaPlugIn* area) : fArea(area) {}
  void NotifyParent(VObject* sender, int32_t message, int16_t value) override;
  xMorvaPlugIn* GetArea() const { return fArea; }

 private:
  xMorvaPlugIn* fArea;
};

// The owner must exist before the form dialog is built on it, so it is the
// first base.
struct xMorvaDialogOwnerSlot {
  explicit xMorvaDialogOwnerSlot(xMorvaPlugIn* area) : fDialogOwner(area) {}
  xMorvaDialogOwner fDialogOwner;
};

class xMorvaDialog : private xMorvaDialogOwnerSlot, public VDialQv {
 public:
  // `area` may be null (a dialog run without an area, as the tests do): the
  // lists then come from no package and nobody is told of the run.
  xMorvaDialog(xMorvaPlugIn* area, const char* formName);

  // Runs the dialog modally, with no parent form: true when accepted.
  bool Run() { return RunDialog(0); }
  // Runs `sub` in this dialog's place: this form hides for the time of the
  // sub-dialog's run and shows again after. Answers the sub-dialog's run.
  bool RunSubDialog(VDialQv& sub);

  xMorvaPlugIn* GetArea() const { return fDialogOwner.GetArea(); }
  // The area's document; null without an area.
  xMorvaDocument* GetDocument() const;

  // ---- Lists of the package's resources, by offset from its resource base.
  // The 'STR#' id of the offset; 0 without a package.
  int16_t ListId(int16_t offset) const;
  // The host fills the pop-up or list from 'STR#' base+offset.
  void FillFromList(const char* object, int16_t offset);
  // A new array of 'STR#' base+offset (the caller owns it); null when the
  // list is missing or empty.
  VStringArray* NewList(int16_t offset) const;

  // ---- Lengths in the document's unit. The entry takes the unit's display
  // format and shows the length; the length read back is rounded to the
  // unit's step and converted to whole pixels by truncation.
  void ShowLength(const char* object, const xMorvaDocParams& params, int32_t pixels);
  int32_t ReadLength(const char* object, const xMorvaDocParams& params);
};

// The 0-based choice of a drop-down or pop-up whose items are numbered from
// 1: item - 1. A drop-down that reports item 0 has nothing chosen, and one
// beyond its `count` items reports no item of its list: either keeps
// `current`, so that no -1 (or a value past the list) ever reaches a
// property, a unit or an index.
int32_t DropDownChoice(int32_t item, int32_t count, int32_t current);

// Enables (or not) a form object and lets it be typed into (or not).
void SetObjectActive(VDialQv& dialog, const char* name, bool active);

// The system's colour chooser on a colour of the properties (the platform's
// 0x00BBGGRR, as the chooser takes and gives it): true when the user
// confirmed another colour, which replaces `colour`; false when cancelled
// or the same colour was confirmed, `colour` unchanged.
bool ChooseColour(int32_t& colour);
