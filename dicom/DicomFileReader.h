#pragma once

#include "ElementStore.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Reads one DICOM file (a Part 10 file or a raw element stream, either byte
// order) into its element store, in the form the control writes back: raw
// implicit little-endian, group lengths recomputed for that encoding.
class DicomFileReader
{
public:
    enum FileKind : std::int32_t {
        UnknownKind = -1,
        Part10File = 17,
        RawElementStream = 257,
    };

    // Replaces the store with the file's data set (empty when the file cannot
    // be read). The whole file is read with one read into one buffer.
    void load(const std::string& path);
    // As load(), but ends before the pixel data (7FE0,0010) and reads only as
    // much of the file as the header needs. True when the kind is known.
    bool loadHeaderOnly(const std::string& path);
    // As load(), from bytes in memory (copied); for tests and fuzzing.
    void loadFromMemory(const std::uint8_t* data, std::size_t size);

    // Empties the store and makes it the two-element placeholder data set.
    void makeFreshDataSet();

    // Stores n bytes as the value of a tag; an empty store first becomes a
    // fresh data set. False when nothing was stored.
    bool storeValue(std::uint16_t group, std::uint16_t element, const std::uint8_t* source, std::size_t available,
                    std::uint32_t n);

    // Where the last load met the pixel data element (7FE0,0010): the file
    // offset of its header (npos when none was met), and whether the data set
    // there was byte-swapped. Encapsulated pixel data ends a load at that
    // header; a header-only load stops there.
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);
    std::size_t pixelHeaderOffset() const { return pixelHeaderOffset_; }
    bool pixelDataSwapped() const { return pixelDataSwapped_; }
    // True when the data set was deflated and has been inflated: offsets then
    // refer to the inflated bytes, not to the file.
    bool dataSetInflated() const { return dataSetInflated_; }
    // The bytes of the last whole load (the inflated form for a deflated file).
    const std::uint8_t* loadedBytes() const { return loadedBytes_; }
    std::size_t loadedSize() const { return loadedSize_; }

    std::int32_t fileKind() const { return fileKind_; }
    std::uint32_t byteOrderFlag() const { return byteOrderFlag_; }
    const std::string& path() const { return path_; }
    // True when a header-only load ended at the pixel data element.
    bool pixelDataMet() const { return pixelDataMet_; }
    ElementStore& store() { return store_; }
    const ElementStore& store() const { return store_; }

    // The kind a file's first bytes announce; sets byteOrderFlag for raw
    // element streams. Needs at least 133 bytes to recognise a Part 10 file.
    static std::int32_t detectKind(const std::uint8_t* data, std::size_t size, std::uint32_t& byteOrderFlag);

private:
    struct Cursor;

    void parse(std::uint8_t* data, std::size_t size, bool wholeFile, bool headerOnly, bool& needMore);
    // Loads the file again with its deflated data set inflated (from `data`, the whole file).
    void parseInflated(const std::uint8_t* data, std::size_t size, bool headerOnly);
    void startLoad(const std::string& path);
    void readPart10(Cursor& cursor, bool headerOnly);
    void readRawStream(Cursor& cursor, bool headerOnly);
    void skipUndefinedSequence(Cursor& cursor, bool swapping, int depth);
    bool skipUndefinedItem(Cursor& cursor, bool swapping, int depth);
    void rewriteNestedHeaders(ElementRecord& sequence, bool bigEndian);
    void swapValue(ElementRecord& record, std::size_t unitSize);

    std::uint32_t byteOrderFlag_ = 0;
    std::int32_t fileKind_ = UnknownKind;
    std::string path_;
    bool pixelDataMet_ = false;
    ElementStore store_;
    std::size_t pixelHeaderOffset_ = npos;
    bool pixelDataSwapped_ = false;
    std::size_t deflatedDataSetOffset_ = npos;
    bool dataSetInflated_ = false;
    const std::uint8_t* loadedBytes_ = nullptr;
    std::size_t loadedSize_ = 0;
};
