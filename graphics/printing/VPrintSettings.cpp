// The platform-neutral print settings record, its paper tables and its
// stored form 'XPRI'.
#include "graphics/printing/VPrintSettings.h"

#include <algorithm>
#include <cstdlib>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/memory/VHandleLocker.h"
#include "framework/core/streams/ByteSwap.h"
#include "framework/core/streams/VStream.h"

namespace {

// Paper sizes by paper code, hundredths of a millimetre; codes the printer
// knows without a size (24 to 26, 48, 49) are absent.
struct PaperSize {
  uint16_t code;
  int32_t width;
  int32_t height;
};

constexpr PaperSize kPapers[] = {
    {1, 21590, 27940},  {2, 21590, 27940},  {3, 27940, 43180},  {4, 43180, 27940},
    {5, 21590, 35560},  {6, 13970, 21590},  {7, 18415, 26670},  {8, 29700, 42000},
    {9, 21000, 29700},  {10, 21000, 29700}, {11, 14800, 21000}, {12, 25000, 35400},
    {13, 18200, 25700}, {14, 21590, 33020}, {15, 21500, 27500}, {16, 25400, 35560},
    {17, 27940, 43180}, {18, 21590, 27940}, {19, 9840, 22540},  {20, 10470, 24130},
    {21, 11430, 26350}, {22, 12060, 27940}, {23, 12700, 29210}, {27, 11000, 22000},
    {28, 16000, 22900}, {29, 32400, 45800}, {30, 22900, 32400}, {31, 11400, 16200},
    {32, 11400, 22900}, {33, 25000, 35300}, {34, 17600, 25000}, {35, 17600, 12500},
    {36, 11000, 23000}, {37, 9840, 19050},  {38, 9200, 16510},  {39, 37780, 27940},
    {40, 21590, 30480}, {41, 21590, 33020}, {42, 25000, 35300}, {43, 10000, 14800},
    {44, 22860, 27940}, {45, 25400, 27940}, {46, 38100, 27940}, {47, 22000, 22000},
    {50, 23550, 30480}, {51, 23550, 38100}, {52, 29690, 45720}, {53, 23540, 32230},
    {54, 21010, 27940}, {55, 21000, 29700}, {56, 23550, 30480}, {57, 22700, 35600},
    {58, 30500, 48700}, {59, 21590, 32230}, {60, 21000, 33000}, {61, 14800, 21000},
    {62, 18200, 25700}, {63, 32200, 44500}, {64, 17400, 23500}, {65, 20100, 27600},
    {66, 42000, 59400}, {67, 29700, 42000}, {68, 32200, 44500},
};

// The universal record's stored part ('UPRI'): 34 bytes, no length word.
constexpr uint32_t kUniversalBytes = 34;

// The lowest paper code of a size within half a millimetre on both sides
// (a page held in screen pixels comes back a fraction of a millimetre
// off its paper); 0 when the table has no paper of that size.
uint16_t NamedPaperOfSize(int32_t width, int32_t height) {
  constexpr int32_t kWithin = 50;
  return VPrintSettings::FindPaper([&](int32_t paperWidth, int32_t paperHeight) {
    return std::abs(paperWidth - width) <= kWithin && std::abs(paperHeight - height) <= kWithin;
  });
}

int32_t Scaled(int32_t value, int16_t scale) {
  return static_cast<int32_t>(static_cast<int64_t>(value) * scale / 100);
}

}  // namespace

VPrintSettings::VPrintSettings() { SetDefaults(); }

VPrintSettings::~VPrintSettings() { DisposeBlobs(); }

VMemHandle& VPrintSettings::BlobSlot(uint32_t tag) {
  if (tag == kTagMPRI) return fMacBlob;
  if (tag == kTagCPRI) return fCustomBlob;
  return fWindowsBlob;
}

VMemHandle VPrintSettings::GetBlob(uint32_t tag) const {
  return const_cast<VPrintSettings*>(this)->BlobSlot(tag);
}

void VPrintSettings::DisposeBlobs() {
  for (VMemHandle* blob : {&fMacBlob, &fCustomBlob, &fWindowsBlob}) {
    if (*blob != 0 && gMemoryMgr != nullptr) gMemoryMgr->DisposeHandle(*blob);
    *blob = 0;
  }
}

// ---- Use count.

bool VPrintSettings::BeginUse(uint8_t flag) {
  if (fUseCount == 0) {
    VPrintUseHost* host = VPrintUseService::Get();
    const bool granted = host == nullptr || host->CheckProcess(flag, fUseAnswer);
    fUseCount = granted ? 1 : 0;
  } else {
    ++fUseCount;
  }
  return fUseCount != 0;
}

void VPrintSettings::EndUse() {
  if (fUseCount == 1) {
    if (VPrintUseHost* host = VPrintUseService::Get()) host->EndProcess();
    fUseCount = 0;
  } else if (fUseCount > 1) {
    --fUseCount;
  }
}

// ---- Pages and name.

void VPrintSettings::SetFirstPage(int32_t page) {
  fFirstPage = page;
  fBound = 0;
}

void VPrintSettings::SetLastPage(int32_t page) {
  fLastPage = page;
  fBound = 0;
}

void VPrintSettings::SetCopies(int32_t copies) {
  fCopies = copies;
  fBound = 0;
}

void VPrintSettings::SetHighestPage(int32_t page) {
  fHighestPage = page;
  fBound = 0;
}

void VPrintSettings::SetDocumentName(const std::string& name) {
  fDocumentName = name.substr(0, 255);
}

// ---- Paper and margins.

void VPrintSettings::SetMargins(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  fRecord.marginLeft = left;
  fRecord.marginTop = top;
  fRecord.marginRight = right;
  fRecord.marginBottom = bottom;
}

void VPrintSettings::GetMargins(int32_t& left, int32_t& top, int32_t& right,
                                int32_t& bottom) const {
  left = fRecord.marginLeft;
  top = fRecord.marginTop;
  right = fRecord.marginRight;
  bottom = fRecord.marginBottom;
}

void VPrintSettings::GetPaperSize(int32_t& width, int32_t& height) const {
  width = fRecord.paperWidth;
  height = fRecord.paperHeight;
}

void VPrintSettings::GetPrintableSize(int32_t& width, int32_t& height) const {
  width = fRecord.paperWidth - (fRecord.minLeft + fRecord.minRight);
  height = fRecord.paperHeight - (fRecord.minTop + fRecord.minBottom);
}

void VPrintSettings::GetMinimumMargins(int32_t& left, int32_t& top, int32_t& right,
                                       int32_t& bottom) const {
  left = fRecord.minLeft;
  top = fRecord.minTop;
  right = fRecord.minRight;
  bottom = fRecord.minBottom;
}

void VPrintSettings::GetScaledPaperSize(int32_t& width, int32_t& height) const {
  GetPaperSize(width, height);
  width = Scaled(width, fRecord.scale);
  height = Scaled(height, fRecord.scale);
}

void VPrintSettings::GetScaledPrintableSize(int32_t& width, int32_t& height) const {
  GetPrintableSize(width, height);
  width = Scaled(width, fRecord.scale);
  height = Scaled(height, fRecord.scale);
}

void VPrintSettings::GetScaledMinimumMargins(int32_t& left, int32_t& top, int32_t& right,
                                             int32_t& bottom) const {
  GetMinimumMargins(left, top, right, bottom);
  left = Scaled(left, fRecord.scale);
  top = Scaled(top, fRecord.scale);
  right = Scaled(right, fRecord.scale);
  bottom = Scaled(bottom, fRecord.scale);
}

void VPrintSettings::SetRecord(const VPrintRecord& record) {
  fRecord = record;
  SyncWithPrinter();
}

void VPrintSettings::RaiseMarginsToMinimum() {
  fRecord.marginLeft = std::max(fRecord.marginLeft, fRecord.minLeft);
  fRecord.marginRight = std::max(fRecord.marginRight, fRecord.minRight);
  fRecord.marginTop = std::max(fRecord.marginTop, fRecord.minTop);
  fRecord.marginBottom = std::max(fRecord.marginBottom, fRecord.minBottom);
}

// ---- States.

bool VPrintSettings::MatchesSnapshot() const {
  // The stored record carries no minimum margins: those are always the
  // printer's, so they take no part in the comparison.
  VPrintRecord stored = fSnapshot;
  stored.minLeft = fRecord.minLeft;
  stored.minRight = fRecord.minRight;
  stored.minTop = fRecord.minTop;
  stored.minBottom = fRecord.minBottom;
  return SameRecordExact(fRecord, stored);
}

void VPrintSettings::SyncWithPrinter() {
  RaiseMarginsToMinimum();
  if (fSnapshotValid && !MatchesSnapshot()) {
    // The blobs describe the paper of the snapshot, which no longer holds.
    DisposeBlobs();
    fSnapshotValid = 0;
  }
}

void VPrintSettings::SetDefaults() {
  fRecord = VPrintRecord();
  fRecord.paperCode = kPaperCodeUnknown;
  fFirstPage = 1;
  fLastPage = 9999;
  fCopies = 1;
  fHighestPage = 9999;
  fPageCount = 0;
  fCurrentPage = 0;
  SyncWithPrinter();
  // The next multiple of 5 mm above each minimum margin.
  fRecord.marginLeft = (fRecord.minLeft + 500) / 500 * 500;
  fRecord.marginRight = (fRecord.minRight + 500) / 500 * 500;
  fRecord.marginTop = (fRecord.minTop + 500) / 500 * 500;
  fRecord.marginBottom = (fRecord.minBottom + 500) / 500 * 500;
}

void VPrintSettings::TakePaperOfPage(int32_t width, int32_t height, bool landscape, int32_t left,
                                     int32_t top, int32_t right, int32_t bottom) {
  // The page keeps its width and height whatever the flag says: a paper
  // turned across is the page turned back upright, so that Ledger (wider
  // than high in the table) turned across is a page higher than wide.
  const bool across = landscape || width > height;
  const int32_t uprightWidth = across ? height : width;
  const int32_t uprightHeight = across ? width : height;
  // A paper of the table only when it has that size; else a paper of the
  // page's own size.
  const uint16_t code = NamedPaperOfSize(uprightWidth, uprightHeight);
  int32_t paperWidth = uprightWidth;
  int32_t paperHeight = uprightHeight;
  if (code != 0) DevModePaperToPaperSize(code, paperWidth, paperHeight);
  fRecord.paperCode = code;
  fRecord.landscape = across ? 1 : 0;
  fRecord.paperWidth = across ? paperHeight : paperWidth;
  fRecord.paperHeight = across ? paperWidth : paperHeight;
  fRecord.marginLeft = left;
  fRecord.marginTop = top;
  fRecord.marginRight = right;
  fRecord.marginBottom = bottom;
  // The record rules first, so that the printer takes its paper; then the
  // printer's answer comes back in.
  fBound = 0;
  SyncWithPrinter();
  BindToPrinter();
}

void VPrintSettings::BindToPrinter() {
  fBound = 1;
  SyncWithPrinter();
}

void VPrintSettings::Reset() {
  DisposeBlobs();
  fRecord.paperCode = 0;
  fRecord.landscape = 0;
  fRecord.paperWidth = fRecord.paperHeight = 0;
  fRecord.minLeft = fRecord.minRight = fRecord.minTop = fRecord.minBottom = 0;
  fRecord.scale = 100;
  fRecord.resolutionX = fRecord.resolutionY = 0;
  fFirstPage = 1;
  fLastPage = 9999;
  fCopies = 1;
  fSnapshotValid = 0;
}

void VPrintSettings::TakeSnapshot() {
  fSnapshot = fRecord;
  fSnapshotValid = 1;
}

// ---- Comparisons and paper tables.

namespace {
// A paper length in whole millimetres, rounded: a document holds its page
// in screen pixels, so the paper it was fitted to comes back from it a
// fraction of a millimetre off.
int32_t WholeMillimetres(int32_t hundredths) { return (hundredths + 50) / 100; }
}  // namespace

bool VPrintSettings::SamePrintRecord(const VPrintRecord& a, const VPrintRecord& b) {
  return a.paperCode == b.paperCode && a.landscape == b.landscape &&
         WholeMillimetres(a.paperWidth) == WholeMillimetres(b.paperWidth) &&
         WholeMillimetres(a.paperHeight) == WholeMillimetres(b.paperHeight) &&
         a.marginLeft / 100 == b.marginLeft / 100 && a.marginRight / 100 == b.marginRight / 100 &&
         a.marginTop / 100 == b.marginTop / 100 && a.marginBottom / 100 == b.marginBottom / 100 &&
         a.scale == b.scale;
}

bool VPrintSettings::MarginsWithinMinimum(const VPrintRecord& r) {
  return r.marginLeft >= r.minLeft && r.marginRight >= r.minRight && r.marginTop >= r.minTop &&
         r.marginBottom >= r.minBottom;
}

bool VPrintSettings::SameRecordExact(const VPrintRecord& a, const VPrintRecord& b) {
  return a.paperCode == b.paperCode && a.landscape == b.landscape &&
         a.paperWidth == b.paperWidth && a.paperHeight == b.paperHeight &&
         a.minLeft == b.minLeft && a.minRight == b.minRight && a.minTop == b.minTop &&
         a.minBottom == b.minBottom && a.scale == b.scale;
}

uint16_t VPrintSettings::PaperSizeToDevModePaper(int32_t width, int32_t height) {
  width = width / 10 * 10;
  height = height / 10 * 10;
  for (const PaperSize& paper : kPapers) {
    if (paper.width == width && paper.height == height) return paper.code;
  }
  // The nearest paper by the sum of the differences of both sides: a product
  // would make any paper sharing one side length a perfect match.
  uint16_t best = kPapers[0].code;
  int64_t bestDistance = INT64_MAX;
  for (const PaperSize& paper : kPapers) {
    const int64_t distance = std::llabs(int64_t(width) - paper.width) +
                             std::llabs(int64_t(height) - paper.height);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = paper.code;
    }
  }
  return best;
}

uint16_t VPrintSettings::FindPaper(const std::function<bool(int32_t width, int32_t height)>& fits) {
  for (const PaperSize& paper : kPapers)
    if (fits(paper.width, paper.height)) return paper.code;
  return 0;
}

void VPrintSettings::DevModePaperToPaperSize(uint16_t code, int32_t& width, int32_t& height) {
  width = height = 0;
  for (const PaperSize& paper : kPapers) {
    if (paper.code == code) {
      width = paper.width;
      height = paper.height;
      return;
    }
  }
}

// ---- Stored form.

bool VPrintSettings::ReadBlob(VStream& stream, VMemHandle& blob) {
  const uint32_t length = stream.GetULong();
  if (stream.GetStatus() != 0) return false;
  // A length beyond the record's end is refused before anything is had.
  if (!stream.HasRemaining(length)) return false;
  if (length == 0) return true;
  VMemHandle handle = gMemoryMgr->NewHandle(length, 0);
  if (handle == 0) return stream.Skip(static_cast<int32_t>(length)) == 0;
  uint32_t read = length;
  int16_t status = kStreamNoMemory;
  {
    const VHandleLocker data(*gMemoryMgr, handle);
    if (data) status = stream.ReadData(data.Data(), read);
  }
  if (status != 0 || read != length) {
    gMemoryMgr->DisposeHandle(handle);
    return false;
  }
  if (blob != 0) gMemoryMgr->DisposeHandle(blob);
  blob = handle;
  return true;
}

void VPrintSettings::WriteBlob(VStream& stream, uint32_t tag, VMemHandle blob) {
  if (blob == 0) return;
  const uint32_t size = gMemoryMgr->GetHandleSize(blob);
  // A blob that cannot be locked is left out whole rather than stored as a
  // length without its bytes.
  const VHandleLocker data(*gMemoryMgr, blob);
  if (!data && size > 0) return;
  stream.PutLong(static_cast<int32_t>(tag));
  stream.PutLong(static_cast<int32_t>(size));
  if (size > 0) stream.PutData(data.Data(), size);
}

int16_t VPrintSettings::ReadSubRecord(VStream& stream, uint32_t tag, uint32_t version,
                                      uint8_t flag) {
  switch (tag) {
    case kTagUPRI: {
      if (!stream.HasRemaining(kUniversalBytes)) return stream.GetStatus();
      VPrintRecord& r = fRecord;
      r.paperCode = static_cast<uint16_t>(stream.GetWord());
      r.landscape = static_cast<uint16_t>(stream.GetWord()) != 0 ? 1 : 0;
      r.paperWidth = stream.GetLong();
      r.paperHeight = stream.GetLong();
      r.marginLeft = stream.GetLong();
      r.marginRight = stream.GetLong();
      r.marginTop = stream.GetLong();
      r.marginBottom = stream.GetLong();
      r.scale = stream.GetWord();
      r.resolutionX = static_cast<uint16_t>(stream.GetWord());
      r.resolutionY = static_cast<uint16_t>(stream.GetWord());
      if (stream.GetStatus() != 0) return stream.GetStatus();
      TakeSnapshot();
      fRecordRead = true;
      return 0;
    }
    case kTagMPRI:
    case kTagCPRI:
    case kTagWPRI:
      ReadBlob(stream, BlobSlot(tag));
      return stream.GetStatus();
    default:
      stream.Skip(-4);
      return kPrintUnknownSubRecord;
  }
}

void VPrintSettings::WriteSubRecords(VStream& stream) {
  stream.PutLong(static_cast<int32_t>(kTagUPRI));
  stream.PutWord(static_cast<int16_t>(fRecord.paperCode));
  stream.PutWord(fRecord.landscape);
  stream.PutLong(fRecord.paperWidth);
  stream.PutLong(fRecord.paperHeight);
  stream.PutLong(fRecord.marginLeft);
  stream.PutLong(fRecord.marginRight);
  stream.PutLong(fRecord.marginTop);
  stream.PutLong(fRecord.marginBottom);
  stream.PutWord(fRecord.scale);
  stream.PutWord(static_cast<int16_t>(fRecord.resolutionX));
  stream.PutWord(static_cast<int16_t>(fRecord.resolutionY));
  WriteBlob(stream, kTagMPRI, fMacBlob);
  WriteBlob(stream, kTagWPRI, fWindowsBlob);
  WriteBlob(stream, kTagCPRI, fCustomBlob);
}

int16_t VPrintSettings::WriteToStream(VStream* stream, uint8_t flag) {
  if (stream == nullptr) return kPrintNoStream;
  stream->PutLong(static_cast<int32_t>(kTagXPRI));
  stream->PutLong(static_cast<int32_t>(kPrintRecordVersion));
  WriteSubRecords(*stream);
  return stream->GetStatus();
}

int16_t VPrintSettings::ReadFromStream(VStream* stream, uint8_t flag) {
  if (stream == nullptr) return kPrintNoStream;
  const bool used = BeginUse(0);
  fBound = 0;
  fRecordRead = false;
  Reset();

  int16_t dataOrder = 0;
  int16_t nativeOrder = 0;
  stream->GetByteOrders(dataOrder, nativeOrder);
  int16_t error = 0;
  const uint32_t head = stream->HasRemaining(4) ? stream->GetULong() : 0;
  uint32_t reversed = kTagXPRI;
  Swap32(&reversed);
  if (head == reversed) {
    // Written on a machine of the other order: read the rest that way.
    stream->SetByteOrders(dataOrder == kByteOrderLittle ? kByteOrderMacintosh : kByteOrderLittle,
                          kByteOrderKeep);
  } else if (head != kTagXPRI) {
    error = kPrintNotARecord;
  }
  if (error == 0) {
    const uint32_t version = stream->GetULong();
    error = stream->GetStatus();
    while (error == 0) {
      const uint32_t tag = stream->GetULong();
      error = stream->GetStatus();
      if (error != 0) break;
      error = ReadSubRecord(*stream, tag, version, flag);
    }
    if (error == kStreamEndOfData || error == kPrintUnknownSubRecord) error = 0;
  }
  stream->SetByteOrders(dataOrder, kByteOrderKeep);

  if (error == 0 && !fBound) error = kPrintNotBound;
  if (error == 0 && fRecordRead) {
    // A bound record holds the printer's answer, whatever order its
    // sub-records came in: a paper read after the printer's settings would
    // otherwise be written back as it stood and read as the printer's.
    SyncWithPrinter();
  }
  if (error == kPrintNotBound && fRecordRead) {
    // No printer to bind to: the paper and margins read stay, so that the
    // next save stores them again instead of the defaults.
    fRecord.paperCode = fSnapshot.paperCode;
    fRecord.landscape = fSnapshot.landscape;
    fRecord.paperWidth = fSnapshot.paperWidth;
    fRecord.paperHeight = fSnapshot.paperHeight;
    fRecord.marginLeft = fSnapshot.marginLeft;
    fRecord.marginRight = fSnapshot.marginRight;
    fRecord.marginTop = fSnapshot.marginTop;
    fRecord.marginBottom = fSnapshot.marginBottom;
    fRecord.scale = fSnapshot.scale;
    fRecord.resolutionX = fSnapshot.resolutionX;
    fRecord.resolutionY = fSnapshot.resolutionY;
    // Unbound, the printer's settings follow the record.
    SyncWithPrinter();
  } else if (error != 0) {
    SetDefaults();
  } else if (fRecordRead && !MatchesSnapshot()) {
    error = kPrintDiffersFromPrinter;
  }
  fRecordRead = false;
  if (used) EndUse();
  return error;
}
