// Host variables: names and scopes, the variable selectors, and values to
// entries and back, with entries whose counts and lengths exceed their
// handles.
#include "host/context/HostVariables.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VBoolean.h"
#include "framework/core/values/VEmptyValue.h"
#include "framework/core/values/VLong.h"
#include "framework/core/values/VReal.h"
#include "framework/core/values/VWord.h"
#include "boundary/FourCC.h"
#include "boundary/HostSelectors.h"
#include "host/context/HostPictures.h"
#include "host/context/VHostContext.h"
#include "platform/toolbox/TbxHandles.h"
#include "boundary/ModuleExports.h"
#include "host/tests/HostTestSupport.h"

namespace {

using hosttest::RecordingHost;

VStr<255> Str(const std::u16string& text) {
  VStr<255> s;
  s.SetUniChars(text.data(), 0, static_cast<int32_t>(text.size()));
  return s;
}

std::string Text(const VString& s) {
  std::string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) out += static_cast<char>(s.GetCharAt(i));
  return out;
}

std::string Pascal(const uint8_t* p) { return std::string(reinterpret_cast<const char*>(p + 1), p[0]); }

HostVariableEntry Entry(uint8_t type) {
  HostVariableEntry e;
  std::memset(&e, 0, sizeof e);
  e.type = type;
  return e;
}

Tbx::Handle HandleOf(const std::string& bytes) {
  Tbx::Handle h = Tbx::NewHandle(static_cast<int32_t>(bytes.size()));
  if (!bytes.empty()) {
    std::memcpy(Tbx::HLock(h), bytes.data(), bytes.size());
    Tbx::HUnlock(h);
  }
  return h;
}

std::string BytesOf(Tbx::Handle h) {
  const int32_t size = Tbx::GetHandleSize(h);
  std::string out(static_cast<size_t>(size), 0);
  if (size > 0) {
    std::memcpy(out.data(), Tbx::HLock(h), out.size());
    Tbx::HUnlock(h);
  }
  return out;
}

// ---- Names

TEST(VariableNames, AngleBracketsMakeAnInterprocessNameWithoutThem) {
  uint8_t name[32];
  EXPECT_EQ(ClassifyVariableName(name, Str(u"<>shared"), kScopeDetect), kScopeInterprocess);
  EXPECT_EQ(Pascal(name), "shared");
}

TEST(VariableNames, ALozengeMakesAnInterprocessName) {
  uint8_t name[32];
  EXPECT_EQ(ClassifyVariableName(name, Str(u"\u25CAx"), kScopeDetect), kScopeInterprocess);
  EXPECT_EQ(Pascal(name), "x");
}

TEST(VariableNames, AnAngleBracketAloneIsPartOfAProcessName) {
  uint8_t name[32];
  EXPECT_EQ(ClassifyVariableName(name, Str(u"<x"), kScopeDetect), kScopeProcess);
  EXPECT_EQ(Pascal(name), "<x");
}

TEST(VariableNames, ADollarMakesALocalName) {
  uint8_t name[32];
  EXPECT_EQ(ClassifyVariableName(name, Str(u"$x"), kScopeDetect), kScopeLocal);
  EXPECT_EQ(Pascal(name), "x");
}

TEST(VariableNames, LongNamesAreCutAt31) {
  uint8_t name[32];
  const std::u16string forty(40, u'n');
  EXPECT_EQ(ClassifyVariableName(name, Str(forty), kScopeDetect), kScopeProcess);
  EXPECT_EQ(name[0], 31);
  ClassifyVariableName(name, Str(u"<>" + forty), kScopeDetect);
  EXPECT_EQ(name[0], 31);
}

TEST(VariableNames, AGivenScopeKeepsTheNameWhole) {
  uint8_t name[32];
  EXPECT_EQ(ClassifyVariableName(name, Str(u"<>x"), kScopeProcess), kScopeProcess);
  EXPECT_EQ(Pascal(name), "<>x");
  EXPECT_EQ(ClassifyVariableName(name, Str(u""), kScopeDetect), kScopeProcess);
  EXPECT_EQ(name[0], 0);
}

// ---- Variable selectors

TEST(HostVariablesCalls, ProcessAndInterprocessNamesUseTheirSelectors) {
  RecordingHost host;
  host.answer = [](int32_t, HostParamBlock& b) { b.error = 0; };
  HostVariableEntry entry = Entry(kHostUndefined);
  EXPECT_TRUE(HostGetVariable(entry, Str(u"a"), kScopeDetect));
  EXPECT_TRUE(HostGetVariable(entry, Str(u"<>b"), kScopeDetect));
  ASSERT_EQ(host.calls.size(), 2u);
  EXPECT_EQ(host.calls[0].selector, kHostSelGetVariable);
  EXPECT_EQ(host.calls[0].block.handle, HostAddress(&entry));
  EXPECT_EQ(Pascal(host.calls[0].block.text), "a");
  EXPECT_EQ(host.calls[1].selector, kHostSelGetInterprocessVariable);
  EXPECT_EQ(Pascal(host.calls[1].block.text), "b");
}

TEST(HostVariablesCalls, LocalNamesAreRefusedWithoutAsking) {
  RecordingHost host;
  HostVariableEntry entry = Entry(kHostUndefined);
  EXPECT_FALSE(HostGetVariable(entry, Str(u"$x"), kScopeDetect));
  EXPECT_FALSE(HostSetVariable(VLong(1), Str(u"$x"), kScopeDetect, 0));
  EXPECT_FALSE(HostGetVariable(entry, Str(u"x"), kScopeLocal));
  EXPECT_TRUE(host.calls.empty());
}

TEST(HostVariablesCalls, AnErrorOrASilentHostIsFalse) {
  RecordingHost host;
  HostVariableEntry entry = Entry(kHostUndefined);
  EXPECT_FALSE(HostGetVariable(entry, Str(u"x"), kScopeDetect));
  host.answer = [](int32_t, HostParamBlock& b) { b.error = 3; };
  EXPECT_FALSE(HostGetVariable(entry, Str(u"x"), kScopeDetect));
  EXPECT_EQ(HostGetVariableAsValue(Str(u"x"), kScopeDetect), nullptr);
}

TEST(HostVariablesCalls, SettingSendsTheFilledEntryAndTheFlag) {
  RecordingHost host;
  HostVariableEntry seen{};
  host.answer = [&](int32_t, HostParamBlock& b) {
    seen = *HostPointer<HostVariableEntry>(b.handle);
    b.error = 0;
  };
  EXPECT_TRUE(HostSetVariable(VReal(2.5), Str(u"<>r"), kScopeDetect, 7));
  EXPECT_EQ(host.calls[0].selector, kHostSelSetInterprocessVariable);
  EXPECT_EQ(host.calls[0].block.variableFlag, 7);
  EXPECT_EQ(seen.type, kHostReal);
  EXPECT_EQ(double{seen.value.real}, 2.5);
}

TEST(HostVariablesCalls, AReadValueComesFromTheHostsEntry) {
  RecordingHost host;
  host.answer = [](int32_t, HostParamBlock& b) {
    auto* e = HostPointer<HostVariableEntry>(b.handle);
    e->type = kHostLongInteger;
    e->value.longInteger = -9;
    b.error = 0;
  };
  std::unique_ptr<VValue> value(HostGetVariableAsValue(Str(u"n"), kScopeDetect));
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->GetKind(), kValueLong);
  EXPECT_EQ(value->GetLong(kWholeValue), -9);
}

// ---- Values to entries

TEST(ValueToHostVariable, EachKindTakesItsHostType) {
  HostVariableEntry e = Entry(kHostUndefined);
  ValueToHostVariable(VBoolean(1), e);
  EXPECT_EQ(e.type, kHostBoolean);
  EXPECT_EQ(e.value.boolean, 1);
  ValueToHostVariable(VWord(-3), e);
  EXPECT_EQ(e.type, kHostLongInteger);
  EXPECT_EQ(int32_t{e.value.longInteger}, -3);
  ValueToHostVariable(VLong(70000), e);
  EXPECT_EQ(int32_t{e.value.longInteger}, 70000);
  ValueToHostVariable(VReal(1.25), e);
  EXPECT_EQ(e.type, kHostReal);
  ValueToHostVariable(Str(u"Hello"), e);
  EXPECT_EQ(e.type, kHostString);
  EXPECT_EQ(uint16_t{e.value.string.length}, 5);
  EXPECT_EQ(Pascal(e.value.string.text), "Hello");
  VEmptyValue empty;
  ValueToHostVariable(empty, e);
  EXPECT_EQ(e.type, kHostUndefined);
}

TEST(ValueToHostVariable, StringsAreCutAt255) {
  HostVariableEntry e = Entry(kHostUndefined);
  VStrInHandle longText;
  const std::u16string many(300, u'x');
  longText.SetUniChars(many.data(), 0, 300);
  ValueToHostVariable(longText, e);
  EXPECT_EQ(uint16_t{e.value.string.length}, 255);
  EXPECT_EQ(e.value.string.text[0], 255);
}

// ---- Entries to values

TEST(HostVariableToValue, StringsAlphasAndNumbers) {
  HostVariableEntry e = Entry(kHostAlpha);
  e.value.string.text[0] = 2;
  e.value.string.text[1] = 'h';
  e.value.string.text[2] = 'i';
  std::unique_ptr<VValue> v(HostVariableToValue(e, false));
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(Text(static_cast<VString&>(*v)), "hi");
  e.type = kHostInteger;
  e.value.integer = -2;
  v.reset(HostVariableToValue(e, false));
  EXPECT_EQ(v->GetKind(), kValueWord);
  EXPECT_EQ(v->GetWord(kWholeValue), -2);
  e.type = kHostBoolean;
  e.value.boolean = 1;
  v.reset(HostVariableToValue(e, false));
  EXPECT_TRUE(v->GetBoolean(kWholeValue));
  e.type = kHostReal2;
  e.value.real = 3.5;
  v.reset(HostVariableToValue(e, false));
  EXPECT_EQ(v->GetReal(kWholeValue), 3.5);
}

TEST(HostVariableToValue, AnUndefinedEntryGivesANullEmptyValue) {
  HostVariableEntry e = Entry(kHostUndefined);
  std::unique_ptr<VValue> v(HostVariableToValue(e, false));
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->GetKind(), kValueEmpty);
  EXPECT_TRUE(v->IsNull(kWholeValue));
}

TEST(HostVariableToValue, TakingATextLeavesTheEntryEmptyAndTheValueACopy) {
  HostVariableEntry e = Entry(kHostText);
  e.value.text.handle = HandleOf("abc");
  e.value.text.length = 3;
  std::unique_ptr<VValue> v(HostVariableToValue(e, true));
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(Text(static_cast<VString&>(*v)), "abc");
  EXPECT_EQ(int16_t{e.value.text.length}, 0);
  EXPECT_EQ(uint32_t{e.value.text.handle}, 0u);
}

TEST(HostVariableToValue, ATextLongerThanItsHandleIsCutToTheHandle) {
  HostVariableEntry e = Entry(kHostText);
  const Tbx::Handle h = HandleOf("abcd");
  e.value.text.handle = h;
  e.value.text.length = 30000;
  std::unique_ptr<VValue> v(HostVariableToValue(e, false));
  EXPECT_EQ(Text(static_cast<VString&>(*v)), "abcd");
  e.value.text.length = -5;
  v.reset(HostVariableToValue(e, false));
  EXPECT_EQ(static_cast<VString&>(*v).GetLength(), 0);
  Tbx::DisposeHandle(h);
}

TEST(HostVariableToValue, RecordsAndTwoDimensionalArraysGiveNoValue) {
  HostVariableEntry e = Entry(kHostRecord);
  EXPECT_EQ(HostVariableToValue(e, false), nullptr);
  e.type = kHostArray2D;
  EXPECT_EQ(HostVariableToValue(e, false), nullptr);
  e.type = 200;
  EXPECT_EQ(HostVariableToValue(e, false), nullptr);
}

TEST(HostVariableToValue, APictureWithoutHandleOrSizeGivesNoValue) {
  HostVariableEntry e = Entry(kHostPicture);
  e.value.data.size = 10;
  EXPECT_EQ(HostVariableToValue(e, false), nullptr);
  e.value.data.size = 0;
  e.value.data.handle = 5;
  EXPECT_EQ(HostVariableToValue(e, false), nullptr);
}

// A picture entry's handle goes to the host with 254 'EMF '; the metafile
// it answers becomes the value through the picture forms. With `take` the
// handle is disposed and the entry zeroed, whether or not a value resulted.
TEST(HostVariableToValue, APictureBecomesTheHostsMetafile) {
  static const HostPictureForms forms = {
      [](HENHMETAFILE metafile) -> VValue* {
        return new VLong(static_cast<int32_t>(reinterpret_cast<uintptr_t>(metafile)));
      },
      nullptr, nullptr};
  VInstalledService<const HostPictureForms> installed(&forms);
  for (const uint32_t answer : {0x1234u, 0u}) {
    RecordingHost host;
    uint32_t sentHandle = 0;
    uint32_t sentType = 0;
    host.answer = [&](int32_t selector, HostParamBlock& b) {
      if (selector != kHostSelMetafile) return;
      sentHandle = static_cast<uint32_t>(b.handle);
      sentType = static_cast<uint32_t>(b.param2);
      b.param1 = answer;
    };
    HostVariableEntry e = Entry(kHostPicture);
    const Tbx::Handle picture = Tbx::NewHandle(16);
    e.value.data.handle = picture;
    e.value.data.size = 16;
    std::unique_ptr<VValue> value(HostVariableToValue(e, true));
    EXPECT_EQ(sentHandle, picture);
    EXPECT_EQ(sentType, FourCC("EMF "));
    if (answer != 0) {
      ASSERT_NE(value, nullptr);
      EXPECT_EQ(value->GetLong(kWholeValue), 0x1234);
    } else {
      EXPECT_EQ(value, nullptr);
    }
    EXPECT_EQ(uint32_t{e.value.data.handle}, 0u);
    EXPECT_EQ(uint32_t{e.value.data.size}, 0u);
    Tbx::GetHandleSize(picture);
    EXPECT_NE(Tbx::MemError(), Tbx::noErr) << "disposed";
  }
}

// ---- Values into existing entries

TEST(StoreValueInEntry, KeepsTheEntrysType) {
  HostVariableEntry e = Entry(kHostAlpha);
  StoreValueInEntry(Str(u"42"), e);
  EXPECT_EQ(e.type, kHostAlpha);
  EXPECT_EQ(Pascal(e.value.string.text), "42");
  EXPECT_EQ(uint16_t{e.value.string.length}, 2);
  e = Entry(kHostBoolean);
  StoreValueInEntry(VLong(5), e);
  EXPECT_EQ(int32_t{e.value.longInteger}, 1);
  e = Entry(kHostInteger);
  StoreValueInEntry(VReal(7.9), e);
  EXPECT_EQ(int32_t{e.value.longInteger}, 7);
  e = Entry(kHostReal);
  StoreValueInEntry(VWord(3), e);
  EXPECT_EQ(double{e.value.real}, 3.0);
}

TEST(StoreValueInEntry, AnUndefinedEntryTakesATypeFromTheValue) {
  HostVariableEntry e = Entry(kHostUndefined);
  e.value.text.handle = 0xDEAD;  // what the host left there is no handle
  StoreValueInEntry(Str(u"text"), e);
  EXPECT_EQ(e.type, kHostText);
  EXPECT_EQ(int16_t{e.value.text.length}, 4);
  EXPECT_EQ(BytesOf(e.value.text.handle), "text");
  HostTextRecord record = e.value.text;
  HostTextRecordClear(record);
  e = Entry(kHostUndefined);
  StoreValueInEntry(VWord(2), e);
  EXPECT_EQ(e.type, kHostInteger);
  EXPECT_EQ(int32_t{e.value.longInteger}, 2);
  e = Entry(kHostUndefined);
  VEmptyValue empty;
  StoreValueInEntry(empty, e);
  EXPECT_EQ(e.type, kHostUndefined);
}

TEST(StoreValueInEntry, TheHostsThirdFlagKeepsUndefinedEntriesAsTheyAre) {
  RecordingHost host;
  host.flagWord272 = 1u << 27;
  HostStartupRecord record{};
  record.callback = &RecordingHost::Entry;
  gHostContext = new VHostContext(&record);
  HostVariableEntry e = Entry(kHostUndefined);
  StoreValueInEntry(VLong(5), e);
  EXPECT_EQ(e.type, kHostUndefined);
  EXPECT_EQ(int32_t{e.value.longInteger}, 0);
  delete gHostContext;
  gHostContext = nullptr;
}

TEST(StoreValueInEntry, ATextEntryReusesItsHandle) {
  HostVariableEntry e = Entry(kHostText);
  const Tbx::Handle h = HandleOf("old text that is long");
  e.value.text.handle = h;
  e.value.text.length = 21;
  StoreValueInEntry(Str(u"12"), e);
  EXPECT_EQ(uint32_t{e.value.text.handle}, h);
  EXPECT_EQ(BytesOf(h), "12");
  Tbx::DisposeHandle(h);
}

// ---- Text records

TEST(HostTexts, AnEmptyStringLeavesAnEmptyHandle) {
  HostTextRecord record{0, 0};
  StringToHostText(Str(u""), record);
  EXPECT_EQ(int16_t{record.length}, 0);
  ASSERT_NE(uint32_t{record.handle}, 0u);
  EXPECT_EQ(Tbx::GetHandleSize(record.handle), 0);
  HostTextRecordClear(record);
  EXPECT_EQ(uint32_t{record.handle}, 0u);
}

TEST(HostTexts, AtMost31999CharactersReachTheHost) {
  HostTextRecord record{0, 0};
  VStrInHandle text;
  const std::u16string many(40000, u'a');
  text.SetUniChars(many.data(), 0, 40000);
  StringToHostText(text, record);
  EXPECT_EQ(int16_t{record.length}, 31999);
  EXPECT_EQ(Tbx::GetHandleSize(record.handle), 31999);
  HostTextRecordClear(record);
}

TEST(HostTexts, RoundTripThroughARecord) {
  HostTextRecord record{0, 0};
  StringToHostText(Str(u"Cafe"), record);
  EXPECT_EQ(int16_t{record.length}, 4);
  VStr<31> back;
  HostTextToString(back, record);
  EXPECT_EQ(Text(back), "Cafe");
  HostTextRecordClear(record);
  HostTextToString(back, record);
  EXPECT_EQ(back.GetLength(), 0);
}

// ---- Types

TEST(HostTypes, PredicatesAndTheTwoMappings) {
  EXPECT_TRUE(IsNumericArrayType(29));
  EXPECT_FALSE(IsNumericArrayType(17));
  EXPECT_TRUE(IsArrayType(22));
  EXPECT_FALSE(IsArrayType(13));
  EXPECT_TRUE(IsTextArrayType(21));
  EXPECT_FALSE(IsTextArrayType(19));
  EXPECT_EQ(ValueKindOfHostType(21), kValueStringArray);
  EXPECT_EQ(ValueKindOfHostType(24), kValueString);
  EXPECT_EQ(ValueKindOfHostType(23), kValueEmpty);
  EXPECT_EQ(HostTypeOfValueKind(kValueString), kHostText);
  EXPECT_EQ(HostTypeOfValueKind(103), 26);
  EXPECT_EQ(HostTypeOfValueKind(12), kHostUndefined);
}

// ---- Named variables

TEST(NamedVariables, TheBooleanGoesToItem1OfTheHostsList3) {
  hosttest::TempDir dir;
  ASSERT_TRUE(hosttest::WriteResourceFile(
      dir.Path("host"), {{FourCC("STR#"), 3, "", hosttest::StringList({"vFlag:Boolean", "", "", "<>vValue"})}}));
  hosttest::OpenResourceFile hostFile(dir.Path("host"), &SwapRsrcProc);
  RecordingHost host;
  host.resourceRef = hostFile.ref;
  std::vector<HostVariableEntry> entries;
  host.answer = [&](int32_t selector, HostParamBlock& b) {
    if (selector == kHostSelSetVariable || selector == kHostSelSetInterprocessVariable)
      entries.push_back(*HostPointer<HostVariableEntry>(b.handle));
  };
  HostStartupRecord record{};
  record.callback = &RecordingHost::Entry;
  gHostContext = new VHostContext(&record);
  SetNamedHostBoolean(true);
  SetNamedHostVariable(VLong(8));
  delete gHostContext;
  gHostContext = nullptr;
  ASSERT_EQ(entries.size(), 2u);
  // Calls 0 and 1 are the start-up query and the opening of the host-kept
  // resource file.
  ASSERT_EQ(host.calls.size(), 4u);
  EXPECT_EQ(host.calls[2].selector, kHostSelSetVariable);
  EXPECT_EQ(Pascal(host.calls[2].block.text), "vFlag");
  EXPECT_EQ(host.calls[2].block.variableFlag, 1);
  EXPECT_EQ(entries[0].type, kHostBoolean);
  EXPECT_EQ(entries[0].value.boolean, 1);
  EXPECT_EQ(host.calls[3].selector, kHostSelSetInterprocessVariable);
  EXPECT_EQ(Pascal(host.calls[3].block.text), "vValue");
  EXPECT_EQ(int32_t{entries[1].value.longInteger}, 8);
}

}  // namespace
