// Opening, saving and exporting a whole document through a file.
#include "area/files/xMorvaOpenSave.h"

#include <bitset>
#include <cmath>
#include <cstring>
#include <string>

#include "area/files/xMorvaDocumentFile.h"
#include "area/files/xMorvaFileFormats.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaDocumentArea.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/intl/Clusters.h"
#include "framework/core/intl/Utf.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFileStream.h"
#include "framework/system/files/VWinFile.h"
#include "platform/win32/WinFiles.h"

namespace {

constexpr uint32_t kTypeHtmFile = FourCC("HTM ");
constexpr uint32_t kTypeShtmlFile = FourCC("SHTM");
constexpr uint32_t kTypeWord5File = FourCC("DOC5");
constexpr uint32_t kTypeWord6File = FourCC("DOC6");
constexpr uint32_t kTypeWord8File = FourCC("DOC8");
// Document setting 3: modified.
constexpr int16_t kOpenSaveSettingModified = 3;
// Read and write: how the own kept file is held.
constexpr int32_t kKeptFileHoldPermission = 3;
// A type's dispatch never needs more rounds than this ('WANY', then the
// content's type, then RTF for a Word file that is none).
constexpr int kOpenDispatchRounds = 4;
// Paths of the platform's long form, with room for a temporary name.
constexpr int32_t kOpenSavePathBytes = 4096;
constexpr int32_t kOpenNoMemory = 1041;
// The signature that opens every compound file, and so every Word 97 file.
constexpr uint8_t kCompoundSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
// How much of a file the text test looks at.
constexpr uint32_t kTextSampleBytes = 4096;
// A text spends fewer than one character in 64 on control characters that
// no text holds: a text has next to none, whatever its code page, where
// random bytes (a compressed or damaged file) have one in twelve.
constexpr uint32_t kStrayShareDivisor = 64;
// An 8-bit text that spends a third or more of its bytes on bytes from 0x80
// up and makes no UTF-8 of them is in a code page of another script
// (Cyrillic, Greek, Chinese, Japanese, Korean); random bytes are too. Its
// letters repeat as any text's do: it shows fewer different byte values
// than 84 in 100 of those random bytes of its length show. Texts of those
// code pages show 83 at the most (64 bytes), 75 from 100 bytes up; random
// bytes fewer than 84 about one sample in 7,000 at 64 bytes, and those have
// to hold next to no control as well.
constexpr uint32_t kHighByteShareDivisor = 3;
constexpr double kTextByteVarietyShare = 0.84;
// UTF-16 text keeps to its script: two neighbouring letters of two
// different scripts (ASCII, punctuation and accents aside) are fewer than
// one in four pairs, where random units change script at nearly every unit.
constexpr uint32_t kScriptChangeShareDivisor = 4;
// UTF-16 text holds a space byte (0x20) in a unit other than a space,
// punctuation or a sign (`HoldsSpaceByte`, `IsTextPunctuation`,
// `IsPunctuationOrSign`) in fewer than one unit in 8, where an 8-bit text
// read as UTF-16 has one in 4 or more (a space in every sixth or seventh
// byte), and a build log with its escapes one in 7.
constexpr uint32_t kSpaceByteShareDivisor = 8;
// And it holds units of two bytes from 0xA1 up (`HoldsTwoDoubleByteBytes`)
// in fewer than three units in 4, where a text of a double-byte code page
// read as UTF-16 has nine in ten or more.
constexpr uint32_t kDoubleByteShareNumerator = 3;
constexpr uint32_t kDoubleByteShareDivisor = 4;
// Below 64 bytes a text may be a word or two of accented letters, or of
// two scripts: the shares above are asked of larger samples only.
constexpr uint32_t kShareSampleMinimum = 64;

bool StartsAsCompoundFile(const uint8_t* head, size_t size) {
  return size >= sizeof kCompoundSignature &&
         std::memcmp(head, kCompoundSignature, sizeof kCompoundSignature) == 0;
}

// A control character that no text holds. Texts hold tab, line feed,
// vertical tab (Word's manual line break), form feed, carriage return and a
// DOS end of file (26), and the controls that programs write for terminals
// and printers: bell (7), backspace (8, a manual page's overstrikes), shift
// out and shift in (14, 15, also ISO 2022's shifts) and escape (27, colour
// and printer sequences).
bool IsTextControl(uint32_t c) {
  constexpr uint32_t kControlsOfTexts = (1u << 0x07) | (1u << 0x08) | (1u << '\t') | (1u << '\n') |
                                        (1u << '\v') | (1u << '\f') | (1u << '\r') | (1u << 0x0E) |
                                        (1u << 0x0F) | (1u << 0x1A) | (1u << 0x1B);
  return (c < 0x20 && (kControlsOfTexts >> c & 1) == 0) || (c >= 0x7F && c < 0xA0);
}

// A UTF-16 unit that no text holds: a control, a noncharacter, a private
// use (whose meaning only a font knows), or the en and em quads U+2000 and
// U+2001, which a text writes as the en and em spaces U+2002 and U+2003
// (their normal form) and which a big-endian text read little-endian shows
// for each of its spaces. Surrogates are told by their pairs.
bool IsQuad(uint32_t c) { return c == 0x2000 || c == 0x2001; }

bool IsStrayUnit(uint32_t c) {
  return IsTextControl(c) || IsQuad(c) || (c >= 0xE000 && c < 0xF900) ||
         (c >= 0xFDD0 && c < 0xFDF0) || c >= 0xFFFE;
}

// Whether a UTF-16 unit holds the byte of an ASCII space (0x20) beside
// another byte. A UTF-16 text writes its spaces as U+0020, and its other
// units with a byte 0x20 (the letters U+0420, U+0E20, U+5F20 and their
// like) are few; an 8-bit text read as UTF-16 pairs each of its spaces with
// a neighbouring byte ("e " is U+2065, " t" U+7420).
bool HoldsSpaceByte(uint32_t c) { return c != 0x20 && (c >> 8 == 0x20 || (c & 0xFF) == 0x20); }

// Whether a UTF-16 unit is punctuation that texts of every script write
// among their words and that an 8-bit text read as UTF-16 hardly makes:
// the spaces, zero-width joiners and direction marks, dashes and quotation
// marks (U+2002 to U+201F, where an 8-bit text would need a control byte
// before a space) and the leaders and ellipsis (U+2024 to U+2026: "$", "%"
// or "&" before a space). Chinese and Japanese prose writes its quotation
// marks, ellipses and dashes so, with next to no unit below U+0100 beside
// them.
bool IsTextPunctuation(uint32_t c) { return (c >= 0x2002 && c < 0x2020) || (c >= 0x2024 && c < 0x2027); }

// Whether a UTF-16 unit is one of the punctuation and signs block U+2000 to
// U+20CF: besides the punctuation above, daggers, bullets, per mille,
// primes (the minutes and seconds of coordinates), superscripts and the
// currency signs (euro, rouble, rupee, won, lira, hryvnia), which texts
// write among their words and numbers, a column of prices one unit in
// four. Each holds the byte 0x20, and so does every unit an 8-bit text
// makes of a character and the space after it ("e " is U+2065).
bool IsPunctuationOrSign(uint32_t c) { return c >= 0x2000 && c < 0x20D0; }

// Whether both bytes of a UTF-16 unit are from 0xA1 up, as the lead and
// trail bytes of a character of a double-byte code page (GBK, Big5, the EUC
// code pages of Chinese, Japanese and Korean) are. Such a text read as
// UTF-16 makes Hangul, Yi and CJK units of nearly all of its characters;
// a Korean text, the one script with many such units, has about one in
// three.
bool HoldsTwoDoubleByteBytes(uint32_t c) { return c >> 8 >= 0xA1 && (c & 0xFF) >= 0xA1; }

// What a UTF-16 unit that is no script's letter answers to `ScriptOfUnit`:
// the spaces, punctuation and signs of Latin-1, the combining accents and
// the general punctuation (dashes, quotation marks, ellipsis), which a
// text of any script writes between its letters.
constexpr uint32_t kAnyScript = 0xFFFFFFFF;

// The scripts whose letters lie in more than one block of 256 units, each
// with all of its blocks: Greek with its accented letters (Greek
// Extended), Cyrillic with its supplement, Arabic with its supplements and
// presentation forms, Ethiopic (Amharic, Tigrinya) with its extensions,
// Georgian, the Canadian syllabics, Yi and Vai; Latin with its extended
// letters (Vietnamese); Chinese, Japanese and Korean characters with their
// punctuation; Hangul with its jamo.
struct ScriptRange {
  uint32_t first;
  uint32_t end;  // past the last unit
  uint32_t script;
};
constexpr ScriptRange kScriptRanges[] = {
    {0x00A0, 0x00C0, kAnyScript}, {0x00D7, 0x00D8, kAnyScript},  // Latin-1 signs
    {0x00F7, 0x00F8, kAnyScript}, {0x0300, 0x0370, kAnyScript},  // and accents
    {0x2000, 0x2070, kAnyScript},                                // general punctuation
    {0x0000, 0x0250, 0x00},       {0x1E00, 0x1F00, 0x00},        // Latin
    {0x0370, 0x0400, 0x03},       {0x1F00, 0x2000, 0x03},        // Greek
    {0x0400, 0x0530, 0x04},       {0x1C80, 0x1C90, 0x04},        // Cyrillic
    {0x2DE0, 0x2E00, 0x04},       {0xA640, 0xA6A0, 0x04},        //
    {0x0600, 0x0700, 0x06},       {0x0750, 0x0780, 0x06},        // Arabic
    {0x08A0, 0x0900, 0x06},       {0xFB50, 0xFE00, 0x06},        //
    {0xFE70, 0xFF00, 0x06},                                      //
    {0x1200, 0x13A0, 0x12},       {0x2D80, 0x2DE0, 0x12},        // Ethiopic
    {0xAB00, 0xAB30, 0x12},                                      //
    {0x10A0, 0x1100, 0x10},       {0x1C90, 0x1CC0, 0x10},        // Georgian
    {0x2D00, 0x2D30, 0x10},                                      //
    {0x1400, 0x1680, 0x14},       {0x18B0, 0x1900, 0x14},        // Canadian syllabics
    {0xA000, 0xA4D0, 0xA0},       {0xA500, 0xA640, 0xA5},        // Yi, Vai
    {0x2E80, 0xA000, 0x01},       {0xF900, 0xFB00, 0x01},        // Chinese, Japanese
    {0xFF00, 0xFFF0, 0x01},                                      // and Korean
    {0xAC00, 0xD7B0, 0x02},       {0x1100, 0x1200, 0x02},        // Hangul
};

// The script a UTF-16 unit belongs to, as far as the text test asks: the
// scripts of the table as one each, every other by its block of 256 units
// (where no two scripts that texts mix share a block).
uint32_t ScriptOfUnit(uint32_t c) {
  for (const ScriptRange& range : kScriptRanges)
    if (c >= range.first && c < range.end) return range.script;
  return c >> 8;
}

bool StartsWith(const uint8_t* b, uint32_t size, const char* text, uint32_t length) {
  return size >= length && std::memcmp(b, text, length) == 0;
}

// Whether the bytes open the way files that are never text open: a zip
// archive (OpenDocument and Office Open XML documents among them), a PDF,
// a PNG, JPEG, GIF, TIFF or BMP picture, a gzip stream or a compound file.
// Their first kilobytes can hold few enough control bytes to pass for text.
bool StartsAsNonText(const uint8_t* b, uint32_t size) {
  if (size >= 4 && b[0] == 'P' && b[1] == 'K' &&
      ((b[2] == 3 && b[3] == 4) || (b[2] == 5 && b[3] == 6) || (b[2] == 7 && b[3] == 8)))
    return true;
  // A BMP's two reserved words are 0.
  const bool bitmap = size >= 10 && b[0] == 'B' && b[1] == 'M' && b[6] == 0 && b[7] == 0 &&
                      b[8] == 0 && b[9] == 0;
  return bitmap || StartsWith(b, size, "%PDF-", 5) ||
         StartsWith(b, size, "\x89PNG\r\n\x1A\n", 8) || StartsWith(b, size, "\xFF\xD8\xFF", 3) ||
         StartsWith(b, size, "GIF87a", 6) || StartsWith(b, size, "GIF89a", 6) ||
         StartsWith(b, size, "II*\0", 4) || StartsWith(b, size, "MM\0*", 4) ||
         StartsWith(b, size, "\x1F\x8B", 2) || StartsAsCompoundFile(b, size);
}

bool StartsWithUnicodeMark(const uint8_t* b, uint32_t size) {
  return size >= 2 && ((b[0] == 0xFE && b[1] == 0xFF) || (b[0] == 0xFF && b[1] == 0xFE));
}

// The first bytes of a file (at most 4 KB), read once for the tests below.
struct FileSample {
  uint8_t bytes[kTextSampleBytes];
  uint32_t size = 0;
};

// Reads the sample from the stream's start, then goes back to 0.
void TakeSample(VStream& stream, FileSample& sample) {
  const uint32_t size = stream.GetSize();
  uint32_t got = size < kTextSampleBytes ? size : kTextSampleBytes;
  if (stream.SetPosition(0) != 0 || stream.ReadData(sample.bytes, got) != 0) got = 0;
  stream.SetPosition(0);
  sample.size = got;
}

// Where a file's first mark-up begins: behind a UTF-8 byte-order mark and
// blanks.
uint32_t FirstMarkupAt(const uint8_t* b, uint32_t size) {
  uint32_t at = size >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF ? 3 : 0;
  while (at < size && (b[at] == ' ' || b[at] == '\t' || b[at] == '\r' || b[at] == '\n' || b[at] == '\f')) ++at;
  return at;
}

// Whether `b[at]` starts a tag: "<" and a letter, "</" and a letter, "<!"
// or "<?".
bool TagAt(const uint8_t* b, uint32_t size, uint32_t at) {
  auto letter = [](uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (at + 1 >= size || b[at] != '<') return false;
  const uint8_t c = b[at + 1];
  if (c == '/') return at + 2 < size && letter(b[at + 2]);
  return letter(c) || c == '!' || c == '?';
}

// Whether the sample opens the way the format of `type` opens: RTF with its
// group "{\rtf", a page with a tag, a declaration or a comment (behind
// blanks).
bool OpensAsFormat(uint32_t type, const FileSample& sample) {
  const uint8_t* b = sample.bytes;
  const uint32_t at = FirstMarkupAt(b, sample.size);
  const uint32_t left = sample.size - at;
  if (type == kTypeRtfFile) return left >= 5 && std::memcmp(b + at, "{\\rtf", 5) == 0;
  return TagAt(b, sample.size, at);
}

// Whether a tag stands anywhere in the sample.
bool HoldsTag(const FileSample& sample) {
  for (uint32_t i = 0; i < sample.size; ++i)
    if (TagAt(sample.bytes, sample.size, i)) return true;
  return false;
}

// How a file given to the RTF or HTML reader by its name or type is read.
// An RTF file opens with its group "{\rtf" (the format's own mark; its
// data may hold any byte, LibreOffice's 0 bytes in its groups among them),
// and is read by the RTF reader. A page is a text that opens
// with, or holds, a tag, and is read by the HTML reader. Any other text (a
// text file named .rtf, .html or .doc) is read as text by its content, so
// that its characters are decoded as every other text file's are (UTF-8 by
// its bytes, not as the format's Windows default) and its lines stay
// paragraphs. Anything else only looks like such a file by its name or
// type (a picture, an archive, random or damaged bytes) and is refused as
// damaged before any reader fills a document with its bytes.
enum class NamedFileKind { kFormat, kText, kForeign };

NamedFileKind KindOfNamedFile(VStream& stream, uint32_t type) {
  FileSample head;
  TakeSample(stream, head);
  if (type == kTypeRtfFile && OpensAsFormat(type, head)) return NamedFileKind::kFormat;
  if (!IsTextSample(head.bytes, head.size, false)) return NamedFileKind::kForeign;
  if (type != kTypeRtfFile && (OpensAsFormat(type, head) || HoldsTag(head)))
    return NamedFileKind::kFormat;
  return NamedFileKind::kText;
}

// The text type a type is read as: its own for the Macintosh and UTF-16
// kinds, the Windows one for every other.
uint32_t TextReadingTypeOf(uint32_t type) {
  return type == kTypeTextMac || type == kTypeTextUnicode ? type : kTypeTextWindows;
}

// A file of no type reaches the reader as type 0, so that its bytes can
// tell UTF-8 text from Windows text.
int32_t OpenAsText(xMorvaDocument& document, VStream& stream, uint32_t& type, VString* report) {
  const bool untyped = type == 0;
  FileSample head;
  TakeSample(stream, head);
  // Behind a UTF-16 mark a text is UTF-16, whatever its name or type says.
  type = StartsWithUnicodeMark(head.bytes, head.size) ? kTypeTextUnicode : TextReadingTypeOf(type);
  // A file must look like a text, or a binary file would fill the
  // document with its bytes.
  if (!IsTextSample(head.bytes, head.size, type == kTypeTextUnicode)) return kErrorNotThisFormat;
  const xMorvaFormatReader read = xMorvaFileFormats::FindReader(type);
  return read != nullptr ? read(document, stream, untyped ? 0 : type, false, report) : kErrorNotThisFormat;
}

// The dispatch of one open: the reader of the type, 'WANY' replaced by the
// file's own type, content detection for the rest.
int32_t OpenByType(xMorvaDocument& document, VFile& file, VFileStream& stream, uint32_t& type,
                   VString* report) {
  for (int round = 0; round < kOpenDispatchRounds; ++round) {
    switch (type) {
      case kTypeOwnDocument:
      case kTypeOwnTemplate: return ReadDocument(document, stream, true);
      case kTypeAnyFile: {
        // The file's own type, 'TEXT' being Windows text. A file whose own
        // type is 'WANY' again, or none, is told by its content instead of
        // being asked for its type for ever.
        uint32_t own = StoredFileType(file);
        if (own == kTypeMacText) own = kTypeTextWindows;
        type = own == kTypeAnyFile ? 0 : own;
        continue;
      }
      case kTypeRtfFile:
      case kTypeHtmlFile:
      case kTypeHtmFile:
      case kTypeShtmlFile:
        switch (KindOfNamedFile(stream, type)) {
          case NamedFileKind::kForeign: return kErrorDamagedData;
          case NamedFileKind::kText: return OpenAsText(document, stream, type, report);
          case NamedFileKind::kFormat: break;
        }
        [[fallthrough]];
      case kTypeOlderDocument: {
        const xMorvaFormatReader read = xMorvaFileFormats::FindReader(type);
        return read != nullptr ? read(document, stream, type, false, report) : kErrorNotThisFormat;
      }
      case kTypeWord5File:
      case kTypeWord6File:
      case kTypeWord8File: {
        const xMorvaFormatReader read = xMorvaFileFormats::FindReader(type);
        const int32_t code =
            read != nullptr ? read(document, stream, type, false, report) : kErrorNotThisFormat;
        if (code != kErrorNotThisFormat) return code;
        if (stream.SetPosition(0) != 0) return kErrorNotThisFormat;
        // A compound file is a Word file or nothing: one the Word reader
        // refused cannot be read, and is never taken for RTF or text.
        uint8_t head[sizeof kCompoundSignature] = {};
        uint32_t got = sizeof head;
        const bool compound = stream.ReadData(head, got) == 0 && StartsAsCompoundFile(head, got);
        if (stream.SetPosition(0) != 0) return kErrorNotThisFormat;
        if (compound) return kErrorFileUnreadable;
        // Word files that are RTF inside are common.
        type = kTypeRtfFile;
        continue;
      }
      default: {
        const uint32_t size = stream.GetSize();
        if (size < 2) return OpenAsText(document, stream, type, report);
        uint8_t head[16] = {};
        uint32_t got = size < sizeof head ? size : uint32_t(sizeof head);
        stream.GetData(head, got);
        if (stream.SetPosition(0) != 0) return kErrorFileUnreadable;
        const uint32_t sniffed = SniffFileType(head, got);
        if (sniffed == 0) return OpenAsText(document, stream, type, report);
        type = sniffed;
        if (sniffed == kTypeTextUnicode) return OpenAsText(document, stream, type, report);
        continue;
      }
    }
  }
  return kErrorNotThisFormat;
}

bool WriteFileByType(xMorvaDocument& document, VStream& stream, uint32_t type) {
  if (type == kTypeOwnDocument || type == kTypeOwnTemplate)
    return WriteDocument(document, stream, false, false);
  const xMorvaFormatWriter write = xMorvaFileFormats::FindWriter(type);
  return write != nullptr && write(document, stream, type, false);
}

bool HasFileWriter(uint32_t type) {
  return type == kTypeOwnDocument || type == kTypeOwnTemplate ||
         xMorvaFileFormats::FindWriter(type) != nullptr;
}

// The file being written (its full path in UTF-8), while its writer runs.
std::string gWritingPath;

// The full path of a file in UTF-8, the form the platform's file calls
// take, and where its name starts: for the readers and writers that name
// files beside it, and for the file's Macintosh type and creator.
bool FullPathOfFile(const VFile& file, std::string& path, size_t& nameStart) {
  char buffer[kOpenSavePathBytes];
  if (!file.GetAnsiPath(buffer, kOpenSavePathBytes)) return false;
  path = buffer;
  const size_t slash = path.find_last_of('/');
  nameStart = slash == std::string::npos ? 0 : slash + 1;
  return nameStart < path.size();
}

// The tag of the hidden copy a save writes beside the file it replaces.
constexpr char kNewCopyTag[] = ".~qvnew";

}  // namespace

// Writes the document as `type` beside the target, then puts it in the
// target's place with the target's type and creator. A symbolic link at
// the target's name stays: the file it leads to is written (made when it
// is missing).
bool WriteDocumentFile(xMorvaDocument& document, VFile& target, uint32_t type) {
  std::string path;
  size_t nameStart = 0;
  if (!FullPathOfFile(target, path, nameStart)) return false;
  char linkedPath[kOpenSavePathBytes];
  const DWORD linkedLength = GetLinkTargetPathA(path.c_str(), kOpenSavePathBytes, linkedPath);
  if (linkedLength == 0 || linkedLength >= kOpenSavePathBytes) return false;
  std::unique_ptr<VFile> linked;
  VFile* destination = &target;
  // The path a link leads to is written as it stands, under its own name
  // and extension: it is no name the user typed, to which a type's
  // extension is added. A folder there refuses the replace.
  if (path != linkedPath) {
    linked = std::make_unique<VFile>(linkedPath);
    destination = linked.get();
  }
  std::unique_ptr<VFile> temporary = VFile::NewCopyBeside(*destination, kNewCopyTag);
  if (!temporary) return false;
  bool written = false;
  {
    VFileStream stream(temporary.get(), false);
    if (stream.OpenWrite() == 0) {
      gWritingPath = path;
      written = WriteFileByType(document, stream, type);
      gWritingPath.clear();
      written = stream.CloseWrite(1) == 0 && written;
    }
  }
  // The new file carries the type and creator the reference gives, or
  // else those of the file it replaces, as a file written in place would;
  // recorded before the close, whose flush puts it on the disk too.
  uint32_t fileType = target.GetFileType();
  uint32_t creator = target.GetCreator();
  if (fileType == 0 || creator == 0) ReadMacFileInfo(path.c_str(), fileType, creator);
  if (written && fileType != 0 && creator != 0) {
    char temporaryPath[kOpenSavePathBytes];
    bool stored = false;
    if (temporary->GetAnsiPath(temporaryPath, kOpenSavePathBytes))
      WriteMacFileInfo(temporaryPath, fileType, creator, stored);
  }
  // The protection of the file it replaces, given before the flush: a crash
  // after the replace never leaves the document with the private mode the
  // copy had while it was written.
  written = written && temporary->TakeProtectionOf(*destination) == 0;
  written = temporary->Close(false) == 0 && written;
  // Whole and on the disk, the new file takes the name in one step: at
  // every moment the name holds the previous file or the new one.
  if (written && temporary->TakePlaceOf(*destination) == 0) return true;
  temporary->Delete();
  return false;
}

// ---- The kept file.

xMorvaKeptFile::xMorvaKeptFile() = default;

xMorvaKeptFile::~xMorvaKeptFile() {
  if (fFile) fFile->Close(false);
}

void xMorvaKeptFile::Keep(std::unique_ptr<VFile> file, bool own) {
  if (fFile) fFile->Close(false);
  fFile = std::move(file);
  fOwn = own;
  if (fOwn) Hold();
}

void xMorvaKeptFile::Release() {
  if (fFile) fFile->Close(false);
}

bool xMorvaKeptFile::Hold() {
  if (!fFile || !fOwn) return false;
  fFile->Close(false);
  if (fFile->Open(kKeptFileHoldPermission) != 0) fOwn = false;
  return fOwn;
}

// ---- Types.

uint32_t FormatTypeOfFile(VFile& file) {
  const uint32_t type = StoredFileType(file);
  switch (type) {
    case kTypeOwnDocument:
    case kTypeOwnTemplate:
    case kTypeOlderDocument:
    case kTypeRtfFile:
    case kTypeHtmlFile:
    case kTypeHtmFile:
    case kTypeShtmlFile:
    case kTypeWord5File:
    case kTypeWord6File:
    case kTypeWord8File: return type;
    default: return 0;
  }
}

uint32_t StoredFileType(VFile& file) {
  char path[kOpenSavePathBytes];
  uint32_t type = 0;
  uint32_t creator = 0;
  if (file.GetAnsiPath(path, kOpenSavePathBytes) && ReadMacFileInfo(path, type, creator) &&
      type != 0)
    return type;
  return file.HasNoType() ? 0 : file.GetFileType();
}

namespace {
// Whether `b` (16 bytes, zero past the file's end) opens with "<!DOCTYPE html"
// or "<html" in any case of letters, the name ending there: the way common
// pages start, which a mere "<HTML>" would miss.
bool StartsAsHtmlPage(const uint8_t* b) {
  auto sameLetters = [&](size_t offset, const char* lower) {
    for (size_t i = 0; lower[i] != 0; ++i) {
      const uint8_t c = b[offset + i];
      const uint8_t folded = c >= 'A' && c <= 'Z' ? static_cast<uint8_t>(c + ('a' - 'A')) : c;
      if (folded != static_cast<uint8_t>(lower[i])) return false;
    }
    return true;
  };
  auto endsName = [](uint8_t c) {
    return c == '>' || c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == 0;
  };
  if (sameLetters(0, "<!doctype html")) return endsName(b[14]);
  if (sameLetters(0, "<html")) return endsName(b[5]) && b[5] != 0;
  return false;
}

// The units of a UTF-16 sample from `from` on, big-endian or little-endian.
std::u16string Utf16UnitsOf(const uint8_t* bytes, uint32_t size, uint32_t from, bool big) {
  std::u16string units;
  for (uint32_t i = from; i + 1 < size; i += 2)
    units.push_back(char16_t(big ? (bytes[i] << 8) | bytes[i + 1] : (bytes[i + 1] << 8) | bytes[i]));
  return units;
}

bool IsHighSurrogate(uint32_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsLowSurrogate(uint32_t c) { return c >= 0xDC00 && c < 0xE000; }

// Whether a surrogate pair stands for a character of a plane that holds no
// text's characters: the planes 4 to 13, where nothing is assigned, and the
// private planes 15 and 16.
bool IsStrayPair(uint32_t high) {
  const uint32_t plane = ((high - 0xD800) >> 6) + 1;
  return (plane >= 4 && plane <= 13) || plane >= 15;
}

// How many units of a UTF-16 sample that no mark vouches for no text holds:
// the stray units (`IsStrayUnit`), lone surrogates and pairs of the planes
// without text. The sample may end between the two units of a pair.
uint32_t CountStrayUnits(const std::u16string& units) {
  uint32_t strays = 0;
  for (size_t i = 0; i < units.size(); ++i) {
    const uint32_t c = units[i];
    if (IsHighSurrogate(c)) {
      const bool last = i + 1 == units.size();
      if (!last && !IsLowSurrogate(units[i + 1])) ++strays;
      else if (!last && IsStrayPair(c)) strays += 2;
    } else if (IsLowSurrogate(c)) {
      if (i == 0 || !IsHighSurrogate(units[i - 1])) ++strays;
    } else if (IsStrayUnit(c)) {
      ++strays;
    }
  }
  return strays;
}

// How many times two letters beyond ASCII side by side change script: a
// text keeps to its scripts for words at a time, where random bytes, or an
// 8-bit text read as UTF-16, change script at nearly every unit.
uint32_t CountScriptChanges(const std::u16string& units) {
  uint32_t changes = 0;
  for (size_t i = 1; i < units.size(); ++i) {
    const uint32_t c = units[i];
    const uint32_t before = units[i - 1];
    const bool surrogate = IsHighSurrogate(c) || IsLowSurrogate(c);
    if (c < 0x80 || before < 0x80 || surrogate || (before >= 0xD800 && before < 0xE000)) continue;
    const uint32_t script = ScriptOfUnit(c);
    const uint32_t scriptBefore = ScriptOfUnit(before);
    if (script != kAnyScript && scriptBefore != kAnyScript && script != scriptBefore) ++changes;
  }
  return changes;
}

// Whether the sample is a UTF-16 text behind its mark FF FE or FE FF. The
// mark says what the file is, as every editor takes it: its units are read
// in the mark's order, and they are a text when every surrogate pair is
// whole (the sample may cut the last one) and fewer than one unit in 64 is
// a character no text holds (`IsStrayCharacter`: unassigned, private use,
// noncharacters, controls but tab, line feed, form feed and carriage
// return). Whatever scripts, signs and symbols it holds, and in whatever
// mix, is the text's own; an 8-bit file that begins with the mark's two
// bytes opens as the mark says. Random bytes hold a stray in about one
// unit in seven.
bool IsMarkedUtf16TextSample(const uint8_t* bytes, uint32_t size) {
  const bool big = bytes[0] == 0xFE;
  const std::u16string units = Utf16UnitsOf(bytes, size, 2, big);
  const size_t count = units.size();
  uint32_t strays = 0;
  for (size_t i = 0; i < count; ++i) {
    const char16_t c = units[i];
    if (IsHighSurrogate(c)) {
      if (i + 1 == count) break;
      if (!IsLowSurrogate(units[i + 1])) return false;
      const char32_t pair = CodePointEndedBy(c, units[i + 1]);
      if (IsStrayCharacter(pair)) strays += 2;
      ++i;
    } else if (IsLowSurrogate(c)) {
      return false;
    } else if (IsStrayCharacter(c)) {
      ++strays;
    }
  }
  return strays * kStrayShareDivisor < count || count == 0;
}

// Whether a sample that no mark vouches for is a UTF-16 text in the byte
// order it is read in, little-endian: besides few stray units, from 64
// bytes up its shares of script changes, space bytes and double-byte units
// are those of a text and not those of an 8-bit text or random bytes.
bool IsUtf16TextSample(const uint8_t* bytes, uint32_t size) {
  if (StartsWithUnicodeMark(bytes, size)) return IsMarkedUtf16TextSample(bytes, size);
  const std::u16string units = Utf16UnitsOf(bytes, size, 0, false);
  const uint32_t changes = CountScriptChanges(units);
  uint32_t spaceBytes = 0;
  uint32_t signs = 0;
  uint32_t latinUnits = 0;
  uint32_t doubleBytes = 0;
  for (size_t i = 0; i < units.size(); ++i) {
    const uint32_t c = units[i];
    if (IsPunctuationOrSign(c)) {
      if (!IsTextPunctuation(c)) ++signs;
    } else if (HoldsSpaceByte(c)) {
      ++spaceBytes;
    }
    if (c < 0x100) ++latinUnits;
    if (HoldsTwoDoubleByteBytes(c)) ++doubleBytes;
  }
  const size_t count = units.size();
  if (count == 0) return true;
  if (CountStrayUnits(units) * kStrayShareDivisor >= count) return false;
  // The shares are asked of a sample of 64 bytes or more.
  if (size < kShareSampleMinimum) return true;
  // The other punctuation and signs count with the space bytes only in a
  // sample that holds fewer units of U+0000 to U+00FF than of them: a text
  // writes its prices and coordinates among its digits, spaces and letters,
  // where an 8-bit text read as UTF-16 has no zero byte, and so no such
  // unit.
  if (latinUnits < signs) spaceBytes += signs;
  return changes * kScriptChangeShareDivisor < count && spaceBytes * kSpaceByteShareDivisor < count &&
         doubleBytes * kDoubleByteShareDivisor < count * kDoubleByteShareNumerator;
}
}  // namespace

uint32_t SniffFileType(const uint8_t* head, size_t size) {
  uint8_t b[16] = {};
  if (head != nullptr) std::memcpy(b, head, size < sizeof b ? size : sizeof b);
  auto at = [&](size_t offset, const char* text) {
    return std::memcmp(b + offset, text, std::strlen(text)) == 0;
  };
  if (b[0] == 0 && b[1] == 0 && ((b[2] == 0x8E && b[3] == 0x8F) || (b[2] == 0x8F && b[3] == 0x8E)))
    return kTypeOwnDocument;
  if ((at(0, "FORM") && at(8, "QMVT") && at(12, "DOCU")) ||
      (at(0, "MROF") && at(8, "TVMQ") && at(12, "UCOD")))
    return kTypeOlderDocument;
  if (at(0, "{\\rtf")) return kTypeRtfFile;
  if (at(0, "<HTML>") || StartsAsHtmlPage(b)) return kTypeHtmlFile;
  if ((b[0] == 0xFE && b[1] == 0xFF) || (b[0] == 0xFF && b[1] == 0xFE)) return kTypeTextUnicode;
  if (StartsAsCompoundFile(b, size)) return kTypeWord8File;
  return 0;
}

bool IsTextSample(const uint8_t* bytes, uint32_t size, bool unicode) {
  // A file of one byte is text whatever it holds.
  if (bytes == nullptr || size < 2) return true;
  if (StartsAsNonText(bytes, size)) return false;
  if (unicode || StartsWithUnicodeMark(bytes, size)) return IsUtf16TextSample(bytes, size);
  uint32_t controls = 0;
  uint32_t highBytes = 0;
  std::bitset<256> seen;
  for (uint32_t i = 0; i < size; ++i) {
    if (bytes[i] < 0x80 && IsTextControl(bytes[i])) ++controls;
    if (bytes[i] >= 0x80) ++highBytes;
    seen.set(bytes[i]);
  }
  if (controls * kStrayShareDivisor >= size) return false;
  if (size < kShareSampleMinimum || highBytes * kHighByteShareDivisor < size) return true;
  // UTF-8 makes whole characters of its bytes from 0x80 up: nearly every
  // byte that starts no character (the sample may cut its last one) is a
  // stray.
  const std::u16string decoded =
      Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(bytes), size));
  uint32_t strays = 0;
  for (const char16_t c : decoded)
    if (c == 0xFFFD || IsTextControl(c)) ++strays;
  if (strays * kStrayShareDivisor < decoded.size()) return true;
  // Random bytes of this length show 256 (1 - (255/256)^size) values.
  const double randomVariety = 256.0 * (1.0 - std::pow(255.0 / 256.0, double(size)));
  return double(seen.count()) < kTextByteVarietyShare * randomVariety;
}

// ---- Open, export, save.

namespace {
std::string gOpeningFolder;

// Names the folder of the file being opened while its reader runs.
class OpeningFolderScope {
 public:
  explicit OpeningFolderScope(const VFile& file) {
    std::string path;
    size_t nameStart = 0;
    if (FullPathOfFile(file, path, nameStart)) gOpeningFolder = path.substr(0, nameStart);
  }
  ~OpeningFolderScope() { gOpeningFolder.clear(); }
  OpeningFolderScope(const OpeningFolderScope&) = delete;
  OpeningFolderScope& operator=(const OpeningFolderScope&) = delete;
};
}  // namespace

const std::string& OpeningFileFolder() { return gOpeningFolder; }

const std::string& WritingFilePath() { return gWritingPath; }

int32_t ReadOwnOrOlderDocument(xMorvaDocument& document, VStream& stream, bool reset, bool* olderFormat) {
  if (olderFormat != nullptr) *olderFormat = false;
  const int32_t code = ReadDocument(document, stream, reset);
  if (code != kErrorNotThisFormat || stream.SetPosition(0) != 0) return code;
  // The older format's reader comes with the import formats, which
  // register it.
  const xMorvaFormatReader older = xMorvaFileFormats::FindReader(kTypeOlderDocument);
  if (older == nullptr) return code;
  if (olderFormat != nullptr) *olderFormat = true;
  return older(document, stream, kTypeOlderDocument, false, nullptr);
}

bool TakeDocumentFrom(xMorvaDocument& document, xMorvaDocument& source, bool olderFormat) {
  auto* from = static_cast<xMorvaEngine*>(source.GetPart(kPartBody));
  auto* to = static_cast<xMorvaEngine*>(document.GetPart(kPartBody));
  if (from == nullptr || to == nullptr) return false;
  // The body's text, by far the largest part, moves over as it stands: it
  // is set aside while the rest of the document (parameters, informations,
  // style sheets, fonts, pictures on pages, print settings, headers and
  // footers) goes through the own format, and then takes the place of the
  // body that the read left empty.
  const int32_t selStart = from->GetSelStart();
  const int32_t selEnd = from->GetSelEnd();
  xMorvaEngine body(nullptr, 0);
  body.ExchangeText(*from);
  VMemHandle handle = 0;
  bool written = false;
  {
    VHandleStream out(handle);
    if (out.OpenWrite() == 0) {
      written = WriteDocument(source, out, false, false);
      out.CloseWrite(1);
    }
  }
  bool read = false;
  if (written && handle != 0) {
    VHandleStream in(handle);
    if (in.OpenRead() == 0) {
      const int32_t code = ReadDocument(document, in, true);
      read = code == 0 || code == kErrorRepairedData;
      in.CloseRead();
    }
  }
  if (handle != 0) gMemoryMgr->DisposeHandle(handle);
  if (read) {
    to->ExchangeText(body);
    to->SetSelection(selStart, selEnd);
    // An older document's page bands stay as its reader set them: a
    // header or footer of no stored height has a band reaching 50 pixels
    // past a margin that stays at the printable area's edge, which the own
    // format's read would take for a band over its margin and push the
    // margin out on the other pages.
    if (olderFormat) {
      for (const bool first : {true, false})
        document.Params().GetBands(first) = source.GetParams().GetBands(first);
    }
  } else {
    from->ExchangeText(body);
  }
  return read;
}

int32_t OpenDocumentFile(xMorvaDocument& document, xMorvaKeptFile& kept,
                         std::unique_ptr<VFile> file, uint32_t& type, VString* report) {
  const bool wasOwn = kept.IsOwn();
  kept.Release();
  // No type chosen (the open chooser's all-files filter) is the file's own
  // type when that names a reader, as for the host's open of a path: a
  // file named as a Word or own document is read as one from either road,
  // and what one refuses the other refuses too, instead of being taken for
  // text. A text file's encoding is still told by its bytes.
  if (type == 0 && file) type = FormatTypeOfFile(*file);
  int32_t code = kErrorFileUnreadable;
  if (file) {
    // Shared: a document another area keeps (and may save into) opens too.
    VFileStream stream(file.get(), true);
    if (stream.OpenRead() == 0) {
      OpeningFolderScope folder(*file);
      // The file is read into a document of its own: the area's document
      // is replaced only by a file that opened, so that a damaged or
      // foreign file costs the user nothing. The readers leave the lines
      // pending: the document is composed once, below, when the reference
      // printer is followed.
      xMorvaDocument scratch(nullptr);
      scratch.Reset(false);
      scratch.SetLayoutDeferred(true);
      code = OpenByType(scratch, *file, stream, type, report);
      stream.CloseRead();
      const bool opened = code == 0 || code == kErrorRepairedData || code == kErrorReaderReport;
      if (opened) {
        const bool deferred = document.SetLayoutDeferred(true);
        if (!TakeDocumentFrom(document, scratch, type == kTypeOlderDocument)) code = kOpenNoMemory;
        document.SetLayoutDeferred(deferred);
      }
    }
  }
  const bool success = code == 0 || code == kErrorRepairedData || code == kErrorReaderReport;
  if (success) {
    const bool own = type == kTypeOwnDocument;
    kept.Keep(std::move(file), own);
    // A foreign file is no place to save the document to: it counts as
    // changed until it is saved in the own format.
    if (own)
      document.SetAreaSetting(kOpenSaveSettingModified, 0, nullptr);
    else
      document.SetModified();
    // The one composition of the opened document.
    document.UpdateReferencePrinter();
  } else if (wasOwn) {
    kept.Hold();
  }
  document.ApplyViewOptions(true);
  document.Refresh(true, true);
  return code;
}

int32_t ExportDocumentFile(xMorvaDocument& document, xMorvaKeptFile& kept,
                           std::unique_ptr<VFile> file, uint32_t type) {
  kept.Release();
  // Every failure of every writer is the write that failed (1012), a full
  // disk as much as a writer's refusal.
  const bool written = file && HasFileWriter(type) && WriteDocumentFile(document, *file, type);
  if (!written) {
    if (kept.IsOwn()) kept.Hold();
    return kErrorExportFailed;
  }
  const bool own = type == kTypeOwnDocument || type == kTypeOwnTemplate;
  kept.Keep(std::move(file), own);
  if (own) {
    document.SetAreaSetting(kOpenSaveSettingModified, 0, nullptr);
    if (xMorvaDocumentArea* area = document.GetArea()) area->UpdateTitle();
  }
  return 0;
}

int32_t SaveKeptFile(xMorvaDocument& document, xMorvaKeptFile& kept) {
  VFile* file = kept.Get();
  if (file == nullptr || !kept.IsOwn()) return kErrorExportFailed;
  kept.Release();
  const bool written = WriteDocumentFile(document, *file, kTypeOwnDocument);
  // The file in place is held again: the new one, or the previous one
  // whole after a failure.
  kept.Hold();
  if (!written) return kErrorExportFailed;
  document.SetAreaSetting(kOpenSaveSettingModified, 0, nullptr);
  if (xMorvaDocumentArea* area = document.GetArea()) area->UpdateTitle();
  return 0;
}
