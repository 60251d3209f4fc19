// xMorvaHyperlink: the link a hyperlink element carries, its 'wHLK' record
// and the two texts the element shows.
#include "area/xMorvaHyperlink.h"

#include "engine/xMorvaEngine.h"
#include "engine/xMorvaEngineHost.h"
#include "framework/core/streams/ByteSwap.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/values/StringStreamForm.h"

namespace {

constexpr uint32_t kLinkLook = 1;
constexpr uint32_t kPlainLinkLook = 4;
constexpr uint32_t kFieldLook = 3;
// Items of the labels list naming the three kinds.
constexpr int16_t kItemKindLabels = 6;

// A string of the record: an empty one is stored by its length alone.
bool ReadString(VStream& stream, VString& string) {
  const int32_t status = ReadStringFromStream(string, stream);
  return status == 0 || status == -3;
}

}  // namespace

xMorvaHyperlink::xMorvaHyperlink(Kind kind, bool linkLook, const VString& target, const VString& title)
    : fKind(kind), fLinkLook(linkLook) {
  fTarget.CopyText(target);
  fTitle.CopyText(title);
}

int32_t xMorvaHyperlink::Write(VStream& stream) {
  stream.PutLong(int32_t(kTagHyperlink));
  stream.PutLong(int32_t(kHyperlinkVersion));
  stream.PutWord(fKind);
  stream.PutByte(fLinkLook ? 1 : 0);
  WriteStringToStream(fTarget, stream, 0);
  return WriteStringToStream(fTitle, stream, 0);
}

int32_t xMorvaHyperlink::Read(VStream& stream) {
  uint32_t tag = 0;
  if (const int16_t status = stream.ReadULong(tag)) return status;
  if (tag != kTagHyperlink) {
    Swap32(&tag);
    if (tag != kTagHyperlink) return kErrorNotALink;
    int16_t data = 0;
    int16_t native = 0;
    stream.GetByteOrders(data, native);
    stream.SetByteOrders(data == kByteOrderLittle ? kByteOrderMacintosh : kByteOrderLittle, kByteOrderKeep);
  }
  uint32_t version = 0;
  uint16_t kind = 0;
  uint8_t look = 0;
  if (const int16_t status = stream.ReadULong(version)) return status;
  if (version != kHyperlinkVersion) return kErrorNotALink;
  if (const int16_t status = stream.ReadWord(kind)) return status;
  if (kind > kDocument) return kErrorNotALink;
  if (const int16_t status = stream.ReadByte(look)) return status;
  VStrInHandle target;
  VStrInHandle title;
  if (!ReadString(stream, target) || !ReadString(stream, title)) {
    return stream.GetStatus() != 0 ? stream.GetStatus() : kErrorNotALink;
  }
  fKind = Kind(kind);
  fLinkLook = look != 0;
  fTarget.SetEmpty(false);
  fTarget.CopyText(target);
  fTitle.SetEmpty(false);
  fTitle.CopyText(title);
  return 0;
}

VMemHandle xMorvaHyperlink::InsertTitle(xMorvaEngine& engine) {
  uint32_t bytes = 0;
  return engine.StringToElementText(fTitle, bytes, fLinkLook ? kLinkLook : kPlainLinkLook, false);
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
