// The real engine module of the build, copied into the tests' "engine"
// folder (the Windows folder the dispatcher is given), on a small install
// tree that lives as long as the test program: the China and Hongkong
// folders with the pen models of the engine's test writers, and the users
// "ChinaMale" and "HongkongMale". The engine finds the tree through
// "InstallPath": in the registry on Windows, natively in the environment.
// The test holds the module open as well, to look at the engine's state
// through its workers.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/stroke_list.h"
#include "engine/api/tests/engine_tree.h"
#include "engine/api/tests/pen_tree.h"
#include "platform/registry_store.h"
#include "platform/shared_library.h"
#include "platform/system_info.h"
#include "tests/support/executable_directory.h"

namespace engine_install {

class EngineInstall {
 public:
  static EngineInstall& Get() {
    static EngineInstall install;
    return install;
  }

  // The folder the dispatcher loads "VOK-P.DLL" from.
  static std::string Folder() { return (testing_support::ExecutableDirectory() / "engine").string(); }

  template <typename Function>
  Function Entry(const char* name) const {
    auto entry = module_ ? module_->Entry<Function>(name) : nullptr;
    EXPECT_NE(entry, nullptr) << name;
    return entry;
  }

  ~EngineInstall() {
    module_.reset();
#if defined(_WIN32)
    platform::MakeMachineRegistryStore()->DeleteValue("Software\\TVRN\\VOK-P", "InstallPath");
#endif
  }

  // Start-up fails while the China folder lacks its homophone map.
  void BreakStartUp() { std::filesystem::rename(tree_.Path(kMap), tree_.Path(kMap) + ".away"); }
  void RepairStartUp() { std::filesystem::rename(tree_.Path(kMap) + ".away", tree_.Path(kMap)); }

 private:
  static constexpr char kMap[] = "Data/China/HMap";

  EngineInstall() {
    vok::api::testing::AddPenDialect(tree_, "China");
    vok::api::testing::AddPenDialect(tree_, "Hongkong");
    tree_.AddUser("ChinaMale", vok::api::testing::ProfileHeader(0x10));
    tree_.AddUser("HongkongMale", vok::api::testing::ProfileHeader(0x200));
#if defined(_WIN32)
    platform::MakeMachineRegistryStore()->WriteText("Software\\TVRN\\VOK-P", "InstallPath", tree_.root());
#else
    setenv("WRENDLE_ENGINE_INSTALL_PATH", tree_.root().c_str(), 1);
#endif
    module_ = platform::SharedLibrary::Open(platform::JoinPath(Folder(), "VOK-P.DLL"));
  }

  vok::api::testing::EngineTree tree_;
  std::unique_ptr<platform::SharedLibrary> module_;
};

// Ink of the engine's test writers ({y, x} points) as a StrokeList.
inline std::vector<wrendle::StrokeEntry> StrokeList(const vok::api::testing::PenStrokes& strokes) {
  wrendle::StrokeListBuilder builder;
  for (const auto& stroke : strokes) {
    std::vector<wrendle::StrokeEntry> points;
    for (const vok::InkPoint& p : stroke) points.push_back({p.x, p.y});
    builder.AddStroke(points);
  }
  return builder.Build();
}

}  // namespace engine_install
