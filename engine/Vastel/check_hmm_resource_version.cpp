#include "engine/Vastel/check_hmm_resource_version.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/core/byte_order.h"
#include "engine/core/file_io.h"

namespace {

constexpr std::int32_t kMagic = 0x12345678;
constexpr std::int32_t kSwappedMagic = 0x78563412;
constexpr const char* kVersion = "HMM_AcousticModel_Ver3.3_dtd_10Sep99";
constexpr std::int32_t kMaxVersionLength = 1024;

bool ReadWord(std::FILE* file, bool swapped, std::int32_t& value) {
  if (vok::FileRead(file, &value, 4, vok::RM_NOCHECK) != 4) return false;
  if (swapped) vok::Swap32(&value);
  return true;
}

int Check(std::FILE* file, const char* path) {
  std::int32_t magic = 0;
  if (!ReadWord(file, false, magic) || (magic != kMagic && magic != kSwappedMagic)) return 0;
  const bool swapped = magic == kSwappedMagic;
  std::int32_t length = 0;
  if (!ReadWord(file, swapped, length) || length < 0 || length > kMaxVersionLength ||
      length > vok::FileRemainingBytes(file))
    return 0;
  std::string text(static_cast<std::size_t>(length), '\0');
  if (length > 0 && vok::FileRead(file, text.data(), static_cast<std::size_t>(length), vok::RM_NOCHECK) !=
                        static_cast<std::size_t>(length))
    return 0;
  ReadWord(file, swapped, magic);
  if (text == kVersion) return 1;
  std::printf("Error in C_rHMMDataBase::read_file(), resource file [%s] not correct version\n", path);
  std::printf("Found version [%s]\n", text.c_str());
  return 0;
}

}  // namespace

int CheckHMMResourceVersion(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return 0;
  const int result = Check(file, path);
  vok::FileClose(file);
  return result;
}
