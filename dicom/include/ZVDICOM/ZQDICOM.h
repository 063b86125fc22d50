#pragma once

// ZQDICOM: reads one DICOM file at a time (a Part 10 file or a raw element
// stream) into an in-memory element list, answers questions about single
// elements by (group, element) or by position, lets the host replace or add
// values, and writes the list back as a raw implicit little-endian element
// stream.
//
// Conventions of this interface (the published member names are kept):
// - A property P is read with P() and written with setP(value).
// - Tags are passed as two 16-bit numbers; groups of 0x8000 and above are
//   negative as std::int16_t (0xFFFE is static_cast<std::int16_t>(0xFFFE)).
// - A caller-owned string (std::string&) is sized by the caller; the control
//   overwrites characters in place, one character per byte, never past the
//   string's size and never changing it. Callers cut the text at the first
//   NUL character.
// - The control never prints or shows anything; results tell success.
// - Not thread-safe: one instance is used from one thread at a time.

#include <cstdint>
#include <memory>
#include <string>

class DicomFileReader;
class NativePixelSource;

class ZQDICOM
{
public:
    // Member numbers of the dispatch interface, for automation layers.
    enum class DispId : std::int32_t {
        filename = 1,
        hImage = 2,
        GetTagString = 3,
        GetNumOfTag = 4,
        GetTagFromIndex = 5,
        GetTagShort = 6,
        GetTagLong = 7,
        GetVersion = 8,
        SetTagInfo = 9,
        SaveDICOMFile = 10,
        GetTagSize = 11,
        SetTagString = 12,
    };

    ZQDICOM();
    ~ZQDICOM();
    ZQDICOM(const ZQDICOM&) = delete;
    ZQDICOM& operator=(const ZQDICOM&) = delete;

    // 1. filename. Writing it loads the whole file (the previous data set is
    // gone even when the new file cannot be read: the store is then empty).
    // Reading it always gives the empty text; the host keeps the path.
    std::string filename() const;
    void setfilename(const std::string& path);

    // 2. hImage. Address of the stored value of (7FE0,0010), or nullptr when
    // the element is missing or holds no value (for example encapsulated
    // pixel data). Valid until the next load or the control's destruction;
    // GetTagSize(0x7FE0, 0x0010, size) tells how many bytes it holds.
    // Writing copies exactly that many bytes from the given address into the
    // stored value; it does nothing when there is no stored value or the
    // address is nullptr. The element's length never changes through hImage.
    const std::uint8_t* hImage() const;
    void sethImage(const std::uint8_t* pixels);

    // 3. The value as text: at most its first 255 bytes, cut at the first zero
    // byte, then one NUL; no more than len characters written in all. Padding
    // spaces stay. False (wbuff untouched) when the element does not exist.
    bool GetTagString(std::int16_t Group, std::int16_t Element, std::string& wbuff, std::int32_t len) const;

    // 4. Number of records, the end record included (a fully read file of N
    // elements, synthesised group lengths counted, gives N + 1; an unreadable
    // file gives 0). Hosts listing elements walk positions 1 .. GetNumOfTag()-1.
    std::int32_t GetNumOfTag() const;

    // 5. The record at Index (from 1): its tag, and in wbuff the value's raw
    // bytes (up to 65535 of them), one filler character (NUL) and a carriage
    // return (13) as end mark; no more than len characters written in all.
    // The end record reports (0000,0000) and an empty value. False (out
    // parameters untouched) when the position does not exist.
    bool GetTagFromIndex(std::int32_t Index, std::int16_t& Group, std::int16_t& Element, std::string& wbuff,
                         std::int32_t len) const;

    // 6./7. The first 2 / 4 bytes of the value as a little-endian signed
    // number; bytes that the value does not hold read as zero. False (Value
    // untouched) when the element does not exist.
    bool GetTagShort(std::int16_t Group, std::int16_t Element, std::int16_t& Value) const;
    bool GetTagLong(std::int16_t Group, std::int16_t Element, std::int32_t& Value) const;

    // 8. Writes the version text "1, 1, 5, 713" followed by NULs into string:
    // min(len, 100, string.size()) characters; then sets len to 12.
    void GetVersion(std::string& string, std::int32_t& len) const;

    // 9. Stores BufferSize bytes from Buffer as the value of the tag, adding
    // the element in tag order when it is new, and keeps the group's length
    // element (gggg,0000) in step. An empty control first gets a fresh data
    // set ((0008,0005) and (0008,0008) holding "OriginalFormat").
    // True when the value was stored; false for a negative size, a nullptr
    // Buffer with a positive size, or a failed allocation.
    bool SetTagInfo(std::int16_t Group, std::int16_t Element, const std::uint8_t* Buffer, std::int32_t BufferSize);

    // 10. Writes the store to filename as a raw implicit little-endian element
    // stream (no preamble, no meta group 0002, no end record). FileType is
    // ignored. True when the whole file was written; false when it could not
    // be created or written.
    bool SaveDICOMFile(std::int32_t FileType, const std::string& filename) const;

    // 11. The value length in bytes. False (Size untouched) when the element
    // does not exist.
    bool GetTagSize(std::int16_t Group, std::int16_t Element, std::int32_t& Size) const;

    // 12. Stores len bytes of string (UTF-8) as the value of the tag, as
    // SetTagInfo does; bytes beyond the end of string are stored as zero
    // (so "ABC" with len 4 stores "ABC\0"). True when the value was stored.
    bool SetTagString(std::int16_t Group, std::int16_t Element, const std::string& string, std::int32_t len);

    // Unpublished extra for hosts that need header fields only (folder scans,
    // batch tools): loads the file like setfilename() but stops before the
    // pixel data element (7FE0,0010), which is then absent; the store ends
    // with its end record as if the file ended there. Only as much of the
    // file is read as the header needs. Returns true when the file was
    // recognised as DICOM (Part 10 or raw element stream).
    bool loadHeaderOnly(const std::string& path);

    // Unpublished extra: true when the last load met the pixel data element
    // (7FE0,0010), also after loadHeaderOnly(), whose store ends before it.
    // Lets a scan tell images from other objects without reading pixels.
    bool hasPixelData() const;

    // Unpublished extra for hosts that need the pixels of compressed files
    // (the published hImage stays 0 for them): loads the file like
    // setfilename() and gives every frame's pixels as its uncompressed twin
    // holds them: Bits Allocated per sample, little-endian, frame after frame.
    // For an uncompressed file that is hImage() itself; encapsulated pixel
    // data (JPEG baseline, extended and lossless, JPEG-LS, JPEG 2000, RLE) is
    // decoded into memory the control owns, valid until the next load. A
    // deflated data set is inflated by every load. Nullptr, with the cause in
    // `problem` (unsupported transfer syntax, corrupt or truncated code
    // stream, frame count that does not match, no pixel data), when there
    // are no pixels; byteCount then is 0.
    const std::uint8_t* loadNativePixels(const std::string& path, std::size_t& byteCount, std::string& problem);

    // Unpublished extra: loads the header like loadHeaderOnly() and writes
    // the first frame's native pixels (as above) into `target`: read from
    // the file straight into it when uncompressed, decoded into it when not.
    // frameBytes tells the frame's size (columns x rows x samples x Bits
    // Allocated / 8). False, with the cause in `problem`, when the frame
    // cannot be had or is larger than `capacity`.
    bool loadFirstFrameInto(const std::string& path, std::uint8_t* target, std::size_t capacity,
                            std::size_t& frameBytes, std::string& problem);

private:
    std::unique_ptr<DicomFileReader> reader_;
    std::unique_ptr<NativePixelSource> pixels_;
};
