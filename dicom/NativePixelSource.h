#pragma once

#include "CompressedPixelDecoder.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class DicomFileReader;

// The pixels of a loaded file in native form, as its uncompressed twin holds
// them: the stored value itself for an uncompressed file, the frames decoded
// into memory this object owns for encapsulated pixel data.
class NativePixelSource
{
public:
    // After reader.load(): every frame. Nullptr, with the cause, when there are none.
    const std::uint8_t* pixels(const DicomFileReader& reader, std::size_t& byteCount, std::string& problem);

    // Loads the file's header into the reader and writes its first frame into
    // target: an uncompressed value read from the file straight into it, a
    // compressed one decoded into it. False, with the cause, when the frame
    // cannot be had or is larger than capacity; `frameBytes` tells its size.
    bool firstFrameInto(DicomFileReader& reader, const std::string& path, std::uint8_t* target, std::size_t capacity,
                        std::size_t& frameBytes, std::string& problem);

    // The image pixel module of the reader's data set and its transfer syntax.
    static ImageDescription describe(const DicomFileReader& reader);

private:
    // Whether the reader's pixel data is encapsulated and describable; sets
    // the start of its items and the decoded size of all frames.
    bool checkEncapsulated(const DicomFileReader& reader, const ImageDescription& image, std::size_t& total,
                           std::string& problem);
    bool decode(const DicomFileReader& reader, const ImageDescription& image, std::uint8_t* output,
                std::size_t capacity, std::string& problem) const;

    std::vector<std::uint8_t> decoded_;
    std::size_t itemsOffset_ = 0;
};
