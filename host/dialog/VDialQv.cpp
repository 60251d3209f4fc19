// A dialog's run on a host form: opening, the modal loop, the event
// callback, the modeless run and the window.
#include "host/dialog/VDialQv.h"

#include <cstring>

#include "host/callback/HostCallback.h"
#include "boundary/HostServiceSelectors.h"
#include "host/context/HostText.h"
#include "host/context/VHostContext.h"
#include "boundary/HostRecords.h"
#include "boundary/HostSelectors.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "host/package/VPlugInObject.h"
#include "platform/toolbox/TbxPorts.h"
#include "platform/toolbox/TbxWindows.h"

namespace {

VChainListPtrOf<VObject*>* OpenDialogs() {
  return gHostContext != nullptr ? gHostContext->GetOpenDialogs() : nullptr;
}

// A length-byte Macintosh text into a string, in the Windows character set
// of the dialog's names.
void NameOf(const uint8_t* pascal, VString& name) {
  name.SetEmpty(false);
  if (pascal != nullptr) PTextToString(pascal, name);
}

// An object name the host gave (length-byte text, or null) cut to the
// longest a form object's name may be, as length-byte text and as a string.
void HostObjectName(const uint8_t* objectName, uint8_t (&pascal)[81], VString& name) {
  pascal[0] = 0;
  if (objectName != nullptr) {
    pascal[0] = objectName[0] > kFormObjectNameMax ? kFormObjectNameMax : objectName[0];
    std::memcpy(pascal + 1, objectName + 1, pascal[0]);
  }
  NameOf(pascal, name);
}

// A string as a zero-terminated Macintosh text of at most `max` bytes.
void ToCText(const VString& text, uint8_t* out, int32_t max) {
  uint8_t pascal[256];
  StringToPText(text, pascal, max);
  std::memcpy(out, pascal + 1, pascal[0]);
  out[pascal[0]] = 0;
}

// The current graphics port and device, put back at the end of the scope.
class SavedGWorld {
 public:
  SavedGWorld() { Tbx::GetGWorld(&fPort, &fDevice); }
  ~SavedGWorld() { Tbx::SetGWorld(fPort, fDevice); }
  SavedGWorld(const SavedGWorld&) = delete;
  SavedGWorld& operator=(const SavedGWorld&) = delete;

 private:
  Tbx::CGrafPtr fPort = nullptr;
  Tbx::GDHandle fDevice = 0;
};

// The module's resource file made current for the scope, the one before
// put back at its end.
class ModuleResourcesCurrent {
 public:
  ModuleResourcesCurrent() : fFile(gModuleResFile) {
    if (fFile != nullptr) fFile->UseFile();
  }
  ~ModuleResourcesCurrent() {
    if (fFile != nullptr) fFile->RestoreFile();
  }
  ModuleResourcesCurrent(const ModuleResourcesCurrent&) = delete;
  ModuleResourcesCurrent& operator=(const ModuleResourcesCurrent&) = delete;

 private:
  VMacResourceFile* fFile;
};

}  // namespace

VDialQv::VDialQv(VDialQvOwner* owner, const char* formName) : fOwner(owner) {
  if (formName != nullptr) fFormName.SetAnsiCText(formName);
  HostParamBlock block;
  std::memset(&block, 0, sizeof block);
  CallHost(kFormSelNew, block);
  fFormRef = static_cast<uint32_t>(block.param1);
  std::memset(&block, 0, sizeof block);
  block.param1 = fFormRef;
  block.param2 = HostAddress(this);
  CallHost(kFormSelSetOwner, block);
  if (VChainListPtrOf<VObject*>* list = OpenDialogs()) {
    VObject* self = this;
    list->Add(&self);
  }
}

VDialQv::~VDialQv() {
  fUserAreaObjects.clear();
  if (VChainListPtrOf<VObject*>* list = OpenDialogs()) {
    VObject* self = this;
    list->Remove(&self, true);
  }
}

void VDialQv::ValueChanged(const VString& objectName, int16_t page) {
  fInValueChanged = 1;
  ItemHit(objectName, page);
  fInValueChanged = 0;
}

void VDialQv::CallForm(int32_t selector, HostParamBlock& block) { CallHost(selector, block); }

void VDialQv::HostFormBeginChanges() {
  if (fState != 2) return;
  fState = 3;
  HostParamBlock block;
  FormBlock(block, nullptr);
  CallForm(kFormSelBeginChanges, block);
}

void VDialQv::HostFormEndChanges() {
  if (fState < 3) return;
  fState = 2;
  HostParamBlock block;
  FormBlock(block, nullptr);
  CallForm(kFormSelEndChanges, block);
}

void VDialQv::DeleteCreatedObjects() {
  for (const std::string& name : fCreatedObjects) {
    HostParamBlock block;
    FormBlock(block, name.c_str());
    CallForm(kFormSelDeleteObject, block);
  }
  fCreatedObjects.clear();
}

void VDialQv::AfterStep(HostParamBlock& block, const VString& name, int16_t page) {
  // The form asks to close: cancel or accept, each asked first.
  if (fRunning != 0 && block.flag2 != 0) {
    if (block.flag != 0) {
      fAccepted = 0;
      fRunning = CanCancel(name, page) ? 0 : 1;
    } else {
      fAccepted = 1;
      fRunning = CanAccept(name, page) ? 0 : 1;
    }
  }
}

bool VDialQv::OpenFormWindow(int16_t defaultKind, uint16_t shortValue) {
  HostParamBlock block;
  std::memset(&block, 0, sizeof block);
  block.param1 = fFormRef;
  ToCText(fFormName, block.text, 255);
  StringToPText(fTitle, block.text2, 80);
  block.param4 = fFormRef;
  int16_t rectangle[4] = {static_cast<int16_t>(fBounds[1]), static_cast<int16_t>(fBounds[0]),
                          static_cast<int16_t>(fBounds[1] + fBounds[3]),
                          static_cast<int16_t>(fBounds[0] + fBounds[2])};
  block.param2 = HostAddress(rectangle);
  if (fWindowKind == -1) fWindowKind = defaultKind;
  block.param3 = HostWord(fWindowKind);
  block.shortValue = shortValue;
  block.flag = fWindowFlag;
  block.longValue = kFormOpenCode;
  block.flag2 = 1;
  block.error = -1;
  CallForm(kFormSelOpen, block);
  if (block.param1 == 0 || block.error != 0) return false;
  fFormRef = static_cast<uint32_t>(block.param1);
  fState = 2;
  std::memset(&block, 0, sizeof block);
  block.param1 = fFormRef;
  CallForm(kFormSelGetWindow, block);
  fWindow = reinterpret_cast<Tbx::WindowRef>(block.param2);
  fNativeWindow = Tbx::GetNativeWindow(fWindow);
  fRunning = AfterOpen() ? 1 : 0;
  HostFormEndChanges();
  if (fRunning != 0) {
    Tbx::ShowWindow(fWindow);
    Tbx::SelectWindow(fWindow);
  }
  return true;
}

bool VDialQv::RunDialog(uint32_t formResources) {
  if (fOwner != nullptr) fOwner->NotifyParent(this, kDialogOwnerBeforeRun, 0);
  fAccepted = 0;
  fState = 1;
  fRunning = BeforeOpen() ? 1 : 0;
  fState = 0;
  bool opened = false;
  HostParamBlock block;
  if (fRunning != 0) {
    if (formResources != 0) {
      std::memset(&block, 0, sizeof block);
      block.param1 = formResources;
      block.param2 = kFormResourceTag;
      block.flag = 0;
      CallForm(kFormSelResources, block);
    }
    opened = OpenFormWindow(kFormWindowModal, 1);
    if (opened) {
      while (fRunning != 0) {
        std::memset(&block, 0, sizeof block);
        block.param1 = fFormRef;
        block.param2 = reinterpret_cast<uintptr_t>(&VDialQv::EventCallback);
        block.text2[0] = 0;
        block.flag = 0;
        block.flag2 = 0;
        CallForm(kFormSelStep, block);
        const int16_t page = HostFormGetPage();
        VStr<255> name;
        if (block.text2[0] > kFormObjectNameMax) block.text2[0] = kFormObjectNameMax;
        NameOf(block.text2, name);
        if (block.text2[0] != 0 && block.text2[1] != '+') ItemHit(name, page);
        AfterStep(block, name, page);
        HostFormEndChanges();
      }
      if (fAccepted == 1) ReadValues();
    } else {
      fAccepted = 0;
    }
    if (formResources != 0) {
      std::memset(&block, 0, sizeof block);
      block.param1 = formResources;
      block.param2 = kFormResourceTag;
      block.flag = 1;
      CallForm(kFormSelResources, block);
    }
  }
  Closing();
  // A batch that ReadValues or Closing began is ended before the form goes.
  HostFormEndChanges();
  DeleteCreatedObjects();
  fWindow = nullptr;
  fNativeWindow = nullptr;
  fState = 0;
  std::memset(&block, 0, sizeof block);
  block.param1 = fFormRef;
  CallForm(opened ? kFormSelClose : kFormSelRelease, block);
  if (fOwner != nullptr) fOwner->NotifyParent(this, kDialogOwnerAfterRun, 0);
  return fAccepted == 1;
}

bool VDialQv::RunDialogAlternate(uint32_t parameter, bool floating) {
  fAccepted = 0;
  fState = 1;
  fRunning = BeforeOpen() ? 1 : 0;
  fState = 0;
  bool opened = false;
  HostParamBlock block;
  if (fRunning != 0) {
    opened = OpenFormWindow(floating ? kFormWindowFloating : 0, floating ? 2 : 0);
    if (opened && fRunning != 0) {
      std::memset(&block, 0, sizeof block);
      block.param1 = fFormRef;
      block.param2 = reinterpret_cast<uintptr_t>(&VDialQv::ModelessStep);
      block.param3 = kFormResourceTag;
      block.param4 = parameter;
      CallForm(kFormSelRunModeless, block);
      return true;
    }
  }
  DeleteCreatedObjects();
  fWindow = nullptr;
  fNativeWindow = nullptr;
  fState = 0;
  std::memset(&block, 0, sizeof block);
  block.param1 = fFormRef;
  CallForm(opened ? kFormSelCloseModeless : kFormSelRelease, block);
  return false;
}

void VDialQv::AcceptDialog() { EndRun(true); }

void VDialQv::CancelDialog() { EndRun(false); }

void VDialQv::EndRun(bool accepted) {
  HostParamBlock block;
  std::memset(&block, 0, sizeof block);
  block.param1 = accepted ? 0 : 1;
  block.param2 = 0;
  block.handle = fFormRef;
  CallForm(kFormSelEndRun, block);
  fRunning = 0;
  fAccepted = accepted ? 1 : 0;
}

void VDialQv::SetVisible(bool show) {
  if (show) {
    Tbx::ShowWindow(fWindow);
  } else {
    Tbx::HideWindow(fWindow);
  }
  fHidden = show ? 0 : 1;
}

void VDialQv::BringToFront() {
  if (fState >= 2 && fHidden == 0) Tbx::SelectWindow(fWindow);
}

void VDialQv::SetWindowKind(int32_t kind, bool optionA, bool optionB, uint8_t flag) {
  if (fWindow != nullptr) return;
  fWindowFlag = flag;
  switch (kind) {
    case 1: fWindowKind = 1; break;
    case 2: fWindowKind = 5; break;
    case 3: fWindowKind = 2; break;
    case 4: fWindowKind = 3; break;
    case 5: fWindowKind = optionA && optionB ? 8 : optionB ? 12 : optionA ? 0 : 4; break;
    case 6:
    case 7: fWindowKind = static_cast<int16_t>(722 + (optionA ? 4 : 0) + (optionB ? 8 : 0)); break;
    default: break;
  }
}

void VDialQv::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  if (fWindow == nullptr) {
    fBounds[0] = left;
    fBounds[1] = top;
    fBounds[2] = width;
    fBounds[3] = height;
    return;
  }
  Tbx::MoveWindow(fWindow, int16_t(left), int16_t(top), false);
  Tbx::SizeWindow(fWindow, int16_t(width), int16_t(height), true);
}

void VDialQv::GetBounds(int32_t& left, int32_t& top, int32_t& width, int32_t& height) {
  if (fWindow != nullptr) Tbx::GetWindowBounds(fWindow, &fBounds[0], &fBounds[1], &fBounds[2], &fBounds[3]);
  left = fBounds[0];
  top = fBounds[1];
  width = fBounds[2];
  height = fBounds[3];
}

void VDialQv::SetTitle(const VString& title) {
  fTitle.SetEmpty(false);
  fTitle.Insert(title, 1);
  if (fWindow != nullptr) {
    uint8_t text[256];
    StringToPText(title, text, 255);
    Tbx::SetWTitle(fWindow, text);
  }
}

void VDialQv::AddUserAreaObject(VObject* object) { fUserAreaObjects.push_back(object); }

VDialQv* VDialQv::DialogOfForm(uint32_t form) {
  HostParamBlock block;
  std::memset(&block, 0, sizeof block);
  block.param1 = form;
  CallHost(kFormSelGetOwner, block);
  VObject* candidate = HostPointer<VDialQv>(block.param2);
  VChainListPtrOf<VObject*>* list = OpenDialogs();
  if (candidate == nullptr || list == nullptr || list->IndexOf(&candidate) == 0) return nullptr;
  return static_cast<VDialQv*>(candidate);
}

void VDialQv::EventCallback(uint32_t form, HostEventRecord* event, const uint8_t* objectName, int32_t code,
                            int32_t extra) {
  VDialQv* dialog = DialogOfForm(form);
  if (dialog == nullptr) return;
  const int16_t page = dialog->HostFormGetPage();
  {
    SavedGWorld saved;
    VStr<255> name;
    uint8_t pascal[81] = {0};
    HostObjectName(objectName, pascal, name);
    HostEventRecord record{};
    if (event != nullptr) record = *event;
    char cName[81];
    std::memcpy(cName, pascal + 1, pascal[0]);
    cName[pascal[0]] = 0;
    switch (code & 0xFF) {
      case 4:
      case 25: {
        int32_t l, t, w, h;
        dialog->HostFormGetObjectRect("", l, t, w, h);
        const bool control = (record.modifiers & 0x1000) != 0;
        const bool command = (record.modifiers & 0x0100) != 0;
        const bool option = (record.modifiers & 0x0800) != 0;
        if ((code & 0xFF) == 4) {
          dialog->OnEvent4(name, page, record.whereH - l, record.whereV - t, control, command, option);
        } else {
          dialog->OnEvent25(name, page, record.whereH - l, record.whereV - t, control, command, option);
        }
        break;
      }
      case 10: dialog->OnEvent10(); break;
      case 11: dialog->OnEvent11(); break;
      case 12: dialog->OnEvent12(); break;
      case 13: {
        int32_t l, t, w, h;
        dialog->HostFormGetObjectRect(cName, l, t, w, h);
        dialog->OnEvent13(name, page, record.whereH - l, record.whereV - t);
        break;
      }
      case 14: dialog->OnEvent14(name, page); break;
      case 15: dialog->OnEvent15(name, page); break;
      case 17: dialog->OnEvent17(name, page, record); break;
      case 28: dialog->OnEvent28(name, page, record); break;
      case 18: {
        const uint32_t message = static_cast<uint32_t>(record.message);
        if (message == 0 || (message >> 16) != static_cast<uint32_t>(kFormEditMenu)) break;
        switch (message & 0xFFFF) {
          case 1: dialog->EditUndo(); break;
          case 3: dialog->EditCut(); break;
          case 4: dialog->EditCopy(); break;
          case 5: dialog->EditPaste(); break;
          case 6: dialog->EditClear(); break;
          case 7: dialog->EditSelectAll(); break;
          default: break;
        }
        break;
      }
      case 20: dialog->ValueChanged(name, page); break;
      case 27: dialog->OnEvent27(page); break;
      case 29: dialog->OnEvent29(page); break;
      case 16:
      case 21: {
        HostParamBlock block;
        std::memset(&block, 0, sizeof block);
        block.param1 = form;
        CallHost(kFormSelEventDetails, block);
        VStr<255> detailName, text;
        if (block.text2[0] > kFormObjectNameMax) block.text2[0] = kFormObjectNameMax;
        NameOf(block.text2, detailName);
        NameOf(block.text, text);
        const uint32_t point = static_cast<uint32_t>(block.param2);
        const uint32_t otherForm = static_cast<uint32_t>(block.param4);
        HostParamBlock pageBlock;
        std::memset(&pageBlock, 0, sizeof pageBlock);
        pageBlock.param1 = otherForm;
        CallHost(kFormSelGetPage, pageBlock);
        const auto otherPage = pageBlock.error == 0 ? static_cast<int16_t>(pageBlock.param2) : int16_t{0};
        const auto h = static_cast<int16_t>(point >> 16);
        const auto v = static_cast<int16_t>(point & 0xFFFF);
        const auto value = static_cast<uint32_t>(block.param3);
        if ((code & 0xFF) == 21) {
          dialog->OnEvent21(detailName, page, h, v, value, otherForm, otherPage, text, static_cast<uint32_t>(block.longValue));
        } else {
          dialog->OnEvent16(detailName, page, h, v, value, otherForm, otherPage, text, static_cast<uint32_t>(block.longValue));
        }
        break;
      }
      default: break;
    }
  }
  dialog->HostFormEndChanges();
}

uint8_t VDialQv::ModelessStep(uint32_t form, uint32_t parameter) {
  VDialQv* dialog = DialogOfForm(form);
  if (dialog == nullptr) return 0;
  HostParamBlock block;
  std::memset(&block, 0, sizeof block);
  block.param1 = form;
  block.param2 = reinterpret_cast<uintptr_t>(&VDialQv::EventCallback);
  block.param3 = parameter;
  CallHost(kFormSelModelessStep, block);
  if (HostWordOf(block.longValue) == 0) return 0;
  dialog->fRunning = 1;
  const int16_t page = dialog->HostFormGetPage();
  VStr<255> name;
  if (block.text2[0] > kFormObjectNameMax) block.text2[0] = kFormObjectNameMax;
  NameOf(block.text2, name);
  if (block.shortValue != 0 && block.text2[0] != 0 && block.text2[1] != '+') {
    dialog->ItemHit(name, page);
    dialog->HostFormEndChanges();
  }
  dialog->AfterStep(block, name, page);
  if (dialog->fRunning == 0) {
    dialog->Closing();
    dialog->BeforeDispose();
    HostParamBlock close;
    std::memset(&close, 0, sizeof close);
    close.param1 = dialog->fFormRef;
    CallHost(kFormSelCloseModeless, close);
    delete dialog;
  }
  return 1;
}

VDialQv* VDialQv::DialogOfCurrentPort() {
  Tbx::GrafPtr port = nullptr;
  Tbx::GetPort(&port);
  Tbx::WindowRef window = port != nullptr ? Tbx::GetWindowFromPort(port) : nullptr;
  if (window == nullptr) return nullptr;
  HostParamBlock block;
  std::memset(&block, 0, sizeof block);
  block.param2 = HostAddress(window);
  block.error = -1;
  CallHost(kFormSelOfWindow, block);
  if (block.error != 0 || block.param1 == 0) return nullptr;
  return DialogOfForm(static_cast<uint32_t>(block.param1));
}

void VDialQv::UserAreaCallback(void** slot, const uint8_t* objectName, void* rect, HostEventRecord* event) {
  if (event == nullptr) return;
  ModuleResourcesCurrent resources;
  // The object's events get the host's four words in the order of an area
  // event: record, rectangle, name, slot.
  void* areaCall[kAreaEventParamCount] = {event, rect, const_cast<uint8_t*>(objectName), slot};
  VPlugInObject* object = nullptr;
  if (event->what == kAreaEventCreate || event->what == kAreaEventCreateFromRecord) {
    VDialQv* dialog = DialogOfCurrentPort();
    if (dialog == nullptr) return;
    VStr<255> name;
    uint8_t pascal[81] = {0};
    HostObjectName(objectName, pascal, name);
    VObject* made = nullptr;
    {
      SavedGWorld saved;
      made = dialog->CreateUserArea(name, areaCall);
    }
    // The object stores itself in the slot when it takes the event.
    object = dynamic_cast<VPlugInObject*>(made);
  } else if (slot != nullptr) {
    object = static_cast<VPlugInObject*>(*slot);
  }
  if (object == nullptr) return;
  object->HandleEvent(areaCall);
  if (event->what != kAreaEventDelete) return;
  // The area is closed: its object goes, and the dialog forgets it.
  if (VDialQv* dialog = DialogOfCurrentPort()) {
    auto& objects = dialog->fUserAreaObjects;
    VObject* base = dynamic_cast<VObject*>(object);
    for (auto it = objects.begin(); it != objects.end(); ++it) {
      if (*it == base) {
        objects.erase(it);
        break;
      }
    }
  }
  if (slot != nullptr) *slot = nullptr;
  delete object;
}
