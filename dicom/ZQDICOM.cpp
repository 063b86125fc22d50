#include "ZVDICOM/ZQDICOM.h"

#include "DicomFileReader.h"

ZQDICOM::ZQDICOM() : reader_(std::make_unique<DicomFileReader>()) {}
ZQDICOM::~ZQDICOM() = default;
std::string ZQDICOM::filename() const { return {}; }
void ZQDICOM::setfilename(const std::string&) {}
const std::uint8_t* ZQDICOM::hImage() const { return nullptr; }
void ZQDICOM::sethImage(const std::uint8_t*) {}
bool ZQDICOM::GetTagString(std::int16_t, std::int16_t, std::string&, std::int32_t) const { return false; }
std::int32_t ZQDICOM::GetNumOfTag() const { return 0; }
bool ZQDICOM::GetTagFromIndex(std::int32_t, std::int16_t&, std::int16_t&, std::string&, std::int32_t) const { return false; }
bool ZQDICOM::GetTagShort(std::int16_t, std::int16_t, std::int16_t&) const { return false; }
bool ZQDICOM::GetTagLong(std::int16_t, std::int16_t, std::int32_t&) const { return false; }
void ZQDICOM::GetVersion(std::string&, std::int32_t& len) const { len = 12; }
bool ZQDICOM::SetTagInfo(std::int16_t, std::int16_t, const std::uint8_t*, std::int32_t) { return false; }
bool ZQDICOM::SaveDICOMFile(std::int32_t, const std::string&) const { return false; }
bool ZQDICOM::GetTagSize(std::int16_t, std::int16_t, std::int32_t&) const { return false; }
bool ZQDICOM::SetTagString(std::int16_t, std::int16_t, const std::string&, std::int32_t) { return false; }
bool ZQDICOM::loadHeaderOnly(const std::string&) { return false; }
