// xMorvaStoredTabs: the exact positions of the tab stops of a document's
// stored texts. A stored text keeps each stop's position in points, which
// gives back every pixel only at a resolution that is a multiple of 72 (at
// 96 dots per inch, 150 pixels are 112.5 points, and 113 points read back
// as 151 pixels). The document's store therefore keeps, beside its texts
// and only while a file is written or read, resource 'wTBX' 0: for every
// position in points of a text that some stop of that text stored at it
// does not give back, the exact position in twips of each stop stored
// there, in the order of the text. The texts themselves are stored as they
// always are, and a file without the resource reads by the points.
//
// Resource 'wTBX' 0, in the writer's byte order (this writer:
// little-endian; the tag read byte-reversed means the other order):
//   u32 tag 'wTBX', u32 version "0100", i32 count (0 to 65536),
//   count x (i16 text: 0 to 5 the header and footer ids of 'wENG', 6 the
//            body; i16 position in points; i32 position in twips).
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <utility>
#include <vector>

class VResourceFile;
class xMorvaEngine;

class xMorvaStoredTabs {
 public:
  // The text number of the body.
  static constexpr int16_t kBodyText = 6;

  // Notes the stops of text `id` about to be stored.
  void Note(xMorvaEngine& text, int16_t id);
  // Writes 'wTBX' 0 into the store when a noted stop needs it, else
  // removes it: false when the store refuses it.
  bool Write(VResourceFile& store) const;
  // Reads 'wTBX' 0 of the store (missing or unreadable: no exact
  // positions).
  void Read(VResourceFile& store);
  // Removes 'wTBX' 0 from the store.
  static void Remove(VResourceFile& store);
  // The position in pixels of the next stop of the text being loaded that
  // was stored at `points`; false when the points alone give it.
  bool ExactPixels(int16_t points, int16_t& pixels);

  // While one lives, the stops of text `id` being loaded take their exact
  // positions from `tabs`.
  class Loading {
   public:
    Loading(xMorvaStoredTabs& tabs, int16_t id);
    ~Loading();
    Loading(const Loading&) = delete;
    Loading& operator=(const Loading&) = delete;

   private:
    xMorvaStoredTabs* fPrevious;
    int16_t fPreviousText;
  };

 private:
  using Key = std::pair<int16_t, int16_t>;  // text, points
  // Noted: each text's stops in order, as (points, pixels).
  std::map<int16_t, std::vector<std::pair<int16_t, int16_t>>> fNoted;
  // Read: the twips of the stops stored at each text's points, in order.
  std::map<Key, std::deque<int32_t>> fExact;
  int16_t fLoadingText = -1;
};
