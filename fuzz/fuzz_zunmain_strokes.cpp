// A StrokeList through the dispatcher's exports as the pen-input program
// calls them: the dispatcher with the real kernel module "BZUN32.DLL" (over a
// small base dictionary made by the kernel's writers) and the gesture module.
// The input sets the range flags and whether the cell is learned, and the
// rest is the cell's StrokeList.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dispatcher/zunmain.h"
#include "fuzz/fuzz_support.h"
#include "kernel/tests/synthetic_dictionary.h"
#include "platform/file_access.h"
#include "platform/profile_store.h"
#include "platform/shared_library.h"
#include "platform/system_info.h"
#include "tests/support/executable_directory.h"

namespace {

constexpr int kBig5 = 2000;

struct Dispatcher {
  Dispatcher() {
    const std::string program = fuzz_support::ScratchFile("program");
    std::filesystem::create_directories(program);
    std::filesystem::create_directories(windows);
    kernel_testing::WriteBaseFiles(
        program,
        kernel_testing::BuildBaseFiles(kernel::CodePage::kBig5,
                                       kernel_testing::SyntheticSamples(kernel::CodePage::kBig5, 12, 1), 3));
    // The kernel reads its base files beside the program and learns into the
    // Windows directory.
    setenv("WRENDLE_PROGRAM_DIR", program.c_str(), 1);
    setenv("WRENDLE_WINDOWS_DIR", windows.c_str(), 1);
    platform::SetModuleSearchDirectory(testing_support::ExecutableDirectory().string());
    profiles = platform::MakeIniFileProfileStore(windows);
    zunmain = std::make_unique<wrendle::Zunmain>(*profiles, windows);
    if (zunmain->InitRecognition(kBig5, 0) != 1) std::abort();
  }

  const std::string windows = fuzz_support::ScratchFile("windows");
  std::unique_ptr<platform::ProfileStore> profiles;
  std::unique_ptr<wrendle::Zunmain> zunmain;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Dispatcher dispatcher;
  wrendle::Zunmain& zunmain = *dispatcher.zunmain;
  fuzz_support::Input input(data, size);
  const int range = static_cast<std::uint16_t>(input.Int32());
  const std::uint8_t learn = input.Byte();
  const int learn_code = learn % 4 == 0 ? static_cast<std::uint16_t>(input.Int32()) : 0;
  const std::vector<wrendle::StrokeEntry> strokes = fuzz_support::StrokeListOf(input.rest());

  // Fresh learning files each run, so that runs stay independent.
  for (const char* name : {"DBS0001.DBS", "SEGM0001.DBS", "INK0001.DBS"})
    platform::RemoveFile(platform::JoinPath(dispatcher.windows, name));
  zunmain.AttachLearn("DBS0001.DBS", "SEGM0001.DBS", "INK0001.DBS", nullptr);
  zunmain.SetRange(range);
  std::array<std::uint16_t, 11> candidates{};
  // Candidates or a gesture code, never a value the program can't read.
  if (zunmain.Recognition(strokes.data(), candidates.data(), 0) > 28) std::abort();
  if (learn_code != 0) {
    zunmain.Recognition(strokes.data(), candidates.data(), learn_code);
    zunmain.Recognition(strokes.data(), candidates.data(), 0);
  }
  zunmain.SetPrevCharacter(candidates[0]);
  return 0;
}
