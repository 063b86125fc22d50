#include "FeatureTable.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <ctime>

namespace zvipengine {

namespace {

// The 27 column names in the Japanese (Shift-JIS) code page, each followed
// by a comma.
constexpr char Headings[] =
    "\x8f""d\x90S\x82w\x8d\xc0\x95W(pixel),\x8f""d\x90S\x82x\x8d\xc0\x95W(pixel),\x8f""d\x90S\x82"
    "y\x8d\xc0\x95W(pixel),\x94\xcd\x88\xcd\x82w\x8d\xc0\x95W\x8d\xc5\x8f\xac\x92l(pixel),\x94\xcd"
    "\x88\xcd\x82x\x8d\xc0\x95W\x8d\xc5\x8f\xac\x92l(pixel),\x94\xcd\x88\xcd\x82y\x8d\xc0\x95W\x8d"
    "\xc5\x8f\xac\x92l(pixel),\x94\xcd\x88\xcd\x82w\x8d\xc0\x95W\x8d\xc5\x91\xe5\x92l(pixel),\x94"
    "\xcd\x88\xcd\x82x\x8d\xc0\x95W\x8d\xc5\x91\xe5\x92l(pixel),\x94\xcd\x88\xcd\x82y\x8d\xc0\x95"
    "W\x8d\xc5\x91\xe5\x92l(pixel),\x82""b\x82s\x92l\x95\xbd\x8b\xcf(HU),\x82""b\x82s\x92l\x95\xce"
    "\x8d\xb7(HU),\x8d\xc5\x91\xe5\x82""b\x82s\x92l(HU),\x8d\xc5\x8f\xac\x82""b\x82s\x92l(HU),\x91"
    "\xcc\x90\xcf(mm^3),\x92\xe1\x94Z\x93x\x91\xcc\x90\xcf(mm^3),\x92\x86\x94Z\x93x\x91\xcc\x90\xcf"
    "(mm^3),\x8d\x82\x94Z\x93x\x91\xcc\x90\xcf(mm^3),\x89~\x8c`\x93x,\x95s\x90\xae\x93x,\x8d\xc5"
    "\x91\xe5\x95\x9d,\x8d\xc5\x91\xe5\x95\x9d\x82\xf0\x90\x82\x92\xbc\x93\xf1\x93\x99\x95\xaa\x82"
    "\xb7\x82\xe9\x95\x9d,\x8d\xc5\x91\xe5\x95\x9d\x82\xcc\x92\x86\x93_\x82\xcc\x82w\x8d\xc0\x95"
    "W,\x8d\xc5\x91\xe5\x95\x9d\x82\xcc\x92\x86\x93_\x82\xcc\x82x\x8d\xc0\x95W,\x8d\xc5\x91\xe5\x95"
    "\x9d\x82\xcc\x92\x86\x93_\x82\xcc\x82y\x8d\xc0\x95W,\x94x\x93\xe0\x88\xca\x92u(\x8d\xb6\x81"
    "E\x89""E),\x94x\x93\xe0\x88\xca\x92u(\x8f\xe3\x81""E\x92\x86\x81""E\x89\xba),\x94x\x93\xe0\x88"
    "\xca\x92u(\x8b\xb9\x95\xc7\x82\xa9\x82\xe7\x82\xcc\x8b\x97\x97\xa3)(mm),";

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

std::string format(const char* pattern, ...)
{
    char text[1024];
    va_list arguments;
    va_start(arguments, pattern);
    const int length = std::vsnprintf(text, sizeof text, pattern, arguments);
    va_end(arguments);
    return length < 0 ? std::string() : std::string(text, static_cast<std::size_t>(std::min<int>(length, sizeof text - 1)));
}

bool writeAll(const std::string& fileName, const std::string& text)
{
    std::FILE* file = std::fopen(fileName.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

} // namespace

FeatureTable::Date FeatureTable::today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::string FeatureTable::featureFileName(const std::string& folder, const std::string& name,
                                          const std::string& second, const Date& date)
{
    // Two digits of the year beside the folder; the whole year in the form
    // with a second folder.
    if (second.size() < 2)
        return format("%s_feature_%02d%02d%02d_%s.csv", folder.c_str(), date.year % 100, date.month, date.day,
                      name.c_str());
    return format("%s/%s_feature_%02d%02d%02d_%s.csv", second.c_str(), folder.c_str(), date.year, date.month,
                  date.day, name.c_str());
}

std::string FeatureTable::headingLine()
{
    return std::string(Headings) + "\n";
}

std::string FeatureTable::recordLine(const FeatureRecord& r)
{
    return format("%d,%d,%d,%d,%d,%d,%d,%d,%d, %d,%f,%d,%d,%f,%f,%f,%f,%f,%f,%f,%f,%d,%d,%d,%d,%d,%f,%d,%3.1f,%3.1f,"
                  "%3.1f,%3.1f,%3.1f,\n",
                  r.centroid[0], r.centroid[1], r.centroid[2], r.boxMinimum[0], r.boxMinimum[1], r.boxMinimum[2],
                  r.boxMaximum[0], r.boxMaximum[1], r.boxMaximum[2], r.meanCT, double(r.deviationCT), r.maximumCT,
                  r.minimumCT, double(r.volume), double(r.lowDensityVolume), double(r.mediumDensityVolume),
                  double(r.highDensityVolume), double(r.circularity), double(r.irregularity),
                  double(r.maximumWidth), double(r.bisectingWidth), r.widthMidpoint[0], r.widthMidpoint[1],
                  r.widthMidpoint[2], r.side, r.level, double(r.chestWallDistance), r.score,
                  double(r.measures[0]), double(r.measures[1]), double(r.measures[2]), double(r.measures[3]),
                  double(r.measures[4]));
}

bool FeatureTable::writeFeatures(const std::string& fileName, const std::vector<FeatureRecord>& records)
{
    std::string text = headingLine();
    for (const FeatureRecord& r : records)
        text += recordLine(r);
    return writeAll(fileName, text);
}

bool FeatureTable::writeConfidence(const std::string& fileName, const std::vector<FeatureRecord>& records)
{
    std::string text = "Transverse,Vertical,ThinStructure\n";
    for (const FeatureRecord& r : records)
        text += format("%f,%f,%f,%d,%d,%d,%f,%f,%f,%f\n", double(r.measures[0]), double(r.measures[1]),
                       double(r.measures[2]), r.centroid[0], r.centroid[1], r.centroid[2], double(r.measures[3]),
                       double(r.measures[4]), double(r.circularity), double(r.irregularity));
    return writeAll(fileName, text);
}

} // namespace zvipengine
