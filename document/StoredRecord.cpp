// The head shared by the document's stored records (a tag in either byte
// order and a version out of a list) and their storing as resources.
#include "document/StoredRecord_p.h"

#include "document/xMorvaRecordStore.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/ByteSwap.h"
#include "framework/core/streams/VByteReader.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"

void WriteRecordHead(VStream& stream, uint32_t tag, uint32_t version) {
  stream.PutLong(static_cast<int32_t>(tag));
  const uint8_t text[4] = {uint8_t(version >> 24), uint8_t(version >> 16), uint8_t(version >> 8),
                           uint8_t(version)};
  stream.PutData(text, 4);
}

bool ReadRecordTag(VStream& stream, uint32_t tag) {
  if (!stream.HasRemaining(4)) return false;
  const uint32_t read = stream.GetULong();
  if (stream.GetStatus() != 0) return false;
  if (read == tag) return true;
  uint32_t reversed = tag;
  Swap32(&reversed);
  if (read != reversed) return false;
  // Written in the other order: read the rest that way.
  int16_t dataOrder = 0;
  int16_t nativeOrder = 0;
  stream.GetByteOrders(dataOrder, nativeOrder);
  stream.SetByteOrders(dataOrder == kByteOrderLittle ? kByteOrderMacintosh : kByteOrderLittle,
                       kByteOrderKeep);
  return true;
}

bool ReadRecordVersion(VStream& stream, std::initializer_list<uint32_t> accepted,
                       uint32_t& version) {
  uint8_t text[4] = {};
  uint32_t length = 4;
  if (!stream.HasRemaining(4) || stream.ReadData(text, length) != 0 || length != 4) return false;
  const uint32_t read = VByteReader(text, sizeof text, VByteReader::Order::kBig).U32();
  for (uint32_t candidate : accepted) {
    if (candidate == read) {
      version = read;
      return true;
    }
  }
  return false;
}

bool StoreRecordResource(xMorvaRecordStore& store, uint32_t type, int16_t id,
                         const std::function<bool(VStream&)>& write) {
  VMemHandle handle = 0;
  VHandleStream stream(handle);
  if (handle == 0) return false;
  bool written = stream.OpenWrite() == 0 && write(stream);
  written = stream.CloseWrite(1) == 0 && written;
  if (written) {
    const uint32_t size = gMemoryMgr->GetHandleSize(handle);
    const void* data = gMemoryMgr->LockHandle(handle);
    written = data != nullptr && store.PutResource(type, id, data, size);
    gMemoryMgr->UnlockHandle(handle);
  }
  gMemoryMgr->DisposeHandle(handle);
  return written;
}

bool LoadRecordResource(xMorvaRecordStore& store, uint32_t type, int16_t id,
                        const std::function<bool(VStream&)>& read) {
  const VMemHandle handle = store.CopyResource(type, id);
  if (handle == 0) return false;
  const uint32_t size = gMemoryMgr->GetHandleSize(handle);
  const void* data = gMemoryMgr->LockHandle(handle);
  bool answer = false;
  if (data != nullptr) {
    VMemoryStream stream(data, size);
    answer = stream.OpenRead() == 0 && read(stream);
    stream.CloseRead();
  }
  gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->DisposeHandle(handle);
  return answer;
}
