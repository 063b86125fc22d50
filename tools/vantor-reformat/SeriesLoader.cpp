#include "SeriesLoader.h"

#include "ZVDICOM/ZQDICOM.h"
#include "ZVIPEngine/VazAZUrorav.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

std::string tagText(const ZQDICOM& file, int group, int element)
{
    std::string text(128, '\0');
    if (!file.GetTagString(static_cast<std::int16_t>(group), static_cast<std::int16_t>(element), text, 128))
        return {};
    return text.substr(0, text.find('\0'));
}

bool hasTag(const ZQDICOM& file, int group, int element)
{
    std::int32_t size = 0;
    return file.GetTagSize(static_cast<std::int16_t>(group), static_cast<std::int16_t>(element), size);
}

double number(const std::string& text, double fallback)
{
    if (text.empty())
        return fallback;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return end == text.c_str() || !std::isfinite(value) ? fallback : value;
}

// The part after the last backslash: z of an Image Position, the second
// value of Pixel Spacing.
std::string lastValue(const std::string& text)
{
    const std::size_t cut = text.rfind('\\');
    return cut == std::string::npos ? text : text.substr(cut + 1);
}

int instanceNumber(const ZQDICOM& file)
{
    return static_cast<int>(number(tagText(file, 0x0020, 0x0013), 0.0));
}

bool nameBefore(const std::string& a, const std::string& b)
{
    const auto lower = [](const std::string& s) {
        std::string out = s;
        for (char& c : out)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return out;
    };
    const std::string la = lower(a), lb = lower(b);
    return la != lb ? la < lb : a < b;
}

} // namespace

std::vector<std::string> SeriesLoader::seriesFiles(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file(error))
            continue;
        const std::string name = it->path().filename().string();
        if (name == "DICOMDIR" || (name.size() >= 9 && name.compare(name.size() - 9, 9, "L_ser.dat") == 0))
            continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(), nameBefore);
    std::vector<std::string> paths;
    for (const std::string& name : names)
        paths.push_back((std::filesystem::path(folder) / name).string());
    return paths;
}

SeriesLoader::Result SeriesLoader::load(const std::string& folder, Ordering ordering, VazAZUrorav& engine)
{
    Result result;
    if (!std::filesystem::is_directory(folder)) {
        result.error = "not a folder: " + folder;
        return result;
    }
    struct Entry {
        std::string path;
        int instance;
    };
    std::vector<Entry> entries;
    ZQDICOM file;
    for (const std::string& path : seriesFiles(folder)) {
        if (!file.loadHeaderOnly(path)) {
            result.skipped.push_back(path + ": not a DICOM file");
            continue;
        }
        entries.push_back({path, instanceNumber(file)});
    }
    if (entries.empty()) {
        result.error = "no DICOM files in " + folder;
        return result;
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.instance < b.instance; });

    // Geometry from the first two files.
    file.loadHeaderOnly(entries[0].path);
    std::int16_t rows = 0, columns = 0;
    file.GetTagShort(0x0028, 0x0010, rows);
    file.GetTagShort(0x0028, 0x0011, columns);
    if (rows <= 0 || columns <= 0) {
        result.error = entries[0].path + ": no image size";
        return result;
    }
    const std::string pixelSpacing = tagText(file, 0x0028, 0x0030);
    result.spacingX = number(pixelSpacing, 1.0);
    result.spacingY = number(lastValue(pixelSpacing), 1.0);
    if (result.spacingX <= 0.0)
        result.spacingX = 1.0;
    if (result.spacingY <= 0.0)
        result.spacingY = 1.0;
    const bool firstHasPosition = hasTag(file, 0x0020, 0x0032);
    const double z0 = number(lastValue(tagText(file, 0x0020, 0x0032)), 0.0);
    if (entries.size() >= 2 && firstHasPosition) {
        ZQDICOM second;
        second.loadHeaderOnly(entries[1].path);
        const double z1 = number(lastValue(tagText(second, 0x0020, 0x0032)), z0);
        const int n0 = entries[0].instance;
        const int n1 = hasTag(second, 0x0020, 0x0013) ? entries[1].instance : n0 + 1;
        result.spacingZ = std::fabs(n1 != n0 ? (z1 - z0) / (n1 - n0) : z1 - z0);
    }
    if (!(result.spacingZ > 0.0))
        result.spacingZ = 1.0;
    result.columns = columns;
    result.rows = rows;

    if (!engine.SetDataProfile(columns, rows, static_cast<std::int32_t>(entries.size()), result.spacingX,
                               result.spacingY, -result.spacingZ, 1.0, -1024)) {
        result.error = "the engine refused the volume (error " + std::to_string(engine.ErrorNumber()) + ")";
        return result;
    }
    for (std::size_t n = 0; n < entries.size(); ++n) {
        const std::string& path = entries[n].path;
        // Native pixels: compressed files are decoded, uncompressed ones handed over as stored.
        std::size_t pixelBytes = 0;
        std::string problem;
        const std::uint8_t* pixels = file.loadNativePixels(path, pixelBytes, problem);
        std::int16_t fileRows = 0, fileColumns = 0, bits = 16, representation = 0;
        file.GetTagShort(0x0028, 0x0010, fileRows);
        file.GetTagShort(0x0028, 0x0011, fileColumns);
        file.GetTagShort(0x0028, 0x0100, bits);
        file.GetTagShort(0x0028, 0x0103, representation);
        // The engine reads columns x rows pixels: a file that holds fewer
        // (another size, truncated, undecodable) is left out, not read past.
        const std::int64_t needed =
            (static_cast<std::int64_t>(columns) * rows * std::max<std::int16_t>(bits, 1) + 7) / 8;
        if (fileRows != rows || fileColumns != columns) {
            result.skipped.push_back(path + ": image size differs from the first file");
            continue;
        }
        if (pixels == nullptr) {
            result.skipped.push_back(path + ": " + problem);
            continue;
        }
        if (static_cast<std::int64_t>(pixelBytes) < needed || bits < 1 || bits > 16) {
            result.skipped.push_back(path + ": the pixel data is shorter than the image");
            continue;
        }
        const double slope = number(tagText(file, 0x0028, 0x1053), 1.0);
        const double intercept = number(tagText(file, 0x0028, 0x1052), 0.0);
        const double position = n == 0 ? (firstHasPosition ? z0 : 0.0) : number(tagText(file, 0x0020, 0x1041), 0.0);
        const int imageNumber = std::max(1, entries[n].instance);
        // Unsigned pixels above 32767 would turn negative if read as signed.
        engine.setIsSigned(representation != 0);
        const bool handedOver =
            bits == 16 ? engine.SetDicomImage(reinterpret_cast<const std::int16_t*>(pixels), imageNumber, slope,
                                              intercept, position)
                       : engine.SetDicomImageBits(pixels, bits, imageNumber, slope, intercept, position);
        if (!handedOver) {
            result.skipped.push_back(path + ": refused by the engine");
            continue;
        }
        ++result.filesHandedOver;
    }
    if (result.filesHandedOver == 0) {
        result.error = "no slice could be loaded from " + folder;
        return result;
    }
    bool sorted = true;
    switch (ordering) {
    case Ordering::None:
        sorted = engine.SortInitialize();
        break;
    case Ordering::ImageNumber:
        sorted = engine.SortImageNumber(0);
        break;
    case Ordering::SlicePosition:
        sorted = engine.SortSlicePosition(0);
        break;
    }
    if (!sorted) {
        result.error = "the slices could not be ordered (error " + std::to_string(engine.ErrorNumber()) + ")";
        return result;
    }
    result.loaded = true;
    return result;
}
