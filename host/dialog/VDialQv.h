// VDialQv: a dialog of the module on a form of the host. The host opens the
// named form, runs its loop and draws its objects; the dialog asks for a
// form reference, opens the form, runs the host's modal loop step by step,
// turns the host's form events into calls of its own virtual operations and
// closes the form again. Its form objects are read and written by name
// through the host (the HostForm operations below).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/VObject.h"
#include "framework/core/strings/VUniString.h"
#include "platform/gdi/WinGdiTypes.h"

namespace Tbx {
struct WindowRecord;
}

struct HostEventRecord;
struct HostParamBlock;
class VResourceFile;
class VStringArray;
class VValue;

// The object a dialog tells before (-998) and after (-997) a modal run: the
// frame that opened it. Its reply is not used.
class VDialQvOwner {
 public:
  virtual ~VDialQvOwner() = default;
  virtual void NotifyParent(VObject* sender, int32_t message, int16_t value) = 0;
};

class VDialQv : public VObject {
 public:
  // Asks the host for a new form reference, attaches the dialog to it and
  // adds the dialog to the host context's list of open dialogs.
  VDialQv(VDialQvOwner* owner, const char* formName);
  // Leaves the list of open dialogs; makes no host call (the run releases
  // the form reference).
  ~VDialQv() override;
  VDialQv(const VDialQv&) = delete;
  VDialQv& operator=(const VDialQv&) = delete;

  // ---- Hooks; the defaults do nothing and answer as given.
  virtual void BeforeDispose() {}
  virtual bool ReadValues() { return true; }
  virtual bool CanCancel(const VString& objectName, int16_t page) { return true; }
  virtual bool CanAccept(const VString& objectName, int16_t page) { return true; }
  virtual VObject* CreateUserArea(const VString& objectName, void* areaCall) { return nullptr; }
  virtual bool BeforeOpen() { return true; }
  virtual bool AfterOpen() { return true; }
  virtual void Closing() {}
  virtual bool Notify(VObject* sender, int32_t message, int16_t value) { return false; }
  virtual bool HandleMessage(VObject* sender, int32_t message, int16_t value) { return false; }
  virtual void ItemHit(const VString& objectName, int16_t page) {}
  virtual void OnEvent27(int16_t page) {}
  virtual void OnEvent29(int16_t page) {}
  // Forwards to ItemHit, with the flag set meanwhile.
  virtual void ValueChanged(const VString& objectName, int16_t page);
  virtual void OnEvent14(const VString& objectName, int16_t page) {}
  virtual void OnEvent15(const VString& objectName, int16_t page) {}
  virtual void EditUndo() {}
  virtual void EditCut() {}
  virtual void EditCopy() {}
  virtual void EditPaste() {}
  virtual void EditClear() {}
  virtual void EditSelectAll() {}
  // Keys: the event record as the host gave it (key in the message's low
  // byte, modifiers).
  virtual void OnEvent17(const VString& objectName, int16_t page, const HostEventRecord& key) {}
  virtual void OnEvent28(const VString& objectName, int16_t page, const HostEventRecord& key) {}
  virtual void OnEvent4(const VString& objectName, int16_t page, int32_t x, int32_t y, bool control, bool command,
                        bool option) {}
  virtual void OnEvent25(const VString& objectName, int16_t page, int32_t x, int32_t y, bool control, bool command,
                         bool option) {}
  virtual void OnEvent13(const VString& objectName, int16_t page, int32_t x, int32_t y) {}
  virtual void OnEvent10() {}
  virtual void OnEvent11() {}
  virtual void OnEvent12() {}
  virtual void OnEvent21(const VString& objectName, int16_t page, int16_t h, int16_t v, uint32_t value,
                         uint32_t otherForm, int16_t otherPage, const VString& text, uint32_t extra) {}
  virtual void OnEvent16(const VString& objectName, int16_t page, int16_t h, int16_t v, uint32_t value,
                         uint32_t otherForm, int16_t otherPage, const VString& text, uint32_t extra) {}

  // ---- Runs.
  // Runs the form modally; true when it was accepted.
  bool RunDialog(uint32_t formResources);
  // Opens the form as a modeless window; true when it stays open. The
  // dialog then belongs to the host's run and deletes itself when its form
  // closes.
  bool RunDialogAlternate(uint32_t parameter, bool floating);
  void AcceptDialog();
  void CancelDialog();

  // ---- The window.
  void SetVisible(bool show);
  void BringToFront();
  bool IsOpen() const { return fState > 1; }
  HWND GetNativeWindow() const { return fNativeWindow; }
  Tbx::WindowRecord* GetWindow() const { return fWindow; }
  void SetWindowKind(int32_t kind, bool optionA, bool optionB, uint8_t flag);
  int16_t GetWindowKind() const { return fWindowKind; }
  uint8_t GetWindowFlag() const { return fWindowFlag; }
  void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
  void GetBounds(int32_t& left, int32_t& top, int32_t& width, int32_t& height);
  void SetTitle(const VString& title);
  void AddUserAreaObject(VObject* object);

  uint32_t GetFormRef() const { return fFormRef; }
  const VStr<255>& GetFormName() const { return fFormName; }
  bool WasAccepted() const { return fAccepted != 0; }
  bool IsRunning() const { return fRunning != 0; }
  uint8_t GetState() const { return fState; }

  // Batches of object changes: begun only while open (state 2 to 3, -226),
  // ended only in a batch (state 3 to 2, -227).
  void HostFormBeginChanges();
  void HostFormEndChanges();

  // ---- Form objects, by name (zero-terminated, at most 80 bytes reach the
  // host). Getters answer 0, or empty, when the host reports an error.
  int32_t HostFormGetLong(const char* name);
  void HostFormSetLong(const char* name, int32_t value);
  int32_t GetItemNumber(const char* name) { return HostFormGetLong(name); }
  void SetItemNumber(const char* name, int32_t value) { HostFormSetLong(name, value); }
  double HostFormGetReal(const char* name);
  void HostFormSetReal(const char* name, double value);
  void HostFormGetText(const char* name, VString& text);
  void HostFormSetText(const char* name, const VString& text);
  void HostFormSetTextFromCString(const char* name, const char* text);
  void HostFormClearText(const char* name);
  void HostFormSetText80(const char* name, const VString& text);
  void HostFormSetFormat(const char* name, const VString& format);
  void HostFormGetTextHandle(const char* name, VString& text);
  void HostFormSetTextHandle(const char* name, const VString& text);
  void HostFormClearTextHandle(const char* name);
  // The object's value as a host variable entry, as a new value (or null).
  VValue* HostFormCall205(const char* name);
  void HostFormCall230(const char* name, const VValue& date);

  // Ranges of entry objects.
  void HostFormSetMinimumReal(const char* name, double value);
  void HostFormSetMaximumReal(const char* name, double value);
  void HostFormSetMinimumValue(const char* name, const VValue& date);
  void HostFormSetMaximumValue(const char* name, const VValue& date);
  void HostFormClearMinimum(const char* name);
  void HostFormClearMaximum(const char* name);
  void HostFormClearMinimumNoBegin(const char* name);
  void HostFormClearMaximumNoBegin(const char* name);

  // Lists, drop-downs and tab controls; elements from 1.
  void HostFormClearList(const char* name);
  void HostFormSetListText(const char* name, int16_t index, const VString& text);
  void HostFormSetListTextFromCString(const char* name, int16_t index, const char* text);
  void SetListItems(const char* name, const VStringArray& strings);
  void HostFormFillListFromResource(const char* name, uint32_t type, int16_t id);
  void HostFormGetListText(const char* name, int16_t index, VString& text);
  int32_t HostFormGetListLong(const char* name, int16_t index);
  double HostFormGetListReal(const char* name, int16_t index);
  int32_t HostFormGetListSelection(const char* name);
  // The shown part of a list: elements first to last.
  void HostFormSetListRange(const char* name, int32_t first, int32_t last);
  void HostFormSetListFromHandle(const char* name, int16_t index, const VString& text);
  void HostFormSetListHandles(const char* name, const VStringArray& strings);
  void HostFormGetListHandle(const char* name, int16_t index, VString& text);

  // State and geometry.
  void HostFormEnableObject(const char* name, bool enabled);
  void HostFormSetEnterable(const char* name, bool flag);
  void HostFormShowObject(const char* name, bool visible);
  void HostFormSetCheckFlag(const char* name, uint8_t flag);
  void HostFormRedrawObject(const char* name);
  // The object's rectangle as left, top, width, height (zeros on error);
  // an empty name gives the form's.
  void HostFormGetObjectRect(const char* name, int32_t& left, int32_t& top, int32_t& width, int32_t& height);
  void HostFormSetObjectRect(const char* name, int32_t left, int32_t top, int32_t width, int32_t height);

  // Field references of field-chooser objects.
  void HostFormSetFieldRef(const char* name, int16_t table, int16_t field, uint32_t data, bool flag);
  void HostFormGetFieldRef(const char* name, int16_t& table, int16_t& field, uint32_t& data, bool flag);

  // A form object made at run time under the name (one made earlier under
  // it goes first); every such object is deleted when the form closes.
  // `b` may carry an address, so it is pointer-sized.
  void HostFormReplaceObject(const char* name, int16_t a, uintptr_t b, uint8_t c, uint8_t d, uint8_t e, bool f,
                             bool g);
  int32_t CountCreatedObjects() const { return static_cast<int32_t>(fCreatedObjects.size()); }

  // The form as a whole.
  int16_t HostFormGetPage();
  void HostFormSelectPage(int16_t page);
  void HostFormSetOwner(uintptr_t value);
  uintptr_t HostFormGetOwner();
  void HostFormGetTitle(VString& title);
  // -1 keeps the window's current width or height; only while open.
  void HostFormSetWindowSize(int32_t width, int32_t height);

  // Pictures of objects: a Toolbox PICT handle of `size` bytes, grown by 6
  // zero bytes for the host (the handle goes to the host).
  void HostFormSetPictureHandle(const char* name, uint32_t handle, int32_t size);
  // A copy of a Toolbox PICT handle, or of a 'PICT' resource of the file.
  void SetItemPictureFromHandle(const char* name, uint32_t pictHandle);
  void SetItemPictureResource(const char* name, VResourceFile* file, int16_t id);
  // The Macintosh picture of a picture value (a PICT as it is, a metafile
  // drawn into one); nothing for null or a value that gives no picture. The
  // value stays the caller's.
  void SetItemPicture(const char* name, const VValue* picture);
  void ClearItemPicture(const char* name);

  // ---- Further object and form calls whose meaning is the host's: each
  // sends the fields named and reads back what is named.
  void HostFormCall239(const char* name);
  void HostFormListCall240(const char* name, int16_t index, int32_t value);
  // -239, then -240 for elements 1 to count.
  void HostFormListCall239(const char* name, const int32_t* values, int32_t count);
  void HostFormListCall327(const char* name);
  void HostFormListCall328(const char* name, int16_t index, double value);
  // -327, then one -328 per element with its real (no index).
  void HostFormListExchange(const char* name, const double* values, int32_t count);
  void HostFormCall331(const char* name);
  void HostFormFillTableList(const char* name, bool flag);
  void HostFormCall225(const char* name, int16_t table, uint32_t value, bool flag);
  void HostFormCall241(const char* name, uint32_t data, uint32_t value);
  // -232, then -337, with the same block.
  void HostFormShowObjectPair(const char* name, bool visible);
  void HostFormCall244(const char* name);
  void HostFormCall245(const char* name);
  void HostFormCall416(const char* name);
  void HostFormCall428(const char* name, uint32_t a, uint32_t b);
  void HostFormCall406(const char* name, uint32_t a, uint32_t b);
  void HostFormCall247(const char* name, int16_t a, uint32_t data);
  // The data goes in a new handle, which the host takes.
  void HostFormSetData246(const char* name, uint32_t a, const void* data, int32_t size);
  uint32_t HostFormCall516(const char* name, uint32_t a, const VString& text);
  uint32_t HostFormGet517(const char* name);
  uint32_t HostFormGet528(const char* name);
  void HostFormSet529(const char* name, uint32_t value);
  uint32_t HostFormCall398(const char* name, uint32_t a, uint32_t b);
  uint32_t HostFormCall399(const char* name, uint32_t a, double value);
  // The routine of a user area (the host calls it with four words); none
  // gives the host the dialog's own, UserAreaCallback.
  void HostFormSetDrawCallback(const char* name, uintptr_t callback, bool flag);
  uint32_t HostFormGetValue215();
  void HostFormSetValue216(uint32_t value);
  void HostFormSetFlag394(uint8_t flag);
  void HostFormSetFlag395(uint8_t flag);
  void HostFormGetRect(uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d);
  void HostFormCall409(uint32_t a, uint32_t b);
  uint32_t HostFormGetData515();

  // The routines handed to the host.
  static void EventCallback(uint32_t form, HostEventRecord* event, const uint8_t* objectName, int32_t code,
                            int32_t extra);
  static uint8_t ModelessStep(uint32_t form, uint32_t parameter);
  // The routine of the form's user areas (the default of
  // HostFormSetDrawCallback): the creating event asks the dialog of the
  // current port's window for the area's object (CreateUserArea), every
  // event goes to the object in the slot, and the closing event deletes it.
  static void UserAreaCallback(void** slot, const uint8_t* objectName, void* rect, HostEventRecord* event);

 private:
  // A cleared block for the form and, when given, the object.
  void FormBlock(HostParamBlock& block, const char* name) const;
  void CallForm(int32_t selector, HostParamBlock& block);
  // Ends the form's run, accepted or cancelled.
  void EndRun(bool accepted);
  // Sends a change of one form object: the batch of changes begun, the
  // block addressed to the object, `fill` setting the rest.
  template <typename Fill>
  void ChangeObject(const char* name, int32_t selector, Fill fill);
  // Opens the form window: the form by name, its title and rectangle, the
  // window kind (`defaultKind` when none is set) and the host's open mode;
  // when the host opens it, takes its window, runs AfterOpen and, while the
  // dialog runs, shows the window in front. False when the host refused.
  bool OpenFormWindow(int16_t defaultKind, uint16_t shortValue);
  void DeleteCreatedObjects();
  void SetRange(int32_t selector, const char* name, int32_t kind, double real, const VValue* date, bool begin);
  void AfterStep(HostParamBlock& block, const VString& name, int16_t page);
  static VDialQv* DialogOfForm(uint32_t form);
  // The dialog whose form window has the current graphics port; null for
  // none.
  static VDialQv* DialogOfCurrentPort();

  VDialQvOwner* fOwner;
  VStr<255> fFormName;
  uint32_t fFormRef = 0;
  VStr<255> fTitle;
  int16_t fWindowKind = -1;
  Tbx::WindowRecord* fWindow = nullptr;
  HWND fNativeWindow = nullptr;
  int32_t fBounds[4] = {0, 0, 0, 0};
  uint8_t fWindowFlag = 1;
  uint8_t fState = 0;
  uint8_t fRunning = 0;
  uint8_t fAccepted = 0;
  uint8_t fHidden = 0;
  uint8_t fInValueChanged = 0;
  std::vector<VObject*> fUserAreaObjects;
  std::vector<std::string> fCreatedObjects;
};
