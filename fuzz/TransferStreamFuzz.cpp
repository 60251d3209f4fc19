// Fuzz target of the reader of 'xMo7' and 'xMor' text streams: the input is
// pasted into a document whose body holds two paragraphs with looks, tabs
// and a style sheet; the first input byte chooses the selection it replaces
// (low nibble its start, high nibble its length). A stream that was taken
// must leave a text whose positions agree with its bytes, and a copy of the
// whole text must paste into another document.
#include <memory>

#include "document/xMorvaDocument.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "fuzz/FuzzSupport.h"

namespace {

const uint8_t kBody[] = {
    0, 0, 32, 0, 2, 0, 0, 0,                  // alignment 2
    0, 0, 64, 0, 40, 0, 0, 1,                 // a tab stop at 40
    'a', 0, 'b', 0, 0, 0, 0, 0, 1, 0, 0, 0,   // b, then bold on
    'c', 0, 13, 0,                            //
    0, 0, 15, 0, 3, 0, 0, 0,                  // style sheet 3
    'd', 0, 0, 0, 128, 62, 0, 0, 0, 0, 0, 0, 0, 0,  // d, a tab element
    'e', 0,
};

int32_t Positions(const uint8_t* bytes, uint32_t size) {
  int32_t positions = 0;
  for (uint32_t at = 0; at < size;) {
    const StreamItem item = ReadStreamItem(bytes + at, size - at);
    if (item.kind != StreamItem::kRecord) ++positions;
    at += item.size != 0 ? item.size : 1;
  }
  return positions;
}

void Fill(xMorvaEngine& engine, int32_t start, int32_t end) {
  engine.Clear();
  engine.InsertBytes(0u, kBody, sizeof kBody);
  engine.SetLength(Positions(kBody, sizeof kBody));
  engine.SetSelection(start, end);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  static xMorvaDocumentEngineServices engines;
  static VInstalledService<xMorvaEngineServices> installed{&engines};
  FuzzInput input(data, size);
  const uint8_t choice = input.TakeByte();
  std::unique_ptr<xMorvaDocument> document(new xMorvaDocument(nullptr));
  auto* body = static_cast<xMorvaEngine*>(document->GetPart(kPartBody));
  if (body == nullptr) return 0;
  const int32_t start = choice & 15;
  Fill(*body, start, start + (choice >> 4));
  VMemoryStream stream(input.Rest(), uint32_t(input.RestSize()));
  stream.OpenRead();
  const int32_t result = body->ReadStream(stream, *document);
  stream.CloseRead();
  if (result != 0) return 0;

  const uint8_t* bytes = body->LockStream();
  const int32_t counted = bytes != nullptr ? Positions(bytes, body->GetStreamSize()) : 0;
  body->UnlockStream();
  if (counted != body->GetLength()) __builtin_trap();

  body->SelectAll();
  const VMemHandle copy = body->WriteStream(*document);
  if (copy == 0) __builtin_trap();
  std::unique_ptr<xMorvaDocument> other(new xMorvaDocument(nullptr));
  auto* otherBody = static_cast<xMorvaEngine*>(other->GetPart(kPartBody));
  const void* copied = gMemoryMgr->LockHandle(copy);
  VMemoryStream again(copied, gMemoryMgr->GetHandleSize(copy));
  again.OpenRead();
  const int32_t pasted = otherBody != nullptr ? otherBody->ReadStream(again, *other) : 0;
  again.CloseRead();
  gMemoryMgr->UnlockHandle(copy);
  gMemoryMgr->DisposeHandle(copy);
  if (pasted != 0 || (otherBody != nullptr && otherBody->GetLength() != body->GetLength())) __builtin_trap();
  return 0;
}
