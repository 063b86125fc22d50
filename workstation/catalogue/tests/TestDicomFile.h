#pragma once

#include <cstdint>
#include <string>

namespace vantor::testing {

// What a small test slice carries.
struct TestSlice {
    std::string mediaStorageSopClass = "1.2.840.10008.5.1.4.1.1.2"; // CT Image Storage
    std::string patientName = "DOE^JANE";
    std::string patientId = "ID0001";
    std::string studyDate = "20260105";
    int instanceNumber = 1;
    int rows = 8;
    int columns = 8;
    // Adds the elements a scanner writes into a CT slice (equipment, geometry,
    // rescale, window), so that header reading meets a realistic header.
    bool fullCtHeader = false;
};

// Writes a DICOM Part 10 file (explicit VR little endian) with 16-bit pixel data.
// Throws std::runtime_error when the file cannot be written.
void writeTestSlice(const std::string& path, const TestSlice& slice);

// Writes `text` to `path` as it is (for non-DICOM files and cache files).
void writeTextFile(const std::string& path, const std::string& text);
std::string readTextFile(const std::string& path);

} // namespace vantor::testing
