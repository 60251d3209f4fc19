// The date and time dialog: the lists show the moment the dialog opened in
// every style, and the preview the same moment in the styles chosen.
#include "dialogs/xMorvaInsertDateTimeDialog.h"

#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "dialogs/xMorvaFormObjectName.h"
#include "document/xMorvaAreaServices.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/values/VDate.h"
#include "framework/core/values/VHour.h"
#include "framework/core/strings/VUniString.h"

namespace {

// The document's word list: items 25 and 26 are the date's and the time's
// "none" entries.
constexpr int16_t kNoDateItem = 25;
constexpr int16_t kNoTimeItem = 26;

uint16_t DateStyle(uint16_t format) { return uint16_t(format >> 8); }
uint16_t TimeStyle(uint16_t format) { return uint16_t(format & 0xFF); }

}  // namespace

uint16_t DateTimeFormatShown(uint16_t format) {
  const uint16_t date = DateStyle(format) <= xMorvaInsertDateTimeDialog::kDateStyles ? DateStyle(format) : 0;
  const uint16_t time = TimeStyle(format) <= xMorvaInsertDateTimeDialog::kTimeStyles ? TimeStyle(format) : 0;
  return uint16_t(date << 8 | time);
}

uint16_t DateTimeFormatWithDateItem(uint16_t format, int32_t item) {
  const int32_t style = DropDownChoice(item, xMorvaInsertDateTimeDialog::kDateStyles + 1, DateStyle(format));
  return uint16_t(style << 8 | TimeStyle(format));
}

uint16_t DateTimeFormatWithTimeItem(uint16_t format, int32_t item) {
  const int32_t style = DropDownChoice(item, xMorvaInsertDateTimeDialog::kTimeStyles + 1, TimeStyle(format));
  return uint16_t(DateStyle(format) << 8 | style);
}

xMorvaInsertDateTimeDialog::xMorvaInsertDateTimeDialog(xMorvaPlugIn* area, uint16_t format)
    : xMorvaDialog(area, "mvInsertDateTime"), fFormat(DateTimeFormatShown(format)) {}

xMorvaInsertDateTimeDialog::~xMorvaInsertDateTimeDialog() = default;

void xMorvaInsertDateTimeDialog::GetText(VString& text) const {
  xMorvaEngine::FormatDateTime(fDate, fSeconds, fFormat, text);
}

bool xMorvaInsertDateTimeDialog::BeforeOpen() {
  HostFormClearList("ListDate");
  HostFormClearList("ListHour");
  // The moment is taken once: every list and the preview show the same.
  VDateInMem today(&fDate, true);
  today.SetToday();
  VHourInMem now(&fSeconds, true);
  now.SetNow();

  VStringArray dates;
  VStringArray times;
  auto appendNone = [this](VStringArray& list, int16_t item) {
    auto* none = new VStr<255>;
    if (const xMorvaMain* package = GetArea() != nullptr ? GetArea()->GetMorvaPackage() : nullptr)
      package->GetListString(*none, kDocumentTextsListOffset, item);
    list.AppendObject(none, false);
  };
  appendNone(dates, kNoDateItem);
  appendNone(times, kNoTimeItem);
  for (int32_t style = 1; style <= kDateStyles; ++style) {
    auto* text = new VStr<255>;
    xMorvaEngine::FormatDateTime(fDate, fSeconds, uint16_t(style << 8), *text);
    dates.AppendObject(text, false);
  }
  for (int32_t style = 1; style <= kTimeStyles; ++style) {
    auto* text = new VStr<255>;
    xMorvaEngine::FormatDateTime(fDate, fSeconds, uint16_t(style), *text);
    times.AppendObject(text, false);
  }
  SetListItems("ListDate", dates);
  SetListItems("ListHour", times);
  // Updating by itself is chosen anew at every opening.
  HostFormSetLong("chkAutoUpdate", 0);
  fAutoUpdate = 0;
  return true;
}

bool xMorvaInsertDateTimeDialog::AfterOpen() {
  SetItemNumber("ListHour", TimeStyle(fFormat) + 1);
  SetItemNumber("ListDate", DateStyle(fFormat) + 1);
  VStr<255> preview;
  GetText(preview);
  HostFormSetText("vPreview", preview);
  return true;
}

void xMorvaInsertDateTimeDialog::ItemHit(const VString& name, int16_t) {
  if (IsFormObject(name, "ListDate")) {
    fFormat = DateTimeFormatWithDateItem(fFormat, GetItemNumber("ListDate"));
  } else if (IsFormObject(name, "ListHour")) {
    fFormat = DateTimeFormatWithTimeItem(fFormat, GetItemNumber("ListHour"));
  } else if (IsFormObject(name, "chkAutoUpdate")) {
    fAutoUpdate = HostFormGetLong("chkAutoUpdate") != 0 ? 1 : 0;
  } else {
    return;
  }
  AfterOpen();
}

bool RunDateTimeDialog(xMorvaPlugIn& area, uint16_t& format, bool& element, std::u16string& text) {
  xMorvaInsertDateTimeDialog dialog(&area, format);
  if (!dialog.Run()) return false;
  format = dialog.GetFormat();
  element = dialog.GetAutoUpdate();
  VStr<255> written;
  dialog.GetText(written);
  text.assign(static_cast<const char16_t*>(written.GetBuffer()), size_t(written.GetLength()));
  return true;
}
