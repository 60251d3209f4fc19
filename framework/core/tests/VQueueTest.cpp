// The object queue: first in, first out; what is deleted and what is not.
#include <gtest/gtest.h>

#include <vector>

#include "framework/core/memory/VQueue.h"
#include "framework/core/tests/ListTestSupport.h"

TEST(Queue, DequeueOnAnEmptyQueueAnswersNull) {
  VQueue q;
  EXPECT_TRUE(q.IsEmpty());
  EXPECT_EQ(q.Dequeue(), nullptr);
  EXPECT_EQ(q.GetCount(), 0u);
}

TEST(Queue, ItemsLeaveInTheOrderTheyCame) {
  std::vector<int> log;
  Tracked a(&log, 1), b(&log, 2), c(&log, 3);
  VQueue q;
  q.Enqueue(&a);
  q.Enqueue(&b);
  q.Enqueue(&c);
  EXPECT_EQ(q.GetCount(), 3u);
  EXPECT_EQ(q.Dequeue(), &a);
  EXPECT_EQ(q.Dequeue(), &b);
  EXPECT_EQ(q.GetCount(), 1u);
  EXPECT_EQ(q.Dequeue(), &c);
  EXPECT_EQ(q.Dequeue(), nullptr);
  EXPECT_TRUE(q.IsEmpty());
  // Dequeuing hands the items over without deleting them.
  EXPECT_TRUE(log.empty());
}

TEST(Queue, EmptiedQueueTakesNewItemsAtItsTail) {
  std::vector<int> log;
  Tracked a(&log, 1), b(&log, 2), c(&log, 3);
  VQueue q;
  q.Enqueue(&a);
  EXPECT_EQ(q.Dequeue(), &a);
  q.Enqueue(&b);
  q.Enqueue(&c);
  EXPECT_EQ(q.Dequeue(), &b);
  q.Enqueue(&a);
  EXPECT_EQ(q.Dequeue(), &c);
  EXPECT_EQ(q.Dequeue(), &a);
  EXPECT_EQ(q.Dequeue(), nullptr);
}

TEST(Queue, NullItemsAreQueuedLikeOthers) {
  std::vector<int> log;
  Tracked a(&log, 1);
  VQueue q;
  q.Enqueue(nullptr);
  q.Enqueue(&a);
  EXPECT_EQ(q.GetCount(), 2u);
  EXPECT_EQ(q.Dequeue(), nullptr);
  EXPECT_EQ(q.GetCount(), 1u);
  EXPECT_EQ(q.Dequeue(), &a);
}

TEST(Queue, ClearDeletesEachWaitingItemOnce) {
  std::vector<int> log;
  VQueue q;
  q.Enqueue(new Tracked(&log, 1));
  q.Enqueue(nullptr);
  q.Enqueue(new Tracked(&log, 2));
  VObject* taken = q.Dequeue();
  q.Clear();
  EXPECT_EQ(log, std::vector<int>{2});
  EXPECT_EQ(q.GetCount(), 0u);
  EXPECT_EQ(q.Dequeue(), nullptr);
  delete taken;
  EXPECT_EQ(log, (std::vector<int>{2, 1}));
}

TEST(Queue, DestructorDeletesTheItemsStillWaiting) {
  std::vector<int> log;
  {
    VQueue q;
    q.Enqueue(new Tracked(&log, 1));
    q.Enqueue(new Tracked(&log, 2));
  }
  EXPECT_EQ(log, (std::vector<int>{1, 2}));
}
