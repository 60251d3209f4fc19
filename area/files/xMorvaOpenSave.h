// Opening a document from a file of any known type, and saving and
// exporting it to one: format recognition by type and by content, the
// readers and writers by type, and the file the document keeps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "area/files/xMorvaFileFormats.h"
#include "framework/core/VObject.h"

class VFile;
class VStream;
class VString;
class xMorvaDocument;

constexpr uint32_t kTypeOwnDocument = FourCC("QMV7");
constexpr uint32_t kTypeOwnTemplate = FourCC("QMT7");
constexpr uint32_t kTypeOlderDocument = FourCC("QMV6");
constexpr uint32_t kTypeRtfFile = FourCC("RTF ");
constexpr uint32_t kTypeHtmlFile = FourCC("HTML");
constexpr uint32_t kTypeAnyFile = FourCC("WANY");
constexpr uint32_t kTypeMacText = FourCC("TEXT");
constexpr uint32_t kOwnCreator = FourCC("QvM7");

constexpr int32_t kErrorExportFailed = 1012;
constexpr int32_t kErrorNoSuchFile = 1051;
constexpr int32_t kErrorFileUnreadable = 1095;
constexpr int32_t kErrorReaderReport = 1100;

// The file a document was last opened from or saved to. An own-format
// file is held open (read and write) while it is kept, so that the save
// command can write the document back to it.
class xMorvaKeptFile {
 public:
  xMorvaKeptFile();
  ~xMorvaKeptFile();
  xMorvaKeptFile(const xMorvaKeptFile&) = delete;
  xMorvaKeptFile& operator=(const xMorvaKeptFile&) = delete;

  VFile* Get() const { return fFile.get(); }
  // Whether the kept file is an own-format file the save command writes.
  bool IsOwn() const { return fOwn; }
  // The file becomes the kept one (the previous reference goes); an own
  // file is opened and held, and stays own only when that succeeds.
  void Keep(std::unique_ptr<VFile> file, bool own);
  // Closes the held file; it stays the kept file, own or not.
  void Release();
  // Opens the own file again after a Release: false, the file no longer
  // own, when it is missing or cannot be opened.
  bool Hold();

 private:
  std::unique_ptr<VFile> fFile;
  bool fOwn = false;
};

// The type the file layer gives a file: its type record, else the type the
// map of extensions gives its name; 0 for none.
uint32_t StoredFileType(VFile& file);

// The file's own type when it names a reader of a format of its own (the
// own, older, RTF, HTML and Word types), else 0: what a file opened without
// a chosen type is read as before its content is looked at.
uint32_t FormatTypeOfFile(VFile& file);

// The type recognised from the first bytes of a file (at most 16 are
// looked at), or 0: the own format by its signature in either byte order,
// the older format by its IFF header in either order, RTF by "{\rtf",
// HTML by "<HTML>" in capitals, UTF-16 text by either byte-order mark.
uint32_t SniffFileType(const uint8_t* head, size_t size);

// Whether the first bytes of a file (the open looks at 4 KB) are a text:
// not when they open as an archive, a PDF, a picture or a compound file
// does, nor when one in 64 or more of their bytes are control
// characters that no text holds (127, and those below 32 but bell,
// backspace, tab, line feed, vertical tab, form feed, carriage return,
// shift out and in, a DOS end of file and escape), nor when, from 64 bytes
// up, a third or more of their bytes are from 0x80 up, make no UTF-8 and
// show as many different values as random bytes do (a text's letters
// repeat, in whatever code page). UTF-16 units are counted instead behind
// a UTF-16 byte-order mark, in the mark's byte order, and when `unicode`
// says so, little-endian. Behind the mark a text is one whose units are
// fewer than one in 64 controls, private-use units, noncharacters, lone
// surrogates or characters of the planes without text (4 to 13, 15, 16),
// whatever letters, punctuation and signs it holds, unless its bytes are
// swapped against the mark: read in the other order it is such a text
// too, its units in fewer blocks of 256. Without a mark the quads U+2000
// and U+2001 (the spaces of a big-endian text read little-endian) count
// with those units, and from 64 bytes up a text changes its script between
// neighbouring letters at fewer than a quarter of its characters (a script
// counts with all its blocks, Greek with its accented letters; spaces,
// punctuation and accents belong to every script), holds the space byte
// 0x20 in a unit other than a space or punctuation in fewer than one unit
// in 8 (an 8-bit text's spaces pair with its letters), and makes fewer
// than three units in 4 of two bytes from 0xA1 up (a double-byte code
// page's characters). Random bytes of 64 or more pass hardly ever; behind
// a mark, about one sample in 70 of 64 bytes and one in 1,000 of 100.
// Fewer than 2 bytes are a text.
bool IsTextSample(const uint8_t* bytes, uint32_t size, bool unicode);

// The folder of the file whose reader is running (for readers that load
// files named relative to it, as HTML pages name their images); empty when
// no file is being opened.
const std::string& OpeningFileFolder();
// The path of the file a writer is writing (the file being replaced, not the
// temporary file beside it), for writers that write files beside it, as HTML
// pages write their images; empty when no file is being written.
const std::string& WritingFilePath();

// Reads the file into the document by `type`, which comes back as the type
// read. A type that names a reader (the own, older, RTF, HTML and Word
// types) is read by it; 'WANY' stands for the file's own type, and 0 (no
// type chosen) for the format the file's own type names; the text
// types and every other type are recognised by content first and read as
// text otherwise; a compound file is read as Word only, and a file that is
// no text (`IsTextSample`) is refused (1032). A file given to the RTF or
// HTML reader (a Word file that is none goes to RTF) that does not open as
// that format (RTF's "{\rtf", a page's tag) is read as text when it is one,
// its characters decoded as every text file's are, and comes back typed
// 'ASCW' (or 'ASCU' behind a UTF-16 mark); any other is refused as damaged
// (1015), never filled into a document. 0, 1097 and 1100
// (success), 1095 the file cannot be read, 1032 no reader took it, 1015
// damaged, 1041 no memory, or a reader's code. The file is read into a
// document of its own first, and the document takes its contents only on
// success, when the file becomes the kept file; otherwise the document is
// untouched (its modified state too) and the previous kept file is held
// again as it was.
int32_t OpenDocumentFile(xMorvaDocument& document, xMorvaKeptFile& kept,
                         std::unique_ptr<VFile> file, uint32_t& type, VString* report);

// Reads a document in the own format from the stream's start, else, when
// that answers 1032 and the older format's reader is registered, in the
// older format; with `reset` the own format's read resets the document
// first. The reader's code; 1032 when neither format reads it.
// `olderFormat`, when given, tells whether the older reader had it. A BLOB,
// a host field and a template are read so.
int32_t ReadOwnOrOlderDocument(xMorvaDocument& document, VStream& stream, bool reset, bool* olderFormat = nullptr);

// Gives `document` the whole contents of `source` (texts, style sheets,
// settings, pictures on the page, selection), through the own format; false
// when that could not be done for want of memory. `olderFormat`: `source`
// was read from the older format, whose page bands are kept as read.
bool TakeDocumentFrom(xMorvaDocument& document, xMorvaDocument& source, bool olderFormat);

// Writes the document to the file as `type`: 0, or 1012 for a type without
// a writer and a write that fails. The file is written beside its place
// and put in place only when whole, so that a failure leaves the file that
// was there untouched and no other file behind. On success the file
// becomes the kept file (own for the own types).
int32_t ExportDocumentFile(xMorvaDocument& document, xMorvaKeptFile& kept,
                           std::unique_ptr<VFile> file, uint32_t type);

// Writes the document as `type` into a new file beside it first, flushed
// to the disk, then puts that file in its place in one step with the file's
// type and creator and the permission and group of the file it replaces (a
// read-only file is not replaced): true when the file holds the document;
// false leaves it as it was and nothing else behind. The kept file is not
// touched.
bool WriteDocumentFile(xMorvaDocument& document, VFile& target, uint32_t type);

// The save command's write of the own kept file, in the same safe way: 0,
// or 1012 when the write failed (the file keeps its previous contents).
int32_t SaveKeptFile(xMorvaDocument& document, xMorvaKeptFile& kept);
