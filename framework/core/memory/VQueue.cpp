// VQueue: the chain of nodes behind the queue.
#include "framework/core/memory/VQueue.h"

// A node is an object of its own, carved from the framework heap like every
// object: the item and the node after it.
class VQueue::Node : public VObject {
 public:
  explicit Node(VObject* item) : item(item) {}

  VObject* item;
  Node* next = nullptr;
};

VQueue::~VQueue() { Clear(); }

void VQueue::Enqueue(VObject* item) {
  Node* node = new Node(item);
  if (fTail != nullptr) {
    fTail->next = node;
  } else {
    fHead = node;
  }
  fTail = node;
  ++fCount;
}

VObject* VQueue::Dequeue() {
  Node* node = fHead;
  if (node == nullptr) return nullptr;
  fHead = node->next;
  if (fHead == nullptr) fTail = nullptr;
  --fCount;
  VObject* item = node->item;
  delete node;
  return item;
}

void VQueue::Clear() {
  // Each item leaves the queue before it is deleted, so an item whose
  // destruction reaches back into the queue finds it consistent.
  while (fHead != nullptr) delete Dequeue();
  fCount = 0;
}
