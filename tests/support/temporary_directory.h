// A fresh folder for one test, removed with everything in it at the end.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace testing_support {

class TemporaryDirectory {
 public:
  TemporaryDirectory() {
    static std::atomic<unsigned> counter{0};
    std::ostringstream name;
    name << "wrendle-test-" << std::hex << reinterpret_cast<std::uintptr_t>(this) << '-' << counter++;
    path_ = std::filesystem::temp_directory_path() / name.str();
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

  std::string Read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
    out << bytes;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace testing_support
