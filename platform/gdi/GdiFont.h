// The font and text calls of the GDI stand-in beyond those WinGdi.h declares:
// font enumeration with its records (ENUMLOGFONTA, NEWTEXTMETRICA, with the
// widths and padding of 32-bit Windows) and DrawTextExA.
#pragma once

#include "platform/gdi/WinGdi.h"

constexpr int LF_FULLFACESIZE = 64;

// TEXTMETRICA followed by four 32-bit words: 72 bytes.
struct NEWTEXTMETRICA {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
  DWORD ntmFlags;
  UINT ntmSizeEM;
  UINT ntmCellHeight;
  UINT ntmAvgWidth;
};
static_assert(sizeof(NEWTEXTMETRICA) == 72);

struct FONTSIGNATURE {
  DWORD fsUsb[4];
  DWORD fsCsb[2];
};

struct NEWTEXTMETRICEXA {
  NEWTEXTMETRICA ntmTm;
  FONTSIGNATURE ntmFontSig;
};
static_assert(sizeof(NEWTEXTMETRICEXA) == 96);

// 156 bytes: the LOGFONTA, the full name and the style name.
struct ENUMLOGFONTA {
  LOGFONTA elfLogFont;
  BYTE elfFullName[LF_FULLFACESIZE];
  BYTE elfStyle[LF_FACESIZE];
};
static_assert(sizeof(ENUMLOGFONTA) == 156);

// 188 bytes: as ENUMLOGFONTA, then the script name.
struct ENUMLOGFONTEXA {
  LOGFONTA elfLogFont;
  BYTE elfFullName[LF_FULLFACESIZE];
  BYTE elfStyle[LF_FACESIZE];
  BYTE elfScript[LF_FACESIZE];
};
static_assert(sizeof(ENUMLOGFONTEXA) == 188);

// Weights and precisions (the enumeration reports stroke precision, 3, for
// scalable faces; the system's font lists count 2 and above as scalable).
constexpr LONG FW_SEMIBOLD = 600;
constexpr BYTE OUT_STRING_PRECIS = 1;
constexpr BYTE OUT_STROKE_PRECIS = 3;
constexpr BYTE CLIP_STROKE_PRECIS = 2;
constexpr BYTE DRAFT_QUALITY = 1;

// Font types handed to the enumeration callbacks.
constexpr DWORD RASTER_FONTTYPE = 0x0001;
constexpr DWORD DEVICE_FONTTYPE = 0x0002;
constexpr DWORD TRUETYPE_FONTTYPE = 0x0004;

// ntmFlags.
constexpr DWORD NTM_ITALIC = 0x00000001;
constexpr DWORD NTM_BOLD = 0x00000020;
constexpr DWORD NTM_REGULAR = 0x00000040;

// The callback gets an ENUMLOGFONTA (ENUMLOGFONTEXA for the Ex form) and a
// NEWTEXTMETRICA (NEWTEXTMETRICEXA); it answers 0 to stop.
using FONTENUMPROCA = int (*)(const LOGFONTA* font, const TEXTMETRICA* metrics, DWORD fontType,
                              LPARAM data);

// Every family once (family null or empty), or every style of one family.
// Answers what the last callback answered, 1 when none was called.
QV_PLATFORM_API int EnumFontFamiliesA(HDC dc, LPCSTR family, FONTENUMPROCA proc, LPARAM data);
// The same, chosen by the record's face name (empty: every family) and
// character set (DEFAULT_CHARSET: any); flags must be 0.
QV_PLATFORM_API int EnumFontFamiliesExA(HDC dc, const LOGFONTA* font, FONTENUMPROCA proc,
                                        LPARAM data, DWORD flags);

// The face name of the DC's font as the font configuration names it (the
// asked-for name when a font carries it, else the name of the font chosen in
// its place), at most size - 1 characters and a zero. Answers the characters
// copied with the zero, or with a null buffer the size needed; 0 on failure.
QV_PLATFORM_API int GetTextFaceA(HDC dc, int size, char* face);

// DrawTextExA formats.
constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_BOTTOM = 0x0008;
constexpr UINT DT_WORDBREAK = 0x0010;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_NOCLIP = 0x0100;
constexpr UINT DT_CALCRECT = 0x0400;
constexpr UINT DT_EDITCONTROL = 0x2000;

struct DRAWTEXTPARAMS {
  UINT cbSize;
  int iTabLength;
  int iLeftMargin;
  int iRightMargin;
  UINT uiLengthDrawn;
};

// Draws text in a rectangle (or with DT_CALCRECT only measures it, setting the
// rectangle's right and bottom) in the DC's font and colours; lines end at CR,
// LF or CR LF, and with DT_WORDBREAK also where a word would cross the right
// edge. A count of -1 means a zero-terminated text. Answers the text's height
// (0 on failure).
QV_PLATFORM_API int DrawTextExA(HDC dc, LPCSTR text, int count, RECT* rect, UINT format,
                                DRAWTEXTPARAMS* params);
