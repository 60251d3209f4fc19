// xMorvaDocInfos: the informations of a document (title, subject, author,
// company, notes, creation and modification stamps, a locked flag), stored
// as the 'wINF' resource.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VValue.h"

class VStream;
class xMorvaRecordStore;

// Dates are held as the date values hold them (day, month, year) and times
// as seconds since midnight; both are stored in the date and time values'
// own stream forms.
class xMorvaDocInfos : public VObject {
 public:
  // Texts of at most this many characters; the notes have no such limit.
  static constexpr int32_t kTextCapacity = 255;

  xMorvaDocInfos();
  xMorvaDocInfos(const xMorvaDocInfos&) = delete;
  xMorvaDocInfos& operator=(const xMorvaDocInfos&) = delete;
  ~xMorvaDocInfos() override;

  // Empty texts and notes, not locked, created now and modified when
  // created.
  void Reset();

  // The 'wINF' record "0100" in the stream's data order, the modification
  // stamp first set to now. False when the stream fails.
  bool Write(VStream& stream);
  // False, with the informations unchanged, for a wrong tag or version or a
  // record that is short or damaged.
  bool Read(VStream& stream);
  // As resource 'wINF' id 0 of the store, replaced when it exists. False
  // when the stream or the store fails.
  bool Write(xMorvaRecordStore& store);
  bool Read(xMorvaRecordStore& store);

  const VDateRec& GetCreationDate() const { return fCreationDate; }
  void SetCreationDate(const VDateRec& date) { fCreationDate = date; }
  const VDateRec& GetModificationDate() const { return fModificationDate; }
  void SetModificationDate(const VDateRec& date) { fModificationDate = date; }
  int32_t GetCreationTime() const { return fCreationTime; }
  void SetCreationTime(int32_t seconds) { fCreationTime = seconds; }
  int32_t GetModificationTime() const { return fModificationTime; }
  void SetModificationTime(int32_t seconds) { fModificationTime = seconds; }
  VString& Title() { return fTitle; }
  VString& Subject() { return fSubject; }
  VString& Author() { return fAuthor; }
  VString& Company() { return fCompany; }
  VString& Notes() { return fNotes; }
  const VString& Title() const { return fTitle; }
  const VString& Subject() const { return fSubject; }
  const VString& Author() const { return fAuthor; }
  const VString& Company() const { return fCompany; }
  const VString& Notes() const { return fNotes; }
  uint8_t GetLocked() const { return fLocked; }
  void SetLocked(uint8_t locked) { fLocked = locked; }

  // Today's date and the time of day now, from the environment's local
  // clock, the one the date and time values read.
  static void Now(VDateRec& date, int32_t& seconds);

  static constexpr uint32_t kVersion = FourCC("0100");

 private:
  VDateRec fCreationDate;
  VDateRec fModificationDate;
  int32_t fCreationTime = 0;
  int32_t fModificationTime = 0;
  VStr<kTextCapacity> fTitle;
  VStr<kTextCapacity> fSubject;
  VStr<kTextCapacity> fAuthor;
  VStr<kTextCapacity> fCompany;
  uint8_t fLocked = 0;
  VStrInHandle fNotes;
};
