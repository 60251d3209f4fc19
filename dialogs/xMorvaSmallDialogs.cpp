// The go to page, language, mailing and about dialogs.
#include "dialogs/xMorvaSmallDialogs.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "boundary/FourCC.h"
#include "dialogs/xMorvaFormObjectName.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "boundary/HostSelectors.h"
#include "host/context/HostServices.h"
#include "host/context/HostStructure.h"
#include "platform/bytes/ByteSpanReader.h"

namespace {

constexpr int16_t kLanguageListOffset = 15;
constexpr int16_t kVersionId = 1;
constexpr const char* kPrefsSuffix = " Prefs";

// A resource of the module's own file, copied out; empty when missing.
std::vector<uint8_t> ModuleResource(const xMorvaPlugIn* area, uint32_t type, int16_t id, bool& found) {
  std::vector<uint8_t> bytes;
  found = false;
  const xMorvaMain* package = area != nullptr ? area->GetMorvaPackage() : nullptr;
  VMacResourceFile* file = package != nullptr ? package->GetResourceFile() : nullptr;
  if (file == nullptr) return bytes;
  uint8_t owned = 0;
  const VResourceRef ref = file->GetResource(type, id, &owned);
  if (ref == 0) return bytes;
  found = true;
  if (const auto* data = static_cast<const uint8_t*>(file->LockResource(ref))) {
    bytes.assign(data, data + file->GetResourceSize(ref));
    file->UnlockResource(ref);
  }
  file->ReleaseResource(ref);
  return bytes;
}

int16_t ResourceBase(const xMorvaPlugIn* area) {
  const xMorvaMain* package = area != nullptr ? area->GetMorvaPackage() : nullptr;
  return package != nullptr ? static_cast<int16_t>(package->GetResourceBase()) : 0;
}

}  // namespace

// ---- Stored records

bool LanguageCodeOfItem(const uint8_t* record, size_t size, int32_t item, int16_t& code) {
  ByteSpanReader in(record, size);
  const int32_t count = in.I16();
  if (in.Failed() || item < 1 || item > count) return false;
  if (!in.Skip(size_t(item - 1) * 2)) return false;
  const int16_t value = in.I16();
  if (in.Failed()) return false;
  code = value;
  return true;
}

int32_t LanguageItemOfCode(const uint8_t* record, size_t size, int16_t code) {
  ByteSpanReader in(record, size);
  const int32_t count = in.I16();
  for (int32_t item = 1; item <= count; ++item) {
    const int16_t value = in.I16();
    if (in.Failed()) return 0;
    if (value == code) return item;
  }
  return 0;
}

bool ShortVersionOf(const uint8_t* record, size_t size, std::string& version) {
  ByteSpanReader in(record, size);
  if (!in.Skip(6)) return false;
  const uint8_t length = in.U8();
  const uint8_t* text = in.Span(length);
  if (in.Failed() || text == nullptr) return false;
  version.assign(reinterpret_cast<const char*>(text), length);
  return true;
}

// ---- Go to page

xMorvaGotoPageDialog::xMorvaGotoPageDialog(xMorvaPlugIn* area, const xMorvaDocument& document)
    : xMorvaDialog(area, "mvGotoPage"),
      fFirst(document.GetParams().GetFirstPageNumber()),
      fPageCount(std::max(document.GetBodyPageCount(), 1)),
      fPage(PageNumberOf(double(int64_t(fFirst) + std::max(document.GetCaretPage(), 0)), fFirst, fPageCount)) {}

bool xMorvaGotoPageDialog::AfterOpen() {
  HostFormSetReal("vPage", fPage);
  HostFormSetMinimumReal("vPage", fFirst);
  HostFormSetMaximumReal("vPage", PageNumberOf(INFINITY, fFirst, fPageCount));
  return true;
}

int32_t xMorvaGotoPageDialog::PageNumberOf(double value, int32_t first, int32_t count) {
  // The last page's number, held to the largest number the entry shows.
  const double last = double(std::min<int64_t>(int64_t(first) + std::max(count, 1) - 1, INT32_MAX));
  const double truncated = std::isnan(value) ? double(first) : std::trunc(value);
  return static_cast<int32_t>(std::clamp(truncated, double(first), last));
}

void xMorvaGotoPageDialog::ItemHit(const VString&, int16_t) {
  // The entry's range is the form's to enforce; a value outside it still
  // names a page of the document: the nearest one.
  fPage = PageNumberOf(HostFormGetReal("vPage"), fFirst, fPageCount);
}

bool RunGotoPageDialog(xMorvaPlugIn& area, int32_t& page) {
  const xMorvaDocument* document = area.GetDocument();
  if (document == nullptr) return false;
  xMorvaGotoPageDialog dialog(&area, *document);
  if (!dialog.Run()) return false;
  page = dialog.GetPageIndex();
  return true;
}

// ---- Language

xMorvaLanguageDialog::xMorvaLanguageDialog(xMorvaPlugIn* area, xMorvaDocument& document)
    : xMorvaDialog(area, "mvLanguage"), fDocument(document) {}

bool xMorvaLanguageDialog::BeforeOpen() {
  FillFromList("ListLanguage", kLanguageListOffset);
  SetItemNumber("ListLanguage", 0);
  bool found = false;
  const std::vector<uint8_t> codes = ModuleResource(GetArea(), FourCC("LGCD"), ResourceBase(GetArea()), found);
  if (!found) return false;
  const int32_t item = LanguageItemOfCode(codes.data(), codes.size(), fDocument.GetParams().GetLanguage());
  if (item != 0) SetItemNumber("ListLanguage", item);
  return true;
}

bool xMorvaLanguageDialog::ReadValues() {
  bool found = false;
  const std::vector<uint8_t> codes = ModuleResource(GetArea(), FourCC("LGCD"), ResourceBase(GetArea()), found);
  const int32_t item = GetItemNumber("ListLanguage");
  int16_t code = 0;
  // An item without a code of its own leaves the language as it is.
  if (!found || item <= 0 || !LanguageCodeOfItem(codes.data(), codes.size(), item, code)) return true;
  if (code != fDocument.GetParams().GetLanguage()) {
    fDocument.Params().SetLanguage(code);
    fDocument.SetModified();
  }
  return true;
}

bool RunLanguageDialog(xMorvaPlugIn& area, xMorvaDocument& document) {
  xMorvaLanguageDialog dialog(&area, document);
  return dialog.Run();
}

// ---- Mailing

xMorvaMailingDialog::xMorvaMailingDialog(xMorvaPlugIn* area) : xMorvaDialog(area, "mvMailing") {}

bool xMorvaMailingDialog::BeforeOpen() {
  HostFormFillTableList("ListTables", true);
  HostFormSetLong("nbrecs", 0);
  return true;
}

bool xMorvaMailingDialog::AfterOpen() {
  SetItemNumber("ListTables", 1);
  ChooseTable();
  ShowCount();
  return true;
}

void xMorvaMailingDialog::ChooseTable() {
  const int32_t item = GetItemNumber("ListTables");
  VStrInHandle name;
  if (item >= 1 && item <= INT16_MAX) HostFormGetListText("ListTables", static_cast<int16_t>(item), name);
  // Without a table of that item (an empty database) no host call names a
  // table: table 0 is none.
  fTable = item >= 1 && item <= INT16_MAX && name.GetLength() > 0 ? static_cast<int16_t>(item) : 0;
  if (fTable == 0) return;
  VStrInHandle reference;
  reference.AppendUniChar(u'[');
  reference.AppendUniChars(reinterpret_cast<const char16_t*>(name.GetBuffer()), name.GetLength());
  reference.AppendUniChar(u']');
  int16_t table = 0;
  int16_t field = 0;
  HostGetFieldNumbers(reference, table, field, false);
  HostCurrentFieldCall303(table, field);
}

void xMorvaMailingDialog::ShowCount() {
  const uint32_t count = fTable != 0 ? HostGetRecordCount(uint16_t(fTable)) : 0;
  HostFormSetLong("nbrecs", static_cast<int32_t>(std::min<uint32_t>(count, INT32_MAX)));
  HostFormRedrawObject("nbrecsHolder");
}

void xMorvaMailingDialog::ItemHit(const VString& objectName, int16_t) {
  if (IsFormObject(objectName, "ListTables")) {
    ChooseTable();
    ShowCount();
  } else if (IsFormObject(objectName, "butFind") || IsFormObject(objectName, "butSort")) {
    if (fTable == 0) return;
    const bool query = IsFormObject(objectName, "butFind");
    SetVisible(false);
    if (query) {
      HostQueryTable(uint16_t(fTable));
    } else {
      HostSortTable(uint16_t(fTable));
    }
    SetVisible(true);
    if (query) ShowCount();
  }
}

bool RunMailingDialog(xMorvaPlugIn& area, int16_t& table) {
  xMorvaMailingDialog dialog(&area);
  if (!dialog.Run() || dialog.GetTable() == 0) return false;
  table = dialog.GetTable();
  return true;
}

// ---- About

xMorvaAboutDialog::xMorvaAboutDialog(xMorvaPlugIn* area) : xMorvaDialog(area, "mvAbout") {}

bool xMorvaAboutDialog::AfterOpen() {
  xMorvaMain* package = GetArea() != nullptr ? GetArea()->GetMorvaPackage() : nullptr;
  char folder[kHostPathBufferSize] = {};
  if (package != nullptr && package->GetPrefsFile() != nullptr && HostGetPath(folder) && folder[0] != 0) {
    char name[256] = {};
    package->GetName().GetCText(name, sizeof name, kCharSetAnsi);
    const std::string path = std::string(folder) + name + kPrefsSuffix;
    HostFormSetTextFromCString("vPrefFile", path.c_str());
  }
  bool found = false;
  const std::vector<uint8_t> record = ModuleResource(GetArea(), FourCC("vers"), kVersionId, found);
  std::string version;
  if (found && ShortVersionOf(record.data(), record.size(), version))
    HostFormSetTextFromCString("vVersion", version.c_str());
  return true;
}

bool RunAboutDialog(xMorvaPlugIn& area) {
  xMorvaAboutDialog dialog(&area);
  dialog.Run();
  return true;
}
