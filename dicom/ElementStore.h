#pragma once

#include "ElementRecord.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The element list of the current data set, in file order, and the buffer that
// holds the loaded file (records point into it instead of copying values).
class ElementStore
{
public:
    // Frees every record and value. Buffer capacity is kept for the next load.
    void clear();

    // A buffer of at least `size` bytes for the next file, followed by zero
    // padding; valid until the next call. Nullptr when it cannot be allocated.
    std::uint8_t* reserveFileBuffer(std::size_t size);

    std::vector<ElementRecord>& records() { return records_; }
    const std::vector<ElementRecord>& records() const { return records_; }

    ElementRecord& appendEndRecord();
    ElementRecord& appendGroupLength(std::uint16_t group);

    // Number of records, the end record included.
    std::size_t count() const { return records_.size(); }
    // True when the store holds at least one element (the end record aside).
    bool hasElements() const;

    // The first record with this tag, never the end record; nullptr if none.
    const ElementRecord* find(std::uint16_t group, std::uint16_t element) const;
    ElementRecord* find(std::uint16_t group, std::uint16_t element);
    // The record at a position counted from 1; nullptr outside 1..count().
    const ElementRecord* at(std::int64_t position) const;

    // Stores n bytes as the value of the tag: `available` bytes from `source`,
    // zeros after them. An existing record gets the new value; a new record is
    // linked after the last record that sorts before the tag (at the front when
    // none does). The group's length record (gggg,0000), when present, follows
    // the size change. False, with the store unchanged, when the value cannot
    // be allocated.
    bool storeValue(std::uint16_t group, std::uint16_t element, const std::uint8_t* source, std::size_t available,
                    std::uint32_t n);

private:
    std::vector<ElementRecord> records_;
    std::unique_ptr<std::uint8_t[]> fileBuffer_;
    std::size_t fileBufferCapacity_ = 0;
};
