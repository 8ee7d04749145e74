// Screenshots of the wine tests: the screen as a 24-bit BMP in the folder
// named by WRENDLE_TEST_ARTIFACTS, else in the folder the build gives as
// WRENDLE_DEFAULT_ARTIFACTS.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace testing_support {

inline std::string ArtifactsDirectory() {
  if (const char* named = std::getenv("WRENDLE_TEST_ARTIFACTS"); named != nullptr && named[0] != 0)
    return named;
#ifdef WRENDLE_DEFAULT_ARTIFACTS
  return WRENDLE_DEFAULT_ARTIFACTS;
#else
  return "artifacts";
#endif
}

// Writes the screen (or `area` of it) to "<artifacts>/<name>.bmp"; false
// when it could not.
inline bool SaveScreenshot(const std::string& name, const RECT* area = nullptr) {
  RECT rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (area != nullptr) rect = *area;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, previous);
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const int stride = (width * 3 + 3) & ~3;
  std::vector<std::uint8_t> pixels(static_cast<size_t>(stride) * static_cast<size_t>(height));
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
            DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  const std::string directory = ArtifactsDirectory();
  CreateDirectoryA(directory.c_str(), nullptr);
  const std::string path = directory + "/" + name + ".bmp";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;
  header.bfOffBits = sizeof header + sizeof info;
  header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());
  const bool written = std::fwrite(&header, sizeof header, 1, file) == 1 &&
                       std::fwrite(&info, sizeof info, 1, file) == 1 &&
                       std::fwrite(pixels.data(), 1, pixels.size(), file) == pixels.size();
  std::fclose(file);
  return written;
}

}  // namespace testing_support
