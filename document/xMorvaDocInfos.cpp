// xMorvaDocInfos: the informations of a document and their 'wINF' record.
#include "document/xMorvaDocInfos.h"

#include "document/StoredRecord_p.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/values/VEnvironmentBridge.h"

namespace {

constexpr uint32_t kTagWINF = FourCC("wINF");
// What reading a string's data answers for an empty string.
constexpr int32_t kEmptyStringRead = -3;

// A date in the date value's stream form: year, month, day, 16 bits each.
void PutDate(VStream& stream, const VDateRec& date) {
  stream.PutWord(date.year);
  stream.PutWord(date.month);
  stream.PutWord(date.day);
}

VDateRec GetDate(VStream& stream) {
  VDateRec date;
  date.year = stream.GetWord();
  date.month = stream.GetWord();
  date.day = stream.GetWord();
  return date;
}

// A string's data; an empty string is no failure.
bool ReadText(VStream& stream, VString& text) {
  const int32_t answer = stream.GetValueData(text);
  return (answer == 0 || answer == kEmptyStringRead) && stream.GetStatus() == 0;
}

}  // namespace

xMorvaDocInfos::xMorvaDocInfos() { Reset(); }

xMorvaDocInfos::~xMorvaDocInfos() = default;

void xMorvaDocInfos::Now(VDateRec& date, int32_t& seconds) {
  // The clock every date and time of the module reads (the host's, which a
  // script may stop), read once so that date and time agree at midnight.
  const VLocalDateTime now = GetEnvironmentBridge()->GetLocalDateTime();
  date.day = int16_t(now.day);
  date.month = int16_t(now.month);
  date.year = int16_t(now.year);
  seconds = now.hour * 3600 + now.minute * 60 + now.second;
}

void xMorvaDocInfos::Reset() {
  for (VString* text : {static_cast<VString*>(&fTitle), static_cast<VString*>(&fSubject),
                        static_cast<VString*>(&fAuthor), static_cast<VString*>(&fCompany),
                        static_cast<VString*>(&fNotes)}) {
    text->Clear();
  }
  fLocked = 0;
  Now(fCreationDate, fCreationTime);
  fModificationDate = fCreationDate;
  fModificationTime = fCreationTime;
}

// 'wINF' "0100", in the stream's data order:
//   tag 'wINF', version "0100",
//   creation date, modification date   (u16 year, u16 month, u16 day each)
//   creation time, modification time   (i32 seconds each)
//   locked                             (1 byte)
//   title, subject, author, company, notes
//     (each a string: u32 length; when above 0, u32 character kind and
//      length + 1 characters, the last one 0)
bool xMorvaDocInfos::Write(VStream& stream) {
  Now(fModificationDate, fModificationTime);
  WriteRecordHead(stream, kTagWINF, kVersion);
  PutDate(stream, fCreationDate);
  PutDate(stream, fModificationDate);
  stream.PutLong(fCreationTime);
  stream.PutLong(fModificationTime);
  stream.PutByte(fLocked);
  for (VString* text : {static_cast<VString*>(&fTitle), static_cast<VString*>(&fSubject),
                        static_cast<VString*>(&fAuthor), static_cast<VString*>(&fCompany),
                        static_cast<VString*>(&fNotes)}) {
    stream.PutValue(*text, false);
  }
  return stream.GetStatus() == 0;
}

bool xMorvaDocInfos::Read(VStream& stream) {
  uint32_t version = 0;
  if (!ReadRecordTag(stream, kTagWINF) || !ReadRecordVersion(stream, {kVersion}, version)) {
    return false;
  }
  // 12 bytes of dates, 8 of times, the locked byte and at least a length
  // for each of the five texts.
  if (!stream.HasRemaining(12 + 8 + 1 + 5 * 4)) return false;
  // Read whole before anything is taken.
  const VDateRec creationDate = GetDate(stream);
  const VDateRec modificationDate = GetDate(stream);
  const int32_t creationTime = stream.GetLong();
  const int32_t modificationTime = stream.GetLong();
  const uint8_t locked = stream.GetByte();
  VStr<kTextCapacity> title;
  VStr<kTextCapacity> subject;
  VStr<kTextCapacity> author;
  VStr<kTextCapacity> company;
  VStrInHandle notes;
  if (stream.GetStatus() != 0 || !ReadText(stream, title) || !ReadText(stream, subject) ||
      !ReadText(stream, author) || !ReadText(stream, company) || !ReadText(stream, notes)) {
    return false;
  }
  fCreationDate = creationDate;
  fModificationDate = modificationDate;
  fCreationTime = creationTime;
  fModificationTime = modificationTime;
  fLocked = locked;
  fTitle.Assign(title);
  fSubject.Assign(subject);
  fAuthor.Assign(author);
  fCompany.Assign(company);
  fNotes.Assign(notes);
  return true;
}

bool xMorvaDocInfos::Write(xMorvaRecordStore& store) {
  return StoreRecordResource(store, kTagWINF, 0, [this](VStream& stream) { return Write(stream); });
}

bool xMorvaDocInfos::Read(xMorvaRecordStore& store) {
  return LoadRecordResource(store, kTagWINF, 0, [this](VStream& stream) { return Read(stream); });
}
