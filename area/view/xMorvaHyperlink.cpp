// xMorvaHyperlink: the link a hyperlink element carries, its 'wHLK' record,
// the two texts the element shows, and following it.
#include "area/view/xMorvaHyperlink.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "area/xMorvaPlugIn.h"
#include "boundary/HostRecords.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaEngineHost.h"
#include "framework/core/streams/ByteSwap.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/values/StringStreamForm.h"
#include "framework/core/values/VLong.h"
#include "framework/system/files/VFile.h"
#include "host/callback/HostCallback.h"
#include "host/context/VHostRoutineCall.h"
#include "platform/toolbox/TbxHandles.h"

namespace {

constexpr uint32_t kLinkLook = 1;
constexpr uint32_t kPlainLinkLook = 4;
constexpr uint32_t kFieldLook = 3;
// Items of the labels list naming the three kinds.
constexpr int16_t kItemKindLabels = 6;
// The host's call that opens a URL.
constexpr int32_t kHostSelOpenURL = -264;
// A text handed to the host in a handle holds at most this many bytes.
constexpr int32_t kHostTextHandleMax = 32000;
// The code of a file that cannot be opened for reading.
constexpr int32_t kErrorCannotOpenFile = 1095;
// The string kinds of the stream form and the size of their units.
constexpr int32_t kCharKindUnicode = 2;

// A string of the record. Its length is checked against the bytes that
// remain before anything is read or allocated: a length that claims more
// than the record holds is no string of this record.
bool ReadString(VStream& stream, VStrInHandle& string) {
  if (!stream.HasRemaining(4)) return false;
  const int32_t length = stream.GetLong();
  if (stream.GetStatus() != 0) return false;
  if (length < 1) return true;  // an empty string is its length alone
  if (!stream.HasRemaining(4)) return false;
  const int32_t kind = stream.GetLong();
  if (stream.GetStatus() != 0) return false;
  const uint64_t units = uint64_t(length) + 1;
  if (!stream.HasRemaining(kind == kCharKindUnicode ? units * 2 : units)) return false;
  if (stream.Skip(-8) != 0) return false;
  const int32_t status = ReadStringFromStream(string, stream);
  return status == 0 || status == -3;
}

// The text as a handle for the host: its Macintosh bytes, at most 32000,
// without terminator; 0 when no handle can be had.
uint32_t HostTextHandle(const VString& text) {
  const int32_t length = text.GetLength();
  const int32_t capacity = std::min<int32_t>(length * 2 + 1, kHostTextHandleMax);
  std::vector<char> bytes(size_t(capacity) + 1, 0);
  text.GetCText(bytes.data(), capacity, kCharSetMac);
  const int32_t size = int32_t(std::strlen(bytes.data()));
  const uint32_t handle = Tbx::NewHandle(size);
  if (handle == 0) return 0;
  if (size > 0) {
    std::memcpy(Tbx::HLock(handle), bytes.data(), size_t(size));
    Tbx::HUnlock(handle);
  }
  return handle;
}

}  // namespace

xMorvaHyperlink::DocumentOpener xMorvaHyperlink::sOpener = nullptr;

void xMorvaHyperlink::OpenURL(const VString& target) {
  const uint32_t sent = HostTextHandle(target);
  if (sent == 0) return;
  HostParamBlock block;
  std::memset(&block, 0, sizeof block);
  block.handle = sent;
  CallHost(kHostSelOpenURL, block);
  const auto answered = static_cast<uint32_t>(block.handle);
  if (answered != 0 && answered != sent) Tbx::DisposeHandle(answered);
  Tbx::DisposeHandle(sent);
}

xMorvaHyperlink::xMorvaHyperlink(uint8_t kind, bool styleFlag, const VString& target, const VString& title,
                                 uint32_t value)
    : fKind(kind), fStyleFlag(styleFlag ? 1 : 0), fValue(value) {
  fTarget.CopyText(target);
  fTitle.CopyText(title);
}

xMorvaHyperlink& xMorvaHyperlink::operator=(const xMorvaHyperlink& other) {
  if (this == &other) return *this;
  fKind = other.fKind;
  fStyleFlag = other.fStyleFlag;
  SetTarget(other.fTarget);
  SetTitle(other.fTitle);
  fFileType = other.fFileType;
  fValue = other.fValue;
  return *this;
}

void xMorvaHyperlink::SetTarget(const VString& target) {
  fTarget.SetEmpty(false);
  fTarget.CopyText(target);
}

void xMorvaHyperlink::SetTitle(const VString& title) {
  fTitle.SetEmpty(false);
  fTitle.CopyText(title);
}

int32_t xMorvaHyperlink::Write(VStream& stream) {
  stream.PutLong(int32_t(kTagHyperlink));
  stream.PutLong(int32_t(kHyperlinkVersion));
  stream.PutByte(fKind);
  stream.PutByte(fStyleFlag);
  stream.PutLong(int32_t(fFileType));
  stream.PutLong(int32_t(fValue));
  WriteStringToStream(fTitle, stream, 0);
  WriteStringToStream(fTarget, stream, 0);
  return stream.GetStatus();
}

int32_t xMorvaHyperlink::Read(VStream& stream) {
  uint32_t tag = 0;
  if (const int16_t status = stream.ReadULong(tag)) return status;
  if (tag != kTagHyperlink) {
    Swap32(&tag);
    if (tag != kTagHyperlink) return kErrorNotALink;
    // Written in the other order: every later field is swapped.
    int16_t data = 0;
    int16_t native = 0;
    stream.GetByteOrders(data, native);
    stream.SetByteOrders(data == kByteOrderLittle ? kByteOrderMacintosh : kByteOrderLittle, kByteOrderKeep);
  }
  uint32_t version = 0;
  if (const int16_t status = stream.ReadULong(version)) return status;
  if (version != kHyperlinkVersion) return kErrorNotALink;
  uint8_t kind = 0;
  uint8_t styleFlag = 0;
  uint32_t fileType = 0;
  uint32_t value = 0;
  if (const int16_t status = stream.ReadByte(kind)) return status;
  if (const int16_t status = stream.ReadByte(styleFlag)) return status;
  if (const int16_t status = stream.ReadULong(fileType)) return status;
  if (const int16_t status = stream.ReadULong(value)) return status;
  VStrInHandle title;
  VStrInHandle target;
  if (!ReadString(stream, title) || !ReadString(stream, target)) return kErrorNotALink;
  fKind = kind;
  fStyleFlag = styleFlag;
  fFileType = fileType;
  fValue = value;
  SetTitle(title);
  SetTarget(target);
  return 0;
}

bool xMorvaHyperlink::ReadElement(const uint8_t* element, uint32_t size, uint32_t& titleFrom, uint32_t& titleBytes) {
  if (size < kElementHeadSize) return false;
  uint32_t length = 0;
  const uint8_t* data = ComputedObjectOf(element + kElementHeadSize, size - kElementHeadSize, length);
  if (data == nullptr || !LinkTitleOf(element, 0, size, titleFrom, titleBytes)) return false;
  VMemoryStream stream(data, length);
  if (stream.OpenRead() != 0) return false;
  const int32_t read = Read(stream);
  stream.CloseRead();
  return read == 0;
}

VMemHandle xMorvaHyperlink::InsertTitle(xMorvaEngine& engine) {
  const uint32_t look = fStyleFlag != 0 ? kLinkLook : kPlainLinkLook;
  // A link made on selected text without a title of its own keeps that
  // text, with its properties, as the text it shows: the insertion replaces
  // the selection, and an empty title would leave nothing to see or click.
  if (fTitle.GetLength() == 0 && engine.HasSelection()) {
    VStrInHandle shown;
    const VMemHandle units = engine.SelectionToLinkText(look, shown);
    if (units != 0) SetTitle(shown);
    return units;
  }
  uint32_t bytes = 0;
  return engine.StringToElementText(fTitle, bytes, look, false);
}

VMemHandle xMorvaHyperlink::Describe(xMorvaEngine& engine) {
  VStrInHandle label;
  if (xMorvaEngineHost* host = xMorvaEngineHostService::Get())
    host->GetPackageString(kListFieldLabels, int16_t(kItemKindLabels + fKind), label);
  label.AppendUniChar(u':');
  label.CopyText(fTarget);
  uint32_t bytes = 0;
  return engine.StringToElementText(label, bytes, kFieldLook, true);
}

bool xMorvaHyperlink::Follow(xMorvaPlugIn& area) {
  xMorvaDocument* document = area.GetDocument();
  auto* engine = document != nullptr ? static_cast<xMorvaEngine*>(document->GetCurrentPart()) : nullptr;
  if (engine == nullptr) return false;
  const int32_t start = engine->GetSelStart();
  const bool visited = fStyleFlag != 0;
  document->BeginChange();
  if (visited) engine->MarkLinkVisited();
  engine->SetSelection(start, start);
  document->EndChange();
  document->Refresh(false, false);

  switch (fKind) {
    case kMethod: {
      VHostRoutineCall call(fTarget);
      const VLong reference(static_cast<int32_t>(area.GetReference()));
      const VLong value(static_cast<int32_t>(fValue));
      call.CallProcedure({&reference, &fTitle, &value});
      break;
    }
    case kURL:
      OpenURL(fTarget);
      break;
    case kDocument:
      // Without the area's open installed a document link does nothing, as
      // for a file that is not there.
      if (sOpener != nullptr) OpenDocumentTarget(area, fTarget, fFileType, sOpener);
      break;
    default:
      break;
  }
  return visited;
}

bool xMorvaHyperlink::EditInDialog(xMorvaPlugIn& area) {
  xMorvaHyperlinkEditor* editor = xMorvaHyperlinkEditorSlot::Get();
  if (editor == nullptr) return false;
  xMorvaHyperlink values(*this);
  if (!editor->RunHyperlinkDialog(area, values)) return false;
  *this = values;
  return true;
}

int32_t xMorvaHyperlink::OpenDocumentTarget(xMorvaPlugIn& area, const VString& path, uint32_t type,
                                            DocumentOpener opener) {
  if (opener == nullptr || path.GetLength() == 0) return kErrorCannotOpenFile;
  VFile file(path, type);
  if (file.GetState() != kItemPresent) return kErrorCannotOpenFile;
  // The document the area shows is given up only with the user's consent:
  // a modified one asks whether to save it first, and cancel keeps it.
  if (!area.CanDeleteArea(true)) return -1;
  return opener(area, path, type);
}
