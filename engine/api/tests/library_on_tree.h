// A test whose engine library lives on an install tree of its own: the
// China folder with real language files, the user "ChinaMale" current, the
// registry in memory and windows scripted.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "engine/api/shared_section.h"
#include "engine/api/tests/engine_tree.h"
#include "engine/api/tests/scripted_windows.h"
#include "engine/api/vok_library.h"

namespace vok::api::testing {

class LibraryOnTree : public ::testing::Test {
 public:
  LibraryOnTree()
      : library_(LibraryEnvironment{machine_, user_, windows_, [](const std::string&) { return true; },
                                    [](std::uint32_t) {}}) {
    SharedSection().instance_count.store(0);
    machine_.WriteText(kEngineRegistryKey, "InstallPath", tree_.root());
    tree_.AddDialect("China");
    tree_.AddUser("ChinaMale", ProfileHeader(0x10));
    machine_.WriteText(kEngineRegistryKey, "User", "ChinaMale");
  }
  ~LibraryOnTree() override { library_.Destroy(); }

  EngineTree tree_;
  platform::MemoryRegistryStore machine_, user_;
  ScriptedWindows windows_;
  VokLibrary library_;
};

}  // namespace vok::api::testing
