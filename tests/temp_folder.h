// A folder of its own for a test's files, removed with everything in it at the end.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

class TempFolder {
 public:
  TempFolder() {
    std::string name = (std::filesystem::temp_directory_path() / "gcd_kit_test_XXXXXX").string();
    path_ = mkdtemp(name.data()) != nullptr ? name : "";
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Writes a file of this name and content in the folder and returns its path.
  [[nodiscard]] std::string file(
      const std::string& name, const std::string& content,
      std::filesystem::perms perms = std::filesystem::perms::owner_read |
                                     std::filesystem::perms::owner_write) const {
    const std::string path = path_ + "/" + name;
    std::ofstream(path, std::ios::binary) << content;
    std::filesystem::permissions(path, perms);
    return path;
  }
  [[nodiscard]] const std::string& path() const { return path_; }
  // How many files the folder holds.
  [[nodiscard]] std::size_t entries() const {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(path_)) {
      ++count;
    }
    return count;
  }

 private:
  std::string path_;
};
