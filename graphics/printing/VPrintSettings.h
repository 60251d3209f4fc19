// VPrintSettings: the print settings of one document in a platform-neutral
// form (paper, orientation, the printer's minimum margins, the user's
// margins, scale, resolution, page range, copies, document name and opaque
// platform blobs), stored as the 'XPRI' record. Lengths are hundredths of a
// millimetre throughout.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "framework/core/VObject.h"
#include "framework/core/VService.h"
#include "platform/gdi/WinGdiTypes.h"

class VStream;
class VPort;

// The universal record, copied whole by GetRecord and SetRecord.
struct VPrintRecord {
  uint16_t paperCode = 0;  // the printer's paper code; 0 a user size
  uint8_t landscape = 0;
  int32_t paperWidth = 0;
  int32_t paperHeight = 0;
  // The printer's unprintable margins: never stored.
  int32_t minLeft = 0;
  int32_t minRight = 0;
  int32_t minTop = 0;
  int32_t minBottom = 0;
  int32_t marginLeft = 0;
  int32_t marginRight = 0;
  int32_t marginTop = 0;
  int32_t marginBottom = 0;
  int16_t scale = 100;  // percent
  uint16_t resolutionX = 0;
  uint16_t resolutionY = 0;
};

// Codes of the record's reading.
constexpr int16_t kPrintNoStream = -3;
constexpr int16_t kPrintNotBound = 300;        // read but never bound to a printer
constexpr int16_t kPrintNotARecord = 301;      // the stream holds no 'XPRI' record
constexpr int16_t kPrintDiffersFromPrinter = 302;
constexpr int16_t kPrintUnknownSubRecord = 220;

constexpr uint32_t kTagXPRI = 0x58505249;  // 'XPRI'
constexpr uint32_t kTagUPRI = 0x55505249;  // 'UPRI'
constexpr uint32_t kTagMPRI = 0x4D505249;  // 'MPRI'
constexpr uint32_t kTagWPRI = 0x57505249;  // 'WPRI'
constexpr uint32_t kTagCPRI = 0x43505249;  // 'CPRI'
constexpr uint32_t kPrintRecordVersion = 3;

// The paper code that SetDefaults leaves until a printer gives one.
constexpr uint16_t kPaperCodeUnknown = 65535;

// The host's check that brackets every dialog, job and stream read of a
// print settings record. The host bridge installs it; without it every use
// is granted and its end needs nothing.
class VPrintUseHost {
 public:
  virtual ~VPrintUseHost() = default;
  // The host's process check with the flag and the answer byte (which the
  // host may change); true grants the use.
  virtual bool CheckProcess(uint8_t flag, uint8_t& answer) = 0;
  // The end of the last use.
  virtual void EndProcess() = 0;
};
using VPrintUseService = VService<VPrintUseHost>;

class VPrintSettings : public VObject {
 public:
  VPrintSettings();
  ~VPrintSettings() override;

  // Reads an 'XPRI' record: 0, or one of the codes above (a failed read
  // leaves the defaults, or, when the record was read whole but never bound,
  // the paper and margins it stored). `flag` goes on to ReadSubRecord.
  virtual int16_t ReadFromStream(VStream* stream, uint8_t flag);
  // Writes the record; the stream's status, -3 without a stream.
  virtual int16_t WriteToStream(VStream* stream, uint8_t flag);

  // The system's dialogs: none in the platform-neutral form.
  virtual bool PageSetupDialog() { return false; }
  // The print dialog is owned by the window of the view that asks.
  virtual bool PrintDialog(HWND owner) { return false; }

  // The use count; BeginUse answers whether the count is not 0.
  virtual bool BeginUse(uint8_t flag);
  virtual void EndUse();

  virtual const std::string& GetDocumentName() const { return fDocumentName; }
  virtual void SetFirstPage(int32_t page);
  virtual void SetLastPage(int32_t page);
  virtual void SetCopies(int32_t copies);
  virtual void SetHighestPage(int32_t page);
  virtual void SetDocumentName(const std::string& name);

  // The print job: nothing in the platform-neutral form.
  virtual VPort* BeginDocument(const std::string& name) { return nullptr; }
  // Ends the job: true when every page of it was printed.
  virtual bool EndDocument() { return false; }
  virtual bool NextPage() { return false; }

  virtual uint16_t GetPaperCode() const { return fRecord.paperCode; }
  virtual bool IsLandscape() const { return fRecord.landscape != 0; }
  virtual int16_t GetScale() const { return fRecord.scale; }

  virtual void SetMargins(int32_t left, int32_t top, int32_t right, int32_t bottom);
  virtual void GetMargins(int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) const;
  virtual void GetPaperSize(int32_t& width, int32_t& height) const;
  virtual void GetPrintableSize(int32_t& width, int32_t& height) const;
  virtual void GetMinimumMargins(int32_t& left, int32_t& top, int32_t& right,
                                 int32_t& bottom) const;
  // The unscaled values times scale / 100, truncated.
  virtual void GetScaledPaperSize(int32_t& width, int32_t& height) const;
  virtual void GetScaledPrintableSize(int32_t& width, int32_t& height) const;
  virtual void GetScaledMinimumMargins(int32_t& left, int32_t& top, int32_t& right,
                                       int32_t& bottom) const;

  virtual void GetRecord(VPrintRecord& record) const { record = fRecord; }
  // Copies the record in, then follows the printer (SyncWithPrinter).
  virtual void SetRecord(const VPrintRecord& record);
  virtual void RaiseMarginsToMinimum();
  // The paper of a page that a document brings with it (lengths as the page
  // lies, which the paper keeps): used across when the page is wider than
  // high or `landscape` says so, the paper being the page turned upright
  // then; the paper of the table of that size, within half a millimetre,
  // else a paper of the page's own size (code 0); with the page's margins.
  // The printer follows the record, and the record is then bound to the
  // printer again for its minimum margins and resolution.
  void TakePaperOfPage(int32_t width, int32_t height, bool landscape, int32_t left, int32_t top,
                       int32_t right, int32_t bottom);

  // One sub-record whose tag has been read: 0, 220 for a tag it does not
  // know (the stream is moved back over the tag), or the stream's status.
  virtual int16_t ReadSubRecord(VStream& stream, uint32_t tag, uint32_t version, uint8_t flag);
  virtual void WriteSubRecords(VStream& stream);

  virtual void SyncWithPrinter();
  virtual void SetDefaults();
  virtual void BindToPrinter();
  virtual void Reset();
  virtual void TakeSnapshot();

  bool HasPaperSize() const { return fRecord.paperHeight != 0; }
  bool IsBound() const { return fBound != 0; }
  bool IsPrinting() const { return fPrinting != 0; }
  int32_t GetUseCount() const { return fUseCount; }
  int32_t GetFirstPage() const { return fFirstPage; }
  int32_t GetLastPage() const { return fLastPage; }
  int32_t GetHighestPage() const { return fHighestPage; }
  int32_t GetCopies() const { return fCopies; }
  int32_t GetPageCount() const { return fPageCount; }
  int32_t GetCurrentPage() const { return fCurrentPage; }
  // The blobs kept as read ('MPRI', 'CPRI', and 'WPRI' in this form).
  VMemHandle GetBlob(uint32_t tag) const;

  // Paper code, orientation, size and margins equal in whole millimetres,
  // and the scale.
  static bool SamePrintRecord(const VPrintRecord& a, const VPrintRecord& b);
  static bool MarginsWithinMinimum(const VPrintRecord& record);
  // Paper code, orientation, size, minimum margins and scale.
  static bool SameRecordExact(const VPrintRecord& a, const VPrintRecord& b);
  // The first paper of the table, in the order of its codes, whose width
  // and height (hundredths of a millimetre, upright) `fits` takes: its
  // code, or 0 when none.
  static uint16_t FindPaper(const std::function<bool(int32_t width, int32_t height)>& fits);
  // The paper code of a size: the lowest code of exactly that size (both
  // lengths first truncated to tenths of a millimetre), else the nearest.
  static uint16_t PaperSizeToDevModePaper(int32_t width, int32_t height);
  // The size of a paper code; 0 x 0 for a code the table does not list.
  static void DevModePaperToPaperSize(uint16_t code, int32_t& width, int32_t& height);

 protected:
  void DisposeBlobs();
  // The record equals the snapshot in paper, orientation and scale.
  bool MatchesSnapshot() const;
  VMemHandle& BlobSlot(uint32_t tag);
  // Reads a length word and that many bytes into a new handle (0 when the
  // length is 0 or no handle can be had). False when the length exceeds
  // what remains (the stream then reports the end of its data).
  static bool ReadBlob(VStream& stream, VMemHandle& blob);
  static void WriteBlob(VStream& stream, uint32_t tag, VMemHandle blob);

  VPrintRecord fRecord;
  VPrintRecord fSnapshot;
  int32_t fFirstPage = 1;
  int32_t fLastPage = 9999;
  int32_t fHighestPage = 9999;
  int32_t fCopies = 1;
  int32_t fPageCount = 0;
  int32_t fCurrentPage = 0;
  std::string fDocumentName;
  VMemHandle fMacBlob = 0;      // 'MPRI'
  VMemHandle fCustomBlob = 0;   // 'CPRI'
  VMemHandle fWindowsBlob = 0;  // 'WPRI', kept as a blob by this form only
  int32_t fUseCount = 0;
  uint8_t fBound = 0;
  uint8_t fPrinting = 0;
  uint8_t fUseAnswer = 0;
  uint8_t fSnapshotValid = 0;
  // A 'UPRI' was read by the running ReadFromStream.
  bool fRecordRead = false;
};
