// The editing area: its set-up, what it answers the host's area events and
// its document, its title, the can-delete question and the delayed refresh
// of its bars and status line.
#include "area/xMorvaPlugIn.h"


#include <algorithm>

#include "area/printing/xMorvaPrintCommands.h"
#include "area/spelling/xMorvaWinSpeller.h"
#include "area/view/xMorvaFrame.h"
#include "area/view/xMorvaPicturesInPage.h"
#include "area/view/xMorvaRuler.h"
#include "area/view/xMorvaTabSelector.h"
#include "area/view/xMorvaVerticalRuler.h"
#include "area/xMorvaAreaDialogs.h"
#include "area/xMorvaBarState.h"
#include "area/xMorvaDialogCommands.h"
#include "area/xMorvaDocumentAreaServices.h"
#include "area/xMorvaDocMgr.h"
#include "area/xMorvaMain.h"
#include "boundary/HostRecords.h"
#include "controls/bars/VToolBar.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaFind.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "graphics/VPort.h"
#include "host/context/HostVariables.h"
#include "views/VCommand.h"
#include "views/VPaneView.h"

namespace {

// Message from the frames asking for the own window, and the text view's
// first message.
constexpr int32_t kMessageOwnWindow = 20;
// The choice controls whose chosen item is the command to run.
constexpr int32_t kChoiceControls[] = {301, 520, 601, 615, 631, 645, 661, 671, 685, 710, 720, 1020, 1030};
// The tool bar's message whose item number picks a view command.
constexpr int32_t kToolbarItemMessage = -994;
// The bars' style sheet list, whose choices are the document's style sheets.
constexpr int32_t kStyleSheetListCommand = 1000;
// Items of the document text list: the own window command's titles, and
// the text of an area too small to show its document.
constexpr int16_t kItemOwnWindowLeave = 23;
constexpr int16_t kItemOwnWindowEnter = 24;
constexpr int16_t kItemTooSmall = 28;
// The save command, run when the user chooses to save before closing.
constexpr int32_t kCommandSave = 103;
// The document's view flag (area option 2) that shows the rulers.
constexpr int32_t kViewFlagRulers = 2;

}  // namespace

bool xMorvaRefreshTimer::Serve(uint32_t now) {
  if (requested != 0) {
    requested = 0;
    deadline = now + 1;
    // 0 means no deadline; a deadline that lands on 0 waits a tick more.
    if (deadline == 0) deadline = 1;
    return false;
  }
  if (deadline == 0 || static_cast<int32_t>(now - deadline) <= 0) return false;
  deadline = 0;
  return true;
}

xMorvaPlugIn::xMorvaPlugIn(xMorvaMain* package, void* params)
    : VPlugIn(package, kResourceOffset, static_cast<void**>(params)),
      xMorvaHostObject(package, this),
      fMenuBar(this),
      fFormArea(1) {
  InitPlugInArea();
}

xMorvaPlugIn::xMorvaPlugIn(xMorvaMain* package)
    : VPlugIn(package, kResourceOffset), xMorvaHostObject(package, this), fMenuBar(this), fFormArea(0) {
  InitPlugInArea();
}

xMorvaPlugIn::~xMorvaPlugIn() {
  // The view tree deletes the frames after this part of the area is gone:
  // they forget it and its document first.
  for (xMorvaFrame* frame : std::vector<xMorvaFrame*>(fFrames)) frame->ForgetArea();
  fFrames.clear();
  fActiveFrame = nullptr;
  ForgetDocument();
  fFindReplace.reset();
  fDocument.reset();
}

void xMorvaPlugIn::InitPlugInArea() {
  fEventMethods.Clear();
  std::fill(std::begin(fAllowed), std::end(fAllowed), uint8_t{1});
  fEditingLock = 0;
  fInterfaceLock = 0;
  fCaches = BarCaches();
  fDocument.reset(new xMorvaDocument(this));
  if (xMorvaMain* package = GetMorvaPackage()) package->CopyDefaultsTo(*fDocument, !HasHostWindow());
  EnsureDocMgr();
  fDocument->Reset(false);
  SetAreaTitle();
  fFindReplace.reset(new xMorvaFindReplaceParameters());
  fFindHistory = std::make_unique<VStringArray>();
  fReplaceHistory = std::make_unique<VStringArray>();
  SetEnabled(true);
  fPaneView = new VPaneView(this, true, true, true, true);
  SetContentView(fPaneView);
  auto* frame = new xMorvaFrame(fPaneView, fDocument.get(), this);
  fActiveFrame = frame;
  frame->NotifyParent(frame, kMsgMakeDefaultFrame, 0);
  fBarRefresh.Request();
  fBarRefresh.deadline = 0;
  fStatusRefresh.Request();
  fStatusRefresh.deadline = 0;
  if (xMorvaMain* package = GetMorvaPackage()) {
    for (int16_t i = 0; i < 3; ++i) package->GetListString(fTexts[i], kInterfaceTextList, int16_t(i + 1));
    package->GetListString(fTexts[3], kDocumentTextList, 33);
    package->GetListString(fTexts[4], kDocumentTextList, 34);
    for (int16_t i = 0; i < 4; ++i) package->GetListString(fTexts[5 + i], kUndoTextList, int16_t(i + 1));
  }
  fDocument->UpdateFrameContentSize();
  fDocument->UpdateCaret(false);
}

// ---- Host events

void xMorvaPlugIn::HandleEvent(void** params) {
  // Only the creating events hand the reference out; a closing event may
  // leave no area behind to do anything after.
  const bool creating = IsCreatingEvent(params);
  VPlugIn::HandleEvent(params);
  if (creating) HandOutReference(params);
}

VWindowMenuBar* xMorvaPlugIn::GetWindowMenuBar() {
  VWindowMenuBar* dockBar = VPlugIn::GetWindowMenuBar();
  return dockBar != nullptr ? dockBar : &fMenuBar;
}

VPlugInDocMgr* xMorvaPlugIn::NewDocMgr() { return new xMorvaDocMgr(fDocument.get(), false); }

// The test of the size state: a form area without a table keeps the size
// the host gives it.
bool xMorvaPlugIn::IsUnplaced() { return GetFormTable() <= 0 && GetWindowView() != nullptr; }

void xMorvaPlugIn::InitInterface(const void*, uint32_t) {
  LoadInterface(GetAreaName());
  if (fDocument) {
    uint16_t width = 0, height = 0;
    fDocument->GetAreaSetting(8, width, nullptr);
    fDocument->GetAreaSetting(9, height, nullptr);
    VPlugIn::SetMinimumSize(static_cast<int16_t>(width), static_cast<int16_t>(height));
    fDocument->UpdateStyleSheetMenu();
  }
  if (IsUnplaced()) {
    EnableControl(*this, 20, false);
    EnableControl(*this, 110, false);
  } else if (auto* manager = static_cast<xMorvaDocMgr*>(GetDocMgr()); manager != nullptr && !manager->IsFieldUsable()) {
    manager->LoadFromField(this);
  }
  ::UpdateBarState(*this, true);
}

void xMorvaPlugIn::ReloadCommands() {
  if (xMorvaMain* package = GetMorvaPackage()) {
    LoadCommandResource(package->GetResourceFile(), static_cast<int16_t>(package->GetResourceBase() + kResourceOffset));
  }
  if (fDocument) fDocument->UpdateStyleSheetMenu();
  ::UpdateBarState(*this, true);
}

void xMorvaPlugIn::OwnWindowOpened() {
  VStr<255> title;
  if (xMorvaMain* package = GetMorvaPackage()) package->GetListString(title, kDocumentTextList, kItemOwnWindowEnter);
  SetCommandTitle(kMessageOwnWindow, title, 1);
  EnableControl(*this, 310, false);
  SetAreaTitle();
  fCaretRefreshPending = 1;
}

void xMorvaPlugIn::OwnWindowClosed() {
  VStr<255> title;
  if (xMorvaMain* package = GetMorvaPackage()) package->GetListString(title, kDocumentTextList, kItemOwnWindowLeave);
  SetCommandTitle(kMessageOwnWindow, title, 1);
  EnableControl(*this, 310, true);
}

void xMorvaPlugIn::FinishHostCommand() {
  const int16_t state = VPlugIn::GetSizeState();
  // State 3 closes already; an area without a host window, or one whose
  // own-window command is disabled, has no window to open.
  const bool canOpen = state <= 2 && GetWindowView() != nullptr && !IsUnplaced();
  if (state != 4 && !canOpen) return;
  // What the user does in the window is the user's, not the host command's:
  // methods are asked and redraws are not held back.
  fDocument->SetInHostCommand(false);
  if (state == 4) {
    CloseOwnWindow();  // the window's loop ends at its next turn
  } else {
    RequestOwnWindow();
  }
  // The window requested runs at the end of an area event; the host command
  // runs outside one, so the area takes an idle event now. The area may be
  // gone when it returns.
  HostEventRecord idle{};
  void* params[kAreaEventParamCount] = {&idle, nullptr, nullptr, nullptr};
  HandleEvent(params);
}

void xMorvaPlugIn::BeforeClose() {
  SaveDocks(GetAreaName());
  CallEventCallback(5, 0);
  CallEventCallback(10, 0);
}

void xMorvaPlugIn::LoseFocus(VFrame* next) {
  VPlugIn::LoseFocus(next);
  CallEventCallback(5, 0);
}

void xMorvaPlugIn::TakeFocus() {
  VPlugIn::TakeFocus();
  CallEventCallback(5, 1);
}

bool xMorvaPlugIn::NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) {
  // The own window is first the document's command 20, unless the host
  // language is running a command on the document.
  if (message == kMessageOwnWindow && fDocument && !fDocument->IsInHostCommand() &&
      fDocument->DoCommand(kMessageOwnWindow)) {
    return true;
  }
  return VPlugIn::NotifyParent(sender, message, parameter);
}

bool xMorvaPlugIn::DoCommand(VFrame*, int32_t id, intptr_t parameter) {
  int32_t command = id;
  if (std::find(std::begin(kChoiceControls), std::end(kChoiceControls), id) != std::end(kChoiceControls)) {
    command = VFrame::GetCommandLong(id);
  } else if (id == kToolbarItemMessage) {
    switch (parameter) {
      case 12002: command = 335; break;
      case 12003: command = 336; break;
      case 12004: command = 337; break;
      case 12005: command = 338; break;
      default: command = 0; break;
    }
  }
  return fDocument && fDocument->DoCommand(command);
}

void xMorvaPlugIn::Idle(bool busy) {
  VPlugIn::Idle(busy);
  if (!busy) ServeRefreshes(VSystemServices::TickCount60());
}

void xMorvaPlugIn::ServeRefreshes(uint32_t now) {
  if (fCaretRefreshPending != 0 && fDocument) {
    fDocument->UpdateCaret(true);
    fCaretRefreshPending = 0;
  }
  if (fBarRefresh.Serve(now)) {
    ++fBarRefreshes;
    ::UpdateBarState(*this, true);
  }
  if (fStatusRefresh.Serve(now)) ::UpdateStatusLine(*this, true);
}

void xMorvaPlugIn::DrawTooSmall(VPort& port) {
  VStr<255> text;
  uint16_t option6 = 0;
  if (fDocument) fDocument->GetAreaSetting(6, option6, &text);
  if (option6 == 0) {
    text.SetEmpty(false);
    if (xMorvaMain* package = GetMorvaPackage()) package->GetListString(text, kDocumentTextList, kItemTooSmall);
  }
  DrawLookElement(port, 0, 0, nullptr, 0);
  DrawLookElement(port, 17, 0, nullptr, 0);
  port.UseStandardFont(2);
  port.DrawTextInBox(text, 1, 1, 3, 3, GetWidth() - 6, GetHeight() - 6, false);
}

// ---- Closing

bool xMorvaPlugIn::CanClose(bool asking) { return CanDeleteArea(asking); }

bool xMorvaPlugIn::CanDeleteArea(bool flag) {
  if (!fDocument || !HasHostWindow() || fDocument->IsOffscreen()) return true;
  uint16_t option0 = 0;
  fDocument->GetAreaSetting(0, option0, nullptr);
  if (option0 == 0 || !fDocument->IsModified()) return true;
  fDocument->SetHostOutcome(false);
  const int16_t button = AskCanDelete(*this, flag);
  if (button == kCanDeleteSave) {
    fDocument->SetHostOutcome(true);
    // A save that wrote nothing (cancelled, or the write failed) keeps the
    // area and its document, as Cancel does.
    return fDocument->DoCommand(kCommandSave);
  }
  return button != kCanDeleteCancel;
}

// ---- What the document asks

void xMorvaPlugIn::SetAreaTitle() {
  if (!fDocument) return;
  VStr<255> name;
  fDocument->GetDocumentName(name);
  SetTitle(name);
}

bool xMorvaPlugIn::CallCommandMethod(int32_t command) {
  xMorvaMain* package = GetMorvaPackage();
  return package != nullptr && package->CallCommandMethod(*this, command);
}

bool xMorvaPlugIn::CallAreaCallback(int32_t command) {
  xMorvaMain* package = GetMorvaPackage();
  return package != nullptr && package->CallAreaCallback(*this, command);
}

bool xMorvaPlugIn::CallEventCallback(int16_t kind, int32_t value) {
  xMorvaMain* package = GetMorvaPackage();
  return package != nullptr && package->CallEventCallback(this, kind, value);
}

void xMorvaPlugIn::UpdateBarState() { ::UpdateBarState(*this, false); }

void xMorvaPlugIn::RunSpellCheck() {
  // The host's service first, then the engine the host reaches; the engine
  // library when the host offers neither.
  if (!fHostSpeller) fHostSpeller = std::make_unique<xMorvaSpeller>();
  if (fHostSpeller->IsAvailable()) {
    fHostSpeller->SpellCheckDocument(*this);
    return;
  }
  if (!fHostEngine) fHostEngine = std::make_unique<xMorvaVuzizaDevo>();
  if (fHostEngine->IsAvailable()) {
    fHostEngine->CheckDocument(*this);
    return;
  }
  if (!fSpeller) {
    if (!fSpellerFiles) fSpellerFiles = std::make_unique<xMorvaSpellerPreferences>(GetMorvaPackage());
    fSpeller = std::make_unique<xMorvaWinSpeller>(*this, *fSpellerFiles);
  }
  fSpeller->RunSpellCheck();
}

void xMorvaPlugIn::UnloadWinSpeller() {
  if (fSpeller) fSpeller->Unload();
}

bool xMorvaPlugIn::RunBarCommand(int32_t command) {
  if (!fDocument) return false;
  xMorvaDocument& document = *fDocument;
  if (command == 310) {
    document.ShowDockBar(!document.IsDockBarShown(), true);
  } else if (command == 320) {
    document.ShowToolBar(!document.IsToolBarShown(), true);
  } else if (command >= 331 && command <= 334) {
    const auto bar = static_cast<int16_t>(command - 331);
    document.ShowBar(bar, !document.IsBarShown(bar), true);
  } else if (command >= 335 && command <= 338) {
    // A bar's close box: its show command unchecked, the bar hidden.
    const auto bar = static_cast<int16_t>(command - 335);
    VFrame* from = fActiveFrame != nullptr ? static_cast<VFrame*>(fActiveFrame) : this;
    from->SetCommandLong(331 + bar, 0, 2);
    document.ShowBar(bar, false, true);
  } else {
    return false;
  }
  // The bar commands' checks follow what the bars now show.
  UpdateBarState();
  return true;
}

int32_t xMorvaPlugIn::RunCommand(int32_t command) {
  int32_t code = 0;
  if (RunFileCommand(command, code)) return code;
  if (RunBarCommand(command) || xMorvaDialogCommands::Run(*this, command)) return 0;
  switch (command) {
    case 106: xMorvaPrinting::PageSetupCommand(*this); return 0;
    case 107: xMorvaPrinting::PrintPreviewCommand(*this); return 0;
    case 108: xMorvaPrinting::PrintCommand(*this, true, 0, 0); return 0;
    case 109: xMorvaPrinting::MailingCommand(*this, true, true, 0); return 0;
    case 805: RunSpellCheck(); return 0;
    default: break;
  }
  // The tab selector's menu: the kind every view's selector shows.
  if (const int16_t kind = xMorvaTabSelector::KindOfCommand(command); kind != 0) {
    for (xMorvaFrame* frame : fFrames) {
      if (xMorvaTabSelector* selector = frame->GetTabSelector()) selector->SetCurrentKind(kind);
    }
  }
  return 0;
}

// ---- Rulers

std::vector<VPaneView*> xMorvaPlugIn::FramePanes() const {
  std::vector<VPaneView*> panes;
  for (xMorvaFrame* frame : fFrames) {
    if (auto* pane = dynamic_cast<VPaneView*>(frame->GetParent())) panes.push_back(pane);
  }
  return panes;
}

void xMorvaPlugIn::ShowRulerElements(bool show, bool pageRuler, bool relayoutContainers) {
  for (VPaneView* pane : FramePanes()) {
    pane->ShowTopView(show, false);
    pane->ShowTopLeftView(show, false);
    pane->ShowLeftView(pageRuler, false);
    if (relayoutContainers) pane->Layout(1);
  }
}

// ---- Scroll bars, split boxes and the bars of a locked document

void xMorvaPlugIn::ShowScrollBars(bool horizontal, bool show) {
  for (VPaneView* pane : FramePanes()) {
    // A pane lays itself out only when its bar comes or goes.
    const bool shown = (horizontal ? pane->GetHorizontalBar() : pane->GetVerticalBar()) != nullptr;
    if (shown == show) continue;
    if (horizontal) {
      // The two bars share their corner pixel, which the vertical bar draws
      // as the later of the two: it is made again after a horizontal bar
      // that comes back, so that the pane shows as it was made.
      const bool vertical = show && pane->GetVerticalBar() != nullptr;
      if (vertical) pane->SetVerticalBar(false, false);
      pane->SetHorizontalBar(show, !vertical);
      if (vertical) pane->SetVerticalBar(true, true);
    } else {
      pane->SetVerticalBar(show, true);
    }
  }
}

void xMorvaPlugIn::ShowPaneElement(int16_t element, bool show) {
  for (VPaneView* pane : FramePanes()) {
    if (element == 0) pane->SetHorizontalSplitBox(show, true);
    if (element == 1) pane->SetVerticalSplitBox(show, true);
  }
}

void xMorvaPlugIn::ShowBars(bool locked) {
  if (!fDocument) return;
  xMorvaDocument& document = *fDocument;
  if (locked) {
    if (document.IsDockBarShown()) document.ShowDockBar(false, false);
    for (int16_t bar = 0; bar < 4; ++bar) {
      if (document.IsBarShown(bar)) document.ShowBar(bar, false, false);
    }
  }
  if (document.GetParams().GetViewFlag(kViewFlagRulers) != 0) document.ShowRulers(!locked, false);
  Relayout();
}

void xMorvaPlugIn::RefreshRulers(const xMorvaDocParams&, bool pageView) {
  for (xMorvaFrame* frame : fFrames) {
    if (xMorvaHRuler* ruler = frame->GetHRuler()) ruler->Invalidate(1);
    if (xMorvaTabSelector* selector = frame->GetTabSelector()) selector->Invalidate(1);
    if (xMorvaVRuler* ruler = frame->GetVRuler(); ruler != nullptr && pageView) ruler->Invalidate(1);
  }
}

// ---- The text views

void xMorvaPlugIn::AddFrame(xMorvaFrame* frame) {
  if (frame != nullptr && std::find(fFrames.begin(), fFrames.end(), frame) == fFrames.end()) {
    fFrames.push_back(frame);
  }
}

void xMorvaPlugIn::RemoveFrame(xMorvaFrame* frame) {
  fFrames.erase(std::remove(fFrames.begin(), fFrames.end(), frame), fFrames.end());
  if (fActiveFrame == frame) fActiveFrame = nullptr;
}

void xMorvaPlugIn::SetContentSize(int32_t width, int32_t height) {
  for (xMorvaFrame* frame : fFrames) frame->SetContentSize(width, height, true, 1);
}

bool xMorvaPlugIn::IsRedrawSuspended() {
  // Only the host's own commands are held back; the user's typing draws.
  return GetCommandState().redrawSuspended != 0 && fDocument && fDocument->IsInHostCommand();
}

void xMorvaPlugIn::DrawSelection() {
  if (IsRedrawSuspended()) return;
  for (xMorvaFrame* frame : fFrames) frame->Invalidate(1);
}

void xMorvaPlugIn::UpdateCaret(bool scroll) {
  if (IsRedrawSuspended()) return;
  // The caret shows in the active frame, which keeps it in view; the
  // others draw again where it was.
  xMorvaFrame* shown = fActiveFrame != nullptr ? fActiveFrame : (fFrames.empty() ? nullptr : fFrames.front());
  if (shown != nullptr && scroll && fDocument) {
    int32_t x = 0, top = 0, height = 0;
    bool slant = false;
    fDocument->GetCaret().Get(x, top, height, slant);
    shown->ScrollToShow(x, top, height);
  }
  for (xMorvaFrame* frame : fFrames) frame->Invalidate(1);
}

void xMorvaPlugIn::ShowSelection(bool scroll) {
  DrawSelection();
  if (fDocument) fDocument->UpdateCaret(scroll);
}

void xMorvaPlugIn::ScrollFramesToOrigin() {
  for (xMorvaFrame* frame : fFrames) frame->ScrollToOrigin();
}

void xMorvaPlugIn::ApplyViewOptions(bool keepTitle) {
  VDockView::Relayout();
  if (!keepTitle) SetAreaTitle();
}

void xMorvaPlugIn::SetMinimumSize(int32_t width, int32_t height) {
  VPlugIn::SetMinimumSize(static_cast<int16_t>(width), static_cast<int16_t>(height));
}

// The docked bar, the tool bar, or bar n (0 to 3) of the dock, whose
// resource id is the package's resource base + 2 + n; null when the dock
// has none of them.
VDockBar* xMorvaPlugIn::FindAreaBar(int16_t bar) const {
  if (bar == kBarDock) return GetDockBar();
  if (bar == kBarTool) return GetToolBar();
  xMorvaMain* package = GetMorvaPackage();
  if (bar < 0 || bar > 3 || package == nullptr) return nullptr;
  const auto id = static_cast<int16_t>(package->GetResourceBase() + 2 + bar);
  if (VDockBar* docked = FindBar(id)) return docked;
  // The status bar is the dock's tool bar, kept apart from its docked bars.
  VDockBar* status = GetToolBar();
  return status != nullptr && status->GetResourceId() == id ? status : nullptr;
}

bool xMorvaPlugIn::ShowBar(int16_t bar, bool show) {
  VDockBar* found = FindAreaBar(bar);
  if (found == nullptr) return false;
  found->SetVisible(show);
  return true;
}

bool xMorvaPlugIn::IsBarShown(int16_t bar) const {
  const VDockBar* found = FindAreaBar(bar);
  return found != nullptr && found->IsVisible();
}

VStreamProgress* xMorvaPlugIn::NewProgressGauge(int16_t listOffset, int16_t messageIndex,
                                                uint32_t total) {
  // A host command that asked for quiet sees no gauge either.
  if (IsRedrawSuspended()) return nullptr;
  auto* bar = dynamic_cast<VToolBar*>(GetToolBar());
  if (bar == nullptr || !bar->IsShown()) return nullptr;
  xMorvaMain* package = GetMorvaPackage();
  if (package == nullptr) return nullptr;
  return new xMorvaProgressStatus(bar, package->GetResourceFile(),
                                  static_cast<int16_t>(package->GetResourceBase() + listOffset),
                                  messageIndex, total);
}

void xMorvaPlugIn::SetHostOutcome(bool outcome) { SetNamedHostBoolean(outcome); }

int32_t xMorvaPlugIn::GetCommandChoice(int32_t command) {
  const VCommand* found = FindCommand(command);
  // The list answers -1 for a value it does not hold.
  return found != nullptr ? std::max(found->FindChoice(nullptr), 0) : 0;
}

void xMorvaPlugIn::SetStyleSheetMenu(const VStringArray& names) {
  VCommand* command = FindCommand(kStyleSheetListCommand);
  if (command == nullptr) return;
  command->SetChoiceList(new VStringArray(names), false);
}

// ---- Allowed commands

bool xMorvaPlugIn::IsCommandAllowed(int32_t id) const {
  return id >= 1 && id <= kCommandCount && fAllowed[id] != 0;
}

void xMorvaPlugIn::SetAllowedByte(int32_t id, bool allowed) {
  if (id >= 1 && id <= kCommandCount) fAllowed[id] = allowed ? 1 : 0;
}
