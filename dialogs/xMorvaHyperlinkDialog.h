// xMorvaHyperlinkDialog edits a hyperlink of the text: a host method (with
// the number passed to it), a URL or a document on disk, its title and
// whether the link text takes the link style. Each kind keeps its own
// target text while the user switches between them; only the final kind's
// target is kept. xMorvaHTMLexpressionDialog edits the text of an HTML
// expression.
#pragma once

#include <cstdint>
#include <string>

#include "area/view/xMorvaHyperlink.h"
#include "dialogs/xMorvaDialog.h"
#include "framework/core/strings/VUniString.h"

class xMorvaHyperlinkDialog : public xMorvaDialog {
 public:
  xMorvaHyperlinkDialog(xMorvaPlugIn* area, const xMorvaHyperlink& link);
  ~xMorvaHyperlinkDialog() override;

  // The result into `link`: the target from the text of the chosen kind,
  // then kind, style flag, title, file kind and number.
  void GetLink(xMorvaHyperlink& link) const;
  uint8_t GetKind() const { return fLink.GetKind(); }
  // The target text kept for a kind (0 method, 1 URL, 2 document).
  const VString& GetText(uint8_t kind) const;

  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;
  bool CanAccept(const VString& objectName, int16_t page) override;

 private:
  VStrInHandle& Text(uint8_t kind);
  void LocateDocument();

  xMorvaHyperlink fLink;
  VStrInHandle fMethod;
  VStrInHandle fURL;
  VStrInHandle fPath;
};

class xMorvaHTMLexpressionDialog : public xMorvaDialog {
 public:
  xMorvaHTMLexpressionDialog(xMorvaPlugIn* area, const VString& expression);
  ~xMorvaHTMLexpressionDialog() override;

  void GetExpression(VString& expression) const { expression.Assign(fExpression); }

  bool AfterOpen() override;
  bool ReadValues() override;

 private:
  VStrInHandle fExpression;
};

// The link dialog on a copy of the link: true on OK, with the copy's new
// values.
class xMorvaHyperlinkDialogEditor final : public xMorvaHyperlinkEditor {
 public:
  bool RunHyperlinkDialog(xMorvaPlugIn& area, xMorvaHyperlink& values) override;
};

// Command 414: the expression at the selection (none: empty) edited; on OK
// `expression` holds the text to put there.
bool RunHTMLExpressionDialog(xMorvaPlugIn& area, std::u16string& expression);
