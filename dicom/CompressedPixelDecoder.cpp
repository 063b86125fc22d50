#include "CompressedPixelDecoder.h"

#include "ByteOrder.h"

#include <gdcmFragment.h>
#include <gdcmImage.h>
#include <gdcmSequenceOfFragments.h>
#include <gdcmTrace.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace {

constexpr std::uint16_t kItemGroup = 0xFFFE;
constexpr std::uint16_t kItem = 0xE000;
constexpr std::uint16_t kSequenceDelimitation = 0xE0DD;
// Decoded images larger than this are refused before anything is allocated.
constexpr std::size_t kLargestImage = std::size_t{1} << 30;

struct Fragment {
    const std::uint8_t* bytes;
    std::uint32_t length;
};

bool isSupported(const std::string& syntax)
{
    static const char* const kSupported[] = {
        "1.2.840.10008.1.2.4.50", // JPEG baseline
        "1.2.840.10008.1.2.4.51", // JPEG extended (12-bit)
        "1.2.840.10008.1.2.4.57", // JPEG lossless, any predictor
        "1.2.840.10008.1.2.4.70", // JPEG lossless, first-order prediction
        "1.2.840.10008.1.2.4.80", // JPEG-LS lossless
        "1.2.840.10008.1.2.4.81", // JPEG-LS near-lossless
        "1.2.840.10008.1.2.4.90", // JPEG 2000 lossless
        "1.2.840.10008.1.2.4.91", // JPEG 2000
        "1.2.840.10008.1.2.5",    // RLE lossless
    };
    return std::any_of(std::begin(kSupported), std::end(kSupported),
                       [&](const char* uid) { return syntax == uid; });
}

// The basic offset table and the fragments; false with the cause for a broken structure.
bool splitItems(const std::uint8_t* items, std::size_t size, std::size_t& offsetCount, std::vector<Fragment>& fragments,
                std::string& problem)
{
    std::size_t position = 0;
    bool first = true;
    while (position + 8 <= size) {
        const std::uint16_t group = ByteOrder::load16(items + position);
        const std::uint16_t element = ByteOrder::load16(items + position + 2);
        const std::uint32_t length = ByteOrder::load32(items + position + 4);
        position += 8;
        if (group != kItemGroup || (element != kItem && element != kSequenceDelimitation)) {
            problem = "the compressed pixel data has a broken item structure";
            return false;
        }
        if (element == kSequenceDelimitation)
            break;
        if (length > size - position) {
            problem = "the compressed pixel data is truncated";
            return false;
        }
        if (first)
            offsetCount = length / 4;
        else if (length > 0)
            fragments.push_back({items + position, length});
        first = false;
        position += length;
    }
    if (fragments.empty()) {
        problem = "the compressed pixel data holds no frame";
        return false;
    }
    return true;
}

void quietCodecs()
{
    // The library reports nothing of its own; causes travel back as results.
    static std::once_flag once;
    std::call_once(once, [] {
        gdcm::Trace::SetDebug(false);
        gdcm::Trace::SetWarning(false);
        gdcm::Trace::SetError(false);
    });
}

} // namespace

std::size_t ImageDescription::frameBytes() const
{
    return (static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns) *
                static_cast<std::size_t>(samplesPerPixel) * static_cast<std::size_t>(bitsAllocated) +
            7) /
           8;
}

bool isEncapsulatedSyntax(const std::string& transferSyntax)
{
    static const char kRoot[] = "1.2.840.10008.1.2.";
    return transferSyntax.compare(0, sizeof(kRoot) - 1, kRoot) == 0 && transferSyntax != "1.2.840.10008.1.2.1" &&
           transferSyntax != "1.2.840.10008.1.2.2" && transferSyntax != "1.2.840.10008.1.2.1.99";
}

bool decodeEncapsulatedPixels(const ImageDescription& image, const std::uint8_t* items, std::size_t size,
                              std::uint8_t* output, std::size_t capacity, std::string& problem)
{
    if (!isSupported(image.transferSyntax)) {
        problem = "unsupported transfer syntax " + image.transferSyntax;
        return false;
    }
    if (image.rows <= 0 || image.columns <= 0 || image.frames <= 0 ||
        (image.samplesPerPixel != 1 && image.samplesPerPixel != 3) ||
        (image.bitsAllocated != 8 && image.bitsAllocated != 16) || image.bitsStored < 1 ||
        image.bitsStored > image.bitsAllocated) {
        problem = "the image description does not fit compressed pixel data";
        return false;
    }
    const std::size_t frameBytes = image.frameBytes();
    if (frameBytes * static_cast<std::size_t>(image.frames) > kLargestImage) {
        problem = "the image is too large";
        return false;
    }
    std::size_t offsetCount = 0;
    std::vector<Fragment> fragments;
    if (!splitItems(items, size, offsetCount, fragments, problem))
        return false;
    const std::size_t frames = static_cast<std::size_t>(image.frames);
    if ((offsetCount != 0 && offsetCount != frames) || fragments.size() < frames) {
        problem = "the frame count does not match the compressed pixel data";
        return false;
    }
    quietCodecs();

    gdcm::Image codec;
    codec.SetNumberOfDimensions(frames > 1 ? 3 : 2);
    codec.SetDimension(0, static_cast<unsigned int>(image.columns));
    codec.SetDimension(1, static_cast<unsigned int>(image.rows));
    if (frames > 1)
        codec.SetDimension(2, static_cast<unsigned int>(frames));
    codec.SetPixelFormat(gdcm::PixelFormat(static_cast<unsigned short>(image.samplesPerPixel),
                                           static_cast<unsigned short>(image.bitsAllocated),
                                           static_cast<unsigned short>(image.bitsStored),
                                           static_cast<unsigned short>(std::clamp(image.highBit, 0, 15)),
                                           static_cast<unsigned short>(image.pixelRepresentation != 0)));
    const gdcm::PhotometricInterpretation::PIType photometric =
        gdcm::PhotometricInterpretation::GetPIType(image.photometricInterpretation.c_str());
    codec.SetPhotometricInterpretation(photometric == gdcm::PhotometricInterpretation::UNKNOWN
                                           ? gdcm::PhotometricInterpretation::MONOCHROME2
                                           : photometric);
    if (image.samplesPerPixel == 3)
        codec.SetPlanarConfiguration(image.planarConfiguration != 0 ? 1 : 0);
    codec.SetTransferSyntax(gdcm::TransferSyntax::GetTSType(image.transferSyntax.c_str()));

    auto sequence = gdcm::SequenceOfFragments::New();
    for (const Fragment& fragment : fragments) {
        gdcm::Fragment item;
        item.SetByteValue(reinterpret_cast<const char*>(fragment.bytes), fragment.length);
        sequence->AddFragment(item);
    }
    gdcm::DataElement pixelData(gdcm::Tag(0x7FE0, 0x0010));
    pixelData.SetVR(gdcm::VR::OB);
    pixelData.SetValue(*sequence);
    codec.SetDataElement(pixelData);

    const std::size_t total = frameBytes * frames;
    if (codec.GetBufferLength() != total) {
        problem = "the image description does not fit compressed pixel data";
        return false;
    }
    // GDCM decodes every frame at once: straight into the output when it takes them all.
    std::vector<char> whole;
    char* target = reinterpret_cast<char*>(output);
    if (capacity < total) {
        whole.resize(total);
        target = whole.data();
    }
    bool decoded = false;
    try {
        decoded = codec.GetBuffer(target);
    } catch (...) {
        decoded = false;
    }
    if (!decoded) {
        problem = "the compressed pixel data does not decode (corrupt or truncated code stream)";
        return false;
    }
    if (target != reinterpret_cast<char*>(output))
        std::memcpy(output, whole.data(), std::min(capacity, total));
    return true;
}
