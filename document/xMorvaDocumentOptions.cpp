// The document as the host language sees it: the numbered area options and
// settings, property values as reals, switching between the body and the
// headers and footers, going to a page, the print record 'wPRT' and the
// ranges within which margins and header and footer distances may lie.
#include <algorithm>
#include <cmath>

#include "document/StoredRecord_p.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaDocumentArea.h"
#include "document/xMorvaLayoutInterface.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaText.h"
#include "document/xMorvaUndo.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/strings/VString.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "graphics/printing/VWinPrinter.h"

namespace {

constexpr int32_t kErrorBadOption = 1079;
constexpr int32_t kErrorOptionRange = 1080;
constexpr int32_t kErrorBadSetting = 1089;
constexpr int32_t kErrorPartNotAvailable = 1091;
constexpr int32_t kErrorNoSuchPage = 1086;
constexpr int32_t kErrorPropertyRange = 1076;

constexpr int16_t kOptionCount = 60;
constexpr int16_t kSettingCount = 12;

constexpr uint32_t kTagWPRT = FourCC("wPRT");
constexpr uint32_t kVersionWPRT = FourCC("0100");
constexpr uint32_t kTagWSTL = FourCC("wSTL");

// The link colours a negative value restores.
constexpr int32_t kDefaultLinkColour = 0xFF9933;
constexpr int32_t kDefaultSecondLinkColour = 0xFF00CC;
constexpr int32_t kLargestColour = 0xFFFFFF;
// The narrowest text an indent or a margin may leave.
constexpr int32_t kNarrowestText = 50;

// The host's byte order of a colour and the stored one differ in their low
// and high bytes; the exchange is its own inverse.
int32_t ExchangeColourBytes(int32_t colour) {
  const uint32_t c = uint32_t(colour);
  return int32_t((c & 0xFF00FF00u) | ((c & 0xFFu) << 16) | ((c >> 16) & 0xFFu));
}

// A real taken as a whole number, truncated: false for a value that is not
// a number or lies outside 32 bits, which no option or property can hold.
bool TruncateReal(double value, int32_t& whole) {
  if (!std::isfinite(value) || value <= -2147483649.0 || value >= 2147483648.0) return false;
  whole = int32_t(value);
  return true;
}

bool InRange(double value, double min, double max) { return value >= min && value <= max; }

bool IsColourProperty(uint16_t id) {
  return (id >= kPropTextColour && id <= kPropShadowColour) || id == kPropParagraphBackColour ||
         id == kPropBorderColour;
}

bool IsHostPropertyId(uint16_t id) {
  return id <= kLastCharacterProperty || (id >= kFirstParagraphProperty && id <= kLastParagraphProperty);
}

}  // namespace

// ---- Options

int32_t xMorvaDocument::GetAreaOption(int16_t n, double& value) {
  value = 0;
  if (n < 0 || n >= kOptionCount) return kErrorBadOption;
  const xMorvaDocParams& p = fParams;
  const xMorvaPageBands& bands = p.GetBands(false);
  const xMorvaPageBands& first = p.GetBands(true);
  auto length = [&](int32_t pixels) { return p.ToDisplayUnit(pixels); };
  const VRect area = fPageArea.IsEmpty() ? p.GetPage() : fPageArea;
  switch (n) {
    case 0: value = p.GetFirstPageNumber(); break;
    case 1: value = p.GetViewMode(); break;
    case 2: case 3: case 6: case 7: case 8: case 15: case 16: case 45: case 46:
      value = p.GetViewFlag(n) != 0 ? 1 : 0;
      break;
    case 4: value = bands.headerShown != 0 ? 1 : 0; break;
    case 5: value = bands.footerShown != 0 ? 1 : 0; break;
    case 9: value = IsToolBarShown() ? 1 : 0; break;
    case 10: value = IsDockBarShown() ? 1 : 0; break;
    case 11: case 12: case 13: case 14: value = IsBarShown(int16_t(n - 11)) ? 1 : 0; break;
    case 17: value = p.GetColumnLines() != 0 ? 1 : 0; break;
    case 18: value = p.GetDifferentFirstPage() != 0 ? 1 : 0; break;
    case 19: value = p.GetDifferentLeftRight() != 0 ? 1 : 0; break;
    case 20: value = p.GetWidowControl() != 0 ? 1 : 0; break;
    case 21: value = p.GetDisplayUnit(); break;
    case 22: value = length(p.GetDefaultTabInterval()); break;
    case 23: value = uint16_t(p.GetLanguage()); break;
    case 24: value = p.GetColumns(); break;
    case 25: value = length(p.GetColumnSpacing()); break;
    case 26: value = length(p.GetBinding()); break;
    case 27: value = p.GetAlternateBinding() != 0 ? 1 : 0; break;
    case 28: value = p.GetBindingLeft() != 0 ? 1 : 0; break;
    case 29: value = length(p.GetLeftMargin()); break;
    case 30: value = length(p.GetRightMargin()); break;
    case 31: value = length(bands.topMargin); break;
    case 32: value = length(bands.bottomMargin); break;
    case 33: value = length(bands.headerTop); break;
    case 34: value = length(bands.headerBottom); break;
    case 35: value = length(bands.footerTop); break;
    case 36: value = length(bands.footerBottom); break;
    case 37: value = length(p.GetPageWidth()); break;
    case 38: value = length(p.GetPageHeight()); break;
    case 39: value = length(area.GetLeft()); break;
    case 40: value = length(area.GetTop()); break;
    case 41: value = length(area.GetLeft() + area.GetWidth()); break;
    case 42: value = length(area.GetTop() + area.GetHeight()); break;
    case 43: value = fCurrent != nullptr ? fCurrent->GetStreamSize() : 0; break;
    case 44: value = fUndo ? fUndo->GetEnd() : 0; break;
    case 47: value = ExchangeColourBytes(p.GetLinkColour()); break;
    case 48: value = ExchangeColourBytes(p.GetSecondLinkColour()); break;
    case 49: value = fArea != nullptr ? fArea->GetOptionFlag() : 0; break;
    case 50: value = first.headerShown != 0 ? 1 : 0; break;
    case 51: value = first.footerShown != 0 ? 1 : 0; break;
    case 52: value = length(first.topMargin); break;
    case 53: value = length(first.bottomMargin); break;
    case 54: value = length(first.headerTop); break;
    case 55: value = length(first.headerBottom); break;
    case 56: value = length(first.footerTop); break;
    case 57: value = length(first.footerBottom); break;
    case 58: value = p.GetPrinterMetrics() != 0 ? 0 : 1; break;
    case 59: value = length(p.ColumnWidth(false)); break;
    default: break;
  }
  return 0;
}

int32_t xMorvaDocument::SetAreaOption(int16_t n, double value) {
  if (n < 0 || n >= kOptionCount) return kErrorBadOption;
  // The page area, the sizes in use and the computed column width are
  // answers, not settings.
  if ((n >= 39 && n <= 44) || n == 59) return kErrorBadOption;
  int32_t whole = 0;
  if (!TruncateReal(value, whole)) return kErrorOptionRange;
  xMorvaDocParams& p = fParams;
  const uint8_t flag = value != 0 ? 1 : 0;
  const bool isFlag = (n >= 2 && n <= 20) || n == 27 || n == 28 || n == 45 || n == 46 ||
                      n == 49 || n == 50 || n == 51 || n == 58;
  if (isFlag && !InRange(value, 0, 1)) return kErrorOptionRange;
  if (isFlag) {
    SetAreaFlagOption(n, flag);
    return 0;
  }

  switch (n) {
    case 0:
      if (!InRange(value, 1, 3000)) return kErrorOptionRange;
      p.SetFirstPageNumber(whole);
      break;
    case 1:
      if (!InRange(value, 0, 1)) return kErrorOptionRange;
      p.SetViewMode(int16_t(whole));
      // The continuous view shows the body only.
      if (whole == 1 && !IsBodyCurrent()) SelectBody();
      ApplyViewOptions(true);
      break;
    case 21:
      if (!InRange(value, 0, 2)) return kErrorOptionRange;
      p.SetDisplayUnit(whole);
      break;
    case 23:
      if (!InRange(value, 0, 65535)) return kErrorOptionRange;
      p.SetLanguage(int16_t(uint16_t(whole)));
      if (fArea != nullptr) fArea->UnloadWinSpeller();
      break;
    case 24:
      if (!InRange(value, 1, 10)) return kErrorOptionRange;
      p.SetColumns(whole);
      UpdateReferencePrinter();
      break;
    case 47: case 48: {
      if (!InRange(value, -1, kLargestColour)) return kErrorOptionRange;
      const int32_t colour = whole >= 0 ? ExchangeColourBytes(whole)
                             : n == 47  ? kDefaultLinkColour
                                        : kDefaultSecondLinkColour;
      if (n == 47) {
        p.SetLinkColour(colour);
      } else {
        p.SetSecondLinkColour(colour);
      }
      break;
    }
    default: return SetAreaLengthOption(n, p.FromDisplayUnit(value));
  }
  return 0;
}

void xMorvaDocument::SetAreaFlagOption(int16_t n, uint8_t flag) {
  xMorvaDocParams& p = fParams;
  xMorvaPageBands& bands = p.GetBands(n >= 50);
  switch (n) {
    case 2: case 7: case 8: case 45: case 46:
      p.SetViewFlag(n, flag);
      ApplyViewOptions(true);
      break;
    case 3: case 6: case 15:
      p.SetViewFlag(n, flag);
      break;
    case 16:
      p.SetViewFlag(n, flag);
      ApplyToAllParts(flag);
      break;
    case 4: p.GetBands(false).headerShown = flag; break;
    case 5: p.GetBands(false).footerShown = flag; break;
    case 9: ShowToolBar(flag != 0, true); break;
    case 10: ShowDockBar(flag != 0, true); break;
    case 11: case 12: case 13: case 14: ShowBar(int16_t(n - 11), flag != 0, true); break;
    case 17: p.SetColumnLines(flag); break;
    case 18:
      p.SetDifferentFirstPage(flag);
      SelectBody();
      break;
    case 19:
      p.SetDifferentLeftRight(flag);
      SelectBody();
      break;
    case 20:
      p.SetWidowControl(flag);
      RepaginateBody();
      break;
    case 27: p.SetAlternateBinding(flag); break;
    case 28: p.SetBindingLeft(int8_t(flag)); break;
    case 49:
      if (fArea != nullptr) fArea->SetOptionFlag(flag);
      break;
    case 50: bands.headerShown = flag; break;
    case 51: bands.footerShown = flag; break;
    case 58: SetPrinterMetrics(flag != 0 ? 0 : 1); break;
    default: break;
  }
}

int32_t xMorvaDocument::SetAreaLengthOption(int16_t n, int32_t pixels) {
  xMorvaDocParams& p = fParams;
  // A length in pixels within [min, max].
  auto lengthIn = [&](int32_t min, int32_t max) { return pixels >= min && pixels <= max; };
  int32_t min = 0;
  int32_t max = 0;
  switch (n) {
    case 22:
      if (!lengthIn(1, CurrentTextWidth())) return kErrorOptionRange;
      p.SetDefaultTabInterval(pixels);
      break;
    case 25:
      if (p.GetColumns() < 2) {
        // One column has no gap yet; the spacing is kept for when columns
        // come, and no gap can be wider than the text.
        max = std::max(p.ColumnWidth(true), 0);
      } else {
        p.ColumnSpacingRange(*this, min, max);
      }
      if (!lengthIn(min, max)) return kErrorOptionRange;
      p.SetColumnSpacing(pixels);
      UpdateReferencePrinter();
      break;
    case 26:
      p.BindingRange(p.GetPageWidth(), min, max);
      if (!lengthIn(min, max)) return kErrorOptionRange;
      p.SetBinding(pixels);
      UpdateReferencePrinter();
      break;
    case 29:
      GetLeftMarginRange(min, max);
      if (!lengthIn(min, max)) return kErrorOptionRange;
      p.SetLeftMargin(pixels);
      UpdateReferencePrinter();
      break;
    case 30:
      GetRightMarginRange(min, max);
      if (!lengthIn(min, max)) return kErrorOptionRange;
      p.SetRightMargin(pixels);
      UpdateReferencePrinter();
      break;
    case 37: case 38: {
      if (!lengthIn(1, 1000000)) return kErrorOptionRange;
      const int32_t width = n == 37 ? pixels : p.GetPageWidth();
      const int32_t height = n == 38 ? pixels : p.GetPageHeight();
      p.SetPageSize(width, height);
      fPageArea = p.GetPage();
      UpdateReferencePrinter();
      break;
    }
    default: return SetBandLengthOption(n, pixels);
  }
  return 0;
}

int32_t xMorvaDocument::SetBandLengthOption(int16_t n, int32_t pixels) {
  // Each band length: its option for the other pages and for the first
  // page, the range it may lie in, the length it sets, and whether the
  // body's pages change with it.
  struct BandOption {
    int16_t others, first;
    void (xMorvaDocument::*range)(bool, int32_t&, int32_t&) const;
    int32_t xMorvaPageBands::*length;
    bool repaginates;
  };
  static constexpr BandOption kBandOptions[] = {
      {31, 52, &xMorvaDocument::GetTopMarginRange, &xMorvaPageBands::topMargin, true},
      {32, 53, &xMorvaDocument::GetBottomMarginRange, &xMorvaPageBands::bottomMargin, true},
      {33, 54, &xMorvaDocument::GetHeaderTopRange, &xMorvaPageBands::headerTop, false},
      {34, 55, &xMorvaDocument::GetHeaderBottomRange, &xMorvaPageBands::headerBottom, false},
      {35, 56, &xMorvaDocument::GetFooterTopRange, &xMorvaPageBands::footerTop, false},
      {36, 57, &xMorvaDocument::GetFooterBottomRange, &xMorvaPageBands::footerBottom, false},
  };
  for (const BandOption& option : kBandOptions) {
    if (n != option.others && n != option.first) continue;
    const bool firstKind = n == option.first;
    int32_t min = 0;
    int32_t max = 0;
    (this->*option.range)(firstKind, min, max);
    if (pixels < min || pixels > max) return kErrorOptionRange;
    fParams.GetBands(firstKind).*option.length = pixels;
    if (option.repaginates) RepaginateBody();
    return 0;
  }
  return 0;
}

// ---- Property values as reals

int32_t xMorvaDocument::GetPropertyAsReal(uint16_t id, int32_t stored, double& real) {
  real = 0;
  // The tab list may be read as its stored value, never set.
  if (!IsHostPropertyId(id) && id != kPropTabs) return kErrorInvalidPropertyId;
  if (IsColourProperty(id)) {
    real = stored == kColourNone ? -1.0 : double(ExchangeColourBytes(stored));
  } else if (id == kPropStyleSheet) {
    real = StyleSheetIndex(int16_t(stored));
  } else if (id == kPropInterline) {
    real = double(stored) / 10.0;
  } else if (IsLengthProperty(id)) {
    real = fParams.ToDisplayUnit(stored);
  } else {
    real = stored;
  }
  return 0;
}

int32_t xMorvaDocument::RealToPropertyValue(uint16_t id, double real, int32_t& stored,
                                            bool forParagraph, const xMorvaProperties* sheet) {
  if (!IsHostPropertyId(id)) return kErrorInvalidPropertyId;
  int32_t whole = 0;
  if (!TruncateReal(real, whole)) return kErrorPropertyRange;
  auto within = [&](double min, double max) { return InRange(real, min, max); };
  switch (id) {
    case kPropBold: case kPropItalic: case kPropShadow: case kPropStrikeOut:
    case kPropLeftBorder: case kPropRightBorder: case kPropTopBorder: case kPropBottomBorder:
      if (!within(0, 1)) return kErrorPropertyRange;
      stored = whole;
      return 0;
    case kPropUnderline:
      if (!within(0, 4)) return kErrorPropertyRange;
      stored = whole;
      return 0;
    case kPropVerticalPosition: case kPropLetterCase:
      if (!within(0, 2)) return kErrorPropertyRange;
      stored = whole;
      return 0;
    case kPropFont:
      if (!within(1, GetFontCount())) return kErrorPropertyRange;
      stored = whole;
      return 0;
    case kPropSize:
      if (!within(1, 255)) return kErrorPropertyRange;
      stored = whole;
      return 0;
    case kPropLinkLook: case kPropAlignment:
      if (!within(0, 3)) return kErrorPropertyRange;
      stored = whole;
      return 0;
    case kPropBullet:
      if (!within(32, 255)) return kErrorPropertyRange;
      stored = whole;
      return 0;
    case kPropBorderStyle:
      if (!within(0, 10)) return kErrorPropertyRange;
      stored = whole;
      return 0;
    case kPropStyleSheet: {
      // Sheets are given by their place in the list; without a sheet there
      // the number is taken as the id itself.
      int16_t id = 0;
      stored = whole >= INT16_MIN && whole <= INT16_MAX && StyleSheetIdAt(whole, id) ? id : whole;
      return 0;
    }
    case kPropInterline: {
      int32_t tenths = 0;
      if (!TruncateReal(real * 10.0, tenths) || tenths < 10 || tenths > 100) {
        return kErrorPropertyRange;
      }
      stored = tenths;
      return 0;
    }
    case kPropBorderSpacing: {
      const int32_t pixels = fParams.FromDisplayUnit(real);
      if (pixels < 0 || pixels > 255) return kErrorPropertyRange;
      stored = pixels;
      return 0;
    }
    case kPropLeftIndent: case kPropFirstLineIndent: case kPropRightIndent: {
      const int32_t pixels = fParams.FromDisplayUnit(real);
      int32_t min = 0;
      int32_t max = 0;
      GetIndentRange(id, forParagraph, sheet, min, max);
      if (pixels < min || pixels > max) return kErrorPropertyRange;
      stored = pixels;
      return 0;
    }
    case kPropAttribute16:
      stored = whole;
      return 0;
    default:
      break;
  }
  // The colours: any negative real is none, the others change their byte
  // order.
  if (!within(-1, kLargestColour)) return kErrorPropertyRange;
  stored = real < 0 ? kColourNone : ExchangeColourBytes(whole);
  return 0;
}

int32_t xMorvaDocument::SetPropertyFromReal(uint16_t id, double real) {
  int32_t stored = 0;
  const int32_t error = RealToPropertyValue(id, real, stored, true);
  if (error != 0) return error;
  if (fCurrent == nullptr) return 0;
  BeginChange();
  const int32_t result = fCurrent->SetPropertyWithUndo(id, stored);
  EndChange();
  Refresh(false, false);
  return result;
}

void xMorvaDocument::GetIndentRange(uint16_t id, bool forParagraph,
                                    const xMorvaProperties* sheet, int32_t& min, int32_t& max) {
  const int32_t width = CurrentTextWidth();
  min = 0;
  max = width - kNarrowestText;
  if (!forParagraph || fCurrent == nullptr) {
    if (sheet == nullptr) return;
    const int32_t left = sheet->GetProperty(kPropLeftIndent);
    const int32_t first = sheet->GetProperty(kPropFirstLineIndent);
    const int32_t right = sheet->GetProperty(kPropRightIndent);
    switch (id) {
      case kPropLeftIndent:
        min = first < 0 ? -first : 0;
        max = width - right - kNarrowestText;
        break;
      case kPropRightIndent:
        max = width - (left + std::max(first, 0)) - kNarrowestText;
        break;
      default:
        min = -left;
        max = width - right - left - kNarrowestText;
        break;
    }
    return;
  }
  xMorvaTextInterface& text = *fCurrent;
  switch (id) {
    case kPropLeftIndent: {
      const int32_t smallestFirst = text.GetPropertyExtreme(kPropFirstLineIndent, true, false);
      min = smallestFirst < 0 ? -smallestFirst : 0;
      max = width - text.GetMaxRightIndentSum() - kNarrowestText;
      break;
    }
    case kPropRightIndent:
      max = width - text.GetMaxLeftIndentSum() - kNarrowestText;
      break;
    default:
      min = -text.GetPropertyExtreme(kPropLeftIndent, true, false);
      max = width - text.GetMaxSideIndentSum() - kNarrowestText;
      break;
  }
}

// ---- Settings

int32_t xMorvaDocument::SetAreaSetting(int16_t n, int16_t value, const VString* text) {
  if (n < 0 || n >= kSettingCount || n == 5) return kErrorBadSetting;
  const uint8_t flag = value != 0 ? 1 : 0;
  auto textOf = [](const VString* from, std::string& into) {
    into.clear();
    if (from == nullptr) return;
    char bytes[256] = {};
    from->GetCText(bytes, sizeof bytes, kCharSetAnsi);
    into = bytes;
  };
  switch (n) {
    case 2:
      if (fUndo) {
        if (flag) {
          fUndo->Resume();
        } else {
          fUndo->Suspend();
        }
      }
      if (fArea != nullptr) fArea->UpdateBarState();
      break;
    case 3:
      fModified = flag != 0;
      break;
    case 6:
      if (flag) {
        textOf(text, fAreaFlagText);
      } else {
        fAreaFlagText.clear();
      }
      if (fArea != nullptr) fArea->DrawSelection();
      break;
    case 7:
      textOf(text, fFixedDocumentName);
      if (fArea != nullptr) fArea->UpdateTitle();
      break;
    case 8:
    case 9:
      (n == 8 ? fMinimumAreaWidth : fMinimumAreaHeight) = value;
      if (fArea != nullptr) {
        fArea->SetMinimumSize(fMinimumAreaWidth, fMinimumAreaHeight);
        fArea->DrawSelection();
      }
      return 0;
    default:
      break;
  }
  fAreaSettings[n] = flag;
  return 0;
}

int32_t xMorvaDocument::GetAreaSetting(int16_t n, uint16_t& value, VString* text) {
  value = 0;
  if (n < 0 || n >= kSettingCount || n == 5) return kErrorBadSetting;
  auto put = [text](const std::string& from) {
    if (text == nullptr) return;
    text->SetEmpty(false);
    text->AppendCText(from.c_str(), kCharSetAnsi);
  };
  switch (n) {
    case 2: value = fUndo && fUndo->IsRecording() ? 1 : 0; break;
    case 3: value = fModified ? 1 : 0; break;
    case 6:
      value = fAreaSettings[n];
      put(fAreaFlagText);
      break;
    case 7:
      value = fAreaSettings[n];
      put(fFixedDocumentName);
      break;
    case 8: value = uint16_t(fMinimumAreaWidth); break;
    case 9: value = uint16_t(fMinimumAreaHeight); break;
    default: value = fAreaSettings[n]; break;
  }
  return 0;
}

void xMorvaDocument::SetHostOutcome(bool outcome) {
  if (fInHostCommand != 0 && fArea != nullptr) fArea->SetHostOutcome(outcome);
}

void xMorvaDocument::GetDocumentName(VString& name) const {
  name.SetEmpty(false);
  const std::string& chosen = fAreaSettings[7] ? fFixedDocumentName : fDocumentName;
  name.AppendCText(chosen.c_str(), kCharSetAnsi);
}

// ---- Parts and pages

int16_t xMorvaDocument::CurrentPartNumber() const {
  for (int16_t part = 0; part < kPartCount; ++part) {
    if (fCurrent != nullptr && fParts[part].get() == fCurrent) return part;
  }
  return kPartBody;
}

int32_t xMorvaDocument::SwitchEditedPart(int16_t n) {
  if (n == kPartBody) {
    SelectBody();
    return 0;
  }
  if (n < 0 || n >= kPartCount || !fParts[n]) return kErrorPartNotAvailable;
  const bool firstDiffers = fParams.GetDifferentFirstPage() != 0;
  const bool leftDiffers = fParams.GetDifferentLeftRight() != 0;
  const int32_t k = !firstDiffers ? 0 : leftDiffers ? 2 : 1;
  const int32_t pages = GetBodyPageCount();
  bool allowed = false;
  switch (n) {
    case kPartHeader:
    case kPartFooter:
      allowed = pages >= k;
      break;
    case kPartLeftHeader:
    case kPartLeftFooter:
      allowed = leftDiffers && pages >= 1;
      break;
    default:
      allowed = firstDiffers;
      break;
  }
  if (!allowed) return kErrorPartNotAvailable;
  // In the continuous view the frames first turn to the header or footer.
  if (fParams.GetViewMode() != 0) ApplyViewOptions(true);
  const bool header = n == kPartHeader || n == kPartLeftHeader || n == kPartFirstHeader;
  xMorvaPageBands& bands = fParams.GetBands(n == kPartFirstHeader || n == kPartFirstFooter);
  (header ? bands.headerShown : bands.footerShown) = 1;
  fCurrent = fParts[n].get();
  fCurrentNumber = n;
  fHeaderFooterPage = n == kPartHeader || n == kPartFooter ? k
                      : n == kPartLeftHeader || n == kPartLeftFooter ? 1
                                                                       : 0;
  return 0;
}

int32_t xMorvaDocument::GoToPage(int32_t page) {
  if (page < 0 || page >= GetBodyPageCount()) return kErrorNoSuchPage;
  SelectBody();
  const int32_t position = fLayout ? fLayout->PreparePageStart(page) : 0;
  if (fCurrent != nullptr) fCurrent->SetSelection(position, position);
  fCaretPage = page;
  return 0;
}

// The body's page table, kept by the layout; a document without one has a
// single page.
int32_t xMorvaDocument::GetBodyPageCount() const {
  return fLayout ? std::max(fLayout->GetPageCount(), 1) : 1;
}

// The page geometry changed: the body is paginated again from its first
// page.
void xMorvaDocument::RepaginateBody() {
  if (fLayout) fLayout->Repaginate();
}

// ---- The print record

// 'wPRT' "0100": tag, version, then the printer's 'XPRI' record.
bool xMorvaDocument::WritePrintRecordTo(VStream& stream, VPrintSettings& printer) {
  WriteRecordHead(stream, kTagWPRT, kVersionWPRT);
  return stream.GetStatus() == 0 && printer.WriteToStream(&stream, 0) == 0 &&
         stream.GetStatus() == 0;
}

std::unique_ptr<VWinPrinter> xMorvaDocument::ReadPrintRecordFrom(VStream& stream) {
  uint32_t version = 0;
  if (!ReadRecordTag(stream, kTagWPRT) || !ReadRecordVersion(stream, {kVersionWPRT}, version)) {
    return nullptr;
  }
  int16_t error = 0;
  std::unique_ptr<VWinPrinter> read(new VWinPrinter(&stream, &error));
  // A record read whole but for no printer of this machine still holds the
  // user's paper and margins.
  if (error != 0 && error != kPrintNotBound && error != kPrintDiffersFromPrinter) return nullptr;
  return read;
}

bool xMorvaDocument::WritePrintRecord(xMorvaRecordStore& store) {
  if (!fPrinter) return false;
  return StoreRecordResource(store, kTagWPRT, 0,
                             [this](VStream& stream) { return WritePrintRecordTo(stream, *fPrinter); });
}

bool xMorvaDocument::ReadPrintRecord(xMorvaRecordStore& store) {
  // Read into settings of their own, so that a record that does not read
  // whole leaves the document's printer as it was.
  std::unique_ptr<VWinPrinter> read;
  const bool taken = LoadRecordResource(store, kTagWPRT, 0, [&read](VStream& stream) {
    read = ReadPrintRecordFrom(stream);
    return read != nullptr;
  });
  if (!taken) return false;
  // The ports let go of the old printer before it goes.
  if (fPrinterMetricsApplied) UsePrinterForMeasuring(false);
  fPrinter = std::move(read);
  if (fPrinterMetricsApplied) UsePrinterForMeasuring(true);
  UpdateReferencePrinter();
  return true;
}

