// Font enumeration: the families of the font configuration (with the Windows
// face names it gives them) reported to a callback as Windows reports
// TrueType families, one record per family or one per style of a family.
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>

#include "platform/gdi/GdiFont.h"
#include "platform/gdi/GdiInternal.h"
#include "platform/gdi/fonts/GdiFontInstance.h"
#include "platform/gdi/fonts/GdiFontLibrary.h"

using GdiFonts::FamilyInfo;
using GdiFonts::FamilyStyle;
using GdiFonts::FontLibrary;

namespace {

const char* StyleName(const FamilyStyle& style) {
  if (style.bold && style.italic) return "Bold Italic";
  if (style.bold) return "Bold";
  if (style.italic) return "Italic";
  return "Regular";
}

void CopyText(BYTE* out, size_t size, const std::string& text) {
  std::memset(out, 0, size);
  std::memcpy(out, text.data(), std::min(text.size(), size - 1));
}

// The design metrics of a face of a file, read once: every enumeration
// (the screen's and the printer's font lists at start, the font menus)
// asks for the same files, and several families name one file. Empty when
// the file cannot be read.
const std::optional<NEWTEXTMETRICA>& DesignMetricsOf(FontLibrary& library, const std::string& path, int index,
                                                     bool symbol) {
  static std::map<std::tuple<std::string, int, bool>, std::optional<NEWTEXTMETRICA>> known;
  std::lock_guard<std::recursive_mutex> lock(library.Mutex());
  auto [entry, added] = known.try_emplace({path, index, symbol});
  if (added) {
    NEWTEXTMETRICA metrics{};
    auto file = library.OpenFace(path, index);
    if (file && GdiFonts::FontInstance::DesignMetrics(*file, symbol, &metrics)) entry->second = metrics;
  }
  return entry->second;
}

// Fills the records of one style of a family; false when its file cannot be read.
bool Describe(FontLibrary& library, const FamilyInfo& family, const FamilyStyle& style,
              ENUMLOGFONTEXA* font, NEWTEXTMETRICEXA* metrics) {
  const std::optional<NEWTEXTMETRICA>& design = DesignMetricsOf(library, style.file, style.index, family.symbol);
  if (!design) return false;
  *metrics = NEWTEXTMETRICEXA{};
  metrics->ntmTm = *design;
  NEWTEXTMETRICA& tm = metrics->ntmTm;
  // The styles of the files are what they are, whatever the first file said.
  tm.tmWeight = style.bold ? FW_BOLD : FW_NORMAL;
  tm.tmItalic = style.italic ? 0xFF : 0;
  tm.ntmFlags = (style.italic ? NTM_ITALIC : 0) | (style.bold ? NTM_BOLD : 0) |
                (!style.italic && !style.bold ? NTM_REGULAR : 0);
  // Code-page bits: Latin 1, or the symbol set.
  metrics->ntmFontSig.fsCsb[0] = family.symbol ? 0x80000000u : 0x00000001u;

  *font = ENUMLOGFONTEXA{};
  LOGFONTA& lf = font->elfLogFont;
  lf.lfHeight = tm.tmHeight;
  lf.lfWidth = tm.tmAveCharWidth;
  lf.lfWeight = tm.tmWeight;
  lf.lfItalic = tm.tmItalic;
  lf.lfCharSet = family.symbol ? SYMBOL_CHARSET : ANSI_CHARSET;
  lf.lfOutPrecision = OUT_STROKE_PRECIS;
  lf.lfClipPrecision = CLIP_STROKE_PRECIS;
  lf.lfQuality = DRAFT_QUALITY;
  // In tmPitchAndFamily the pitch bit set means proportional.
  lf.lfPitchAndFamily = static_cast<BYTE>(
      ((tm.tmPitchAndFamily & TMPF_FIXED_PITCH) ? VARIABLE_PITCH : FIXED_PITCH) |
      (tm.tmPitchAndFamily & 0xF0));
  std::memset(lf.lfFaceName, 0, LF_FACESIZE);
  std::memcpy(lf.lfFaceName, family.name.data(), std::min<size_t>(family.name.size(), LF_FACESIZE - 1));
  std::string styleName = StyleName(style);
  std::string full = family.name;
  if (styleName != "Regular") full += " " + styleName;
  CopyText(font->elfFullName, sizeof(font->elfFullName), full);
  CopyText(font->elfStyle, sizeof(font->elfStyle), styleName);
  CopyText(font->elfScript, sizeof(font->elfScript), family.symbol ? "Symbol" : "Western");
  return true;
}

// Calls back for every family, or for every style of the named one, whose
// character set the filter accepts. Answers the last callback's answer (1
// when none was called).
int Enumerate(HDC dc, const std::string& name, BYTE charset, FONTENUMPROCA proc, LPARAM data) {
  if (!GdiDcFromHandle(dc)) return 0;
  if (!proc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto library = FontLibrary::Get();
  int answer = 1;
  for (const FamilyInfo& family : library->Families()) {
    if (family.styles.empty()) continue;
    if (!name.empty() && !GdiFonts::SameFaceName(family.name, name)) continue;
    BYTE familyCharset = family.symbol ? SYMBOL_CHARSET : ANSI_CHARSET;
    if (charset != DEFAULT_CHARSET && charset != familyCharset) continue;
    size_t styles = name.empty() ? 1 : family.styles.size();
    for (size_t i = 0; i < styles; ++i) {
      ENUMLOGFONTEXA font;
      NEWTEXTMETRICEXA metrics;
      if (!Describe(*library, family, family.styles[i], &font, &metrics)) continue;
      answer = proc(&font.elfLogFont, reinterpret_cast<const TEXTMETRICA*>(&metrics),
                    TRUETYPE_FONTTYPE, data);
      if (answer == 0) return 0;
    }
  }
  return answer;
}

}  // namespace

int EnumFontFamiliesA(HDC dc, LPCSTR family, FONTENUMPROCA proc, LPARAM data) {
  std::string name = family ? std::string(family, strnlen(family, LF_FACESIZE)) : std::string();
  return Enumerate(dc, name, DEFAULT_CHARSET, proc, data);
}

int EnumFontFamiliesExA(HDC dc, const LOGFONTA* font, FONTENUMPROCA proc, LPARAM data,
                        DWORD flags) {
  if (!font || flags != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string name(font->lfFaceName, strnlen(font->lfFaceName, LF_FACESIZE));
  return Enumerate(dc, name, font->lfCharSet, proc, data);
}
