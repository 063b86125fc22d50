#pragma once

// Builds DICOM byte streams by hand for the reader and writer tests.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class ByteStream
{
public:
    explicit ByteStream(bool bigEndian = false) : bigEndian_(bigEndian) {}

    ByteStream& setBigEndian(bool bigEndian)
    {
        bigEndian_ = bigEndian;
        return *this;
    }

    // 128-byte preamble and "DICM".
    ByteStream& preamble()
    {
        bytes_.insert(bytes_.end(), 128, 0);
        return text("DICM");
    }

    // File meta group in explicit little-endian; no transfer syntax when empty.
    ByteStream& metaGroup(const std::string& transferSyntax)
    {
        const bool saved = bigEndian_;
        bigEndian_ = false;
        ByteStream group;
        group.explicitElement(0x0002, 0x0001, "OB", std::string("\0\1", 2));
        group.explicitElement(0x0002, 0x0002, "UI", padUid("1.2.840.10008.5.1.4.1.1.2"));
        if (!transferSyntax.empty())
            group.explicitElement(0x0002, 0x0010, "UI", padUid(transferSyntax));
        explicitElement(0x0002, 0x0000, "UL", u32Bytes(static_cast<std::uint32_t>(group.size())));
        append(group);
        bigEndian_ = saved;
        return *this;
    }

    // Explicit VR element; the long header for OB/OW/OF/SQ/UN/UT and the like.
    ByteStream& explicitElement(std::uint16_t group, std::uint16_t element, const std::string& vr,
                                const std::string& value)
    {
        tag(group, element);
        text(vr);
        if (isLongVr(vr)) {
            u16(0);
            u32(static_cast<std::uint32_t>(value.size()));
        } else {
            u16(static_cast<std::uint16_t>(value.size()));
        }
        return text(value);
    }

    // Explicit long-form header with a given length (0xFFFFFFFF = undefined), no value.
    ByteStream& explicitLongHeader(std::uint16_t group, std::uint16_t element, const std::string& vr,
                                   std::uint32_t length)
    {
        tag(group, element);
        text(vr);
        u16(0);
        return u32(length);
    }

    // Implicit VR element: tag, 32-bit length, value.
    ByteStream& implicitElement(std::uint16_t group, std::uint16_t element, const std::string& value)
    {
        tag(group, element);
        u32(static_cast<std::uint32_t>(value.size()));
        return text(value);
    }

    ByteStream& implicitHeader(std::uint16_t group, std::uint16_t element, std::uint32_t length)
    {
        tag(group, element);
        return u32(length);
    }

    ByteStream& item(std::uint32_t length) { return tag(0xFFFE, 0xE000).u32(length); }
    ByteStream& itemDelimitation() { return tag(0xFFFE, 0xE00D).u32(0); }
    ByteStream& sequenceDelimitation() { return tag(0xFFFE, 0xE0DD).u32(0); }

    ByteStream& tag(std::uint16_t group, std::uint16_t element) { return u16(group).u16(element); }

    ByteStream& u16(std::uint16_t value)
    {
        if (bigEndian_)
            bytes_.insert(bytes_.end(), {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)});
        else
            bytes_.insert(bytes_.end(), {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)});
        return *this;
    }

    ByteStream& u32(std::uint32_t value)
    {
        if (bigEndian_)
            return u16(static_cast<std::uint16_t>(value >> 16)).u16(static_cast<std::uint16_t>(value));
        return u16(static_cast<std::uint16_t>(value)).u16(static_cast<std::uint16_t>(value >> 16));
    }

    ByteStream& text(const std::string& bytes)
    {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }

    ByteStream& append(const ByteStream& other)
    {
        bytes_.insert(bytes_.end(), other.bytes_.begin(), other.bytes_.end());
        return *this;
    }

    // Value bytes of numbers in this stream's byte order.
    std::string u16Bytes(std::uint16_t value) const
    {
        ByteStream b(bigEndian_);
        b.u16(value);
        return b.str();
    }
    std::string u32Bytes(std::uint32_t value) const
    {
        ByteStream b(bigEndian_);
        b.u32(value);
        return b.str();
    }

    static std::string padUid(std::string uid)
    {
        if (uid.size() % 2 != 0)
            uid.push_back('\0');
        return uid;
    }

    std::size_t size() const { return bytes_.size(); }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::string str() const { return std::string(bytes_.begin(), bytes_.end()); }

    void writeTo(const std::filesystem::path& path) const
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes_.data()), static_cast<std::streamsize>(bytes_.size()));
    }

private:
    static bool isLongVr(const std::string& vr)
    {
        return vr[0] == 'O' || vr == "SQ" || vr == "UN" || vr == "UT" || vr == "UC" || vr == "UR" ||
               vr == "SV" || vr == "UV";
    }

    bool bigEndian_;
    std::vector<std::uint8_t> bytes_;
};
