#include "Jpeg2000Decoder.h"

#include <openjpeg.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// The code stream in memory, as OpenJPEG's stream callbacks read it.
struct MemoryStream {
    const std::uint8_t* bytes;
    std::size_t size;
    std::size_t position;
};

OPJ_SIZE_T readBytes(void* buffer, OPJ_SIZE_T count, void* user)
{
    auto* stream = static_cast<MemoryStream*>(user);
    const std::size_t left = stream->size - stream->position;
    if (left == 0)
        return static_cast<OPJ_SIZE_T>(-1);
    const std::size_t taken = std::min<std::size_t>(count, left);
    std::memcpy(buffer, stream->bytes + stream->position, taken);
    stream->position += taken;
    return taken;
}

OPJ_OFF_T skipBytes(OPJ_OFF_T count, void* user)
{
    auto* stream = static_cast<MemoryStream*>(user);
    if (count < 0 && static_cast<std::size_t>(-count) > stream->position)
        return -1;
    // Past the end is allowed, as for a file; the next read then finds nothing.
    stream->position = count < 0 ? stream->position - static_cast<std::size_t>(-count)
                                 : std::min(stream->size, stream->position + static_cast<std::size_t>(count));
    return count;
}

OPJ_BOOL seekTo(OPJ_OFF_T position, void* user)
{
    auto* stream = static_cast<MemoryStream*>(user);
    if (position < 0 || static_cast<std::size_t>(position) > stream->size)
        return OPJ_FALSE;
    stream->position = static_cast<std::size_t>(position);
    return OPJ_TRUE;
}

void quiet(const char*, void*) {}

struct CodecDeleter {
    void operator()(opj_codec_t* codec) const { opj_destroy_codec(codec); }
};
struct StreamDeleter {
    void operator()(opj_stream_t* stream) const { opj_stream_destroy(stream); }
};
struct ImageDeleter {
    void operator()(opj_image_t* image) const { opj_image_destroy(image); }
};

bool isJp2File(const std::vector<std::uint8_t>& stream)
{
    static const std::uint8_t kSignature[] = {0x00, 0x00, 0x00, 0x0C, 0x6A, 0x50, 0x20, 0x20};
    return stream.size() >= sizeof(kSignature) && std::equal(std::begin(kSignature), std::end(kSignature), stream.begin());
}

} // namespace

bool decodeJpeg2000Frame(const ImageDescription& image, const std::vector<std::uint8_t>& stream, std::uint8_t* output,
                         std::size_t frameBytes, std::string& problem)
{
    const std::unique_ptr<opj_codec_t, CodecDeleter> codec(
        opj_create_decompress(isJp2File(stream) ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
    const std::unique_ptr<opj_stream_t, StreamDeleter> input(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE));
    if (!codec || !input) {
        problem = "the JPEG 2000 decoder could not be set up";
        return false;
    }
    opj_set_info_handler(codec.get(), quiet, nullptr);
    opj_set_warning_handler(codec.get(), quiet, nullptr);
    opj_set_error_handler(codec.get(), quiet, nullptr);
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    MemoryStream memory{stream.data(), stream.size(), 0};
    opj_stream_set_user_data(input.get(), &memory, nullptr);
    opj_stream_set_user_data_length(input.get(), stream.size());
    opj_stream_set_read_function(input.get(), readBytes);
    opj_stream_set_skip_function(input.get(), skipBytes);
    opj_stream_set_seek_function(input.get(), seekTo);

    opj_image_t* header = nullptr;
    const bool headerRead = opj_setup_decoder(codec.get(), &parameters) && opj_read_header(input.get(), codec.get(), &header);
    const std::unique_ptr<opj_image_t, ImageDeleter> decoded(header);
    if (!headerRead || !decoded) {
        problem = "the compressed pixel data does not decode (corrupt or truncated code stream)";
        return false;
    }
    // The stream must hold the image the file states, before any of it is decoded.
    const auto columns = static_cast<OPJ_UINT32>(image.columns), rows = static_cast<OPJ_UINT32>(image.rows);
    bool fits = decoded->numcomps == static_cast<OPJ_UINT32>(image.samplesPerPixel) &&
                decoded->x1 - decoded->x0 == columns && decoded->y1 - decoded->y0 == rows;
    for (OPJ_UINT32 c = 0; fits && c < decoded->numcomps; ++c) {
        const opj_image_comp_t& component = decoded->comps[c];
        fits = component.dx == 1 && component.dy == 1 && component.prec >= 1 &&
               component.prec <= static_cast<OPJ_UINT32>(image.bitsAllocated);
    }
    if (!fits) {
        problem = "the image description does not fit compressed pixel data";
        return false;
    }
    if (!opj_decode(codec.get(), input.get(), decoded.get()) || !opj_end_decompress(codec.get(), input.get())) {
        problem = "the compressed pixel data does not decode (corrupt or truncated code stream)";
        return false;
    }
    const std::size_t pixels = static_cast<std::size_t>(columns) * rows;
    const std::size_t samples = decoded->numcomps;
    const std::size_t bytesPerSample = image.bitsAllocated == 8 ? 1 : 2;
    if (frameBytes < pixels * samples * bytesPerSample) {
        problem = "the image description does not fit compressed pixel data";
        return false;
    }
    for (std::size_t c = 0; c < samples; ++c) {
        const opj_image_comp_t& component = decoded->comps[c];
        if (component.data == nullptr || component.w != columns || component.h != rows) {
            problem = "the compressed pixel data does not decode (corrupt or truncated code stream)";
            return false;
        }
        // Samples interleaved unless the file says planes; each as its bits are stored.
        const bool planes = image.planarConfiguration != 0;
        const std::size_t step = planes ? 1 : samples;
        std::uint8_t* target = output + (planes ? c * pixels : c) * bytesPerSample;
        const OPJ_INT32* values = component.data;
        if (bytesPerSample == 1) {
            for (std::size_t i = 0; i < pixels; ++i)
                target[i * step] = static_cast<std::uint8_t>(values[i]);
        } else {
            for (std::size_t i = 0; i < pixels; ++i) {
                const auto value = static_cast<std::uint16_t>(values[i]);
                target[2 * i * step] = static_cast<std::uint8_t>(value & 0xFF);
                target[2 * i * step + 1] = static_cast<std::uint8_t>(value >> 8);
            }
        }
    }
    return true;
}
