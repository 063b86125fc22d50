#include "CompressedPixelDecoder.h"

#include "ByteOrder.h"
#include "Jpeg2000Decoder.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmjpeg/djcparam.h>
#include <dcmtk/dcmjpeg/djdijg12.h>
#include <dcmtk/dcmjpeg/djdijg16.h>
#include <dcmtk/dcmjpeg/djdijg8.h>
#include <dcmtk/oflog/oflog.h>
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
    std::size_t itemOffset; // from the first fragment's item, as the offset table counts
};

bool isJpegSyntax(const std::string& syntax)
{
    return syntax == "1.2.840.10008.1.2.4.50" || syntax == "1.2.840.10008.1.2.4.51" ||
           syntax == "1.2.840.10008.1.2.4.57" || syntax == "1.2.840.10008.1.2.4.70";
}

bool isJpeg2000Syntax(const std::string& syntax)
{
    return syntax == "1.2.840.10008.1.2.4.90" || syntax == "1.2.840.10008.1.2.4.91";
}

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
bool splitItems(const std::uint8_t* items, std::size_t size, std::vector<std::uint32_t>& offsets,
                std::vector<Fragment>& fragments, std::string& problem)
{
    std::size_t position = 0;
    std::size_t firstFragment = 0;
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
        if (first) {
            for (std::uint32_t at = 0; at + 4 <= length; at += 4)
                offsets.push_back(ByteOrder::load32(items + position + at));
            firstFragment = position + length;
        } else if (length > 0) {
            fragments.push_back({items + position, length, position - 8 - firstFragment});
        }
        first = false;
        position += length;
    }
    if (fragments.empty()) {
        problem = "the compressed pixel data holds no frame";
        return false;
    }
    return true;
}

// The fragments of each frame: by the offset table when there is one, one
// fragment a frame when the counts agree, all of them for a single frame,
// else up to each fragment that ends a JPEG code stream (EOI, FF D9).
bool groupFrames(const std::vector<std::uint32_t>& offsets, const std::vector<Fragment>& fragments, std::size_t frames,
                 std::vector<std::vector<Fragment>>& grouped)
{
    grouped.assign(frames, {});
    if (!offsets.empty()) {
        std::size_t frame = 0;
        for (const Fragment& fragment : fragments) {
            while (frame + 1 < frames && fragment.itemOffset >= offsets[frame + 1])
                ++frame;
            grouped[frame].push_back(fragment);
        }
    } else if (fragments.size() == frames || frames == 1) {
        for (std::size_t i = 0; i < fragments.size(); ++i)
            grouped[frames == 1 ? 0 : i].push_back(fragments[i]);
    } else {
        std::size_t frame = 0;
        for (const Fragment& fragment : fragments) {
            if (frame >= frames)
                return false;
            grouped[frame].push_back(fragment);
            std::size_t end = fragment.length;
            while (end > 0 && fragment.bytes[end - 1] == 0)
                --end;
            if (end >= 2 && fragment.bytes[end - 2] == 0xFF && fragment.bytes[end - 1] == 0xD9)
                ++frame;
        }
    }
    return std::none_of(grouped.begin(), grouped.end(), [](const auto& frame) { return frame.empty(); });
}

std::vector<std::uint8_t> joined(const std::vector<Fragment>& fragments)
{
    std::vector<std::uint8_t> bytes;
    for (const Fragment& fragment : fragments)
        bytes.insert(bytes.end(), fragment.bytes, fragment.bytes + fragment.length);
    return bytes;
}

// Sample precision of the first start-of-frame marker; 0 when the header has none.
int jpegPrecision(const std::vector<std::uint8_t>& stream)
{
    std::size_t position = 2;
    while (position + 4 < stream.size()) {
        if (stream[position] != 0xFF) {
            ++position;
            continue;
        }
        const std::uint8_t marker = stream[position + 1];
        if (marker == 0xFF || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            position += marker == 0xFF ? 1 : 2;
            continue;
        }
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            return position + 4 < stream.size() ? stream[position + 4] : 0;
        if (marker == 0xDA || marker == 0xD9)
            return 0;
        position += 2 + (static_cast<std::size_t>(stream[position + 2]) << 8 | stream[position + 3]);
    }
    return 0;
}

// One JPEG frame (baseline, extended or lossless) with DCMTK's IJG decoders,
// which report a broken code stream as an error rather than stopping the program.
bool decodeJpegFrame(const ImageDescription& image, std::vector<std::uint8_t> stream, std::uint8_t* output,
                     std::size_t frameBytes, std::string& problem)
{
    const int precision = jpegPrecision(stream);
    const bool ybr = image.photometricInterpretation.rfind("YBR", 0) == 0;
    const DJCodecParameter parameters(ECC_lossyYCbCr, EDC_photometricInterpretation, EUC_default, EPC_default);
    std::unique_ptr<DJDecoder> decoder;
    if (precision > 0 && precision <= 8 && image.bitsAllocated == 8)
        decoder = std::make_unique<DJDecompressIJG8Bit>(parameters, ybr);
    else if (precision > 8 && precision <= 12 && image.bitsAllocated == 16)
        decoder = std::make_unique<DJDecompressIJG12Bit>(parameters, ybr);
    else if (precision > 12 && precision <= 16 && image.bitsAllocated == 16)
        decoder = std::make_unique<DJDecompressIJG16Bit>(parameters, ybr);
    if (!decoder) {
        problem = precision == 0 ? "the compressed pixel data does not decode (corrupt or truncated code stream)"
                                 : "the JPEG sample precision does not fit Bits Allocated";
        return false;
    }
    if (decoder->init().bad() ||
        decoder->decode(stream.data(), static_cast<Uint32>(stream.size()), output, static_cast<Uint32>(frameBytes),
                        image.pixelRepresentation != 0)
            .bad()) {
        problem = "the compressed pixel data does not decode (corrupt or truncated code stream)";
        return false;
    }
    return true;
}

// One RLE frame by the standard's rules: a 64-byte header of segment
// offsets, then one PackBits segment per byte of each sample, most
// significant byte first.
bool decodeRleFrame(const ImageDescription& image, const std::vector<std::uint8_t>& stream, std::uint8_t* output,
                    std::string& problem)
{
    const std::size_t bytesPerSample = static_cast<std::size_t>(image.bitsAllocated) / 8;
    const std::size_t samples = static_cast<std::size_t>(image.samplesPerPixel);
    const std::size_t pixels = static_cast<std::size_t>(image.rows) * static_cast<std::size_t>(image.columns);
    const std::size_t segments = bytesPerSample * samples;
    if (stream.size() < 64 || ByteOrder::load32(stream.data()) != segments) {
        problem = "the RLE header does not fit the image";
        return false;
    }
    std::vector<std::uint8_t> plane(pixels);
    for (std::size_t segment = 0; segment < segments; ++segment) {
        const std::size_t start = ByteOrder::load32(stream.data() + 4 + 4 * segment);
        const std::size_t end = segment + 1 < segments ? ByteOrder::load32(stream.data() + 8 + 4 * segment)
                                                       : stream.size();
        if (start < 64 || start > end || end > stream.size()) {
            problem = "the RLE header does not fit the image";
            return false;
        }
        std::size_t got = 0;
        for (std::size_t at = start; at < end && got < pixels;) {
            const int count = static_cast<std::int8_t>(stream[at++]);
            if (count >= 0) {
                const std::size_t literal = std::min<std::size_t>({static_cast<std::size_t>(count) + 1, end - at,
                                                                   pixels - got});
                std::memcpy(plane.data() + got, stream.data() + at, literal);
                got += literal;
                at += static_cast<std::size_t>(count) + 1;
            } else if (count != -128 && at < end) {
                const std::size_t run = std::min<std::size_t>(static_cast<std::size_t>(1 - count), pixels - got);
                std::memset(plane.data() + got, stream[at++], run);
                got += run;
            }
        }
        if (got < pixels) {
            problem = "the compressed pixel data is truncated";
            return false;
        }
        // Segment s holds byte (bytesPerSample - 1 - s % bytesPerSample) of sample s / bytesPerSample.
        const std::size_t sample = segment / bytesPerSample;
        const std::size_t byte = bytesPerSample - 1 - segment % bytesPerSample;
        const bool planar = image.planarConfiguration != 0 && samples > 1;
        for (std::size_t p = 0; p < pixels; ++p) {
            const std::size_t index = planar ? sample * pixels + p : p * samples + sample;
            output[index * bytesPerSample + byte] = plane[p];
        }
    }
    return true;
}

void quietCodecs()
{
    // The library reports nothing of its own; causes travel back as results.
    static std::once_flag once;
    std::call_once(once, [] {
        OFLog::configure(OFLogger::OFF_LOG_LEVEL);
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

std::string encapsulatedImageProblem(const ImageDescription& image)
{
    if (!isSupported(image.transferSyntax))
        return "unsupported transfer syntax " + image.transferSyntax;
    if (image.rows <= 0 || image.columns <= 0 || image.frames <= 0 ||
        (image.samplesPerPixel != 1 && image.samplesPerPixel != 3) ||
        (image.bitsAllocated != 8 && image.bitsAllocated != 16) || image.bitsStored < 1 ||
        image.bitsStored > image.bitsAllocated)
        return "the image description does not fit compressed pixel data";
    // Divided, not multiplied: a frame count from the file cannot overflow it.
    if (image.frameBytes() > kLargestImage / static_cast<std::size_t>(image.frames))
        return "the image is too large";
    return {};
}

bool decodeEncapsulatedPixels(const ImageDescription& image, const std::uint8_t* items, std::size_t size,
                              std::uint8_t* output, std::size_t capacity, std::string& problem)
{
    problem = encapsulatedImageProblem(image);
    if (!problem.empty())
        return false;
    const std::size_t frameBytes = image.frameBytes();
    std::vector<std::uint32_t> offsets;
    std::vector<Fragment> fragments;
    if (!splitItems(items, size, offsets, fragments, problem))
        return false;
    const std::size_t frames = static_cast<std::size_t>(image.frames);
    if ((!offsets.empty() && offsets.size() != frames) || fragments.size() < frames) {
        problem = "the frame count does not match the compressed pixel data";
        return false;
    }
    quietCodecs();
    const bool jpeg = isJpegSyntax(image.transferSyntax);
    const bool jpeg2000 = isJpeg2000Syntax(image.transferSyntax);
    if (jpeg || jpeg2000 || image.transferSyntax == "1.2.840.10008.1.2.5") {
        std::vector<std::vector<Fragment>> grouped;
        if (!groupFrames(offsets, fragments, frames, grouped)) {
            problem = "the frame count does not match the compressed pixel data";
            return false;
        }
        std::vector<std::uint8_t> frame;
        for (std::size_t f = 0; f < frames && f * frameBytes < capacity; ++f) {
            // A frame that the output holds whole is decoded straight into it.
            const bool whole = (f + 1) * frameBytes <= capacity;
            if (!whole)
                frame.assign(frameBytes, 0);
            std::uint8_t* target = whole ? output + f * frameBytes : frame.data();
            const bool decoded = jpeg       ? decodeJpegFrame(image, joined(grouped[f]), target, frameBytes, problem)
                                 : jpeg2000 ? decodeJpeg2000Frame(image, joined(grouped[f]), target, frameBytes, problem)
                                            : decodeRleFrame(image, joined(grouped[f]), target, problem);
            if (!decoded)
                return false;
            if (!whole)
                std::memcpy(output + f * frameBytes, frame.data(), capacity - f * frameBytes);
        }
        return true;
    }

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
    // A missing or unrecognised term is read as grey (or as RGB for three
    // samples): GDCM's codecs can abort on a term they do not know.
    gdcm::PhotometricInterpretation::PIType photometric =
        gdcm::PhotometricInterpretation::GetPIType(image.photometricInterpretation.c_str());
    if (photometric == gdcm::PhotometricInterpretation::UNKNOWN
        || photometric == gdcm::PhotometricInterpretation::PI_END)
        photometric = image.samplesPerPixel == 3 ? gdcm::PhotometricInterpretation::RGB
                                                 : gdcm::PhotometricInterpretation::MONOCHROME2;
    codec.SetPhotometricInterpretation(photometric);
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
