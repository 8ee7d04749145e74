// A user's profile "enroll": the header read as the user scan reads it, and
// written back by the header writer, which must give the same fields.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/api/user_list.h"
#include "engine/api/utterance_set_header.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = "/tmp/fuzz_user_profile_" + std::to_string(getpid());
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  vok::api::ReadUserProfile(path);
  std::remove(path.c_str());
  const auto header = vok::api::DecodeUtteranceSetHeader(std::span<const std::uint8_t>(data, size));
  const auto again = vok::api::DecodeUtteranceSetHeader(vok::api::EncodeUtteranceSetHeader(header));
  if (again.flag != header.flag || again.counts[2] != header.counts[2] ||
      again.sample_rate != header.sample_rate) {
    std::abort();
  }
  return 0;
}
