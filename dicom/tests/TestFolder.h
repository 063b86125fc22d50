#pragma once

// A temporary folder per test, removed afterwards.

#include <filesystem>
#include <string>

#include <unistd.h>

class TestFolder
{
public:
    TestFolder()
    {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("zvdicom-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TestFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    std::filesystem::path file(const std::string& name) const { return path_ / name; }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};
