// The rich-edit control's messages and records, as its windows of the class
// "RichEdit20A" answer them: a multi-line styled text of Windows ANSI
// characters (paragraphs end with '\r'), each character with its format,
// each paragraph with its alignment, one selection, one undo level, and a
// small RTF of its own for streaming in and out.
#pragma once

#include <cstdint>

#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindows.h"

// Messages.
constexpr UINT EM_GETSEL = 0x00B0;
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT EM_GETRECT = 0x00B2;
constexpr UINT EM_REPLACESEL = 0x00C2;
constexpr UINT EM_CANUNDO = 0x00C6;
constexpr UINT EM_UNDO = 0x00C7;
constexpr UINT EM_EMPTYUNDOBUFFER = 0x00CD;
constexpr UINT EM_EXGETSEL = WM_USER + 52;
constexpr UINT EM_GETCHARFORMAT = WM_USER + 58;
constexpr UINT EM_GETSELTEXT = WM_USER + 62;
constexpr UINT EM_HIDESELECTION = WM_USER + 63;
constexpr UINT EM_SETCHARFORMAT = WM_USER + 68;
constexpr UINT EM_SETPARAFORMAT = WM_USER + 71;
constexpr UINT EM_STREAMIN = WM_USER + 73;
constexpr UINT EM_STREAMOUT = WM_USER + 74;
constexpr UINT EM_REDO = WM_USER + 84;
constexpr UINT EM_CANREDO = WM_USER + 85;
constexpr UINT EM_GETTEXTEX = WM_USER + 94;
constexpr UINT EM_GETTEXTLENGTHEX = WM_USER + 95;
constexpr UINT EM_FINDTEXTEXW = WM_USER + 124;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr WPARAM SB_LINEUP = 0;
constexpr WPARAM SB_LINEDOWN = 1;

// Window styles of the control.
constexpr LONG WS_CLIPSIBLINGS = 0x04000000;
constexpr LONG WS_TABSTOP = 0x00010000;
constexpr LONG WS_VSCROLL = 0x00200000;
constexpr LONG WS_HSCROLL = 0x00100000;
constexpr LONG ES_MULTILINE = 0x0004;
constexpr LONG ES_AUTOVSCROLL = 0x0040;
constexpr LONG ES_AUTOHSCROLL = 0x0080;
constexpr LONG ES_SAVESEL = 0x00008000;

// Character formats: which attributes a record names (mask) and their
// on-off effects. The control's target is always the selection.
constexpr DWORD CFM_BOLD = 0x00000001;
constexpr DWORD CFM_ITALIC = 0x00000002;
constexpr DWORD CFM_UNDERLINE = 0x00000004;
constexpr DWORD CFM_OUTLINE = 0x00000200;
constexpr DWORD CFM_SHADOW = 0x00000400;
constexpr DWORD CFM_UNDERLINETYPE = 0x00800000;
constexpr DWORD CFM_BACKCOLOR = 0x04000000;
constexpr DWORD CFM_SIZE = 0x80000000;
constexpr DWORD CFM_COLOR = 0x40000000;
constexpr DWORD CFM_FACE = 0x20000000;
constexpr DWORD CFE_BOLD = CFM_BOLD;
constexpr DWORD CFE_ITALIC = CFM_ITALIC;
constexpr DWORD CFE_UNDERLINE = CFM_UNDERLINE;
constexpr DWORD CFE_OUTLINE = CFM_OUTLINE;
constexpr DWORD CFE_SHADOW = CFM_SHADOW;
constexpr WPARAM SCF_SELECTION = 0x0001;

// The 60-byte record answers the size; the 84-byte one every attribute.
struct CHARFORMATA {
  UINT cbSize;
  DWORD dwMask;
  DWORD dwEffects;
  LONG yHeight;  // twips
  LONG yOffset;
  COLORREF crTextColor;
  BYTE bCharSet;
  BYTE bPitchAndFamily;
  char szFaceName[32];
};
struct CHARFORMAT2A : CHARFORMATA {
  uint16_t wWeight;
  int16_t sSpacing;
  COLORREF crBackColor;
  DWORD lcid;
  DWORD dwReserved;
  int16_t sStyle;
  uint16_t wKerning;
  BYTE bUnderlineType;
  BYTE bAnimation;
  BYTE bRevAuthor;
  BYTE bReserved1;
};
static_assert(sizeof(CHARFORMATA) == 60, "the short character format is 60 bytes");
static_assert(sizeof(CHARFORMAT2A) == 84, "the character format is 84 bytes");

// Paragraph formats: only the alignment is answered.
constexpr DWORD PFM_ALIGNMENT = 0x00000008;
constexpr uint16_t PFA_LEFT = 1;
constexpr uint16_t PFA_RIGHT = 2;
constexpr uint16_t PFA_CENTER = 3;
constexpr uint16_t PFA_JUSTIFY = 4;
struct PARAFORMAT2 {
  UINT cbSize;
  DWORD dwMask;
  uint16_t wNumbering;
  uint16_t wEffects;
  LONG dxStartIndent;
  LONG dxRightIndent;
  LONG dxOffset;
  uint16_t wAlignment;
  int16_t cTabCount;
  LONG rgxTabs[32];
  LONG dySpaceBefore;
  LONG dySpaceAfter;
  LONG dyLineSpacing;
  int16_t sStyle;
  BYTE bLineSpacingRule;
  BYTE bOutlineLevel;
  uint16_t wShadingWeight;
  uint16_t wShadingStyle;
  uint16_t wNumberingStart;
  uint16_t wNumberingStyle;
  uint16_t wNumberingTab;
  uint16_t wBorderSpace;
  uint16_t wBorderWidth;
  uint16_t wBorders;
};
static_assert(sizeof(PARAFORMAT2) == 188, "the paragraph format is 188 bytes");

struct CHARRANGE {
  LONG cpMin;
  LONG cpMax;  // -1: the text's end
};

// Text out: GT_USECRLF gives each paragraph end as CR LF; code page 1200
// gives UTF-16, any other Windows ANSI. The count answered is characters
// (or bytes) written without the terminator.
constexpr DWORD GT_DEFAULT = 0;
constexpr DWORD GT_USECRLF = 1;
constexpr UINT kCodePageUnicode = 1200;
struct GETTEXTEX {
  DWORD cb;  // bytes of the buffer, terminator included
  DWORD flags;
  UINT codepage;
  const char* lpDefaultChar;
  BOOL* lpUsedDefChar;
};
constexpr DWORD GTL_DEFAULT = 0;
constexpr DWORD GTL_USECRLF = 1;
constexpr DWORD GTL_NUMCHARS = 8;
struct GETTEXTLENGTHEX {
  DWORD flags;
  UINT codepage;
};

// Find: downward from cpMin to cpMax; answers the first match's start or
// -1, and its range in chrgText.
constexpr WPARAM FR_DOWN = 1;
constexpr WPARAM FR_MATCHCASE = 4;
struct FINDTEXTEXW {
  CHARRANGE chrg;
  const char16_t* lpstrText;
  CHARRANGE chrgText;
};

// Streams: the callback moves up to cb bytes and reports the count it
// moved; a non-zero answer stops the transfer (dwError keeps it).
constexpr WPARAM SF_TEXT = 0x0001;
constexpr WPARAM SF_RTF = 0x0002;
using EDITSTREAMCALLBACK = DWORD (*)(uintptr_t cookie, BYTE* buffer, LONG cb, LONG* pcb);
struct EDITSTREAM {
  uintptr_t dwCookie;
  DWORD dwError;
  EDITSTREAMCALLBACK pfnCallback;
};
