// The INI profile store over a profile file from the input: every section and
// key the file names is read, then one value is written, read back and
// deleted. A written value that does not read back is a failure.
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/profile_store.h"

namespace {

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::unique_ptr<platform::ProfileStore> store =
      platform::MakeIniFileProfileStore(fuzz_support::ScratchFile(""));
  const std::string file = "fuzz.ini";
  fuzz_support::WriteFile(fuzz_support::ScratchFile(file), {data, size});

  std::istringstream lines(std::string(reinterpret_cast<const char*>(data), size));
  std::string line;
  std::string section;
  for (int read = 0; read < 64 && std::getline(lines, line); ++read) {
    const std::string trimmed = Trimmed(line);
    if (!trimmed.empty() && trimmed.front() == '[') {
      section = Trimmed(trimmed.substr(1, trimmed.find(']') - 1));
    } else if (const std::size_t equals = trimmed.find('='); equals != std::string::npos) {
      store->GetInt(file, section, Trimmed(trimmed.substr(0, equals)), -1);
    }
  }

  if (store->WriteString(file, "Learn", "User1", "fuzz,2000,1")) {
    if (store->GetString(file, "Learn", "User1") != "fuzz,2000,1") std::abort();
    store->DeleteKey(file, "Learn", "User1");
  }
  return 0;
}
