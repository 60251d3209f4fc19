// The records that cross to the host: the host's widths and field order,
// with pointer-sized fields wherever an address travels.
#include "boundary/HostRecords.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace {

TEST(HostRecords, AddressFieldsArePointerSized) {
  EXPECT_EQ(sizeof(HostStartupRecord::callback), sizeof(void*));
  EXPECT_EQ(sizeof(HostParamBlock::handle), sizeof(void*));
  EXPECT_EQ(sizeof(HostParamBlock::param1), sizeof(void*));
  EXPECT_EQ(sizeof(HostParamBlock::param4), sizeof(void*));
  EXPECT_EQ(sizeof(HostEventRecord::message), sizeof(void*));
}

TEST(HostRecords, StartupRecordKeepsItsOrder) {
  EXPECT_EQ(offsetof(HostStartupRecord, hostInterfaceVersion), 0u);
  EXPECT_EQ(sizeof(HostStartupRecord::hostInterfaceVersion), 2u);
  EXPECT_LT(offsetof(HostStartupRecord, hostInterfaceVersion), offsetof(HostStartupRecord, callback));
  EXPECT_LT(offsetof(HostStartupRecord, callback), offsetof(HostStartupRecord, moduleInterfaceVersion));
  EXPECT_EQ(sizeof(HostStartupRecord::moduleInterfaceVersion), 4u);
}

TEST(HostRecords, ParameterBlockKeepsTheHostsWidthsInOrder) {
  EXPECT_EQ(offsetof(HostParamBlock, table), 0u);
  EXPECT_EQ(offsetof(HostParamBlock, field), 2u);
  EXPECT_EQ(offsetof(HostParamBlock, record), 4u);
  EXPECT_EQ(offsetof(HostParamBlock, flag), 8u);
  EXPECT_EQ(offsetof(HostParamBlock, flag2), 9u);
  EXPECT_EQ(offsetof(HostParamBlock, text), 10u);
  EXPECT_EQ(sizeof(HostParamBlock::text), 256u);
  // From the handle on, each field follows the one before.
  const size_t order[] = {offsetof(HostParamBlock, handle),     offsetof(HostParamBlock, error),
                          offsetof(HostParamBlock, param1),     offsetof(HostParamBlock, param2),
                          offsetof(HostParamBlock, param3),     offsetof(HostParamBlock, param4),
                          offsetof(HostParamBlock, realValue),  offsetof(HostParamBlock, dateValue),
                          offsetof(HostParamBlock, longValue),  offsetof(HostParamBlock, shortValue),
                          offsetof(HostParamBlock, text2),      offsetof(HostParamBlock, textLength),
                          offsetof(HostParamBlock, valueHandle), offsetof(HostParamBlock, variableFlag),
                          offsetof(HostParamBlock, option)};
  for (size_t i = 1; i < sizeof order / sizeof order[0]; ++i) EXPECT_LT(order[i - 1], order[i]) << i;
  EXPECT_EQ(sizeof(HostParamBlock::error), 2u);
  EXPECT_EQ(sizeof(HostParamBlock::realValue), 8u);
  EXPECT_EQ(sizeof(HostParamBlock::dateValue), 6u);
  EXPECT_EQ(sizeof(HostParamBlock::longValue), sizeof(void*));
  EXPECT_EQ(sizeof(HostParamBlock::text2), 81u);
  EXPECT_EQ(sizeof(HostParamBlock::valueHandle), 4u);
}

TEST(HostRecords, VariableEntryHasTheHostsLayout) {
  EXPECT_EQ(sizeof(HostVariableEntry), 260u);
  EXPECT_EQ(offsetof(HostVariableEntry, type), 0u);
  EXPECT_EQ(offsetof(HostVariableEntry, value), 2u);
  EXPECT_EQ(offsetof(HostVariableEntry, value.string.length), 2u);
  EXPECT_EQ(offsetof(HostVariableEntry, value.string.text), 4u);
  EXPECT_EQ(offsetof(HostVariableEntry, value.real), 2u);
  EXPECT_EQ(offsetof(HostVariableEntry, value.text.length), 2u);
  EXPECT_EQ(offsetof(HostVariableEntry, value.text.handle), 4u);
  EXPECT_EQ(offsetof(HostVariableEntry, value.data.size), 2u);
  EXPECT_EQ(offsetof(HostVariableEntry, value.data.handle), 6u);
  EXPECT_EQ(offsetof(HostVariableEntry, value.array.count), 2u);
  EXPECT_EQ(offsetof(HostVariableEntry, value.array.handle), 6u);
  EXPECT_EQ(offsetof(HostVariableEntry, value.array.current), 10u);
  EXPECT_EQ(sizeof(HostTextRecord), 6u);
  EXPECT_EQ(sizeof(HostArrayRow), 12u);
  EXPECT_EQ(offsetof(HostArrayRow, array.current), 10u);
}

TEST(HostRecords, PackageEventRecordIsPacked) {
  EXPECT_EQ(sizeof(HostPackageEventRecord), 10u);
  EXPECT_EQ(offsetof(HostPackageEventRecord, b), 4u);
  EXPECT_EQ(offsetof(HostPackageEventRecord, c), 6u);
}

TEST(HostRecords, WordsTravelInTheLow32BitsOfPointerSizedFields) {
  EXPECT_EQ(HostWord(-1), 0xFFFFFFFFu);
  EXPECT_EQ(HostWordOf(HostWord(-1)), -1);
  EXPECT_EQ(HostWordOf(uintptr_t{0x1FFFFFFFFull}), -1);
  int x = 0;
  EXPECT_EQ(HostPointer<int>(HostAddress(&x)), &x);
}

TEST(HostRecords, AreaAndDragRecordsKeepTheHostsOrderWithPointerSizedAddresses) {
  // Up to the first address the offsets are the host's.
  EXPECT_EQ(offsetof(HostAreaRecord, version), 0u);
  EXPECT_EQ(offsetof(HostAreaRecord, data), 16u);
  EXPECT_EQ(offsetof(HostAreaDescription, page), 26u);
  EXPECT_EQ(offsetof(HostAreaDescription, table), 28u);
  EXPECT_EQ(offsetof(HostDragRecord, dropV), 32u);
  EXPECT_EQ(offsetof(HostDragRecord, dropH), 34u);
  EXPECT_EQ(offsetof(HostDragFeedbackRecord, dragReference), 0u);
  // Addresses are pointer-sized; what follows them keeps its order.
  EXPECT_EQ(sizeof(HostAreaRecord::data), sizeof(void*));
  EXPECT_EQ(sizeof(HostDragRecord::dragReference), sizeof(void*));
  EXPECT_EQ(sizeof(HostDragFeedbackRecord::dragReference), sizeof(void*));
  const size_t area[] = {offsetof(HostAreaRecord, data),   offsetof(HostAreaRecord, dataSize),
                         offsetof(HostAreaRecord, isForm), offsetof(HostAreaRecord, isPrinting),
                         offsetof(HostAreaRecord, page),   offsetof(HostAreaRecord, table),
                         offsetof(HostAreaRecord, look)};
  for (size_t i = 1; i < sizeof area / sizeof area[0]; ++i) EXPECT_LT(area[i - 1], area[i]) << i;
  EXPECT_LT(offsetof(HostDragRecord, dragReference), offsetof(HostDragRecord, value));
  const size_t feedback[] = {offsetof(HostDragFeedbackRecord, item), offsetof(HostDragFeedbackRecord, top),
                             offsetof(HostDragFeedbackRecord, left), offsetof(HostDragFeedbackRecord, bottom),
                             offsetof(HostDragFeedbackRecord, right), offsetof(HostDragFeedbackRecord, v),
                             offsetof(HostDragFeedbackRecord, h), offsetof(HostDragFeedbackRecord, phase)};
  for (size_t i = 1; i < sizeof feedback / sizeof feedback[0]; ++i) EXPECT_LT(feedback[i - 1], feedback[i]) << i;
}

}  // namespace
