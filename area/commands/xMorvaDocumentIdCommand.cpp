// Command 113: a document command id executed from the host language, as a
// menu item or a toolbar would run it, but never offered to the user's
// methods (the document is inside a host command).
#include "area/commands/xMorvaTextCommandSupport.h"
#include "area/commands/xMorvaTextCommands.h"
#include "area/xMorvaCommandParams.h"
#include "area/xMorvaHostObject.h"
#include "area/xMorvaMain.h"
#include "document/xMorvaDocument.h"

namespace {

constexpr int32_t kErrorNotExecuted = 1092;

// Whether a user method is running right now with this very id: the method
// that intercepted the command and now runs it through command 113.
bool IsBeingNotified(xMorvaMain& package, xMorvaHostObject& object, int32_t id) {
  if (package.GetLastMethodValue() != id) return false;
  xMorvaCommandState& state = object.GetCommandState();
  return state.callback.busy != 0 || state.command.busy != 0 || package.GetCallbackMethod().busy != 0 ||
         package.GetCommandMethod().busy != 0;
}

}  // namespace

namespace xMorvaTextCommands {

void RunDocumentCommand(xMorvaMain& package, void** p) {
  const int32_t id = xMorvaCommandParams::LongAt(p, 1);
  TextArea area;
  if (!ResolveTextArea(package, p, area)) return;
  // A toggle's menu state is brought up to date first, so that it flips
  // from what the selection shows now.
  if (!IsBeingNotified(package, *area.object, id)) area.document->UpdateMenuItemState(id);
  // A command not done answers 1092, a save whose write failed its code.
  int32_t failure = kErrorNotExecuted;
  package.ReportCommandError(area.document->DoCommand(id, &failure) ? 0 : failure);
}

}  // namespace xMorvaTextCommands
