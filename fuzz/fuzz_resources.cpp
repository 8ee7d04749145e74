// The engine's "Resources" text from the input: merged into a store, every
// value read back as text, number and resolved text, then written out.
#include <string>

#include "engine/core/messages.h"
#include "engine/core/resources.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz_support::ScratchFile("Resources");
  fuzz_support::WriteFile(path, {data, size});
  vok::Resources resources;
  resources.Merge(path.c_str());
  for (int s = 0; s < resources.SectionCount(); ++s) {
    const vok::Resources::Section* section = resources.SectionAt(s);
    if (section == nullptr) continue;
    for (int e = 0; e < section->count && e < static_cast<int>(section->entries.size()); ++e) {
      const vok::Resources::Entry& entry = section->entries[static_cast<std::size_t>(e)];
      std::string text;
      resources.Get(section->name.c_str(), entry.key.c_str(), &text);
      char small[8];
      resources.Get(section->name.c_str(), entry.key.c_str(), small, sizeof small);
      int number = 0;
      resources.GetInt(section->name.c_str(), entry.key.c_str(), &number);
      float real = 0.0f;
      resources.GetFloat(section->name.c_str(), entry.key.c_str(), &real);
      char resolved[vok::Resources::kValueBuffer];
      vok::Resources::ResolveVariables(text.c_str(), resolved, sizeof resolved);
    }
  }
  resources.Write(fuzz_support::ScratchFile("Resources.out").c_str());
  vok::ErrorClear();
  return 0;
}
