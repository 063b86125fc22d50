#include "VantorImporter/FolderNames.h"

#include <ZVDICOM/CharacterSetDecoder.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

namespace vantor::importing {

namespace {

constexpr std::size_t kLongestName = 64;

bool safeCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '-';
}

std::string folded(const std::string& name)
{
    std::string result = name;
    std::transform(result.begin(), result.end(), result.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return result;
}

// Names that other systems reserve for devices, with or without an extension.
bool reservedName(const std::string& name)
{
    static constexpr std::array<std::string_view, 22> kReserved = {
        "con",  "prn",  "aux",  "nul",  "com1", "com2", "com3", "com4", "com5", "com6", "com7",
        "com8", "com9", "lpt1", "lpt2", "lpt3", "lpt4", "lpt5", "lpt6", "lpt7", "lpt8", "lpt9"};
    const std::string stem = folded(name.substr(0, name.find('.')));
    return std::find(kReserved.begin(), kReserved.end(), stem) != kReserved.end();
}

std::string numbered(const char* prefix, const std::optional<std::int64_t>& number)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s%05lld", prefix, static_cast<long long>(number.value_or(0)));
    return text;
}

// The base letter of U+00C0..U+00FF (Latin-1 letters with accents), 0 for none.
char baseLetter(unsigned codePoint)
{
    static constexpr char kBase[] = "AAAAAAACEEEEIIIIDNOOOOO*OUUUUYTsaaaaaaaceeeeiiiidnooooo/ouuuuyty";
    if (codePoint < 0xC0 || codePoint > 0xFF)
        return 0;
    const char base = kBase[codePoint - 0xC0];
    return (base >= 'A' && base <= 'Z') || (base >= 'a' && base <= 'z') ? base : 0;
}

std::string decoded(const InstanceHeader& header, const std::string& stored, const char* valueRepresentation)
{
    return CharacterSetDecoder(header.specificCharacterSet).decode(stored, valueRepresentation);
}

} // namespace

std::string safeName(const std::string& text, const std::string& fallback)
{
    std::string name;
    for (std::size_t index = 0; index < text.size(); ++index) {
        const char c = text[index];
        // A two-byte UTF-8 letter of Latin-1 keeps its base letter.
        const unsigned lead = static_cast<unsigned char>(c);
        if ((lead == 0xC3) && index + 1 < text.size()) {
            const unsigned next = static_cast<unsigned char>(text[index + 1]);
            if (const char base = baseLetter(0xC0 + (next & 0x3F)); base != 0 && (next & 0xC0) == 0x80) {
                name += base;
                ++index;
                continue;
            }
        }
        if (safeCharacter(c))
            name += c;
        else if (name.empty() || name.back() != '_')
            name += '_';
    }
    // Leading dots hide a folder from the catalogue walk; trailing dots and
    // blanks vanish on some file systems.
    std::size_t leading = 0;
    while (leading < name.size() && (name[leading] == '.' || name[leading] == '_'))
        ++leading;
    name.erase(0, leading);
    if (name.size() > kLongestName)
        name.resize(kLongestName);
    while (!name.empty() && (name.back() == '.' || name.back() == '_'))
        name.pop_back();
    if (name.empty())
        return fallback;
    if (reservedName(name))
        name.insert(0, "_");
    return name;
}

std::string patientFolderName(const InstanceHeader& header)
{
    if (!header.patientId.empty())
        return safeName(decoded(header, header.patientId, "LO"), "UNKNOWN");
    const std::string name = decoded(header, header.patientName, "PN");
    const std::string alphabetic = name.substr(0, name.find('='));
    return safeName(safeName(alphabetic, "").empty() ? name : alphabetic, "UNKNOWN");
}

std::string studyFolderName(const InstanceHeader& header)
{
    std::string number = decoded(header, header.studyId, "SH");
    if (number.empty()) {
        const std::string& uid = header.studyInstanceUid;
        number = uid.substr(uid.size() > 6 ? uid.size() - 6 : 0);
    }
    const std::string date = safeName(header.studyDate, "NODATE");
    return safeName(date + "_" + safeName(number, "0"), "STUDY");
}

std::string seriesFolderName(const InstanceHeader& header)
{
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "SE%03lld", static_cast<long long>(header.seriesNumber.value_or(0)));
    const std::string description = safeName(decoded(header, header.seriesDescription, "LO"), "");
    return safeName(description.empty() ? std::string(prefix) : std::string(prefix) + "_" + description, "SERIES");
}

std::string sliceFileName(const InstanceHeader& header) { return numbered("IM", header.instanceNumber) + ".dcm"; }

bool NameSet::contains(const std::string& name) const { return folded_.count(folded(name)) != 0; }

void NameSet::add(const std::string& name) { folded_.insert(folded(name)); }

std::string NameSet::claimFolder(const std::string& base) { return claim(base, base, {}); }

std::string NameSet::claimFile(const std::string& base)
{
    const std::size_t dot = base.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return claim(base, base, {});
    return claim(base, base.substr(0, dot), base.substr(dot));
}

std::string NameSet::claim(const std::string& base, const std::string& stem, const std::string& extension)
{
    std::string name = base;
    for (int suffix = 2; contains(name); ++suffix)
        name = stem + "-" + std::to_string(suffix) + extension;
    add(name);
    return name;
}

} // namespace vantor::importing
