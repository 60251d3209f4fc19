// The user's toolbar dialog: a check list of the dock's bars in the form's
// user area, read back into the dock's choices on OK.
#include "controls/bars/VToolBarsUserDialog.h"

#include <string>

#include "framework/core/containers/VBooleanArray.h"
#include "framework/core/containers/VStringArray.h"
#include "host/package/VPackage.h"
#include "views/VListView.h"
#include "views/VPlugIn.h"
#include "views/VScrollContainer.h"

namespace {

constexpr const char* kCheckListArea = "vCheckList";

// Whether a user dialog is up: a second request waits for no answer.
bool sRunning = false;

}  // namespace

VToolBarsUserDialog::VToolBarsUserDialog(VStringArray& titles, VBooleanArray& shown)
    : VDialQv(nullptr, "ToolbarsUser"), fTitles(titles), fShown(shown) {}

bool VToolBarsUserDialog::BeforeOpen() {
  HostFormSetDrawCallback(kCheckListArea, 0, false);
  return true;
}

VObject* VToolBarsUserDialog::CreateUserArea(const VString& objectName, void* areaCall) {
  VStr<255> name;
  name.SetAnsiCText(kCheckListArea);
  if (objectName.Compare(name, false) != 0) return nullptr;
  auto* area = new VPlugIn(gCurrentPackage, this, objectName, static_cast<void**>(areaCall));
  auto* container = new VScrollContainer(area, true, false);
  area->SetContentView(container);
  auto* list = new VCheckListView(container, 0, 0);
  container->SetContentView(list, true);
  list->SetColumns(&fShown, &fTitles);
  fCheckList = list;
  return area;
}

void VToolBarsUserDialog::Closing() { fCheckList = nullptr; }

bool RunToolBarsUserDialog(std::vector<VToolBarChoice>& bars) {
  if (sRunning) return false;
  VStringArray titles;
  VBooleanArray shown;
  for (const VToolBarChoice& bar : bars) {
    VStr<255> title;
    if (bar.title.GetLength() != 0) {
      title.SetString(bar.title, kWholeValue);
    } else {
      title.SetAnsiCText(std::to_string(bar.id).c_str());
    }
    titles.AppendString(title, false);
    shown.AppendBoolean(bar.shown ? 1 : 0, false);
  }
  sRunning = true;
  bool accepted = false;
  {
    VToolBarsUserDialog dialog(titles, shown);
    accepted = dialog.RunDialog(0);
  }
  sRunning = false;
  if (!accepted) return false;
  const int32_t count = shown.Count();
  for (int32_t i = 0; i < count && i < static_cast<int32_t>(bars.size()); ++i)
    bars[static_cast<size_t>(i)].shown = shown.GetBoolean(i + 1);
  return true;
}

const VToolBarsUserDialogRunner kToolBarsUserDialogRunner = {&RunToolBarsUserDialog};
