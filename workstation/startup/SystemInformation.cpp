#include "startup/SystemInformation.h"

#include <fstream>
#include <sys/utsname.h>
#include <thread>

namespace vantor {

namespace {

std::string firstValue(const std::string& path, const std::string& key)
{
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, key.size(), key) != 0)
            continue;
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        const auto start = line.find_first_not_of(" \t", colon + 1);
        return start == std::string::npos ? std::string() : line.substr(start);
    }
    return {};
}

std::string osName()
{
    std::ifstream in("/etc/os-release");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("PRETTY_NAME=", 0) == 0) {
            std::string value = line.substr(12);
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                value = value.substr(1, value.size() - 2);
            return value;
        }
    }
    return {};
}

} // namespace

std::string systemInformationText()
{
    std::string text;
    auto add = [&text](const std::string& label, const std::string& value) {
        if (!value.empty())
            text += label + ": " + value + "\n";
    };
    add("Platform", osName());
    utsname names{};
    if (::uname(&names) == 0) {
        add("Kernel", std::string(names.sysname) + " " + names.release);
        add("Machine", names.machine);
    }
    add("Processor", firstValue("/proc/cpuinfo", "model name"));
    if (const unsigned cores = std::thread::hardware_concurrency(); cores > 0)
        add("Processors", std::to_string(cores));
    add("Memory", firstValue("/proc/meminfo", "MemTotal"));
    return text;
}

} // namespace vantor
