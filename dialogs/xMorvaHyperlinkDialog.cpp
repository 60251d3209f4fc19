// The hyperlink and HTML expression dialogs.
#include "dialogs/xMorvaHyperlinkDialog.h"

#include <memory>

#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "dialogs/xMorvaFormObjectName.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFileDialog.h"
#include "framework/system/resources/VMacResourceFile.h"

namespace {

// What a new URL link offers to type after.
constexpr char kURLStart[] = "http://www.";
const char* const kKindButtons[] = {"rb1", "rb2", "rb3"};
const char* const kKindEntries[] = {"vMethode", "vURL", "vPath"};


}  // namespace

// ---- The hyperlink dialog.

xMorvaHyperlinkDialog::xMorvaHyperlinkDialog(xMorvaPlugIn* area, const xMorvaHyperlink& link)
    : xMorvaDialog(area, "mvHyperLink"), fLink(link) {
  // A link of no known kind (a new one among them) opens as a method link.
  if (fLink.GetKind() > xMorvaHyperlink::kDocument) fLink.SetKind(xMorvaHyperlink::kMethod);
  Text(fLink.GetKind()).Assign(fLink.GetTarget());
  if (fURL.GetLength() == 0) fURL.SetAnsiCText(kURLStart);
}

xMorvaHyperlinkDialog::~xMorvaHyperlinkDialog() = default;

VStrInHandle& xMorvaHyperlinkDialog::Text(uint8_t kind) {
  return kind == xMorvaHyperlink::kURL ? fURL : kind == xMorvaHyperlink::kDocument ? fPath : fMethod;
}

const VString& xMorvaHyperlinkDialog::GetText(uint8_t kind) const {
  return kind == xMorvaHyperlink::kURL ? fURL : kind == xMorvaHyperlink::kDocument ? fPath : fMethod;
}

void xMorvaHyperlinkDialog::GetLink(xMorvaHyperlink& link) const {
  link.SetTarget(GetText(fLink.GetKind()));
  link.SetKind(fLink.GetKind());
  link.SetStyleFlag(fLink.GetStyleFlag());
  link.SetTitle(fLink.GetTitle());
  link.SetDialogValue(fLink.GetFileType());
  link.SetValue(fLink.GetValue());
}

bool xMorvaHyperlinkDialog::AfterOpen() {
  const uint8_t kind = fLink.GetKind();
  VStr<1> empty;
  for (uint8_t k = 0; k < 3; ++k) {
    HostFormSetLong(kKindButtons[k], kind == k ? 1 : 0);
    // As text handles: a URL or a path may be longer than a plain text
    // of the form holds.
    HostFormSetTextHandle(kKindEntries[k], kind == k ? GetText(k) : static_cast<const VString&>(empty));
    SetObjectActive(*this, kKindEntries[k], kind == k);
  }
  HostFormSetLong("vRef", kind == xMorvaHyperlink::kMethod ? int32_t(fLink.GetValue()) : 0);
  SetObjectActive(*this, "vRef", kind == xMorvaHyperlink::kMethod);
  HostFormEnableObject("butLocate", kind == xMorvaHyperlink::kDocument);
  HostFormSetTextHandle("vTitle", fLink.GetTitle());
  HostFormSetLong("vURLstyle", fLink.GetStyleFlag() ? 1 : 0);
  return true;
}

void xMorvaHyperlinkDialog::ItemHit(const VString& name, int16_t) {
  for (uint8_t k = 0; k < 3; ++k) {
    if (IsFormObject(name, kKindButtons[k])) {
      fLink.SetKind(k);
      AfterOpen();
      return;
    }
    // Only the entry of the chosen kind is the user's to type into.
    if (IsFormObject(name, kKindEntries[k]) && k == fLink.GetKind()) {
      HostFormGetTextHandle(kKindEntries[k], Text(k));
      return;
    }
  }
  if (IsFormObject(name, "vURLstyle")) {
    fLink.SetStyleFlag(HostFormGetLong("vURLstyle") != 0);
  } else if (IsFormObject(name, "vRef")) {
    if (fLink.GetKind() == xMorvaHyperlink::kMethod) fLink.SetValue(uint32_t(HostFormGetLong("vRef")));
  } else if (IsFormObject(name, "vTitle")) {
    VStrInHandle title;
    HostFormGetTextHandle("vTitle", title);
    fLink.SetTitle(title);
  } else if (IsFormObject(name, "butLocate")) {
    if (fLink.GetKind() == xMorvaHyperlink::kDocument) LocateDocument();
  }
}

bool xMorvaHyperlinkDialog::CanAccept(const VString&, int16_t) {
  // A link must lead somewhere: an empty target of the chosen kind is
  // refused and the dialog stays open.
  if (GetText(fLink.GetKind()).GetLength() > 0) return true;
  VSystemServices::Beep();
  return false;
}

void xMorvaHyperlinkDialog::LocateDocument() {
  const xMorvaMain* package = GetArea() != nullptr ? GetArea()->GetMorvaPackage() : nullptr;
  if (package == nullptr) return;
  uint32_t type = 0;
  std::unique_ptr<VFile> chosen(
      AskOpenFile(package->GetResourceFile(), int16_t(package->GetResourceBase()), &type));
  // Cancelled: the path and the file kind stay as they were.
  if (!chosen) return;
  chosen->GetFullPath(fPath);
  HostFormSetTextHandle("vPath", fPath);
  // The kind of the filter chosen; 0 (all files) lets the file's content
  // tell when the link is followed.
  fLink.SetDialogValue(type);
}

bool xMorvaHyperlinkDialogEditor::RunHyperlinkDialog(xMorvaPlugIn& area, xMorvaHyperlink& values) {
  xMorvaHyperlinkDialog dialog(&area, values);
  if (!dialog.Run()) return false;
  dialog.GetLink(values);
  return true;
}

// ---- The HTML expression dialog.

xMorvaHTMLexpressionDialog::xMorvaHTMLexpressionDialog(xMorvaPlugIn* area, const VString& expression)
    : xMorvaDialog(area, "mvHTMLexpression") {
  fExpression.Assign(expression);
}

xMorvaHTMLexpressionDialog::~xMorvaHTMLexpressionDialog() = default;

bool xMorvaHTMLexpressionDialog::AfterOpen() {
  HostFormSetTextHandle("vTitle", fExpression);
  return true;
}

bool xMorvaHTMLexpressionDialog::ReadValues() {
  HostFormGetTextHandle("vTitle", fExpression);
  return true;
}

bool RunHTMLExpressionDialog(xMorvaPlugIn& area, std::u16string& expression) {
  VStrInHandle current;
  xMorvaDocument* document = area.GetDocument();
  if (auto* text = document != nullptr ? static_cast<xMorvaEngine*>(document->GetCurrentPart()) : nullptr) {
    if (!text->GetHTMLExpressionAtSelection(uint16_t(xMorvaElementCode::HTMLExpression), current))
      current.SetEmpty(false);
  }
  xMorvaHTMLexpressionDialog dialog(&area, current);
  if (!dialog.Run()) return false;
  VStrInHandle chosen;
  dialog.GetExpression(chosen);
  expression.assign(static_cast<const char16_t*>(chosen.GetBuffer()), size_t(chosen.GetLength()));
  chosen.ReleaseBuffer();
  return true;
}
