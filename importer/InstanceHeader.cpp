#include "VantorImporter/InstanceHeader.h"

#include <ZVDICOM/ZQDICOM.h>

#include <charconv>

namespace vantor::importing {

namespace {

constexpr const char* kDirectorySopClass = "1.2.840.10008.1.3.10";

std::string value(const ZQDICOM& dicom, std::uint16_t group, std::uint16_t element)
{
    std::string buffer(256, '\0');
    if (!dicom.GetTagString(static_cast<std::int16_t>(group), static_cast<std::int16_t>(element), buffer,
                            static_cast<std::int32_t>(buffer.size())))
        return {};
    buffer.resize(buffer.find('\0'));
    return trimmedValue(buffer);
}

// An IS value (the first one of a multi-valued text); none when it is not a number.
std::optional<std::int64_t> integerValue(const std::string& text)
{
    const std::string first = trimmedValue(text.substr(0, text.find('\\')));
    const char* begin = first.data();
    if (!first.empty() && first.front() == '+')
        ++begin;
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(begin, first.data() + first.size(), number);
    if (error != std::errc() || end != first.data() + first.size() || begin == end)
        return std::nullopt;
    return number;
}

} // namespace

std::string trimmedValue(const std::string& stored)
{
    const auto padding = [](char c) { return c == ' ' || c == '\0'; };
    std::size_t begin = 0;
    std::size_t end = stored.size();
    while (begin < end && padding(stored[begin]))
        ++begin;
    while (end > begin && padding(stored[end - 1]))
        --end;
    return stored.substr(begin, end - begin);
}

HeaderKind readInstanceHeader(ZQDICOM& dicom, const std::string& path, InstanceHeader& header)
{
    header = InstanceHeader{};
    if (!dicom.loadHeaderOnly(path) || dicom.GetNumOfTag() == 0)
        return HeaderKind::NotDicom;
    if (value(dicom, 0x0002, 0x0002) == kDirectorySopClass || value(dicom, 0x0008, 0x0016) == kDirectorySopClass ||
        !value(dicom, 0x0004, 0x1130).empty() /* File-set ID: only directories carry it */)
        return HeaderKind::DirectoryFile;
    header.specificCharacterSet = value(dicom, 0x0008, 0x0005);
    header.sopInstanceUid = value(dicom, 0x0008, 0x0018);
    header.patientId = value(dicom, 0x0010, 0x0020);
    header.patientName = value(dicom, 0x0010, 0x0010);
    header.studyInstanceUid = value(dicom, 0x0020, 0x000D);
    header.studyDate = value(dicom, 0x0008, 0x0020);
    header.studyId = value(dicom, 0x0020, 0x0010);
    header.seriesInstanceUid = value(dicom, 0x0020, 0x000E);
    header.seriesDescription = value(dicom, 0x0008, 0x103E);
    header.seriesNumber = integerValue(value(dicom, 0x0020, 0x0011));
    header.instanceNumber = integerValue(value(dicom, 0x0020, 0x0013));
    if (!dicom.hasPixelData())
        return HeaderKind::NoPixelData;
    if (header.sopInstanceUid.empty() || header.studyInstanceUid.empty() || header.seriesInstanceUid.empty())
        return HeaderKind::MissingIdentifiers;
    return HeaderKind::Image;
}

} // namespace vantor::importing
