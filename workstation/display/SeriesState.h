#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

// One slice handed to the engine, in the order handed over.
struct RegisteredSlice {
    std::string path;
    std::int32_t imageNumber = 0;
    double slicePosition = 0.0;
};

// The one series that is loaded: its files, the volume the engine holds and
// where the reader is in it.
struct SeriesState {
    std::vector<std::string> SeriesFiles;   // full paths, in registration order
    std::int16_t SeriesFileCount = 0;
    std::array<std::int32_t, 3> VolumeDims{}; // columns, rows, slice count
    std::array<float, 3> VoxelSpacing{1.0F, 1.0F, 1.0F}; // mm; 1.0 when unknown
    std::int16_t* DisplayImage = nullptr;   // engine buffer last produced for display
    double RescaleIntercept = 0.0;
    bool SpacingUnknown = false;            // single file, or an x spacing of 0 replaced
    bool MultiSlice = false;
    std::int16_t SliceIndex = -1;           // 0-based in engine order; -1 before the first load
    std::int16_t InterpPos = 0;             // interpolated paging, in-plane pixels from the top
    bool VolumeReady = false;
    bool EightBit = false;                  // shown with the fixed window 128 / 256
    std::vector<RegisteredSlice> RegisteredSlices; // the files the engine holds, as handed over
    std::vector<std::string> SliceFiles;    // the file of each engine slice, in the engine's order
};

// Header values of the first file that go into the reading record and the
// window text boxes.
struct FirstFileFields {
    bool hasPatientName = false;
    bool hasPatientID = false;
    std::string StudyDate;      // "YYYY/MM/DD", blank when missing
    std::string StudyTime;      // "HH:MM:SS", blank when missing
    float SliceThickness = 0.0F;
    std::string Manufacturer = "[unknown]";
    std::string ModelName = "[unknown]";
    std::int16_t KVP = 0;
    std::int16_t TubeCurrent = 0;
    std::int16_t ExposureTime = 0;
    int PostureIndex = 1;       // 0 "Prone", 1 "Unknown", 2 "Supine"
    std::string Posture = "U";
    bool hasWindowCenter = false;
    std::string WindowCenter;   // (0028,1050) as stored
    bool hasWindowWidth = false;
    std::string WindowWidth;    // (0028,1051) as stored
};

} // namespace vantor
