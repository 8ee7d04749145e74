// Access to the fake modules from the tests: the folders they live in and
// their control entries, bound through the same loader the dispatcher uses.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "dispatcher/tests/fakes/fake_control.h"
#include "platform/shared_library.h"
#include "tests/support/executable_directory.h"

namespace fakes {

inline std::filesystem::path Folder(const char* name) {
  return testing_support::ExecutableDirectory() / "fakes" / name;
}

// One fake module held open by the test, by its full path, so that the
// dispatcher's load of the same name reaches the same instance.
class Module {
 public:
  Module(const char* folder, const char* file_name)
      : library_(platform::SharedLibrary::Open((Folder(folder) / file_name).string())) {}
  explicit operator bool() const { return library_ != nullptr; }
  template <typename Function>
  Function Entry(const char* name) const {
    auto entry = library_->Entry<Function>(name);
    EXPECT_NE(entry, nullptr) << name;
    return entry;
  }

 private:
  std::unique_ptr<platform::SharedLibrary> library_;
};

}  // namespace fakes
