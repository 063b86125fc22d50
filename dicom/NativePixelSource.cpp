#include "NativePixelSource.h"

#include "ByteOrder.h"
#include "DicomFileReader.h"
#include "FileRead.h"

#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::uint16_t kImageGroup = 0x0028;
constexpr std::uint32_t kUndefinedLength = 0xFFFFFFFFu;

int unsignedShort(const ElementStore& store, std::uint16_t element, int fallback)
{
    const ElementRecord* record = store.find(kImageGroup, element);
    if (record == nullptr || !record->hasValue() || record->valueLength < 2)
        return fallback;
    return ByteOrder::load16(record->value());
}

std::string text(const ElementStore& store, std::uint16_t group, std::uint16_t element)
{
    const ElementRecord* record = store.find(group, element);
    if (record == nullptr || !record->hasValue())
        return {};
    std::string value(reinterpret_cast<const char*>(record->value()), record->valueLength);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\0'))
        value.pop_back();
    while (!value.empty() && value.front() == ' ')
        value.erase(0, 1);
    return value;
}

// Where the value of the pixel data element starts and how long it says it
// is, from the element's header; false when the header is not all there.
struct PixelValue {
    std::size_t offset = 0;
    std::uint32_t length = 0;
    bool wordSwapped = false;
};

bool locateValue(const std::uint8_t* header, std::size_t available, const DicomFileReader& reader, PixelValue& value)
{
    if (available < 8)
        return false;
    const bool swapped = reader.fileKind() == DicomFileReader::RawElementStream ? reader.byteOrderFlag() == 1
                                                                                 : reader.pixelDataSwapped();
    const bool explicitVr = reader.fileKind() == DicomFileReader::Part10File && header[4] >= 'A' &&
                            header[4] <= 'Z' && header[5] >= 'A' && header[5] <= 'Z';
    std::uint32_t length = 0;
    if (explicitVr) {
        if (available < 12)
            return false;
        length = ByteOrder::load32(header + 8);
        value.offset = 12;
        // Values of a big-endian Part 10 file are swapped by word only when they are words.
        value.wordSwapped = swapped && header[4] == 'O' && header[5] == 'W';
    } else {
        length = ByteOrder::load32(header + 4);
        value.offset = 8;
        value.wordSwapped = swapped && reader.fileKind() == DicomFileReader::Part10File;
    }
    value.length = swapped ? ByteOrder::swap32(length) : length;
    return true;
}

} // namespace

ImageDescription NativePixelSource::describe(const DicomFileReader& reader)
{
    const ElementStore& store = reader.store();
    ImageDescription image;
    image.rows = unsignedShort(store, 0x0010, 0);
    image.columns = unsignedShort(store, 0x0011, 0);
    image.samplesPerPixel = unsignedShort(store, 0x0002, 1);
    image.bitsAllocated = unsignedShort(store, 0x0100, 16);
    image.bitsStored = unsignedShort(store, 0x0101, image.bitsAllocated);
    image.highBit = unsignedShort(store, 0x0102, image.bitsStored - 1);
    image.pixelRepresentation = unsignedShort(store, 0x0103, 0);
    image.planarConfiguration = unsignedShort(store, 0x0006, 0);
    const std::string frames = text(store, kImageGroup, 0x0008);
    image.frames = frames.empty() ? 1 : std::atoi(frames.c_str());
    const std::string photometric = text(store, kImageGroup, 0x0004);
    if (!photometric.empty())
        image.photometricInterpretation = photometric;
    image.transferSyntax = text(store, 0x0002, 0x0010);
    return image;
}

const std::uint8_t* NativePixelSource::pixels(const DicomFileReader& reader, std::size_t& byteCount,
                                              std::string& problem)
{
    byteCount = 0;
    const ElementRecord* record = reader.store().find(0x7FE0, 0x0010);
    if (record != nullptr && record->hasValue() && record->valueLength > 0) {
        byteCount = record->valueLength;
        return record->value();
    }
    const ImageDescription image = describe(reader);
    std::size_t total = 0;
    if (!checkEncapsulated(reader, image, total, problem))
        return nullptr;
    try {
        decoded_.resize(total);
    } catch (...) {
        problem = "the image is too large";
        return nullptr;
    }
    if (!decode(reader, image, decoded_.data(), total, problem))
        return nullptr;
    byteCount = total;
    return decoded_.data();
}

bool NativePixelSource::checkEncapsulated(const DicomFileReader& reader, const ImageDescription& image,
                                          std::size_t& total, std::string& problem)
{
    const ElementRecord* record = reader.store().find(0x7FE0, 0x0010);
    const std::size_t headerOffset = reader.pixelHeaderOffset();
    PixelValue value;
    if (record == nullptr || headerOffset == DicomFileReader::npos || headerOffset > reader.loadedSize() ||
        !locateValue(reader.loadedBytes() + headerOffset, reader.loadedSize() - headerOffset, reader, value) ||
        value.length != kUndefinedLength) {
        problem = reader.fileKind() == DicomFileReader::UnknownKind ? "not a DICOM file" : "no pixel data";
        return false;
    }
    if (image.rows <= 0 || image.columns <= 0 || image.frames <= 0 || image.frames > 65535) {
        problem = "no image size";
        return false;
    }
    problem = encapsulatedImageProblem(image);
    if (!problem.empty())
        return false;
    itemsOffset_ = headerOffset + value.offset;
    total = image.frameBytes() * static_cast<std::size_t>(image.frames);
    return true;
}

bool NativePixelSource::decode(const DicomFileReader& reader, const ImageDescription& image, std::uint8_t* output,
                               std::size_t capacity, std::string& problem) const
{
    return decodeEncapsulatedPixels(image, reader.loadedBytes() + itemsOffset_, reader.loadedSize() - itemsOffset_,
                                    output, capacity, problem);
}

bool NativePixelSource::firstFrameInto(DicomFileReader& reader, const std::string& path, std::uint8_t* target,
                                       std::size_t capacity, std::size_t& frameBytes, std::string& problem)
{
    frameBytes = 0;
    if (!reader.loadHeaderOnly(path)) {
        problem = "not a DICOM file";
        return false;
    }
    const ImageDescription image = describe(reader);
    if (image.rows <= 0 || image.columns <= 0) {
        problem = "no image size";
        return false;
    }
    frameBytes = image.frameBytes();
    if (frameBytes > capacity) {
        problem = "the image is larger than its place";
        return false;
    }
    const std::size_t headerOffset = reader.pixelHeaderOffset();
    if (headerOffset == DicomFileReader::npos) {
        problem = "no pixel data";
        return false;
    }
    PixelValue value;
    std::uint8_t header[12] = {};
    bool located = false;
    if (!reader.dataSetInflated()) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            problem = "the file cannot be read";
            return false;
        }
        located = locateValue(header, readFileAt(fd, header, sizeof(header), headerOffset), reader, value);
        if (located && value.length != kUndefinedLength) {
            // Uncompressed: one read from the file straight into the target.
            const std::size_t got =
                value.length < frameBytes ? 0 : readFileAt(fd, target, frameBytes, headerOffset + value.offset);
            ::close(fd);
            if (got < frameBytes) {
                problem = "the pixel data is shorter than the image";
                return false;
            }
            if (value.wordSwapped)
                ByteOrder::swapUnits(target, frameBytes, 2);
            return true;
        }
        ::close(fd);
    }
    // Encapsulated pixel data and deflated data sets need the whole file.
    reader.load(path);
    const ElementRecord* record = reader.store().find(0x7FE0, 0x0010);
    if (record != nullptr && record->hasValue() && record->valueLength > 0) {
        if (record->valueLength < frameBytes) {
            problem = "the pixel data is shorter than the image";
            return false;
        }
        std::memcpy(target, record->value(), frameBytes);
        return true;
    }
    const ImageDescription whole = describe(reader);
    std::size_t total = 0;
    // Decoded straight into the target (GDCM takes a scratch copy only for several frames).
    return checkEncapsulated(reader, whole, total, problem) && decode(reader, whole, target, frameBytes, problem);
}
