#include "startup/SettingsKeys.h"

namespace vantor {

namespace {
std::string lastCharacters(const std::string& text, std::size_t count)
{
    return text.size() <= count ? text : text.substr(text.size() - count);
}
} // namespace

std::string readerKey(int n) { return "User" + lastCharacters("000" + std::to_string(n), 4); }

std::string presetKey(int n) { return "WWWL_" + lastCharacters("000" + std::to_string(n), 3); }

} // namespace vantor
