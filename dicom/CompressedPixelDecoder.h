#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// What a decoder needs to know of an image besides its code stream: the
// image pixel module of the file and its transfer syntax.
struct ImageDescription {
    int rows = 0;
    int columns = 0;
    int samplesPerPixel = 1;
    int bitsAllocated = 16;
    int bitsStored = 16;
    int highBit = 15;
    int pixelRepresentation = 0;
    int planarConfiguration = 0;
    int frames = 1;
    std::string photometricInterpretation = "MONOCHROME2";
    std::string transferSyntax;

    // Bytes of one frame as an uncompressed file holds it.
    std::size_t frameBytes() const;
};

// Why an image of this description cannot be decoded from encapsulated pixel
// data (a syntax no codec here reads, a description compressed data cannot
// have, more than the largest image decoded here), or empty when it can.
// Checked before any memory is set aside for the decoded pixels, whose size
// the file states but does not show.
std::string encapsulatedImageProblem(const ImageDescription& image);

// Decodes encapsulated pixel data (the items that follow the pixel data
// element's header): JPEG baseline, extended and lossless (DCMTK's IJG
// decoders), JPEG-LS (GDCM's codec), JPEG 2000 (OpenJPEG) and RLE. Writes `frames` frames, as many as `capacity`
// bytes hold from the first one on, in the form an uncompressed file holds
// them (Bits Allocated per sample, little-endian, samples interleaved unless
// the file's planar configuration says otherwise). Thread-safe: each call
// uses its own codec state. False, with the cause in `problem`, for an
// unsupported transfer syntax, a broken item structure, a frame count that
// the items do not match, or a code stream that does not decode.
bool decodeEncapsulatedPixels(const ImageDescription& image, const std::uint8_t* items, std::size_t size,
                              std::uint8_t* output, std::size_t capacity, std::string& problem);

// True when the transfer syntax stores its pixel data encapsulated.
bool isEncapsulatedSyntax(const std::string& transferSyntax);
