// The columns dialog: every change goes into the working copy of the
// parameters and the form shows it again at once, the preview included;
// the document takes the copy only when the user accepts.
#include "dialogs/xMorvaColumnsDialog.h"

#include <memory>

#include "area/xMorvaPlugIn.h"
#include "dialogs/xMorvaFormObjectName.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaText.h"
#include "graphics/pictures/VEmfPictureData.h"

namespace {

constexpr int16_t kColumnCountListOffset = 23;

}  // namespace

int32_t ColumnSpacingLimit(const xMorvaDocParams& params, int32_t indentSum) {
  const int64_t columns = params.GetColumns();
  if (columns < 2) return 0;
  const int64_t room = int64_t(params.ColumnWidth(true)) -
                       (int64_t(indentSum) + xMorvaDocParams::kMinColumnWidth) * columns;
  const int64_t spacing = room / (columns - 1);
  return spacing > 0 ? int32_t(spacing) : 0;
}

void ChangeColumnCount(xMorvaDocParams& params, int32_t columns, int32_t indentSum) {
  params.SetColumns(columns);
  // One column has no spacing to cut: it is kept for when columns come back.
  if (params.GetColumns() < 2) return;
  const int32_t limit = ColumnSpacingLimit(params, indentSum);
  if (params.GetColumnSpacing() > limit) params.SetColumnSpacing(limit);
}

void ChangeColumnWidth(xMorvaDocParams& params, int32_t width) {
  const int64_t columns = params.GetColumns();
  if (columns < 2) return;
  int32_t least = 0;
  int32_t most = 0;
  params.ColumnWidthRange(least, most);
  if (width < least) width = least;
  if (width > most) width = most;
  const int64_t spacing = (int64_t(params.ColumnWidth(true)) - columns * width) / (columns - 1);
  // A page whose margins leave less than nothing would give a negative
  // remainder.
  params.SetColumnSpacing(spacing > 0 ? int32_t(spacing) : 0);
}

void ChangeColumnSpacing(xMorvaDocParams& params, int32_t spacing, int32_t indentSum) {
  if (params.GetColumns() < 2) return;
  const int32_t limit = ColumnSpacingLimit(params, indentSum);
  params.SetColumnSpacing(spacing < 0 ? 0 : spacing > limit ? limit : spacing);
}

xMorvaColumnsDialog::xMorvaColumnsDialog(xMorvaPlugIn* area, xMorvaDocument& document)
    : xMorvaDialog(area, "mvColumns"), fDocument(document), fParams(document.GetParams()) {}

xMorvaColumnsDialog::~xMorvaColumnsDialog() = default;

int32_t xMorvaColumnsDialog::BodyIndentSum() {
  xMorvaTextInterface* body = fDocument.GetBodyText();
  return body != nullptr ? body->GetMaxIndentSum() : 0;
}

bool xMorvaColumnsDialog::BeforeOpen() {
  FillFromList("droNbColumns", kColumnCountListOffset);
  HostFormSetReal("vColWidth", 0);
  HostFormSetReal("vColSpacing", 0);
  return true;
}

bool xMorvaColumnsDialog::AfterOpen() {
  const int32_t columns = fParams.GetColumns();
  SetItemNumber("droNbColumns", columns);
  const bool several = columns > 1;
  if (several) {
    ShowLength("vColWidth", fParams, fParams.ColumnWidth(false));
    ShowLength("vColSpacing", fParams, fParams.GetColumnSpacing());
    HostFormSetLong("VerticalSeparator", fParams.GetColumnLines() != 0 ? 1 : 0);
  } else {
    VStr<255> plain;
    plain.SetAnsiCText("#");
    for (const char* entry : {"vColWidth", "vColSpacing"}) {
      HostFormSetFormat(entry, plain);
      HostFormSetReal(entry, 0);
    }
    HostFormSetLong("VerticalSeparator", 0);
  }
  for (const char* object : {"vColWidth", "vColSpacing", "VerticalSeparator"})
    SetObjectActive(*this, object, several);
  std::unique_ptr<VEmfPictureData> preview(fParams.DrawPagePreview(kPreviewSize, kPreviewSize));
  if (preview) SetItemPicture("vPagePreview", preview.get());
  return true;
}

void xMorvaColumnsDialog::ItemHit(const VString& name, int16_t) {
  if (IsFormObject(name, "droNbColumns")) {
    // Item N is N columns; item 0 (nothing chosen) keeps the count.
    const int32_t current = fParams.GetColumns();
    const int32_t chosen =
        DropDownChoice(GetItemNumber("droNbColumns"), xMorvaDocParams::kMaxColumns, current - 1) +
        1;
    ChangeColumnCount(fParams, chosen, BodyIndentSum());
  } else if (IsFormObject(name, "VerticalSeparator")) {
    fParams.SetColumnLines(HostFormGetLong("VerticalSeparator") != 0 ? 1 : 0);
  } else if (IsFormObject(name, "vColWidth")) {
    ChangeColumnWidth(fParams, ReadLength("vColWidth", fParams));
  } else if (IsFormObject(name, "vColSpacing")) {
    ChangeColumnSpacing(fParams, ReadLength("vColSpacing", fParams), BodyIndentSum());
  } else {
    return;
  }
  AfterOpen();
}

bool RunColumnsDialog(xMorvaPlugIn& area, xMorvaDocParams& params) {
  xMorvaDocument* document = area.GetDocument();
  if (document == nullptr) return false;
  xMorvaColumnsDialog dialog(&area, *document);
  if (!dialog.Run()) return false;
  params = dialog.GetParams();
  return true;
}
