// VQueue: a first-in first-out queue of object pointers on a chain of nodes.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"

// Head and tail of a singly linked chain: items leave at the head and join
// at the tail. The queue owns the items only to the extent that Clear (and
// so the destructor) deletes those still waiting; an item that has been
// dequeued belongs to the caller.
class VQueue : public VObject {
 public:
  VQueue() = default;
  ~VQueue() override;
  VQueue(const VQueue&) = delete;
  VQueue& operator=(const VQueue&) = delete;

  // A new node at the tail; a null item is queued like any other.
  void Enqueue(VObject* item);
  // The item at the head, whose node is unlinked and deleted (not the item);
  // null when the queue is empty.
  VObject* Dequeue();
  // Dequeues every item and deletes it.
  void Clear();

  uint32_t GetCount() const { return fCount; }
  bool IsEmpty() const { return fCount == 0; }

 private:
  class Node;

  Node* fHead = nullptr;
  Node* fTail = nullptr;
  uint32_t fCount = 0;
};
