// VObject: the root class's memory from the framework heap and its default
// answers for streaming and persistence information.
#include "framework/core/VObject.h"

#include "framework/core/memory/VHeap.h"

VObject::~VObject() = default;

// The heap never answers null here: when memory is truly exhausted it ends
// the process with a message, so no caller of new tests for null.
void* VObject::operator new(size_t size) { return gHeap->AllocateOrDie(size); }

void VObject::operator delete(void* p) {
  if (p != nullptr) gHeap->Free(p);
}

// Streaming is refused unless a class knows its own stored form.
int32_t VObject::ReadFromStream(VStream&, uint32_t) { return -2; }
int32_t VObject::WriteToStream(VStream&, uint32_t) { return -2; }

int32_t VObject::GetPersistInfo(int32_t, uint32_t* info) {
  if (info != nullptr) *info = 0;
  return 1;
}

bool VObject::IsHeapBlock() const {
  return gHeap != nullptr && gHeap->Classify(this) == kHeapUsedPayloadStart;
}
