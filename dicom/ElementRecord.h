#pragma once

#include <cstdint>
#include <memory>

// One stored data element. The value bytes live either in the loaded file's
// buffer (the common case: no allocation per element), in the record's own
// four inline bytes (synthesised group lengths), or in a buffer the record owns
// (values the host stored). `value()` hides which.
struct ElementRecord
{
    std::uint16_t group = 0;
    std::uint16_t element = 0;
    // As read from an explicit-VR header; "UL" for a synthesised group length;
    // the first two length bytes for an implicit element; zero when added by the host.
    char valueRepresentation[2] = {0, 0};
    // The value length cut to 16 bits; every string read is bounded by it.
    std::uint16_t shortLength = 0;
    std::uint32_t valueLength = 0;
    // The record after the last element of a completely read file: no element,
    // no value, never matched by a tag lookup, never written.
    bool isEndRecord = false;
    // A group length the reader made because the file has none.
    bool isSynthesised = false;
    bool hasInlineValue = false;
    std::uint8_t inlineValue[4] = {0, 0, 0, 0};
    std::uint8_t* externalValue = nullptr;
    std::unique_ptr<std::uint8_t[]> ownedValue;

    // Nullptr when the record keeps no value.
    std::uint8_t* value() { return hasInlineValue ? inlineValue : externalValue; }
    const std::uint8_t* value() const { return hasInlineValue ? inlineValue : externalValue; }
    bool hasValue() const { return hasInlineValue || externalValue != nullptr; }

    void clearValue()
    {
        hasInlineValue = false;
        externalValue = nullptr;
        ownedValue.reset();
    }
};
