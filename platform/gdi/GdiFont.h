// The GDI font records (LOGFONTA, TEXTMETRICA and the enumeration records) with
// the widths and padding of 32-bit Windows, and the constants that go with them.
#pragma once

#include "platform/win32/WinTypes.h"

using CHAR = char;
using WCHAR = char16_t;

constexpr int LF_FACESIZE = 32;
constexpr int LF_FULLFACESIZE = 64;

// 60 bytes: five 32-bit numbers, eight bytes, then the face name (offset 28),
// zero-terminated within its 32 bytes.
struct LOGFONTA {
  LONG lfHeight;       // < 0: character (em) height; > 0: cell height; 0: default
  LONG lfWidth;        // average character width; 0: the face's own proportions
  LONG lfEscapement;   // angle of the baseline, tenths of a degree, counter-clockwise
  LONG lfOrientation;  // angle of each character (the escapement is used for both)
  LONG lfWeight;       // 0 default, 400 normal, 700 bold
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];
};
static_assert(sizeof(LOGFONTA) == 60);

// 56 bytes: eleven 32-bit numbers, nine bytes, three bytes of padding.
struct TEXTMETRICA {
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
};
static_assert(sizeof(TEXTMETRICA) == 56);

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

// Weights.
constexpr LONG FW_DONTCARE = 0;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_SEMIBOLD = 600;
constexpr LONG FW_BOLD = 700;

// Character sets.
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE SYMBOL_CHARSET = 2;

// Precisions (the enumeration reports stroke precision for scalable faces).
constexpr BYTE OUT_DEFAULT_PRECIS = 0;
constexpr BYTE OUT_STRING_PRECIS = 1;
constexpr BYTE OUT_STROKE_PRECIS = 3;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
constexpr BYTE CLIP_STROKE_PRECIS = 2;
constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE NONANTIALIASED_QUALITY = 3;

// Pitch and family.
constexpr BYTE DEFAULT_PITCH = 0;
constexpr BYTE FIXED_PITCH = 1;
constexpr BYTE VARIABLE_PITCH = 2;
constexpr BYTE FF_DONTCARE = 0x00;
constexpr BYTE FF_ROMAN = 0x10;
constexpr BYTE FF_SWISS = 0x20;
constexpr BYTE FF_MODERN = 0x30;
constexpr BYTE FF_DECORATIVE = 0x50;

// tmPitchAndFamily bits. TMPF_FIXED_PITCH set means the face is proportional.
constexpr BYTE TMPF_FIXED_PITCH = 0x01;
constexpr BYTE TMPF_VECTOR = 0x02;
constexpr BYTE TMPF_TRUETYPE = 0x04;

// Font types handed to the enumeration callbacks.
constexpr DWORD RASTER_FONTTYPE = 0x0001;
constexpr DWORD DEVICE_FONTTYPE = 0x0002;
constexpr DWORD TRUETYPE_FONTTYPE = 0x0004;

// ntmFlags.
constexpr DWORD NTM_ITALIC = 0x00000001;
constexpr DWORD NTM_BOLD = 0x00000020;
constexpr DWORD NTM_REGULAR = 0x00000040;
constexpr DWORD NTM_TT_OPENTYPE = 0x00040000;
