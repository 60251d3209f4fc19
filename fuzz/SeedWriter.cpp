// Writes the seeds of the fuzz corpus: well-formed inputs of every target,
// made by the code that writes each format (values, arrays, records,
// resource files, regions, metafiles), with the choice bytes each target
// takes from the front. Run by hand when a format changes:
//   fuzz_seed_writer fuzz/corpus
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "area/files/xMorvaDocumentFile.h"
#include "area/files/xMorvaResourceSwap.h"
#include "area/view/xMorvaHyperlink.h"
#include "area/view/xMorvaPicturesInPage.h"
#include "boundary/ModuleExports.h"
#include "document/xMorvaDocInfos.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaFontTable.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaPropertiesStates.h"
#include "document/xMorvaStyleSheet.h"
#include "document/xMorvaTabs.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/VService.h"
#include "framework/core/containers/VArray.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/containers/ValueFactory.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VBoolean.h"
#include "framework/core/values/VDate.h"
#include "framework/core/values/VHour.h"
#include "framework/core/values/VLong.h"
#include "framework/core/values/VLongLong.h"
#include "framework/core/values/VPictureMaker.h"
#include "framework/core/values/VReal.h"
#include "framework/core/values/VWord.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "fuzz/FuzzSupport.h"
#include "graphics/VMetafilePort.h"
#include "graphics/VPolygon.h"
#include "graphics/VRegion.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictureData.h"
#include "graphics/printing/VWinPrinter.h"
#include "platform/gdi/WinGdi.h"
#include "platform/gdi/WinGdiMetafile.h"
#include "platform/quicktime/QtPictures.h"
#include "platform/toolbox/TbxResources.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::filesystem::path gRoot;

void Save(const std::string& target, const std::string& name, const Bytes& bytes) {
  const std::filesystem::path folder = gRoot / target;
  std::filesystem::create_directories(folder);
  std::ofstream out(folder / ("seed-" + name), std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes Prefixed(std::initializer_list<uint8_t> front, const Bytes& rest) {
  Bytes bytes(front);
  bytes.insert(bytes.end(), rest.begin(), rest.end());
  return bytes;
}

Bytes HandleBytes(VMemHandle handle) {
  Bytes bytes;
  const uint32_t size = gMemoryMgr->GetHandleSize(handle);
  if (size != 0) {
    const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
    bytes.assign(data, data + size);
    gMemoryMgr->UnlockHandle(handle);
  }
  return bytes;
}

// ---- values and arrays

constexpr int32_t kArrayKinds[] = {100, 101, 102, 104, 105, 106, 107};

VValue* FilledArray(int32_t kind) {
  VValue* value = NewValueOfKind(kind);
  auto* array = static_cast<VArray*>(value);
  array->SetCount(3, true);
  for (int32_t i = 1; i <= 3; ++i) value->SetLong(i * 37 - 40, i);
  return value;
}

void WriteValueSeeds() {
  // Choice byte: the byte order (0 extended, 1 Macintosh, 2 little) and 0x10
  // for UTF-16 characters.
  for (uint8_t choice : {uint8_t(0x01), uint8_t(0x02), uint8_t(0x00), uint8_t(0x11)}) {
    const bool big = (choice & 0x0F) != 2;
    Bytes stream = WrittenBytes(
        [&](VStream& out) {
          if ((choice & 0x0F) == 0) out.SetByteOrders(kByteOrderExtended, kByteOrderSetThisMachine);
          if (choice & 0x10) out.SetCharForms(kCharFormUnicode, kCharFormUnicode);
          VBoolean boolean(1);
          VWord word(-2);
          VLong number(123456);
          VLongLong wide(-1234567890123LL);
          VReal real(3.25);
          VHour hour(3661);
          VDate date(31, 12, 1999);
          VStr<255> text;
          text.SetAnsiCText("Morva");
          for (VObject* v : std::initializer_list<VObject*>{&boolean, &word, &number, &wide, &real,
                                                            &hour, &date, &text}) {
            out.PutValue(*v, true);
          }
          return true;
        },
        big);
    Save("value_stream", "singles-" + std::to_string(choice), Prefixed({choice}, stream));
    for (int32_t kind : kArrayKinds) {
      VValue* array = FilledArray(kind);
      Bytes one = WrittenBytes(
          [&](VStream& out) {
            if ((choice & 0x0F) == 0) out.SetByteOrders(kByteOrderExtended, kByteOrderSetThisMachine);
            return out.PutValue(*array, true) == 0;
          },
          big);
      Save("value_stream", "array" + std::to_string(kind) + "-" + std::to_string(choice),
           Prefixed({choice}, one));
      delete array;
    }
  }
}

void WriteArraySeeds() {
  // Choice byte: the kind's place in the list, the order in bits 4-5.
  for (uint8_t k = 0; k < 7; ++k) {
    for (uint8_t order : {1, 2}) {
      VValue* array = FilledArray(kArrayKinds[k]);
      Bytes frame = WrittenBytes([&](VStream& out) { return array->WriteToStream(out, 0) == 0; },
                                 order == 1);
      delete array;
      Save("typed_array", std::to_string(kArrayKinds[k]) + "-" + std::to_string(order),
           Prefixed({uint8_t(k | (order << 4))}, frame));
    }
  }
}

// ---- records

template <typename Record>
void SaveRecord(const std::string& target, Record& record) {
  for (int order = 0; order < 2; ++order) {
    Bytes bytes = WrittenBytes([&](VStream& out) { return record.Write(out); }, order == 1);
    Save(target, order == 1 ? "big" : "little", Prefixed({uint8_t(order)}, bytes));
  }
}

void WriteRecordSeeds() {
  xMorvaProperties properties;
  properties.SetDefaults();
  properties.SetProperty(kPropBold, 1);
  properties.SetProperty(kPropSize, 14);
  properties.SetProperty(kPropLeftIndent, 200);
  SaveRecord("properties_record", properties);

  struct LinkRecord {
    xMorvaHyperlink link;
    bool Write(VStream& stream) { return link.Write(stream) == 0; }
  } link;
  VStr<64> target;
  VStr<64> title;
  target.SetAnsiCText("http://example.org/a");
  title.SetAnsiCText("Example");
  link.link = xMorvaHyperlink(xMorvaHyperlink::kURL, true, target, title);
  SaveRecord("hyperlink_record", link);
  // A method link with its value and a file type, written big-endian and
  // read by a little-endian stream: the reversed tag path.
  title.SetAnsiCText("Run");
  target.SetAnsiCText("OnLink");
  link.link = xMorvaHyperlink(xMorvaHyperlink::kMethod, false, target, title, 0x01020304);
  link.link.SetDialogValue(FourCC("QMT7"));
  Save("hyperlink_record", "method-reversed",
       Prefixed({0}, WrittenBytes([&](VStream& out) { return link.Write(out); }, true)));

  xMorvaPropertiesStates states;
  for (uint16_t id = 0; id < kPropertyStateCount; id += 3) states.SetState(id, 1);
  SaveRecord("states_record", states);

  xMorvaTabs tabs;
  tabs.AddStop(MakeTabStop(72, 0, kTabLeft));
  tabs.AddStop(MakeTabStop(144, '.', kTabRight));
  tabs.AddStop(MakeTabStop(300, '_', kTabDecimal));
  SaveRecord("tabs_record", tabs);

  struct StyleSheetRecord {
    xMorvaStyleSheet sheet;
    bool Write(VStream& stream) { return sheet.WriteBody(stream); }
  } sheet;
  sheet.sheet.paragraphSheet = 0;
  sheet.sheet.shortcut = 'K';
  sheet.sheet.properties.SetProperty(kPropBold, 1);
  sheet.sheet.states.SetState(kPropBold, 1);
  sheet.sheet.states.SetState(kPropTabs, 1);
  sheet.sheet.tabs.AddStop(MakeTabStop(96, '.', kTabCentre));
  sheet.sheet.fontName.SetAnsiCText("Liberation Serif");
  SaveRecord("style_sheet_record", sheet);

  xMorvaFontTable fonts;
  VStr<64> font;
  for (const char* name : {"Liberation Serif", "DejaVu Sans", "Symbola", "No Such Face"}) {
    font.SetAnsiCText(name);
    fonts.AddNameAsWritten(font);
  }
  SaveRecord("font_table", fonts);

  xMorvaDocParams params;
  params.SetDefaults();
  params.SetColumns(2);
  SaveRecord("doc_params_record", params);

  xMorvaDocInfos infos;
  infos.Title().SetAnsiCText("Report");
  infos.Author().SetAnsiCText("M. Vuze");
  infos.Notes().SetAnsiCText("Notes that run longer than the other texts of the record.");
  SaveRecord("doc_infos_record", infos);
}

// ---- resource files

struct SeedResource {
  uint32_t type;
  int16_t id;
  const char* name;
  Bytes data;
};

// A file type map of one row, in native order as resources are in memory.
Bytes FileTypeMapData() {
  Bytes bytes(2 + 14, 0);
  const int16_t count = 1;
  const uint32_t codes[] = {FourCC("TEXT"), FourCC("ttxt"), FourCC("TXT ")};
  std::memcpy(bytes.data(), &count, 2);
  std::memcpy(bytes.data() + 2, codes, sizeof codes);
  bytes[14] = 0x80;
  return bytes;
}

std::vector<SeedResource> SeedResources() {
  const char list[] = "\x02\x00\x03One\x03Two";  // count 2, native order
  return {
      {FourCC("FMAP"), 128, nullptr, FileTypeMapData()},
      {FourCC("STR#"), 128, "Names", Bytes(list, list + sizeof list - 1)},
      {FourCC("STR "), 129, nullptr, Bytes{5, 'H', 'e', 'l', 'l', 'o'}},
      {FourCC("xVER"), 1, nullptr, Bytes{0, 0, 1, 2}},
      {FourCC("TIPS"), 200, "Tips", Bytes{0, 2, 0, 1, 0, 2, 0, 3, 0, 4}},
      {FourCC("XBAR"), 300, nullptr, Bytes(24, 7)},
  };
}

void WriteMemoryResourceSeeds() {
  VMemHandle handle = gMemoryMgr->NewHandle(0, 0);
  {
    VMemoryResourceFile file(handle, 1);
    for (const SeedResource& r : SeedResources()) {
      VStr<255> name;
      if (r.name != nullptr) name.SetAnsiCText(r.name);
      file.AddResource(r.type, r.id, r.name != nullptr ? &name : nullptr, r.data.data(),
                       uint32_t(r.data.size()));
    }
    file.UpdateFile();
  }
  Save("memory_resource_file", "resources", HandleBytes(handle));
  gMemoryMgr->DisposeHandle(handle);
}

void WriteMacResourceSeeds() {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "qv-seed.rsrc";
  std::filesystem::remove(path);
  const std::string text = path.string();
  uint8_t pascal[256] = {uint8_t(text.size())};
  std::memcpy(pascal + 1, text.data(), text.size());
  Tbx::CreateResFile(pascal);
  const int16_t ref = Tbx::OpenResFile(pascal);
  if (ref == -1) return;
  Tbx::SetResFileSwapProc(ref, &SwapRsrcProc);
  {
    VMacResourceFile file(ref);
    for (const SeedResource& r : SeedResources()) {
      VStr<255> name;
      if (r.name != nullptr) name.SetAnsiCText(r.name);
      file.AddResource(r.type, r.id, r.name != nullptr ? &name : nullptr, r.data.data(),
                       uint32_t(r.data.size()));
    }
    file.UpdateFile();
  }
  Tbx::CloseResFile(ref);
  std::ifstream in(path, std::ios::binary);
  Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Save("mac_resource_file", "resources", bytes);
  std::filesystem::remove(path);
}

void WriteModuleTableSeeds() {
  // Count, then per entry: flags (1 numeric type, 2 numeric name), the type
  // and the name (a length and the characters, or two bytes of number), a
  // data length and the data.
  Bytes table = {4,
                 0, 4, 'X', 'B', 'A', 'R', 4, 'M', 'A', 'I', 'N', 3, 1, 2, 3,
                 2, 4, 'X', 'B', 'A', 'R', 0x00, 0x80, 6, 0, 1, 0, 2, 0, 3,
                 0, 5, '_', '4', 'S', 'A', 'M', 2, 'A', 'b', 0,
                 3, 0x00, 0x06, 0x00, 0x07, 8, 2, 0, 'O', 'n', 'e', 0, 0, 0};
  Save("module_resource_table", "four", table);
}

// ---- the byte-order procedure

void WriteSwapSeeds() {
  // Choice byte: the type's place in the procedure's list times two, plus
  // the direction; then four bytes of type code (used past the list).
  const std::vector<std::pair<uint8_t, Bytes>> seeds = {
      {0, {0, 0, 0, 1}},                                   // xVER
      {1, {0, 2, 0, 1, 0, 2, 0, 3, 0, 4}},                 // TIPS
      {43, {0, 2, 0, 1, 0, 'A', 0, 'B', 1, 2, 0, 'C', 0}},  // umac
      {47, {0, 1, 1, 0, 0, 2, 3, 'a', 'b', 'c', 0, 9}},     // XDLN
      {48, {0, 1, 0, 0, 0, 1, 0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 0, 0, 6, 0, 0, 0, 7}},  // XDLC
  };
  for (const auto& [place, data] : seeds) {
    for (uint8_t direction = 0; direction < 2; ++direction) {
      Save("swap_rsrc_proc", std::to_string(place) + "-" + std::to_string(direction),
           Prefixed({uint8_t(place * 2 + direction), 0, 0, 0, 0}, data));
    }
  }
  Save("swap_rsrc_proc", "other-type", Bytes{0xFE, 'A', 'B', 'C', 'D', 1, 2, 3, 4});
}

// ---- the word processor's resource types and print record

void WritePlugInSeeds() {
  // 'ARAY' in stored order: two words, then eight groups of a count and
  // 2 x count longs.
  Bytes array = {0, 0, 0, 3, 0, 4};
  for (int group = 0; group < 8; ++group) {
    array.push_back(0);
    array.push_back(uint8_t(group % 3));
    for (int i = 0; i < 8 * (group % 3); ++i) array.push_back(uint8_t(i * 7 + group));
  }
  Bytes native = array;
  SwapPlugInResource(true, FourCC("ARAY"), uint32_t(native.size()), native.data());
  // Choice byte: bit 0 to native; the type index in the bits above.
  Save("plug_in_resource_swap", "array-stored", Prefixed({1}, array));
  Save("plug_in_resource_swap", "array-native", Prefixed({0}, native));
  const Bytes words = {0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6};
  Save("plug_in_resource_swap", "widths", Prefixed({uint8_t(4 * 2 + 1)}, words));
  Save("plug_in_resource_swap", "paper", Prefixed({uint8_t(3 * 2 + 1)}, words));

  VWinPrinter printer;
  printer.SetMargins(1500, 1600, 1700, 1800);
  // Choice byte: bit 0 reads big-endian.
  for (uint8_t choice : {uint8_t(0), uint8_t(1)}) {
    Save("print_record", choice ? "big" : "little",
         Prefixed({choice}, WrittenBytes([&](VStream& out) {
                    return xMorvaDocument::WritePrintRecordTo(out, printer);
                  }, choice != 0)));
  }
}

// A header line: text, a right tab (layout cache of two f32 widths, kind,
// leader, leader count), a page number (format word, a 2-unit source and
// 15 units of result, shown), a property record and a centre tab.
Bytes PageNumberLine(uint32_t format) {
  Bytes line;
  auto unit = [&line](uint16_t u) {
    line.push_back(uint8_t(u));
    line.push_back(uint8_t(u >> 8));
  };
  auto word = [&line](uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) line.push_back(uint8_t(v >> shift));
  };
  auto tab = [&](uint16_t kind) {
    unit(0), unit(16000), word(14), word(14);
    const float width = 100;
    uint32_t bits = 0;
    std::memcpy(&bits, &width, 4);
    word(bits), word(bits), unit(kind), unit('.'), unit(20);
  };
  unit('P');
  tab(3);
  unit(0), unit(24000), word(14 + 4 + 4 + 30), word(14 + 4 + 4);
  word(4), word(30), word(4), line.push_back(0), line.push_back(0), word(format);
  unit('#'), unit('p');
  for (int i = 0; i < 15; ++i) unit('x');
  unit(0), unit(0), word(1);
  tab(2);
  unit(13);
  return line;
}

void WritePageNumberSeeds() {
  // Choice byte: the page.
  Save("page_number_layout", "digits", Prefixed({3}, PageNumberLine(0)));
  Save("page_number_layout", "roman", Prefixed({41}, PageNumberLine(3u << 28)));
  Save("page_number_layout", "count", Prefixed({0}, PageNumberLine(1)));
}

// ---- regions and metafiles

void WriteRegionSeeds() {
  VRegion region(2, 3, 20, 10);
  VRegion other(10, 8, 30, 30);
  HRGN both = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(both, region.GetHandle(), other.GetHandle(), RGN_XOR);
  VRegion combined(both, true);
  for (const auto& [name, r] : {std::pair<const char*, VRegion*>{"rect", &region}, {"xor", &combined}}) {
    VMemHandle handle = r->ToHandle();
    Save("region_data", name, HandleBytes(handle));
    gMemoryMgr->DisposeHandle(handle);
  }
}

// ---- polygons and colour icons

void WritePolygonSeeds() {
  VPolygon polygon;
  for (const auto& [x, y] : {std::pair{10, 10}, {20, 5}, {15, 30}, {-4, 12}}) polygon.AddPoint(x, y);
  polygon.Finish();
  for (const bool big : {false, true}) {
    const Bytes bytes = WrittenBytes(
        [&](VStream& stream) { return polygon.WriteToStream(stream, 0) == 0; }, big);
    Save("polygon", big ? "big" : "little", Prefixed({uint8_t(big ? 3 : 0)}, bytes));
  }
}

void Put16(Bytes& b, int32_t v) {
  b.push_back(uint8_t(v >> 8));
  b.push_back(uint8_t(v));
}

// A colour icon of `size` pixels square at 8 bits a pixel: a mask of the
// left half, a one-bit image of the top row and a colour table of 4 entries.
Bytes ColorIconBytes(int32_t size) {
  const int32_t bitRowBytes = ((size + 15) / 16) * 2;
  Bytes b(4, 0);
  Put16(b, 0x8000 | size);
  for (int32_t edge : {0, 0, size, size}) Put16(b, edge);
  Put16(b, 0);
  Put16(b, 0);
  b.insert(b.end(), 12, 0);
  for (int32_t field : {0, 8, 1, 8}) Put16(b, field);
  b.insert(b.end(), 12, 0);
  for (int i = 0; i < 2; ++i) {
    b.insert(b.end(), 4, 0);
    Put16(b, bitRowBytes);
    for (int32_t edge : {0, 0, size, size}) Put16(b, edge);
  }
  b.insert(b.end(), 4, 0);
  for (int32_t r = 0; r < size; ++r) {
    for (int32_t i = 0; i < bitRowBytes; ++i) b.push_back(i == 0 ? 0xF0 : 0);
  }
  for (int32_t r = 0; r < size; ++r) {
    for (int32_t i = 0; i < bitRowBytes; ++i) b.push_back(r == 0 ? 0xFF : 0);
  }
  b.insert(b.end(), 6, 0);
  Put16(b, 3);
  for (int32_t entry = 0; entry < 4; ++entry) {
    Put16(b, entry);
    for (int32_t c = 0; c < 3; ++c) Put16(b, entry == c + 1 ? 0xFFFF : 0);
  }
  for (int32_t r = 0; r < size; ++r) {
    for (int32_t i = 0; i < size; ++i) b.push_back(uint8_t((r + i) & 3));
  }
  return b;
}

void WriteColorIconSeeds() {
  Save("color_icon", "16", ColorIconBytes(16));
  Save("color_icon", "5", ColorIconBytes(5));
}

HENHMETAFILE RecordedPicture() {
  const RECT frame{0, 0, 2000, 2000};
  HDC dc = CreateEnhMetaFileA(nullptr, nullptr, &frame, nullptr);
  HPEN pen = CreatePen(PS_SOLID, 2, 0x0000FF);
  HBRUSH brush = CreateSolidBrush(0x00FF00);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  Rectangle(dc, 2, 2, 30, 20);
  Ellipse(dc, 10, 10, 50, 40);
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, 60, 60);
  const POINT points[] = {{5, 50}, {30, 35}, {55, 60}};
  Polygon(dc, points, 3);
  HRGN clip = CreateRectRgn(0, 0, 40, 40);
  SelectClipRgn(dc, clip);
  DeleteObject(clip);
  TextOutA(dc, 4, 30, "Ab", 2);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(pen);
  DeleteObject(brush);
  return CloseEnhMetaFile(dc);
}

void WriteMetafileSeeds() {
  HENHMETAFILE picture = RecordedPicture();
  if (picture == nullptr) return;
  Bytes emf(GetEnhMetaFileBits(picture, 0, nullptr));
  GetEnhMetaFileBits(picture, UINT(emf.size()), emf.data());
  Save("emf_player", "shapes", emf);
  Bytes wmf(GetWinMetaFileBits(picture, 0, nullptr, MM_ANISOTROPIC, nullptr));
  GetWinMetaFileBits(picture, UINT(wmf.size()), wmf.data(), MM_ANISOTROPIC, nullptr);
  for (uint8_t choice = 0; choice < 5; ++choice) {
    Save("wmf_player", "shapes-" + std::to_string(choice), Prefixed({choice}, wmf));
  }
  DeleteEnhMetaFile(picture);
}

// ---- imported pictures

void WritePictureImportSeeds() {
  QtRaster raster;
  raster.width = 6;
  raster.height = 4;
  for (int i = 0; i < 6 * 4; ++i) {
    raster.pixels.insert(raster.pixels.end(), {uint8_t(i * 10), uint8_t(200 - i * 5), 90, 0});
  }
  Save("picture_import", "bmp", Prefixed({0}, QtWriteBmp(raster)));
  Save("picture_import", "png", Prefixed({1}, QtWritePng(raster)));
  Save("picture_import", "jpeg", Prefixed({2}, QtWriteJpeg(raster, 75)));
  Save("picture_import", "pict", Prefixed({3}, QtWritePict(raster)));
}

// ---- picture elements of a text

void WritePictureElementSeeds() {
  VMetafilePort recorder(nullptr, 0, 0, 4, 3);
  recorder.SetFillColor(RGB(255, 0, 0));
  recorder.PaintRect(0, 0, 4, 3);
  VEmfPictureData picture(recorder.EndRecording(), true);
  VMemHandle handle = gMemoryMgr->NewHandle(0, 0);
  if (!MakePictureElement(picture, handle, 8, 6, -1, 1)) return;
  const auto* bytes = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
  const Bytes element(bytes, bytes + gMemoryMgr->GetHandleSize(handle));
  gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->DisposeHandle(handle);
  const Bytes text{'a', 0, 'b', 0};
  Bytes stream = text;
  stream.insert(stream.end(), element.begin(), element.end());
  Save("picture_element", "text-picture", stream);
  // The picture as the result of a host expression (result first).
  Bytes computed{2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
  PutStreamLong(&computed[4], uint32_t(element.size()));
  computed.insert(computed.end(), element.begin(), element.end());
  Bytes expression{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  PutStreamUnit(&expression[2], xMorvaElementCode::ExprQv);
  PutStreamLong(&expression[4], uint32_t(computed.size()));
  PutStreamLong(&expression[8], uint32_t(computed.size()));
  expression.insert(expression.end(), computed.begin(), computed.end());
  Save("picture_element", "expression-picture", expression);
  // The value cut short.
  Save("picture_element", "cut", Bytes(element.begin(), element.begin() + kElementHeadSize + kPictureHeaderSize + 10));
}

// ---- texts

void SaveText(const std::string& target, const std::string& name, uint8_t choice, const char* text) {
  Bytes bytes{choice};
  bytes.insert(bytes.end(), text, text + std::strlen(text));
  Save(target, name, bytes);
}

void WriteTextSeeds() {
  // Date scanner choice: separator (0 ':', 1 '/', 2 '.', 3 '-'), 4 a
  // designator, 8 the afternoon, the order in bits 4-6, 0x80 a pivot year.
  SaveText("date_scanner", "time", 0x00, "12:34:56");
  SaveText("date_scanner", "time-pm", 0x0C, "11:05");
  SaveText("date_scanner", "negative-time", 0x00, "-1:30");
  SaveText("date_scanner", "date-mdy", 0x01, "12/31/1999");
  SaveText("date_scanner", "date-dmy", 0x92, "31.12.99");
  SaveText("date_scanner", "date-ymd", 0x23, "2026-02-31");
  SaveText("date_scanner", "date-fields", 0x01, "-5//7");
  // Number scanner choice: 1 makes the comma the decimal separator.
  SaveText("number_scanner", "integer", 0, "-123456");
  SaveText("number_scanner", "real", 0, "-12.5e3");
  SaveText("number_scanner", "comma", 1, "3,1415");
  SaveText("number_scanner", "wrap", 0, "99999999999999999999999");
  SaveText("number_scanner", "exponent", 0, "1e-400");
  SaveText("number_scanner", "word", 0, "true");
  SaveText("number_scanner", "date", 0, "2/29/2024");
}

// A stored document for the search: the zero unit, the marker, a header of
// 8 bytes standing for the body header and store, then the body's units, a
// property record and a tab element, in either byte order; in front, the
// choice byte and the pattern.
void WriteStoredSearchSeeds() {
  for (bool big : {false, true}) {
    Bytes bytes = {uint8_t(big ? 2 : 1), 3};
    auto unit = [&](uint16_t v) {
      bytes.push_back(uint8_t(big ? v >> 8 : v));
      bytes.push_back(uint8_t(big ? v : v >> 8));
    };
    auto word = [&](uint32_t v) {
      unit(uint16_t(big ? v >> 16 : v));
      unit(uint16_t(big ? v : v >> 16));
    };
    for (char c : std::string("dog")) bytes.insert(bytes.end(), {uint8_t(c), 0});
    unit(0);
    unit(0x8F8E);
    word(8);
    word(8);
    bytes.insert(bytes.end(), 8, 0xAB);
    for (char c : std::string(big ? "a DOG " : "the ")) unit(uint16_t(c));
    unit(0);
    unit(3);
    word(1);
    unit(0);
    unit(16000);
    word(0);
    word(0);
    for (char c : std::string("cat dog")) unit(uint16_t(c));
    Save("stored_text_search", big ? "big" : "little", bytes);
  }
}

// Texts stored as 'wENG' in both byte orders, and bare streams for the
// repair, with the choice byte of the target in front (fonts in bits 4-7).
void WriteEngineStorageSeeds() {
  auto unit = [](Bytes& b, uint16_t u) {
    b.push_back(uint8_t(u));
    b.push_back(uint8_t(u >> 8));
  };
  auto word = [](Bytes& b, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) b.push_back(uint8_t(v >> shift));
  };
  auto record = [&](Bytes& b, uint16_t id, uint32_t v) {
    unit(b, 0);
    unit(b, id);
    word(b, v);
  };
  auto head = [&](Bytes& b, uint16_t code, uint32_t a, uint32_t bb) {
    unit(b, 0);
    unit(b, code);
    word(b, a);
    word(b, bb);
  };
  Bytes text;
  record(text, kPropAlignment, 1);
  record(text, kPropLeftIndent, 48);
  record(text, kPropTabs, MakeTabStop(96, '.', kTabRight));
  record(text, kPropBold, 1);
  record(text, kPropFont, 2);
  for (char16_t c : std::u16string(u"Text\u00E9")) unit(text, c);
  head(text, 16000, 14, 14);
  text.insert(text.end(), 14, 0);
  head(text, 16001, 30, 30);
  for (uint32_t v : {96u, 48u, 48u, 24u, 0x00010000u, 0u}) word(text, v);
  text.insert(text.end(), {1, 2, 3, 4, 5, 6});
  unit(text, 13);
  // A page number: format (count, style 3), result "xx", source "#".
  head(text, 24000, 14 + 4 + 4 + 2, 14 + 4 + 2);
  word(text, 4);
  word(text, 4);
  word(text, 2);
  text.insert(text.end(), {0, 0});
  word(text, 1u | (3u << 28));
  unit(text, '#');
  unit(text, 'x');
  unit(text, 'x');
  // A host expression and a date, their texts rebuilt on load.
  head(text, 24001, 14 + 3, 14 + 3);
  word(text, 3);
  word(text, 0);
  word(text, 0);
  text.insert(text.end(), {0, 0, 'r', 'e', 'f'});
  head(text, 24005, 14 + 2 + 2, 14 + 2);
  word(text, 2);
  word(text, 2);
  word(text, 0);
  text.insert(text.end(), {0, 0, 0, 5});
  unit(text, 'd');
  head(text, 24002, 2, 0);
  unit(text, 173);
  head(text, 24004, 2, 0);
  unit(text, 13);
  record(text, kPropAlignment, 2);
  for (char16_t c : std::u16string(u"end")) unit(text, c);

  xMorvaEngine engine(nullptr, xMorvaEngine::kPartGranule);
  engine.InsertBytes(0u, text.data(), uint32_t(text.size()));
  engine.SetLength(int32_t(engine.RecountPositions()));
  for (bool big : {false, true}) {
    const Bytes stored = WrittenBytes([&](VStream& s) { return engine.WriteResource(s, big); }, false);
    Save("engine_storage", big ? "big-endian" : "little-endian", Prefixed({0x30}, stored));
  }
  Save("engine_storage", "repair", Prefixed({0x31}, text));
  // The oldest layout: 10-byte tabs and breaks of two units 13.
  Bytes old;
  for (uint32_t v : {FourCC("wENG"), FourCC("0103"), 3u, 0u, 0u}) word(old, v);
  old.push_back(0);
  unit(old, 'a');
  head(old, 16000, 10, 10);
  old.insert(old.end(), 10, 0);
  head(old, 24003, 4, 0);
  unit(old, 13);
  unit(old, 13);
  unit(old, 'b');
  Save("engine_storage", "version-0103", Prefixed({0x20}, old));
}

}  // namespace

// Text streams as the engine writes them, with the selection byte in
// front: a copy with looks, paragraphs, tabs, a font and a style sheet; the
// same stream big-endian; and an older 'xMor' stream.
void WriteTransferSeeds() {
  xMorvaDocumentEngineServices engines;
  VInstalledService<xMorvaEngineServices> installed{&engines};
  xMorvaDocument document(nullptr);
  auto* body = static_cast<xMorvaEngine*>(document.GetPart(0));
  VStrInHandle courier;
  courier.SetAnsiCText("Courier New");
  const int16_t font = document.FontIndexForName(courier);
  VStr<255> sheetName;
  sheetName.SetAnsiCText("Quote");
  const uint8_t sheet[] = {'w', 'S', 'T', 'L', '0', '1', '0', '0'};
  document.GetStyleSheetStore()->AddResource(0x7753544C, 9, &sheetName, sheet, sizeof sheet);
  const Bytes text = {0, 0, 32, 0, 1, 0, 0, 0,  'a', 0, 0, 0, 0, 0, 1, 0, 0, 0, 'b', 0, 13, 0,
                      0, 0, 64, 0, 40, 0, 0, 1, 0, 0, 7, 0, uint8_t(font), 0, 0, 0, 'c', 0,
                      0, 0, 15, 0, 9, 0, 0, 0, 'd', 0, 0, 0, 128, 62, 0, 0, 0, 0, 0, 0, 0, 0, 'e', 0};
  body->InsertBytes(0u, text.data(), uint32_t(text.size()));
  body->SetLength(9);
  body->SetSelection(1, 9);
  const VMemHandle handle = body->WriteStream(document);
  const Bytes copied = HandleBytes(handle);
  gMemoryMgr->DisposeHandle(handle);
  Save("transfer_stream", "little", Prefixed({0x31}, copied));

  // The other order: head, sets and units written big-endian.
  auto written = [&](bool bigEndian, uint32_t tag) {
    VMemHandle out = 0;
    VHandleStream stream(out);
    stream.OpenWrite();
    stream.SetByteOrders(bigEndian ? kByteOrderMacintosh : kByteOrderLittle, kByteOrderSetThisMachine);
    for (int32_t word : {int32_t(tag), 3, 1, 4, 4}) stream.PutLong(word);
    VStringArray names;
    auto* name = new VStrInHandle();
    name->SetAnsiCText("Arial");
    names.AppendObject(name, false);
    names.WriteToStream(stream, 0);
    xMorvaProperties properties;
    properties.Write(stream);
    properties.Write(stream);
    xMorvaTabs tabs;
    tabs.Write(stream);
    tabs.Write(stream);
    if (tag == 0x784D6F37) stream.PutLong(0);
    stream.PutLong(6);
    const uint8_t units[] = {'a', 0, 13, 0, 'b', 0};
    for (size_t i = 0; i < sizeof units; i += 2) {
      const uint8_t pair[2] = {units[i + (bigEndian ? 1 : 0)], units[i + (bigEndian ? 0 : 1)]};
      stream.PutData(pair, 2);
    }
    stream.CloseWrite(1);
    Bytes bytes = HandleBytes(out);
    gMemoryMgr->DisposeHandle(out);
    return bytes;
  };
  Save("transfer_stream", "big", Prefixed({0x02}, written(true, 0x784D6F37)));
  Save("transfer_stream", "older", Prefixed({0x00}, written(false, 0x784D6F72)));
}

// ---- the own document file and the pictures on its pages

void WriteDocumentFileSeeds() {
  xMorvaDocumentEngineServices engine;
  VInstalledService<xMorvaEngineServices> engineSlot(&engine);
  xMorvaPicturesInPageMaker maker;
  VInstalledService<xMorvaPagePicturesMaker> makerSlot(&maker);
  VInstalledService<const VPictureMaker> pictureSlot(&kPictureValueMaker);
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  document->Reset(false);
  auto* body = static_cast<xMorvaEngine*>(document->GetPart(kPartBody));
  for (char16_t c : std::u16string(u"A body.")) body->TypeCharacter(c);
  body->InsertParagraphEnd();
  for (char16_t c : std::u16string(u"Its end")) body->TypeCharacter(c);
  static_cast<xMorvaEngine*>(document->GetPart(kPartHeader))->TypeCharacter(u'H');
  VMetafilePort recorder(nullptr, 0, 0, 8, 6);
  recorder.PaintRect(0, 0, 8, 6);
  std::unique_ptr<VEmfPictureData> picture(recorder.EndAsPictureData());
  auto* pictures = static_cast<xMorvaPicturesInPage*>(document->GetPagePictures());
  xMorvaPagePicture entry;
  entry.page = kPageEveryLeft;
  pictures->AddPicture(*document->GetStyleSheetStore(), *picture, entry);
  for (bool preview : {false, true}) {
    const Bytes bytes = WrittenBytes([&](VStream& s) { return WriteDocument(*document, s, preview, true); }, false);
    Save("document_file", preview ? "with-preview" : "plain", bytes);
    // Its last 16 bytes gone: the body ends short of its header's count.
    Save("document_file", preview ? "with-preview-cut-short" : "plain-cut-short",
         Bytes(bytes.begin(), bytes.end() - 16));
  }
  // A header whose characters are the bytes of the informations record's
  // head, which the store holds before that record.
  auto* header = static_cast<xMorvaEngine*>(document->GetPart(kPartHeader));
  for (char16_t c : std::u16string(u"\u4E46\u7749\u3130\u3030 stamp")) header->TypeCharacter(c);
  Save("document_file", "stamp-head-in-a-header",
       WrittenBytes([&](VStream& s) { return WriteDocument(*document, s, false, true); }, false));
  entry.shownWidth = 20;
  entry.resourceId = 3;
  const Bytes record = xMorvaPicturesInPage::FormatPagePictures({pictures->GetEntry(0), entry});
  Save("page_pictures", "b101", record);
  Bytes old = record;
  old.resize(12 + 2 * 34);
  std::memcpy(&old[4], "001B", 4);
  Save("page_pictures", "b100", old);
  // As a big-endian machine writes an empty list.
  Save("page_pictures", "big-endian-empty", Bytes{'w', 'P', 'I', 'X', 'B', '1', '0', '1', 0, 0, 0, 0});
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s corpus-folder\n", argv[0]);
    return 2;
  }
  gRoot = argv[1];
  StartFuzzServices();
  WriteValueSeeds();
  WriteArraySeeds();
  WriteRecordSeeds();
  WriteMemoryResourceSeeds();
  WriteMacResourceSeeds();
  WriteModuleTableSeeds();
  WriteSwapSeeds();
  WritePlugInSeeds();
  WritePageNumberSeeds();
  WriteRegionSeeds();
  WritePolygonSeeds();
  WriteColorIconSeeds();
  WriteMetafileSeeds();
  WriteTextSeeds();
  WritePictureImportSeeds();
  WritePictureElementSeeds();
  WriteTransferSeeds();
  WriteStoredSearchSeeds();
  WriteEngineStorageSeeds();
  WriteDocumentFileSeeds();
  return 0;
}
