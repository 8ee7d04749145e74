// The user code map file from the input: the directory read, a user's map
// loaded, one text added and saved, and the saved file loaded again.
#include <string>

#include "app/core/user_map.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string directory = fuzz_support::ScratchFile("");
  wrendle::app::CUserMap map(directory);
  fuzz_support::WriteFile(map.FilePath(), {data, size});
  const auto users = map.ReadDirectory();
  const std::string name = users.empty() ? std::string("fuzz") : users.front().name;
  map.SetUser(name.empty() ? std::string("fuzz") : name);
  std::string text;
  for (const auto& [code, value] : map.entries()) map.GetText(static_cast<int>(code), &text);
  map.AllocateCode("fuzz text");
  map.Save();
  wrendle::app::CUserMap reloaded(directory);
  reloaded.SetUser("fuzz");
  reloaded.ReadDirectory();
  return 0;
}
