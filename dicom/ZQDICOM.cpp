#include "ZVDICOM/ZQDICOM.h"

#include "DicomFileReader.h"
#include "ElementStreamWriter.h"
#include "NativePixelSource.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint16_t kPixelGroup = 0x7FE0;
constexpr std::uint16_t kPixelElement = 0x0010;
constexpr char kVersionText[] = "1, 1, 5, 713";

std::uint16_t tagNumber(std::int16_t number) { return static_cast<std::uint16_t>(number); }

// How many characters may be written into a caller-owned string.
std::size_t writableCharacters(const std::string& text, std::int32_t maximum)
{
    if (maximum <= 0)
        return 0;
    return std::min(text.size(), static_cast<std::size_t>(maximum));
}

// The first `width` bytes of a value as a little-endian number; bytes the
// value does not hold count as zero.
std::uint32_t leadingBytes(const ElementRecord& record, std::size_t width)
{
    std::uint8_t bytes[4] = {0, 0, 0, 0};
    if (record.hasValue())
        std::memcpy(bytes, record.value(), std::min<std::size_t>(width, record.valueLength));
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

} // namespace

ZQDICOM::ZQDICOM() : reader_(std::make_unique<DicomFileReader>()), pixels_(std::make_unique<NativePixelSource>()) {}

ZQDICOM::~ZQDICOM() = default;

std::string ZQDICOM::filename() const
{
    return {};
}

void ZQDICOM::setfilename(const std::string& path)
{
    reader_->load(path);
}

bool ZQDICOM::loadHeaderOnly(const std::string& path)
{
    return reader_->loadHeaderOnly(path);
}

bool ZQDICOM::hasPixelData() const
{
    return reader_->pixelDataMet() || reader_->store().find(kPixelGroup, kPixelElement) != nullptr;
}

const std::uint8_t* ZQDICOM::loadNativePixels(const std::string& path, std::size_t& byteCount, std::string& problem)
{
    reader_->load(path);
    return pixels_->pixels(*reader_, byteCount, problem);
}

bool ZQDICOM::loadFirstFrameInto(const std::string& path, std::uint8_t* target, std::size_t capacity,
                                 std::size_t& frameBytes, std::string& problem)
{
    return pixels_->firstFrameInto(*reader_, path, target, capacity, frameBytes, problem);
}

const std::uint8_t* ZQDICOM::hImage() const
{
    const ElementRecord* record = reader_->store().find(kPixelGroup, kPixelElement);
    if (record == nullptr || !record->hasValue() || record->valueLength == 0)
        return nullptr;
    return record->value();
}

void ZQDICOM::sethImage(const std::uint8_t* pixels)
{
    ElementRecord* record = reader_->store().find(kPixelGroup, kPixelElement);
    if (pixels == nullptr || record == nullptr || !record->hasValue() || record->valueLength == 0)
        return;
    std::memmove(record->value(), pixels, record->valueLength);
}

bool ZQDICOM::GetTagString(std::int16_t Group, std::int16_t Element, std::string& wbuff, std::int32_t len) const
{
    const ElementRecord* record = reader_->store().find(tagNumber(Group), tagNumber(Element));
    if (record == nullptr)
        return false;
    const std::size_t limit = std::min<std::size_t>(record->shortLength, 255);
    const std::uint8_t* value = record->value();
    std::size_t textLength = 0;
    if (value != nullptr) {
        const void* zero = std::memchr(value, 0, limit);
        textLength = zero != nullptr ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - value) : limit;
    }
    const std::size_t room = writableCharacters(wbuff, len);
    const std::size_t copied = std::min(textLength, room);
    if (copied > 0)
        std::memcpy(wbuff.data(), value, copied);
    if (copied < room)
        wbuff[copied] = '\0';
    return true;
}

std::int32_t ZQDICOM::GetNumOfTag() const
{
    return static_cast<std::int32_t>(reader_->store().count());
}

bool ZQDICOM::GetTagFromIndex(std::int32_t Index, std::int16_t& Group, std::int16_t& Element, std::string& wbuff,
                              std::int32_t len) const
{
    const ElementRecord* record = reader_->store().at(Index);
    if (record == nullptr)
        return false;
    Group = static_cast<std::int16_t>(record->group);
    Element = static_cast<std::int16_t>(record->element);
    const std::size_t room = writableCharacters(wbuff, len);
    std::size_t position = std::min<std::size_t>(record->shortLength, room);
    if (position > 0) {
        if (record->hasValue())
            std::memcpy(wbuff.data(), record->value(), position);
        else
            std::memset(wbuff.data(), 0, position);
    }
    if (position < room)
        wbuff[position++] = '\0'; // filler between value and end mark
    if (position < room)
        wbuff[position++] = '\r';
    return true;
}

bool ZQDICOM::GetTagShort(std::int16_t Group, std::int16_t Element, std::int16_t& Value) const
{
    const ElementRecord* record = reader_->store().find(tagNumber(Group), tagNumber(Element));
    if (record == nullptr)
        return false;
    Value = static_cast<std::int16_t>(static_cast<std::uint16_t>(leadingBytes(*record, 2)));
    return true;
}

bool ZQDICOM::GetTagLong(std::int16_t Group, std::int16_t Element, std::int32_t& Value) const
{
    const ElementRecord* record = reader_->store().find(tagNumber(Group), tagNumber(Element));
    if (record == nullptr)
        return false;
    Value = static_cast<std::int32_t>(leadingBytes(*record, 4));
    return true;
}

void ZQDICOM::GetVersion(std::string& string, std::int32_t& len) const
{
    char buffer[100] = {};
    std::memcpy(buffer, kVersionText, sizeof(kVersionText) - 1);
    // len counts bytes of 16-bit characters: len / 2 characters at most.
    const std::size_t count = std::min<std::size_t>(writableCharacters(string, len / 2), sizeof(buffer));
    if (count > 0)
        std::memcpy(string.data(), buffer, count);
    len = static_cast<std::int32_t>(sizeof(kVersionText) - 1);
}

bool ZQDICOM::SetTagInfo(std::int16_t Group, std::int16_t Element, const std::uint8_t* Buffer, std::int32_t BufferSize)
{
    if (BufferSize < 0 || (Buffer == nullptr && BufferSize > 0))
        return false;
    const auto size = static_cast<std::uint32_t>(BufferSize);
    return reader_->storeValue(tagNumber(Group), tagNumber(Element), Buffer, size, size);
}

bool ZQDICOM::SaveDICOMFile(std::int32_t /*FileType*/, const std::string& filename) const
{
    return ElementStreamWriter::write(reader_->store(), filename);
}

bool ZQDICOM::GetTagSize(std::int16_t Group, std::int16_t Element, std::int32_t& Size) const
{
    const ElementRecord* record = reader_->store().find(tagNumber(Group), tagNumber(Element));
    if (record == nullptr)
        return false;
    Size = static_cast<std::int32_t>(record->valueLength);
    return true;
}

bool ZQDICOM::SetTagString(std::int16_t Group, std::int16_t Element, const std::string& string, std::int32_t len)
{
    if (len < 0)
        return false;
    return reader_->storeValue(tagNumber(Group), tagNumber(Element),
                               reinterpret_cast<const std::uint8_t*>(string.data()), string.size(),
                               static_cast<std::uint32_t>(len));
}
