#pragma once
// A fresh folder under the system's temporary folder, removed at the end of the test.

#include <filesystem>
#include <string>
#include <vector>

class TemporaryFolder {
public:
  TemporaryFolder();
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
  std::filesystem::path path_;
};

std::vector<unsigned char> readBytes(const std::filesystem::path& path);
// Files below `folder` (recursive), as paths relative to it, sorted.
std::vector<std::string> listTree(const std::filesystem::path& folder);
