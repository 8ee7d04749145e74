// The resource library through its import library, as the program links it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/zezividudu/zezividudu_api.h"

namespace {

TEST(ZezividuduTest, ServesStringsInTheirCodePageUnderTheSizeContract) {
  const int length = LoadStringEx(0, 70, nullptr, 0);
  ASSERT_EQ(length, 24);
  std::string text(static_cast<size_t>(length) + 1, '#');
  EXPECT_EQ(LoadStringEx(0, 70, text.data(), length), length);
  EXPECT_STREQ(text.c_str(), "No RECOGNITION KERNEL!!!");
  char big5[8] = {};
  EXPECT_EQ(LoadStringEx(2000, 70, big5, 4), 4);
  EXPECT_STREQ(big5, "\xA8\x53\xA6\xB3");
  EXPECT_EQ(LoadStringEx(4000, 9999, nullptr, 0), 0);
  char homophones[16] = {};
  EXPECT_EQ(LoadStringEx(0, 89, homophones, sizeof homophones - 1), 10);
  EXPECT_STREQ(homophones, "Homophones");
}

TEST(ZezividuduTest, PopupTemplateIsAnEmptyBorderedPopup) {
  HINSTANCE module = GetResourceHandle();
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(102), MAKEINTRESOURCEA(5));
  ASSERT_NE(found, nullptr);
  const auto* words = static_cast<const WORD*>(LockResource(LoadResource(module, found)));
  ASSERT_NE(words, nullptr);
  ASSERT_EQ(words[1], 0xFFFF) << "an extended template";
  DWORD style = 0;
  std::memcpy(&style, words + 6, sizeof style);
  EXPECT_EQ(style & (WS_POPUP | WS_BORDER | WS_CAPTION), static_cast<DWORD>(WS_POPUP | WS_BORDER));
  EXPECT_EQ(words[8], 0) << "no controls";
}

TEST(ZezividuduTest, HoldsTheDialogsBitmapsCursorsAndIcon) {
  HINSTANCE module = GetResourceHandle();
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(module, GetModuleHandleA("zezividudu.dll"));
  for (const int dialog : {102, 105, 185, 186}) {
    EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(dialog), MAKEINTRESOURCEA(5)), nullptr) << dialog;
  }
  for (const int bitmap : {111, 124, 137, 138, 145, 146, 179, 184, 204, 205}) {
    HBITMAP handle = LoadBitmapA(module, MAKEINTRESOURCEA(bitmap));
    ASSERT_NE(handle, nullptr) << bitmap;
    BITMAP info = {};
    GetObjectA(handle, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 20) << bitmap;
    EXPECT_EQ(info.bmHeight, 20) << bitmap;
    DeleteObject(handle);
  }
  for (const int bitmap : {213, 214}) {
    HBITMAP handle = LoadBitmapA(module, MAKEINTRESOURCEA(bitmap));
    ASSERT_NE(handle, nullptr) << bitmap;
    BITMAP info = {};
    GetObjectA(handle, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 32) << bitmap;
    EXPECT_EQ(info.bmHeight, 32) << bitmap;
    DeleteObject(handle);
  }
  for (const int cursor : {101, 147})
    EXPECT_NE(LoadCursorA(module, MAKEINTRESOURCEA(cursor)), nullptr) << cursor;
  EXPECT_NE(LoadIconA(module, MAKEINTRESOURCEA(31234)), nullptr);
}

// The 20 x 20 pixels of a bitmap of the library, as 0x00RRGGBB values.
std::vector<DWORD> Pixels(int bitmap) {
  HBITMAP handle = LoadBitmapA(GetResourceHandle(), MAKEINTRESOURCEA(bitmap));
  std::vector<DWORD> pixels(20 * 20);
  if (handle == nullptr) return {};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 20;
  info.bmiHeader.biHeight = -20;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, handle, 0, 20, pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  DeleteObject(handle);
  if (rows != 20) return {};
  return pixels;
}

TEST(ZezividuduTest, EveryButtonBitmapCarriesAGlyphAndItsPressedStateDiffers) {
  // Normal and pressed bitmap of each button of the main frame and the pad.
  const std::pair<int, int> buttons[] = {{112, 111}, {114, 113}, {116, 115}, {118, 117}, {120, 119},
                                         {122, 121}, {124, 123}, {138, 137}, {146, 145}, {181, 182},
                                         {183, 184}, {179, 180}, {204, 205}};
  std::set<std::vector<DWORD>> glyphs;
  for (const auto& [normal, pressed] : buttons) {
    const std::vector<DWORD> up = Pixels(normal);
    const std::vector<DWORD> down = Pixels(pressed);
    ASSERT_FALSE(up.empty()) << normal;
    ASSERT_FALSE(down.empty()) << pressed;
    // Edges, face and a glyph: a flat square has two colours.
    EXPECT_GE(std::set<DWORD>(up.begin(), up.end()).size(), 4u) << normal;
    EXPECT_NE(up, down) << normal << " and " << pressed;
    glyphs.insert(up);
  }
  EXPECT_EQ(glyphs.size(), std::size(buttons)) << "one glyph per command";
}

}  // namespace
