// Stands in for the programs the companion starts ("Wrendle32.exe",
// "Inkpost.exe", "Markwell.exe", "Rirudarave.exe"): writes "<own file
// name>.started" beside itself with the folder it was started in.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  const std::string marker = std::string(path) + ".started";
  HANDLE file =
      CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(file, current, static_cast<DWORD>(lstrlenA(current)), &written, nullptr);
  CloseHandle(file);
  return 0;
}
