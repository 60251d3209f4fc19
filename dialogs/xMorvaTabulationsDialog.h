// xMorvaTabulationsDialog: a list of tab stops on the form "mvTabulations":
// their positions in the document's unit, kept within the text width and
// on the unit's grid, their kinds and leaders. It edits a copy of the list
// as the user works; the caller takes the copy after an accepted run.
#pragma once

#include <cstdint>
#include <vector>

#include "dialogs/xMorvaDialog.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaTabs.h"

class xMorvaDocument;
class xMorvaPlugIn;

class xMorvaTabulationsDialog : public xMorvaDialog {
 public:
  // The stop at `position` (pixels) shows selected; -1 selects none. The
  // document gives the unit and the text width; without one, positions
  // are pixels anywhere a stop can stand.
  xMorvaTabulationsDialog(xMorvaPlugIn* area, int32_t position, const xMorvaTabs& tabs, xMorvaDocument* document);
  // The same with the unit and the range of positions given.
  xMorvaTabulationsDialog(xMorvaPlugIn* area, int32_t position, const xMorvaTabs& tabs,
                          const xMorvaDocParams& params, int32_t low, int32_t high);
  ~xMorvaTabulationsDialog() override;

  // The edited list: what the caller takes after OK.
  const xMorvaTabs& GetTabs() const { return fTabs; }
  // The selected stop's position; -1 for none.
  int32_t GetCurrentPosition() const { return fCurrent; }

  bool BeforeOpen() override;
  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;

  // A position brought within the range and onto the unit's grid (never
  // past the range's end).
  int32_t ClampPosition(int32_t pixels) const;

 private:
  void FillTabList();
  void UpdateFields();
  void ApplyKindLeader();
  void SetStop();
  void RemoveStop();
  void AddStop();
  void ReadLeader();
  bool HasPosition(int32_t pixels) const;
  // The 1-based row of the position in the list; 0 when absent.
  int32_t RowOf(int32_t pixels) const;
  void ShowNumberFormat(const char* object);

  xMorvaTabs fTabs;
  // The stops' positions, ascending: row N of the form's list is entry N.
  std::vector<int32_t> fPositions;
  xMorvaDocParams fParams;
  int32_t fLow;
  int32_t fHigh;
  int32_t fCurrent;
  int32_t fLeader = 0;
  int32_t fKind = kTabLeft;
};

// The tab stops command (753) and the ruler's double click on a stop
// (`position` the stop's, else -1): on OK `tabs` holds the edited list.
bool RunTabulationsDialog(xMorvaPlugIn& area, int32_t position, xMorvaTabs& tabs);

// The dialog opened by another dialog on the list it edits: the caller's
// form hides during the run. On OK `tabs` takes the edited list.
bool RunTabulationsSubDialog(xMorvaDialog& caller, xMorvaTabs& tabs);
