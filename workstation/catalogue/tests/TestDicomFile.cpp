#include "TestDicomFile.h"

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace vantor::testing {

namespace {

class ElementWriter {
public:
    void text(std::uint16_t group, std::uint16_t element, const char* vr, std::string value)
    {
        if (value.size() % 2 != 0)
            value.push_back(std::string(vr) == "UI" ? '\0' : ' ');
        header(group, element, vr, value.size());
        m_bytes.insert(m_bytes.end(), value.begin(), value.end());
    }

    void unsignedShort(std::uint16_t group, std::uint16_t element, std::uint16_t value)
    {
        header(group, element, "US", 2);
        put16(value);
    }

    void unsignedLong(std::uint16_t group, std::uint16_t element, std::uint32_t value)
    {
        header(group, element, "UL", 4);
        put32(value);
    }

    void bytes(std::uint16_t group, std::uint16_t element, const char* vr,
               const std::vector<std::uint8_t>& value)
    {
        header(group, element, vr, value.size());
        m_bytes.insert(m_bytes.end(), value.begin(), value.end());
    }

    const std::vector<std::uint8_t>& data() const { return m_bytes; }

private:
    void header(std::uint16_t group, std::uint16_t element, const char* vr, std::size_t length)
    {
        put16(group);
        put16(element);
        m_bytes.push_back(static_cast<std::uint8_t>(vr[0]));
        m_bytes.push_back(static_cast<std::uint8_t>(vr[1]));
        const std::string longForm = vr;
        if (longForm == "OB" || longForm == "OW" || longForm == "SQ" || longForm == "UN" ||
            longForm == "UT") {
            put16(0);
            put32(static_cast<std::uint32_t>(length));
        } else {
            put16(static_cast<std::uint16_t>(length));
        }
    }
    void put16(std::uint16_t value)
    {
        m_bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
        m_bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    void put32(std::uint32_t value)
    {
        put16(static_cast<std::uint16_t>(value & 0xFFFF));
        put16(static_cast<std::uint16_t>(value >> 16));
    }

    std::vector<std::uint8_t> m_bytes;
};

} // namespace

void writeTestSlice(const std::string& path, const TestSlice& slice)
{
    const std::string instanceUid = "1.2.826.0.1.3680043.8.498." + std::to_string(slice.instanceNumber);

    ElementWriter meta;
    meta.bytes(0x0002, 0x0001, "OB", {0x00, 0x01});
    meta.text(0x0002, 0x0002, "UI", slice.mediaStorageSopClass);
    meta.text(0x0002, 0x0003, "UI", instanceUid);
    meta.text(0x0002, 0x0010, "UI", "1.2.840.10008.1.2.1");
    meta.text(0x0002, 0x0012, "UI", "1.2.826.0.1.3680043.8.498.1");
    ElementWriter group2;
    group2.unsignedLong(0x0002, 0x0000, static_cast<std::uint32_t>(meta.data().size()));

    ElementWriter data;
    data.text(0x0008, 0x0016, "UI", slice.mediaStorageSopClass);
    data.text(0x0008, 0x0018, "UI", instanceUid);
    data.text(0x0008, 0x0020, "DA", slice.studyDate);
    if (slice.fullCtHeader) {
        data.text(0x0008, 0x0005, "CS", "ISO_IR 100");
        data.text(0x0008, 0x0008, "CS", "ORIGINAL\\PRIMARY\\AXIAL");
        data.text(0x0008, 0x0021, "DA", slice.studyDate);
        data.text(0x0008, 0x0030, "TM", "093000");
        data.text(0x0008, 0x0050, "SH", "ACC000123");
        data.text(0x0008, 0x0060, "CS", "CT");
        data.text(0x0008, 0x0070, "LO", "VANTOR Synthetic");
        data.text(0x0008, 0x0080, "LO", "Synthetic Chest Clinic");
        data.text(0x0008, 0x0090, "PN", "REFERRING^DOCTOR");
        data.text(0x0008, 0x1030, "LO", "CT CHEST");
        data.text(0x0008, 0x103E, "LO", "CHEST 1.0 LUNG");
        data.text(0x0008, 0x1090, "LO", "Phantom CT 1");
    }
    data.text(0x0010, 0x0010, "PN", slice.patientName);
    data.text(0x0010, 0x0020, "LO", slice.patientId);
    if (slice.fullCtHeader) {
        data.text(0x0010, 0x0030, "DA", "19560412");
        data.text(0x0010, 0x0040, "CS", "M");
        data.text(0x0018, 0x0050, "DS", "1.0");
        data.text(0x0018, 0x0060, "DS", "120");
        data.text(0x0018, 0x1150, "IS", "500");
        data.text(0x0018, 0x1151, "IS", "200");
        data.text(0x0018, 0x1210, "SH", "LUNG");
        data.text(0x0018, 0x5100, "CS", "HFS");
        data.text(0x0020, 0x000D, "UI", "1.2.826.0.1.3680043.8.498.100");
        data.text(0x0020, 0x000E, "UI", "1.2.826.0.1.3680043.8.498.200");
        data.text(0x0020, 0x0010, "SH", "1");
        data.text(0x0020, 0x0011, "IS", "1");
    }
    data.text(0x0020, 0x0013, "IS", std::to_string(slice.instanceNumber));
    if (slice.fullCtHeader) {
        data.text(0x0020, 0x0032, "DS", "-180\\-180\\" + std::to_string(-slice.instanceNumber));
        data.text(0x0020, 0x0037, "DS", "1\\0\\0\\0\\1\\0");
        data.text(0x0020, 0x1041, "DS", std::to_string(-slice.instanceNumber));
    }
    data.text(0x0028, 0x0004, "CS", "MONOCHROME2");
    data.unsignedShort(0x0028, 0x0010, static_cast<std::uint16_t>(slice.rows));
    data.unsignedShort(0x0028, 0x0011, static_cast<std::uint16_t>(slice.columns));
    if (slice.fullCtHeader)
        data.text(0x0028, 0x0030, "DS", "0.703125\\0.703125");
    data.unsignedShort(0x0028, 0x0100, 16);
    data.unsignedShort(0x0028, 0x0101, 16);
    data.unsignedShort(0x0028, 0x0102, 15);
    data.unsignedShort(0x0028, 0x0103, 1);
    if (slice.fullCtHeader) {
        data.text(0x0028, 0x1050, "DS", "-600");
        data.text(0x0028, 0x1051, "DS", "1500");
        data.text(0x0028, 0x1052, "DS", "-1024");
        data.text(0x0028, 0x1053, "DS", "1");
    }
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(slice.rows) * slice.columns * 2);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>(i * 7 + slice.instanceNumber);
    data.bytes(0x7FE0, 0x0010, "OW", pixels);

    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    const std::string preamble(128, '\0');
    file.write(preamble.data(), static_cast<std::streamsize>(preamble.size()));
    file.write("DICM", 4);
    for (const ElementWriter* part : {&group2, &meta, &data})
        file.write(reinterpret_cast<const char*>(part->data().data()),
                   static_cast<std::streamsize>(part->data().size()));
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

void writeTextFile(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

std::string readTextFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

} // namespace vantor::testing
