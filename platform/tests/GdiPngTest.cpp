// PNG snapshots of DCs and bitmaps: the file holds the pixels, and reading
// it back gives them again.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/gdi/GdiSnapshot.h"
#include "platform/gdi/WinGdi.h"
#include "platform/win32/WinWindows.h"

namespace {

class TempFile {
 public:
  TempFile() {
    char name[] = "/tmp/qv-gdi-png-XXXXXX";
    int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    path_ = name;
  }
  ~TempFile() { std::remove(path_.c_str()); }
  const char* path() const { return path_.c_str(); }

 private:
  std::string path_;
};

TEST(GdiPng, WindowSnapshotReadsBackPixelForPixel) {
  HWND wnd = CreateHeadlessWindow(7, 5);
  HDC dc = GetDC(wnd);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 7; ++x) SetPixel(dc, x, y, RGB(x * 30, y * 50, (x + y) * 10));
  }
  TempFile file;
  ASSERT_TRUE(GdiWritePng(dc, file.path()));
  // The file is a PNG: signature, then an IHDR of width 7 and height 5.
  FILE* f = std::fopen(file.path(), "rb");
  ASSERT_NE(f, nullptr);
  uint8_t head[24];
  ASSERT_EQ(std::fread(head, 1, sizeof head, f), sizeof head);
  std::fclose(f);
  const uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  EXPECT_EQ(std::memcmp(head, signature, 8), 0);
  EXPECT_EQ(std::memcmp(head + 12, "IHDR", 4), 0);
  EXPECT_EQ(head[19], 7);
  EXPECT_EQ(head[23], 5);

  HBITMAP back = GdiReadPng(file.path());
  ASSERT_NE(back, nullptr);
  HDC mem = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mem, back);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 7; ++x) EXPECT_EQ(GetPixel(mem, x, y), GetPixel(dc, x, y)) << x << "," << y;
  }
  SelectObject(mem, old);
  DeleteObject(back);
  DeleteDC(mem);
  ReleaseDC(wnd, dc);
  DestroyWindow(wnd);
}

TEST(GdiPng, MonochromeBitmapSnapshotIsBlackAndWhite) {
  const uint8_t rows[] = {0xA0, 0x00};
  HBITMAP mono = CreateBitmap(4, 1, 1, 1, rows);
  TempFile file;
  ASSERT_TRUE(GdiWriteBitmapPng(mono, file.path()));
  HBITMAP back = GdiReadPng(file.path());
  ASSERT_NE(back, nullptr);
  uint8_t px[16];
  ASSERT_EQ(GetBitmapBits(back, sizeof px, px), 16);
  EXPECT_EQ(px[0], 0xFF);  // bit 1: white
  EXPECT_EQ(px[4], 0x00);  // bit 0: black
  EXPECT_EQ(px[8], 0xFF);
  DeleteObject(back);
  DeleteObject(mono);
}

TEST(GdiPng, MissingOrForeignFilesGiveNoBitmap) {
  EXPECT_EQ(GdiReadPng("/nonexistent/qv.png"), nullptr);
  TempFile file;
  FILE* f = std::fopen(file.path(), "wb");
  std::fputs("not a picture at all", f);
  std::fclose(f);
  EXPECT_EQ(GdiReadPng(file.path()), nullptr);
  // A truncated PNG: the real signature and nothing after it.
  f = std::fopen(file.path(), "wb");
  const uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0};
  std::fwrite(signature, 1, sizeof signature, f);
  std::fclose(f);
  EXPECT_EQ(GdiReadPng(file.path()), nullptr);
  // DCs without pixels have no snapshot.
  HDC ic = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
  EXPECT_FALSE(GdiWritePng(ic, file.path()));
  DeleteDC(ic);
  EXPECT_FALSE(GdiWriteBitmapPng(nullptr, file.path()));
}

}  // namespace
