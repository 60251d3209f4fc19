// The find dialog (form "mvFind") and the replace dialog (form "mvReplace"):
// an accepted run changes the editing area's search: its texts, its property
// criteria (through the character, paragraph, style sheet and border
// dialogs run in their place) and its three flags, and grows the histories
// of the texts searched for and put in their place.
#pragma once

#include <cstdint>

#include "dialogs/xMorvaDialog.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaPropertiesStates.h"

class VString;
class VStringArray;
class xMorvaDocument;
class xMorvaFindReplaceParameters;

// The area's search as the dialogs see it: its parameters and the two
// histories (item 1 the most recent), all kept by the area for its whole
// life, so that a second run starts from the last text, criteria and flags;
// and the document that names the fonts and sheets of the criteria.
struct xMorvaFindReplace {
  xMorvaFindReplaceParameters& parameters;
  VStringArray& findHistory;
  VStringArray& replaceHistory;
  xMorvaDocument* document;

  // Run the dialog on the search for `owner`: true when accepted, the
  // search then changed. The replace dialog answers in `replaceAll` whether
  // it ended through "butAll" (every match) or "butReplace" (the current).
  bool RunFindDialog(xMorvaPlugIn* owner);
  bool RunReplaceDialog(xMorvaPlugIn* owner, bool& replaceAll);
};

class xMorvaFindDialog : public xMorvaDialog {
 public:
  xMorvaFindDialog(xMorvaPlugIn* area, xMorvaFindReplace& search);
  ~xMorvaFindDialog() override;

  // The dialogs that edit a criteria record, in place of this one.
  enum class Criteria { kCharacters, kParagraphs, kStyleSheet, kBorders };

  bool BeforeOpen() override;
  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;
  // An accept with nothing to look for (no text and no criteria) is
  // refused with the beep: it would match the whole rest of the text.
  bool CanAccept(const VString& objectName, int16_t page) override;
  bool ReadValues() override;

  // The most texts a history list shows (the host's lists count their
  // elements in 16 bits); the history itself keeps every text.
  static constexpr int32_t kShownHistory = 32767;

 protected:
  xMorvaFindDialog(xMorvaPlugIn* area, xMorvaFindReplace& search, const char* formName);

  // Runs the dialog of `kind` on a copy of the record; true when it was
  // accepted, with its whole working record (every property and all 65
  // states) in `properties` and `states`.
  virtual bool RunCriteriaDialog(Criteria kind, xMorvaProperties& properties,
                                 xMorvaPropertiesStates& states);
  // A criteria button: the record edited by its dialog, taken whole when
  // accepted and left as it was when not, and described again.
  void EditCriteria(Criteria kind, xMorvaProperties& properties, xMorvaPropertiesStates& states,
                    const char* description);
  // The combo box's list: the history, at most kShownHistory rows of it.
  void ShowHistory(const char* combo, const VStringArray& history);
  // The combo box's entry shows `text`, its history row selected (0 when it
  // is none of the rows shown).
  void ShowEntry(const char* combo, const VStringArray& history, const VString& text);
  // The entry's text into `text`, and into the top of the history when it
  // is neither empty nor there already (compared without regard to case).
  void ReadCombo(const char* combo, VStringArray& history, VString& text);
  void Describe(const char* object, const xMorvaProperties& properties,
                const xMorvaPropertiesStates& states);
  // Whether the entry or the criteria give something to look for.
  bool HasSomethingToFind();

  xMorvaFindReplace& fSearch;
  // The criteria being edited: the search takes them only from an accepted
  // run, so that a cancelled one leaves it whole.
  xMorvaProperties fFindProperties;
  xMorvaPropertiesStates fFindStates;
  xMorvaProperties fReplaceProperties;
  xMorvaPropertiesStates fReplaceStates;
};

class xMorvaReplaceDialog : public xMorvaFindDialog {
 public:
  xMorvaReplaceDialog(xMorvaPlugIn* area, xMorvaFindReplace& search);
  ~xMorvaReplaceDialog() override;

  // Whether the run ended through "butAll".
  bool GetReplaceAll() const { return fReplaceAll; }

  bool BeforeOpen() override;
  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;
  bool ReadValues() override;

 private:
  bool fReplaceAll = false;
};
