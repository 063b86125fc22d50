#include "NestedSequence.h"

#include "ByteOrder.h"
#include "ElementTags.h"
#include "ExplicitHeader.h"

#include <algorithm>

namespace NestedSequence {

namespace {

using namespace ElementTags;

class Walk
{
public:
    Walk(const std::uint8_t* data, bool bigEndian, std::vector<std::uint8_t>& out)
        : data_(data), bigEndian_(bigEndian), out_(out)
    {
    }

    // Items from position up to end, or up to the sequence delimitation when
    // the sequence has an undefined length.
    bool sequence(std::size_t& position, std::size_t end, bool undefinedLength, int depth)
    {
        if (depth > kMaxNesting)
            return false;
        for (;;) {
            if (!undefinedLength && position == end)
                return true;
            if (end - position < 8)
                return false;
            const std::uint16_t group = load16(data_ + position);
            const std::uint16_t element = load16(data_ + position + 2);
            const std::uint32_t length = load32(data_ + position + 4);
            position += 8;
            if (group == kItemGroup && element == kSequenceDelimitation)
                return undefinedLength;
            if (group != kItemGroup || element != kItem)
                return false;
            const std::size_t lengthAt = openHeader(group, element);
            if (length == kUndefinedLength) {
                if (!item(position, end, true, depth))
                    return false;
            } else {
                // An item that claims more than its sequence holds ends with
                // the sequence, as a value cut by the end of the file does.
                if (!item(position, position + std::min<std::size_t>(length, end - position), false, depth))
                    return false;
            }
            closeHeader(lengthAt);
        }
    }

private:
    // The elements of one item, up to end or, for an item of undefined
    // length, up to its delimitation.
    bool item(std::size_t& position, std::size_t end, bool undefinedLength, int depth)
    {
        for (;;) {
            if (!undefinedLength && position == end)
                return true;
            if (end - position < 8)
                return false;
            const std::uint8_t* header = data_ + position;
            const std::uint16_t group = load16(header);
            const std::uint16_t element = load16(header + 2);
            if (group == kItemGroup) {
                position += 8;
                return undefinedLength && element == kItemDelimitation;
            }
            std::uint32_t length = 0;
            bool isSequence = false;
            std::size_t swapUnit = 0;
            if (ExplicitHeader::hasVr(header + 4)) {
                const std::uint16_t shortField = load16(header + 6);
                if (ExplicitHeader::isLongForm(header + 4, shortField)) {
                    if (end - position < 12)
                        return false;
                    length = load32(header + 8);
                    swapUnit = ExplicitHeader::longFormSwapUnit(header + 4);
                    position += 12;
                } else {
                    length = shortField;
                    swapUnit = ExplicitHeader::shortFormSwapUnit(header + 4);
                    position += 8;
                }
                // An undefined-length UN is a sequence in implicit form.
                isSequence = ExplicitHeader::isVr(header + 4, 'S', 'Q') ||
                             (ExplicitHeader::isVr(header + 4, 'U', 'N') && length == kUndefinedLength);
            } else {
                length = load32(header + 4);
                position += 8;
                isSequence = length == kUndefinedLength && !(group == kPixelGroup && element == kPixelElement);
            }
            if (length == kUndefinedLength && !isSequence) {
                // Encapsulated pixel data (an icon image): the fragments as they are.
                appendHeader(group, element, kUndefinedLength);
                if (!fragments(position, end))
                    return false;
                continue;
            }
            if (length != kUndefinedLength && length > end - position)
                return false;
            if (isSequence) {
                const std::size_t lengthAt = openHeader(group, element);
                const bool undefined = length == kUndefinedLength;
                if (!sequence(position, undefined ? end : position + length, undefined, depth + 1))
                    return false;
                closeHeader(lengthAt);
                continue;
            }
            appendHeader(group, element, length);
            const std::size_t start = out_.size();
            out_.insert(out_.end(), data_ + position, data_ + position + length);
            // Numbers of a big-endian data set become little-endian, as the
            // reader turns the top-level ones.
            if (bigEndian_ && swapUnit != 0 && length >= swapUnit)
                ByteOrder::swapUnits(out_.data() + start, length, swapUnit);
            position += length;
        }
    }

    // Fragment items up to and including the sequence delimitation.
    bool fragments(std::size_t& position, std::size_t end)
    {
        for (;;) {
            if (end - position < 8)
                return false;
            const std::uint16_t group = load16(data_ + position);
            const std::uint16_t element = load16(data_ + position + 2);
            const std::uint32_t length = load32(data_ + position + 4);
            if (group != kItemGroup)
                return false;
            appendHeader(group, element, length);
            position += 8;
            if (element == kSequenceDelimitation)
                return true;
            if (length == kUndefinedLength || length > end - position)
                return false;
            out_.insert(out_.end(), data_ + position, data_ + position + length);
            position += length;
        }
    }

    void appendHeader(std::uint16_t group, std::uint16_t element, std::uint32_t length)
    {
        std::uint8_t header[8];
        ByteOrder::store16(header, group);
        ByteOrder::store16(header + 2, element);
        ByteOrder::store32(header + 4, length);
        out_.insert(out_.end(), header, header + 8);
    }

    // A header whose length is known once its content is written.
    std::size_t openHeader(std::uint16_t group, std::uint16_t element)
    {
        appendHeader(group, element, 0);
        return out_.size() - 4;
    }

    void closeHeader(std::size_t lengthAt)
    {
        ByteOrder::store32(out_.data() + lengthAt, static_cast<std::uint32_t>(out_.size() - lengthAt - 4));
    }

    std::uint16_t load16(const std::uint8_t* bytes) const
    {
        const std::uint16_t value = ByteOrder::load16(bytes);
        return bigEndian_ ? ByteOrder::swap16(value) : value;
    }
    std::uint32_t load32(const std::uint8_t* bytes) const
    {
        const std::uint32_t value = ByteOrder::load32(bytes);
        return bigEndian_ ? ByteOrder::swap32(value) : value;
    }

    const std::uint8_t* data_;
    bool bigEndian_;
    std::vector<std::uint8_t>& out_;
};

} // namespace

bool toImplicit(const std::uint8_t* value, std::size_t size, bool bigEndian, std::vector<std::uint8_t>& out)
{
    out.clear();
    out.reserve(size);
    std::size_t position = 0;
    return Walk(value, bigEndian, out).sequence(position, size, false, 0);
}

} // namespace NestedSequence
