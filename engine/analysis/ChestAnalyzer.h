#pragma once

#include "FeatureRecord.h"
#include "MaskOperations.h"
#include "StructureMap.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace zvipengine {

// The automatic chest analysis held by the engine: a working copy of the
// volume in the analysis scale (CT + 1024, never below 0) and the structure
// map that the segmentation steps fill (body, airways, bone, heart and
// liver, lungs). Structures are computed once per input and reused.
class ChestAnalyzer {
public:
    enum Result : std::int32_t { Success = 0, NoMemory = 10, NoInput = 20, MissingArgument = 101 };

    // Frees earlier results and converts the samples: slope * v + intercept
    // + 1024, negatives 0.
    std::int32_t setInput(const std::int16_t* samples, std::int32_t X, std::int32_t Y, std::int32_t Z,
                          std::int32_t slope, std::int32_t intercept, const double spacing[3]);
    // Body, threshold area, airway removal, hole filling, bone and
    // mediastinum removal, lung separation; the lungs become 111 and 112.
    std::int32_t runSegmentation();
    // Structures and candidate lesions inside the lungs (the segmentation
    // runs first when the lungs are not computed yet).
    std::int32_t analyseStructures(std::vector<FeatureRecord>& records);
    // Mask of the box around every voxel of the codes (or descendants),
    // enlarged by margin and cut to the volume.
    ByteMask structureMask(std::initializer_list<std::uint8_t> codes, std::int32_t margin, AnalysisBox& box) const;

    bool hasInput() const { return !adjusted_.empty(); }
    const std::vector<std::int16_t>& adjusted() const { return adjusted_; }
    const StructureMap& map() const { return map_; }
    std::int32_t X() const { return X_; }
    std::int32_t Y() const { return Y_; }
    std::int32_t Z() const { return Z_; }
    // Names of the stages the last run passed, in order.
    const std::vector<std::string>& stages() const { return stages_; }
    void setProcessorCount(std::int32_t count) { processorCount_ = count < 1 ? 1 : count; }

private:
    std::int32_t computeBody();
    std::int32_t computeAirways(const AnalysisBox& box, const std::vector<std::int16_t>& values);
    std::int32_t computeBone(const AnalysisBox& box, const std::vector<std::int16_t>& values);
    std::int32_t computeHeartAndLiver(const AnalysisBox& box, const ByteMask& lung);
    std::vector<std::int16_t> boxValues(const AnalysisBox& box) const;

    std::vector<std::int16_t> adjusted_;
    StructureMap map_;
    std::int32_t X_ = 0, Y_ = 0, Z_ = 0;
    double spacing_[3] = {1.0, 1.0, 1.0};
    bool airCalibrated_ = false;
    std::int32_t processorCount_ = 1;
    std::vector<std::string> stages_;
};

} // namespace zvipengine
