// xMorvaPlugIn: the editing area, made by the package for an area of a host
// form or by host command 47 for an area without a form. It owns its
// document and the document's find parameters, answers what the document
// asks of its area, keeps the user's event methods of the area, the table
// of commands the host allows, the two lock flags, and serves the delayed
// refresh of its bars and status line at idle time.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "area/files/xMorvaOpenSave.h"
#include "area/xMorvaHostObject.h"
#include "area/xMorvaUserMethods.h"
#include "controls/menus/VToolboxMenuBar.h"
#include "document/xMorvaDocumentArea.h"
#include "views/VPlugIn.h"

class VDockBar;
class VPaneView;
class VStringArray;
class xMorvaDocument;
class xMorvaFindReplaceParameters;
class xMorvaFrame;
class xMorvaMain;
class xMorvaPicturesInPage;
struct xMorvaPagePicture;
class xMorvaSpellerFiles;
class xMorvaWinSpeller;
class xMorvaSpeller;
class xMorvaVuzizaDevo;

// The area's delayed refresh: a request is turned into a deadline one tick
// after the idle event that notices it; the refresh runs at the first idle
// event past that deadline, so at least two ticks after the last request.
// Deadlines are compared by the signed difference of the tick counts, so
// that the count's wrap-around neither hides nor hurries a refresh.
struct xMorvaRefreshTimer {
  uint8_t requested = 0;
  uint32_t deadline = 0;  // 0: none

  void Request() { requested = 1; }
  // True when the refresh is due now (the deadline is then cleared).
  bool Serve(uint32_t now);
};

class xMorvaPlugIn : public VPlugIn, public xMorvaHostObject, public xMorvaDocumentArea {
 public:
  // The area routine's number, which is also the area's resource offset.
  static constexpr int32_t kResourceOffset = 1;
  // Commands 1 to 1035 have an allowed byte each.
  static constexpr int32_t kCommandCount = 1035;
  // Offsets of the string lists the area reads from the resource base.
  static constexpr int32_t kUndoTextList = 4;
  static constexpr int32_t kInterfaceTextList = 5;
  static constexpr int32_t kDocumentTextList = 10;

  // An area of a host form (`params` is the host's event parameter array).
  xMorvaPlugIn(xMorvaMain* package, void* params);
  // An area made by a host command, without a form; its commands are
  // loaded by ReloadCommands.
  explicit xMorvaPlugIn(xMorvaMain* package);
  ~xMorvaPlugIn() override;

  // ---- VPlugIn.
  void HandleEvent(void** params) override;
  // The dock's menu bar when its description built one; the area's own
  // otherwise.
  VWindowMenuBar* GetWindowMenuBar() override;
  void DrawTooSmall(VPort& port) override;
  VPlugInDocMgr* NewDocMgr() override;
  void InitInterface(const void* data, uint32_t size) override;
  void ReloadCommands() override;
  void BeforeClose() override;
  // The can-delete question before the host deletes the area.
  bool CanClose(bool asking) override;
  bool DoCommand(VFrame* sender, int32_t id, intptr_t parameter) override;
  void OwnWindowOpened() override;
  void OwnWindowClosed() override;
  void LoseFocus(VFrame* next) override;
  void TakeFocus() override;
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override;
  void Idle(bool busy) override;

  // ---- xMorvaHostObject.
  xMorvaDocument* GetDocument() const override { return fDocument.get(); }
  xMorvaPlugIn* GetEditingArea() override { return this; }

  // ---- xMorvaDocumentArea.
  bool HasHostWindow() const override { return fFormArea != 0; }
  int32_t GetCommandLong(int32_t command) override { return VFrame::GetCommandLong(command); }
  void SetCommandLong(int32_t command, int32_t value, int16_t notify) override {
    VFrame::SetCommandLong(command, value, notify);
  }
  void GetCommandString(int32_t command, VString& value) override { VFrame::GetCommandString(value, command); }
  int32_t GetCommandChoice(int32_t command) override;
  // The style sheet list of the bars (command 1000) takes these names as
  // its choices.
  void SetStyleSheetMenu(const VStringArray& names) override;
  bool CallCommandMethod(int32_t command) override;
  bool CallAreaCallback(int32_t command) override;
  bool CallEventCallback(int16_t kind, int32_t value) override;
  // The file commands, then the tab selector's menu.
  int32_t RunCommand(int32_t command) override;
  // The spelling check of the current part through the engine library
  // (document command 805); the speller stays loaded for the next check.
  void RunSpellCheck();
  void UnloadWinSpeller() override;
  xMorvaWinSpeller* GetSpeller() const { return fSpeller.get(); }
  // The interline and symbol dialogs; no other value is asked here.
  bool AskValue(int32_t command, int32_t current, int32_t& value) override;
  // The tab stops dialog (753) with the stop at `position` selected (-1:
  // none, as the command opens it; the ruler names the stop double-clicked);
  // on OK its list goes to the selected paragraphs in one undo step.
  void RunTabulationsDialog(int32_t position) override;
  bool CanClose(uint8_t flag) override { return CanDeleteArea(flag != 0); }
  void SetContentSize(int32_t width, int32_t height) override;
  void DrawSelection() override;
  // While the host's commands hold the redraw back (command 9).
  bool IsRedrawSuspended();
  void UpdateCaret(bool scroll) override;
  void ShowSelection(bool scroll) override;
  void ScrollFramesToOrigin() override;
  void UpdateBarState() override;
  void UpdateCommands(int16_t reason) override { VPlugIn::UpdateCommands(reason); }
  void ApplyViewOptions(bool keepTitle) override;
  void SetMinimumSize(int32_t width, int32_t height) override;
  void UpdateTitle() override { SetAreaTitle(); }
  bool IsDisplaySuppressed() const override { return fInterfaceLock != 0; }
  void Relayout() override { VDockView::Relayout(); }
  bool ShowBar(int16_t bar, bool show) override;
  bool IsBarShown(int16_t bar) const override;
  VStreamProgress* NewProgressGauge(int16_t listOffset, int16_t messageIndex,
                                    uint32_t total) override;
  int16_t GetSizeState() const override { return VPlugIn::GetSizeState(); }
  // The own window switched from the host language (document command 20):
  // closed in size state 4; opened when the area stands in a host window
  // and is placed (the own-window command is not disabled for it).
  void FinishHostCommand() override;
  void SetHostOutcome(bool outcome) override;
  // Rulers and picture drags (xMorvaDraggerPictures.cpp, xMorvaPlugIn.cpp).
  void ShowRulerElements(bool show, bool pageRuler, bool relayoutContainers) override;
  void ShowScrollBars(bool horizontal, bool show) override;
  void ShowPaneElement(int16_t element, bool show) override;
  // Locked: the shown docked bar, bars 0 to 3 and the rulers hide;
  // unlocked: the rulers show again when the document shows rulers (the
  // bars stay as they are). Then the area lays itself out again.
  void ShowBars(bool locked) override;
  uint8_t GetOptionFlag() override { return fOptionFlag; }
  void SetOptionFlag(uint8_t value) override { fOptionFlag = value != 0 ? 1 : 0; }
  void RefreshRulers(const xMorvaDocParams& params, bool pageView) override;
  bool IsPagePictureSelected() override;
  bool IsLocked() override;
  bool TrackPictureResize(double ratio, const VPoint& point, int16_t horizontalMode, int16_t verticalMode,
                          VRect& box) override;
  bool TrackPagePictureMove(const VPoint& point, VPoint& origin) override;
  void SetPagePictureBox(const VRect& box) override;
  void SetPagePictureOrigin(const VPoint& origin) override;
  bool EditPagePicture() override;
  bool EditTextPicture() override;
  void ApplyTextPictureEdit() override;
  // The paste picture dialog on a picture from the clipboard; on a page
  // the placing it chose is kept for AddPagePicture, which puts the
  // picture there.
  int16_t AskPastePicturePlacement() override;
  bool AddPagePicture(VPictureData* picture) override;

  // ---- The dialog commands (xMorvaDialogCommands.cpp), by document
  // command: each opens its dialog with the area's values, tells the host
  // the outcome and applies an accepted choice in one change of the
  // document. About (10), preferences (105), new table (408), style sheets
  // (755), informations (801), statistics (802) and language (806) apply
  // their results themselves.
  void RunAboutDialog();
  void RunPreferencesDialog();
  void RunDateTimeDialog();
  void RunPageNumberDialog();
  void RunPastePictureDialog();
  void RunNewArrayDialog();
  void RunSpecialCharDialog();
  void RunHyperlinkDialog();
  void RunHTMLexpressionDialog();
  void RunFontDialog();
  void RunParagraphDialog();
  void RunBorderDialog();
  void RunStyleSheetsDialog();
  void RunColumnsDialog();
  void RunInformationsDialog();
  void RunStatisticsDialog();
  // The loaded speller goes first, so that the next check loads the
  // chosen language.
  void RunLanguageDialog();
  void RunGotoPageDialog();
  // The interline (724) and the symbol in the font "Wingdings" (1028, and
  // the paragraph dialog's bullet): the value in and, on OK, the one
  // chosen; answers whether the dialog was accepted.
  bool RunInterlineDialog(int32_t& value);
  bool ChooseSymbolChar(int32_t& character);
  // Find (208), find again (209), replace (210) and replace again (211 the
  // current match, 212 every match) with the area's search parameters.
  // The command lookup of the frames keeps its name beside the find
  // command.
  using VPlugIn::FindCommand;
  void FindCommand();
  void FindAgain();
  void ReplaceCommand();
  void ReplaceAgain(bool all);

  // ---- The area's own operations.
  void SetAreaTitle();
  // Whether the area may be deleted now: an offscreen area, a document
  // whose option 0 is off or that is not modified may go at once; else the
  // user is asked (save, do not save, cancel).
  bool CanDeleteArea(bool flag);
  xMorvaFindReplaceParameters* GetFindReplace() const { return fFindReplace.get(); }
  // The texts searched for and put in their place since the area was made,
  // the most recent first: the find and replace dialogs show and grow them.
  VStringArray& GetFindHistory() const { return *fFindHistory; }
  VStringArray& GetReplaceHistory() const { return *fReplaceHistory; }
  VPaneView* GetPaneView() const { return fPaneView; }

  // The bar commands: the docked bar (310), the tool bar (320) and bars 0
  // to 3 (331 to 334) each shown when hidden and hidden when shown, and
  // bars 0 to 3 closed (335 to 338); false for any other command.
  bool RunBarCommand(int32_t command);

  // ---- The file the document was last opened from or saved to.
  // The file commands: open (102), save (103), save as (104) and save the
  // template (110), with `code` the save's answer; false for any other
  // command.
  bool RunFileCommand(int32_t command, int32_t& code);
  xMorvaKeptFile& GetKeptFile() { return fKeptFile; }
  // The open from a dialog: the area must agree to give up its document
  // first; the outcome goes to the user as an alert.
  void OpenFromFile(std::unique_ptr<VFile> file, uint32_t type);
  // The same open once the area has agreed: the file read as `type` into
  // the document (which a file that does not open leaves as it was), the
  // area refreshed and the outcome shown. Answers the open's code.
  int32_t OpenAgreedFile(std::unique_ptr<VFile> file, uint32_t type);
  // A followed link's document file, opened by that road (the link has
  // asked the area already).
  static int32_t OpenLinkedDocument(xMorvaPlugIn& area, const VString& path, uint32_t type);
  // The save command writes the own kept file; without one it is the
  // save-as command, which asks for a file and a type. 0 when written;
  // 1092 when the user cancelled (the chooser or its plain-text question);
  // the write's code (1012) when it failed, which the user is shown.
  int32_t SaveDocumentFile();
  int32_t SaveDocumentFileAs();
  // The area's template (xMorvaTemplates.cpp): loaded when the host gives
  // the area no document (0, or 1015 when the area takes none or none is
  // found, 1032, 1015 for a damaged one), saved by command 110 (whether it
  // was written).
  int32_t LoadTemplate();
  bool SaveTemplate();
  // ---- The text views that show the document: the first is made with
  // the area, more come from splitting its pane. The active one follows
  // the focus.
  void AddFrame(xMorvaFrame* frame);
  void RemoveFrame(xMorvaFrame* frame);
  const std::vector<xMorvaFrame*>& GetFrames() const { return fFrames; }
  xMorvaFrame* GetActiveFrame() const { return fActiveFrame; }
  void SetActiveFrame(xMorvaFrame* frame) { fActiveFrame = frame; }
  xMorvaEventMethods& GetEventMethods() { return fEventMethods; }

  // ---- Bars and status (their values are set by UpdateBarState).
  // The allowed byte of a command; ids outside 1 to 1035 have none.
  bool IsCommandAllowed(int32_t id) const;
  void SetAllowedByte(int32_t id, bool allowed);
  bool IsEditingLocked() const { return fEditingLock != 0; }
  bool IsAreaLocked() const { return fInterfaceLock != 0; }
  void StoreEditingLock(bool on) { fEditingLock = on ? 1 : 0; }
  void StoreAreaLock(bool on) { fInterfaceLock = on ? 1 : 0; }
  void RequestBarRefresh() { fBarRefresh.Request(); }
  void RequestStatusRefresh() { fStatusRefresh.Request(); }
  // The delayed refreshes at `now` (ticks): what an idle event serves.
  void ServeRefreshes(uint32_t now);
  int32_t CountBarRefreshes() const { return fBarRefreshes; }
  // The nine interface texts read at creation: 0 to 2 items 1 to 3 of the
  // list at base + 5, 3 and 4 items 33 and 34 of base + 10, 5 to 8 items 1
  // to 4 of base + 4 (the undo and redo titles' words).
  const VString& GetInterfaceText(int32_t index) const { return fTexts[index]; }

  // Caches of the last values set for commands 1000 to 1002 and for the
  // status line, so that unchanged texts are not set again.
  struct BarCaches {
    uint8_t mixed[3] = {0, 0, 0};
    int32_t last[3] = {-1, -1, -1};
    uint8_t statusFlag = 255;
    int32_t page = -1;
    int32_t pageCount = -1;
  };
  BarCaches& GetBarCaches() { return fCaches; }

 private:
  // The set-up that both kinds of areas share.
  void InitPlugInArea();
  bool IsUnplaced();
  VDockBar* FindAreaBar(int16_t bar) const;
  int16_t ResourceBase();
  // The view the mouse drags run in: the active one, else the first.
  xMorvaFrame* TrackingFrame() const;
  // The pane that holds each text view.
  std::vector<VPaneView*> FramePanes() const;
  xMorvaPicturesInPage* GetPagePictureList() const;
  // A point of the frames (content coordinates, page view) as a place on
  // its page, with the page's bounds.
  bool PagePlace(int32_t x, int32_t y, int32_t& pageX, int32_t& pageY, VRect& bounds) const;

  // Declared before the document, so that it closes its file after the
  // document has gone.
  xMorvaKeptFile fKeptFile;
  std::unique_ptr<xMorvaDocument> fDocument;
  std::unique_ptr<xMorvaFindReplaceParameters> fFindReplace;
  std::unique_ptr<VStringArray> fFindHistory;
  std::unique_ptr<VStringArray> fReplaceHistory;
  std::unique_ptr<xMorvaSpellerFiles> fSpellerFiles;
  std::unique_ptr<xMorvaWinSpeller> fSpeller;
  std::unique_ptr<xMorvaSpeller> fHostSpeller;
  std::unique_ptr<xMorvaVuzizaDevo> fHostEngine;
  VToolboxMenuBar fMenuBar;
  VPaneView* fPaneView = nullptr;
  std::vector<xMorvaFrame*> fFrames;
  xMorvaFrame* fActiveFrame = nullptr;
  // What the confirmed edit dialog of the picture in the text left until
  // the document applies it: the picture element's six header words, or,
  // when the expression was changed, the new expression's stored bytes.
  uint32_t fEditedPicture[6] = {};
  std::vector<uint8_t> fEditedExpression;
  // The placing the accepted paste picture dialog chose for a picture from
  // the clipboard, until AddPagePicture takes it.
  std::unique_ptr<xMorvaPagePicture> fPastedPlacement;
  // Index = command id; entry 0 unused.
  uint8_t fAllowed[kCommandCount + 1];
  uint8_t fEditingLock = 0;
  uint8_t fInterfaceLock = 0;
  uint8_t fFormArea = 0;
  uint8_t fCaretRefreshPending = 0;
  // Area option 49: the host's flag, kept for it.
  uint8_t fOptionFlag = 0;
  xMorvaEventMethods fEventMethods;
  xMorvaRefreshTimer fBarRefresh;
  xMorvaRefreshTimer fStatusRefresh;
  int32_t fBarRefreshes = 0;
  BarCaches fCaches;
  VStr<31> fTexts[9];
};
