// A fresh folder for one test, removed with everything in it at the end.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

namespace testing_support {

class TemporaryDirectory {
 public:
  TemporaryDirectory() {
    static std::atomic<unsigned> counter{0};
    std::ostringstream name;
    // The process id keeps apart the folders of test processes that ctest
    // runs side by side (their objects may well sit at the same address).
#if defined(_WIN32)
    const long process = static_cast<long>(_getpid());
#else
    const long process = static_cast<long>(getpid());
#endif
    name << "wrendle-test-" << std::hex << process << '-' << reinterpret_cast<std::uintptr_t>(this) << '-'
         << counter++;
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
