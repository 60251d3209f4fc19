// The formula editor: the reference's field or expression and its display
// format on the host's form "EditEngineObject".
#include "host/dialog/VFormulaDialog.h"

#include <cstring>

#include "framework/system/resources/VMacResourceFile.h"
#include "host/context/HostCalls.h"
#include "host/context/HostServices.h"
#include "host/context/HostStructure.h"
#include "host/context/VHostContext.h"
#include "host/context/VHostRef.h"
#include "platform/toolbox/TbxHandleLocker.h"
#include "platform/toolbox/TbxHandles.h"

namespace {

constexpr uint32_t kStringListType = 0x53545223;  // 'STR#'
// What the host is told when it makes the field chooser.
const uint8_t kFieldChooserData[4] = {31, 8, 6, 0};
constexpr int16_t kFieldPage = 1;
constexpr int16_t kExpressionPage = 2;

// Field types, as the host reports them.
enum : int16_t {
  kTypeAlpha = 0,
  kTypeReal = 1,
  kTypeText = 2,
  kTypeDate = 4,
  kTypePicture = 6,
  kTypeInteger = 8,
  kTypeLongInteger = 9,
  kTypeTime = 11,
  kTypeAlphaLong = 24,
};

// An independent copy of a Toolbox handle's bytes; 0 for none.
uint32_t CopyHandle(uint32_t source) {
  if (source == 0) return 0;
  const int32_t size = Tbx::GetHandleSize(source);
  if (size < 0 || Tbx::MemError() != Tbx::noErr) return 0;
  const uint32_t copy = Tbx::NewHandle(size);
  if (copy == 0) return 0;
  if (size > 0) {
    Tbx::HandleLocker from(source);
    Tbx::HandleLocker to(copy);
    if (!from || !to) {
      Tbx::DisposeHandle(copy);
      return 0;
    }
    std::memcpy(to.Data(), from.Data(), static_cast<size_t>(size));
  }
  return copy;
}

// The 1-based position of the text in the list; 0 when it is not there.
int32_t PositionIn(const VStringArray& list, const VString& text) {
  if (list.Count() == 0) return 0;
  const int32_t found = list.Find(text);
  return found > 0 ? found : 0;
}

}  // namespace

VFormulaDialog::VFormulaDialog(VDialQvOwner* owner, VHostRef* reference)
    : VDialQv(owner, "EditEngineObject"), fReference(reference) {
  int16_t table = 0, field = 0;
  if (reference != nullptr) reference->GetNumbers(table, field);
  fTable = table >= 1 ? table : 1;
  fField = field >= 1 ? field : 1;
  HostCurrentFieldCall383(fTable, fField);
  if (reference != nullptr) {
    fExpression = CopyHandle(reference->GetReferenceData());
    reference->GetFormatText(fFormat);
    fTimeFormat = reference->GetFormat();
    fDateFormat = reference->GetOption();
  }
  VMacResourceFile* file = gHostContext != nullptr ? gHostContext->GetHostMacResourceFile() : nullptr;
  if (file == nullptr || !file->IsOpen()) return;
  file->LoadStringList(kFormatListText, &fTextFormats);
  file->LoadStringList(kFormatListNumber, &fNumberFormats);
  file->LoadStringList(kFormatListDate, &fDateFormats);
  file->LoadStringList(kFormatListTime, &fTimeFormats);
  file->LoadStringList(kFormatListPicture, &fPictureFormats);
  for (int16_t list : {kFormatListText, kFormatListNumber, kFormatListDate, kFormatListTime, kFormatListPicture})
    file->AppendStringList(list, &fAllFormats);
}

VFormulaDialog::~VFormulaDialog() {
  if (fExpression != 0) Tbx::DisposeHandle(fExpression);
}

void VFormulaDialog::UpdateFormats(bool forExpression) {
  int32_t selection = 0;
  if (forExpression) {
    SetListItems("vFormats", fAllFormats);
    selection = PositionIn(fAllFormats, fFormat);
  } else {
    switch (HostGetFieldType(static_cast<uint16_t>(fTable), static_cast<uint16_t>(fField), false)) {
      case kTypeAlpha:
      case kTypeText:
        SetListItems("vFormats", fTextFormats);
        selection = PositionIn(fTextFormats, fFormat);
        break;
      case kTypeReal:
      case kTypeInteger:
      case kTypeLongInteger:
        SetListItems("vFormats", fNumberFormats);
        selection = PositionIn(fNumberFormats, fFormat);
        break;
      case kTypeDate:
        SetListItems("vFormats", fDateFormats);
        selection = fDateFormat;
        break;
      case kTypePicture:
        SetListItems("vFormats", fPictureFormats);
        selection = PositionIn(fPictureFormats, fFormat);
        break;
      case kTypeTime:
        SetListItems("vFormats", fTimeFormats);
        selection = fTimeFormat;
        break;
      default:
        // Other types (24 among them) have no formats to offer.
        HostFormClearList("vFormats");
        break;
    }
  }
  HostFormSetLong("vFormats", selection);
}

bool VFormulaDialog::BeforeOpen() {
  HostFormFillListFromResource("vTab", kStringListType, kFormulaTabLabels);
  HostFormSetLong("bOK", 0);
  HostFormSetLong("bCancel", 0);
  HostFormSetLong("bEdit", 0);
  VStr<255> display;
  if (fReference != nullptr) fReference->GetDisplayText(display);
  HostFormSetText("vFormula", display);
  HostFormSetText("vFormat", fFormat);
  HostFormClearList("vFormats");
  return true;
}

bool VFormulaDialog::AfterOpen() {
  HostFormReplaceObject("vFields", 0, reinterpret_cast<uintptr_t>(kFieldChooserData), 0, 1, 1, true, true);
  HostFormSetFieldRef("vFields", fTable, fField, 0, true);
  if (fExpression != 0) HostFormSelectPage(kExpressionPage);
  UpdateFormats(fExpression != 0);
  return true;
}

void VFormulaDialog::ApplyPosition(int32_t position, int16_t page) {
  if (page != kFieldPage) {
    // The all-formats list: texts, numbers, dates, times, pictures.
    const int32_t texts = fTextFormats.Count();
    const int32_t numbers = fNumberFormats.Count();
    const int32_t dates = fDateFormats.Count();
    const int32_t times = fTimeFormats.Count();
    const int32_t k = position - texts - numbers;
    if (position <= texts || k <= 0 || k - dates > times) {
      // A text, number or picture format (or none) is kept as text; a
      // picture format is no time format, however far down the list it is.
      fTimeFormat = 0;
      fDateFormat = 0;
      return;
    }
    if (k > dates) {
      fTimeFormat = k - dates;
      fDateFormat = 0;
    } else {
      fDateFormat = k;
      fTimeFormat = 0;
    }
    fFormat.SetEmpty(false);
    return;
  }
  switch (HostGetFieldType(static_cast<uint16_t>(fTable), static_cast<uint16_t>(fField), false)) {
    case kTypeDate:
      fDateFormat = position;
      fTimeFormat = 0;
      fFormat.SetEmpty(false);
      break;
    case kTypeTime:
      fTimeFormat = position;
      fDateFormat = 0;
      fFormat.SetEmpty(false);
      break;
    case kTypeAlpha:
    case kTypeText:
    case kTypeAlphaLong:
    case kTypeReal:
    case kTypeInteger:
    case kTypeLongInteger:
    case kTypePicture:
      fTimeFormat = 0;
      fDateFormat = 0;
      break;
    default:
      fTimeFormat = 0;
      fDateFormat = 0;
      fFormat.SetEmpty(false);
      break;
  }
}

void VFormulaDialog::ItemHit(const VString& objectName, int16_t page) {
  auto is = [&](const char* text) { return objectName.CompareCText(text, kCharSetMac, true) == 0; };
  if (is("vTab")) {
    UpdateFormats(page == kExpressionPage);
  } else if (is("vFormat")) {
    HostFormGetText("vFormat", fFormat);
    int32_t position = 0;
    if (page != kFieldPage) {
      position = PositionIn(fAllFormats, fFormat);
    } else {
      switch (HostGetFieldType(static_cast<uint16_t>(fTable), static_cast<uint16_t>(fField), false)) {
        case kTypeAlpha:
        case kTypeText:
        case kTypeAlphaLong:
          position = PositionIn(fTextFormats, fFormat);
          break;
        case kTypeReal:
        case kTypeInteger:
        case kTypeLongInteger:
          position = PositionIn(fNumberFormats, fFormat);
          break;
        case kTypePicture:
          position = PositionIn(fPictureFormats, fFormat);
          break;
        case kTypeDate:
          position = PositionIn(fDateFormats, fFormat);
          break;
        case kTypeTime:
          position = PositionIn(fTimeFormats, fFormat);
          break;
        default:
          break;
      }
    }
    ApplyPosition(position, page);
    HostFormSetLong("vFormats", position);
  } else if (is("vFormats")) {
    const int32_t index = HostFormGetLong("vFormats");
    HostFormGetListText("vFormats", static_cast<int16_t>(index), fFormat);
    HostFormSetText("vFormat", fFormat);
    ApplyPosition(index, page);
  } else if (is("vFields")) {
    ReadFieldChooser();
    UpdateFormats(false);
  } else if (is("bEdit")) {
    EditExpression();
  }
}

void VFormulaDialog::OnEvent13(const VString& objectName, int16_t, int32_t, int32_t) {
  if (objectName.CompareCText("vFields", kCharSetMac, true) != 0) return;
  ReadFieldChooser();
  UpdateFormats(false);
  AcceptDialog();
}

void VFormulaDialog::ReadFieldChooser() {
  uint32_t scratch = 0;
  HostFormGetFieldRef("vFields", fTable, fField, scratch, false);
}

void VFormulaDialog::EditExpression() {
  VStr<255> text;
  HostFormGetTextHandle("vFormula", text);
  SetVisible(false);
  const auto edited = static_cast<uint32_t>(HostExchangeObjectData(text, 0));
  SetVisible(true);
  if (edited == 0) return;  // the user cancelled the host's editor
  if (fExpression != 0 && fExpression != edited) Tbx::DisposeHandle(fExpression);
  fExpression = edited;
  HostFormSetTextHandle("vFormula", text);
}

bool VFormulaDialog::ReadValues() {
  if (fReference == nullptr) return true;
  fReference->SetReferenceData(0);
  fReference->SetFormatText(fFormat);
  fReference->SetFormat(fTimeFormat);
  fReference->SetOption(fDateFormat);
  if (HostFormGetLong("vTab") != kFieldPage) {
    fReference->SetNumbers(0, 0);
    fReference->SetReferenceData(fExpression);
    fExpression = 0;
  } else {
    fReference->SetNumbers(fTable, fField);
  }
  fReference->UpdateDisplayText();
  return true;
}

bool RunFormulaDialog(VHostRef* reference) {
  auto* dialog = new VFormulaDialog(nullptr, reference);
  const bool accepted = dialog->RunDialog(0);
  delete dialog;
  return accepted;
}
