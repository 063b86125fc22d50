#include "ChestAnalyzer.h"

#include "AirCalibration.h"
#include "AirwaySegmentation.h"
#include "BodySegmentation.h"
#include "BoneSegmentation.h"
#include "HeartLiverSegmentation.h"
#include "LungHoleFilling.h"
#include "LungSeparation.h"
#include "LungThreshold.h"
#include "StructureAnalysis.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace zvipengine {

std::int32_t ChestAnalyzer::setInput(const std::int16_t* samples, std::int32_t X, std::int32_t Y, std::int32_t Z,
                                     std::int32_t slope, std::int32_t intercept, const double spacing[3])
{
    if (!samples || !spacing || X <= 0 || Y <= 0 || Z <= 0)
        return MissingArgument;
    adjusted_.clear();
    adjusted_.shrink_to_fit();
    X_ = Y_ = Z_ = 0;
    airCalibrated_ = false;
    stages_.clear();
    const std::size_t total = static_cast<std::size_t>(X) * Y * Z;
    try {
        adjusted_.resize(total);
    } catch (const std::bad_alloc&) {
        return NoMemory;
    }
    if (!map_.allocate(X, Y, Z)) {
        adjusted_.clear();
        return NoMemory;
    }
    for (std::size_t i = 0; i < total; ++i) {
        // Limited to the 16-bit range rather than wrapped: dense metal would
        // otherwise read as air.
        const std::int32_t v = slope * samples[i] + intercept + 1024;
        adjusted_[i] = static_cast<std::int16_t>(std::clamp(v, 0, 32767));
    }
    X_ = X;
    Y_ = Y;
    Z_ = Z;
    // The sign of a spacing only tells the direction of the axis (the host
    // declares the slice spacing negative); the sizes are its magnitude.
    for (int a = 0; a < 3; ++a) {
        const double magnitude = std::fabs(spacing[a]);
        spacing_[a] = magnitude > 0.0 ? magnitude : 1.0;
    }
    stages_.push_back("CTA_org");
    return Success;
}

std::vector<std::int16_t> ChestAnalyzer::boxValues(const AnalysisBox& box) const
{
    std::vector<std::int16_t> values(static_cast<std::size_t>(box.voxels()));
    std::int16_t* out = values.data();
    for (std::int32_t z = 0; z < box.D; ++z)
        for (std::int32_t y = 0; y < box.H; ++y) {
            const std::int16_t* row =
                adjusted_.data() + (static_cast<std::int64_t>(z + box.z0) * Y_ + y + box.y0) * X_ + box.x0;
            out = std::copy(row, row + box.W, out);
        }
    return values;
}

ByteMask ChestAnalyzer::structureMask(std::initializer_list<std::uint8_t> codes, std::int32_t margin,
                                      AnalysisBox& box) const
{
    box = map_.boundingBox(codes, margin);
    if (box.empty())
        return {};
    return map_.mask(box, codes);
}

std::int32_t ChestAnalyzer::computeBody()
{
    if (map_.computed[StructureMap::Body])
        return Success;
    ByteMask body;
    if (BodySegmentation::run(adjusted_, X_, Y_, Z_, body) == BodySegmentation::Outcome::NoMemory)
        return NoMemory;
    map_.write(body, AnalysisBox{0, 0, 0, X_, Y_, Z_}, StructureMap::Body);
    map_.computed[StructureMap::Body] = true;
    stages_.push_back("CTA_Body");
    return Success;
}

std::int32_t ChestAnalyzer::computeAirways(const AnalysisBox& box, const std::vector<std::int16_t>& values)
{
    if (map_.computed[StructureMap::Airways])
        return Success;
    ByteMask airways;
    const AirwaySegmentation::Outcome outcome =
        AirwaySegmentation::run(values, box, spacing_[0], processorCount_, airways);
    if (outcome == AirwaySegmentation::Outcome::NoMemory)
        return NoMemory;
    if (outcome == AirwaySegmentation::Outcome::Found)
        map_.write(airways, box, StructureMap::Airways);
    map_.computed[StructureMap::Airways] = true;
    return Success;
}

std::int32_t ChestAnalyzer::computeBone(const AnalysisBox& box, const std::vector<std::int16_t>& values)
{
    if (map_.computed[StructureMap::Bone])
        return Success;
    ByteMask bone;
    if (BoneSegmentation::run(values, box, spacing_[2], processorCount_, bone) == BoneSegmentation::Outcome::NoMemory)
        return NoMemory;
    map_.write(bone, box, StructureMap::Bone);
    map_.computed[StructureMap::Bone] = true;
    return Success;
}

std::int32_t ChestAnalyzer::computeHeartAndLiver(const AnalysisBox& box, const ByteMask& lung)
{
    if (map_.computed[StructureMap::Heart])
        return Success;
    const HeartLiverSegmentation::Outcome outcome =
        HeartLiverSegmentation::run(adjusted_, X_, Y_, Z_, spacing_, box, lung, processorCount_, map_);
    if (outcome == HeartLiverSegmentation::Outcome::NoMemory)
        return NoMemory;
    map_.computed[StructureMap::Heart] = true;
    map_.computed[StructureMap::Liver] = true;
    return Success;
}

std::int32_t ChestAnalyzer::runSegmentation()
{
    if (!hasInput())
        return NoInput;
    try {
        if (!airCalibrated_) {
            AirCalibration::apply(adjusted_, X_, Y_, Z_);
            airCalibrated_ = true;
            stages_.push_back("AdjustCT");
        }
        if (const std::int32_t r = computeBody(); r != Success)
            return r;
        const AnalysisBox box = map_.boundingBox({StructureMap::Body}, 0);
        if (box.empty())
            return Success; // nothing inside a skin: no lungs
        const std::vector<std::int16_t> values = boxValues(box);

        ByteMask lung;
        if (LungThreshold::run(values, box, X_, lung) == LungThreshold::Outcome::NoMemory)
            return NoMemory;
        stages_.push_back("lung_Step1_ThresholdArea");

        if (const std::int32_t r = computeAirways(box, values); r != Success)
            return r;
        ByteMask airways = map_.mask(box, {StructureMap::Airways});
        if (!AirwaySegmentation::remove(airways, box, processorCount_, lung))
            return NoMemory;
        stages_.push_back("lung_Step2_remBronchi1");

        if (LungHoleFilling::run(lung, values, box, spacing_[2], processorCount_)
            == LungHoleFilling::Outcome::NoMemory)
            return NoMemory;
        stages_.push_back("lung_Step3_fillHole");

        if (!AirwaySegmentation::remove(airways, box, processorCount_, lung))
            return NoMemory;
        stages_.push_back("lung_Step4_remBronchi2");

        if (const std::int32_t r = computeBone(box, values); r != Success)
            return r;
        if (!BoneSegmentation::remove(map_.mask(box, {StructureMap::Bone}), box, processorCount_, lung))
            return NoMemory;
        stages_.push_back("lung_Step5_aft_remBone");

        map_.write(lung, box, StructureMap::Lungs);

        if (const std::int32_t r = computeHeartAndLiver(box, lung); r != Success)
            return r;
        ByteMask mediastinum = map_.mask(box, {StructureMap::Heart, StructureMap::Liver});
        if (!MaskOperations::dilate(mediastinum, box, MaskOperations::square5WithoutFirst(), processorCount_))
            return NoMemory;
        for (std::size_t i = 0; i < lung.size(); ++i)
            if (mediastinum[i])
                lung[i] = 0;
        stages_.push_back("lung_Step6_rem_Med");

        if (!MaskOperations::erode(lung, box, MaskOperations::planeCross(), processorCount_))
            return NoMemory;
        stages_.push_back("lung_Step7_erosion");

        std::int32_t cuts = 0;
        if (LungSeparation::run(lung, values, box, &cuts) == LungSeparation::Outcome::NoMemory)
            return NoMemory;
        if (cuts > 0)
            stages_.push_back("SeparateLungError");
        stages_.push_back("lung_Step8F_separateLung");

        std::uint8_t* codes = map_.data();
        const std::uint8_t* l = lung.data();
        for (std::int32_t z = 0; z < box.D; ++z)
            for (std::int32_t y = 0; y < box.H; ++y) {
                std::uint8_t* row = codes + (static_cast<std::int64_t>(z + box.z0) * Y_ + y + box.y0) * X_ + box.x0;
                for (std::int32_t x = 0; x < box.W; ++x, ++l) {
                    if (*l && row[x] <= StructureMap::Lungs)
                        row[x] = static_cast<std::uint8_t>(StructureMap::Lungs + *l);
                    else if (!*l && row[x] == StructureMap::Lungs)
                        row[x] = StructureMap::Body;
                }
            }
        map_.computed[StructureMap::Lungs] = true;
        map_.computed[StructureMap::LungOne] = true;
        map_.computed[StructureMap::LungTwo] = true;
    } catch (const std::bad_alloc&) {
        return NoMemory;
    }
    return Success;
}

std::int32_t ChestAnalyzer::analyseStructures(std::vector<FeatureRecord>& records)
{
    records.clear();
    if (!hasInput())
        return NoInput;
    if (!map_.computed[StructureMap::Lungs])
        if (const std::int32_t r = runSegmentation(); r != Success)
            return r;
    if (StructureAnalysis::run(adjusted_, X_, Y_, Z_, spacing_, processorCount_, map_, records)
        == StructureAnalysis::Outcome::NoMemory)
        return NoMemory;
    for (std::uint8_t code : {113, 114, 115, 116, 117, 118})
        map_.computed[code] = true;
    stages_.push_back("Lung_Structure_Nodule");
    return Success;
}

} // namespace zvipengine
