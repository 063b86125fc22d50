#include "ElementStore.h"

#include "ByteOrder.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {
// Zero bytes after the file's end, so that a fixed-size look at a value that
// ends at the last byte of the file never leaves the buffer.
constexpr std::size_t kBufferPadding = 16;
} // namespace

void ElementStore::clear()
{
    records_.clear();
}

std::uint8_t* ElementStore::reserveFileBuffer(std::size_t size)
{
    if (size > fileBufferCapacity_ || !fileBuffer_) {
        fileBuffer_.reset();
        fileBufferCapacity_ = 0;
        std::uint8_t* buffer = new (std::nothrow) std::uint8_t[size + kBufferPadding];
        if (buffer == nullptr)
            return nullptr;
        fileBuffer_.reset(buffer);
        fileBufferCapacity_ = size;
    }
    std::memset(fileBuffer_.get() + size, 0, kBufferPadding);
    return fileBuffer_.get();
}

ElementRecord& ElementStore::appendEndRecord()
{
    ElementRecord& record = records_.emplace_back();
    record.isEndRecord = true;
    return record;
}

ElementRecord& ElementStore::appendGroupLength(std::uint16_t group)
{
    ElementRecord& record = records_.emplace_back();
    record.group = group;
    record.element = 0;
    record.valueRepresentation[0] = 'U';
    record.valueRepresentation[1] = 'L';
    record.shortLength = 4;
    record.valueLength = 4;
    record.isSynthesised = true;
    record.hasInlineValue = true;
    return record;
}

bool ElementStore::hasElements() const
{
    return std::any_of(records_.begin(), records_.end(), [](const ElementRecord& r) { return !r.isEndRecord; });
}

const ElementRecord* ElementStore::find(std::uint16_t group, std::uint16_t element) const
{
    for (const ElementRecord& record : records_) {
        if (record.group == group && record.element == element && !record.isEndRecord)
            return &record;
    }
    return nullptr;
}

ElementRecord* ElementStore::find(std::uint16_t group, std::uint16_t element)
{
    return const_cast<ElementRecord*>(static_cast<const ElementStore*>(this)->find(group, element));
}

const ElementRecord* ElementStore::at(std::int64_t position) const
{
    if (position < 1 || position > static_cast<std::int64_t>(records_.size()))
        return nullptr;
    return &records_[static_cast<std::size_t>(position - 1)];
}

bool ElementStore::storeValue(std::uint16_t group, std::uint16_t element, const std::uint8_t* source,
                              std::size_t available, std::uint32_t n)
{
    std::uint8_t* bytes = new (std::nothrow) std::uint8_t[std::max<std::size_t>(n, 1)];
    if (bytes == nullptr)
        return false;
    std::unique_ptr<std::uint8_t[]> value(bytes);
    const std::size_t copied = std::min<std::size_t>(available, n);
    if (copied > 0)
        std::memcpy(bytes, source, copied);
    std::memset(bytes + copied, 0, n - copied);

    std::int64_t sizeChange = 0;
    ElementRecord* record = find(group, element);
    if (record != nullptr) {
        sizeChange = static_cast<std::int64_t>(n) - static_cast<std::int64_t>(record->valueLength);
    } else {
        // After the last record that sorts before the tag; at the front when
        // none does (dropping the data set instead would lose the host's file).
        std::size_t insertAt = 0;
        for (std::size_t i = 0; i < records_.size(); ++i) {
            const ElementRecord& r = records_[i];
            if (r.isEndRecord)
                continue;
            if (r.group < group || (r.group == group && r.element < element))
                insertAt = i + 1;
        }
        auto inserted = records_.emplace(records_.begin() + static_cast<std::ptrdiff_t>(insertAt));
        record = &*inserted;
        record->group = group;
        record->element = element;
        sizeChange = static_cast<std::int64_t>(n) + 8;
    }
    record->clearValue();
    record->ownedValue = std::move(value);
    record->externalValue = record->ownedValue.get();
    record->valueLength = n;
    record->shortLength = static_cast<std::uint16_t>(n);

    ElementRecord* groupLength = find(group, 0x0000);
    if (groupLength != nullptr && groupLength->hasValue() && groupLength->valueLength >= 4) {
        std::uint8_t* v = groupLength->value();
        ByteOrder::store32(v, ByteOrder::load32(v) + static_cast<std::uint32_t>(sizeChange));
    }
    return true;
}
