// The document information dialog: the texts and the locked flag go back
// into the document on OK; the document counts as modified only when a
// value of the form changed.
#include "dialogs/xMorvaDocumentInformationsDialog.h"

#include "document/xMorvaDocInfos.h"
#include "document/xMorvaDocument.h"

namespace {

// The texts in the order of the dialog's shown copies; the notes, the last,
// go as a text handle.
const char* const kTextObjects[] = {"vTitle", "vSubject", "vAuthor", "vCompany", "vNotes"};
constexpr int32_t kNotes = 4;

VString& InfoText(xMorvaDocInfos& infos, int32_t k) {
  switch (k) {
    case 0: return infos.Title();
    case 1: return infos.Subject();
    case 2: return infos.Author();
    case 3: return infos.Company();
    default: return infos.Notes();
  }
}

// A date, ", " and a time, each in its value's own text.
void StampText(const VDateRec& date, int32_t seconds, VString& text) {
  VStr<255> time;
  text.SetDate(date, kWholeValue);
  time.SetTime(seconds, kWholeValue);
  text.AppendCText(", ", kCharSetAnsi);
  text.AppendUniChars(static_cast<const char16_t*>(time.GetBuffer()), time.GetLength());
}

}  // namespace

xMorvaDocumentInformationsDialog::xMorvaDocumentInformationsDialog(xMorvaPlugIn* area, xMorvaDocument& document)
    : xMorvaDialog(area, "mvDocumentInformations"), fDocument(document) {}

xMorvaDocumentInformationsDialog::~xMorvaDocumentInformationsDialog() = default;

bool xMorvaDocumentInformationsDialog::AfterOpen() {
  xMorvaDocInfos& infos = fDocument.Infos();
  for (int32_t k = 0; k < kTexts; ++k) {
    if (k == kNotes) {
      HostFormSetTextHandle(kTextObjects[k], InfoText(infos, k));
      HostFormGetTextHandle(kTextObjects[k], fShown[k]);
    } else {
      HostFormSetText(kTextObjects[k], InfoText(infos, k));
      HostFormGetText(kTextObjects[k], fShown[k]);
    }
  }
  VStr<255> stamp;
  StampText(infos.GetCreationDate(), infos.GetCreationTime(), stamp);
  HostFormSetText("vCreationDate", stamp);
  StampText(infos.GetModificationDate(), infos.GetModificationTime(), stamp);
  HostFormSetText("vModificationDate", stamp);
  // The stamps are the document's own: shown, never typed into.
  HostFormSetEnterable("vCreationDate", false);
  HostFormSetEnterable("vModificationDate", false);
  HostFormSetLong("vLocked", infos.GetLocked() != 0 ? 1 : 0);
  return true;
}

void xMorvaDocumentInformationsDialog::ValueChanged(const VString& name, int16_t page) {
  fModified = 1;
  xMorvaDialog::ValueChanged(name, page);
}

bool xMorvaDocumentInformationsDialog::ReadValues() {
  xMorvaDocInfos& infos = fDocument.Infos();
  VStrInHandle typed;
  for (int32_t k = 0; k < kTexts; ++k) {
    if (k == kNotes) {
      HostFormGetTextHandle(kTextObjects[k], typed);
    } else {
      HostFormGetText(kTextObjects[k], typed);
    }
    if (typed.Compare(fShown[k], true) != 0) InfoText(infos, k).Assign(typed);
  }
  infos.SetLocked(HostFormGetLong("vLocked") != 0 ? 1 : 0);
  if (fModified != 0) fDocument.SetModified();
  return true;
}

bool RunDocumentInformationsDialog(xMorvaPlugIn& area, xMorvaDocument& document) {
  xMorvaDocumentInformationsDialog dialog(&area, document);
  return dialog.Run();
}
