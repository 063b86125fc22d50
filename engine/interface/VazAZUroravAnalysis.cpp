// The lung analysis behind SpecialMethod: the volume goes into the chest
// analyzer in the analysis scale, and its adjusted CT can come back.
#include "AnalysisActions.h"

#include "DebugOutput.h"
#include "EngineState.h"

#include "../analysis/FeatureTable.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace zvipengine {

namespace {

// Runs the segmentation on the volume; true when it completed.
bool analyse(EngineState& s)
{
    const VolumeStore& v = s.volume;
    const double spacing[3] = {v.spacingX, v.spacingY, v.spacingZ};
    // Stored samples are CT - base offset; the analyzer adds 1024 itself.
    const std::int32_t intercept = static_cast<std::int32_t>(std::lround(v.baseOffset));
    std::int32_t result = s.analyzer.setInput(v.samples(), v.X, v.Y, v.Z, 1, intercept, spacing);
    s.analyzer.setProcessorCount(s.processorCount);
    if (result == ChestAnalyzer::Success)
        result = s.analyzer.runSegmentation();
    if (result == ChestAnalyzer::NoMemory)
        s.errorNumber = -2;
    return result == ChestAnalyzer::Success;
}

// Actions 1 to 6: run once per volume, keep the mask level count.
bool runOnce(EngineState& s)
{
    if (s.extracted)
        return false;
    if (!analyse(s))
        return false;
    s.extracted = true;
    s.savedMaskLevelCount = s.maskLevelCount;
    return true;
}

// The structure analysis and its tables in the debug folder: the feature
// table named "ALL", the confidence table, and the feature table under the
// debug name. A table whose file cannot be made is skipped.
void writeDebugTables(EngineState& s)
{
    std::vector<FeatureRecord> records;
    if (s.analyzer.analyseStructures(records) == ChestAnalyzer::NoMemory) {
        s.errorNumber = -2;
        return;
    }
    std::string folder = DebugOutput::folder();
    if (!folder.empty())
        folder.pop_back(); // the final separator
    const FeatureTable::Date today = FeatureTable::today();
    FeatureTable::writeFeatures(FeatureTable::featureFileName(folder, "ALL", "", today), records);
    FeatureTable::writeConfidence(folder + "_confidence.csv", records);
    FeatureTable::writeFeatures(FeatureTable::featureFileName(folder, DebugOutput::name(), "", today), records);
}

void copyResultBack(EngineState& s)
{
    const ChestAnalyzer& a = s.analyzer;
    VolumeStore& v = s.volume;
    if (!a.hasInput() || a.X() != v.X || a.Y() != v.Y || a.Z() != v.Z)
        return; // no result of this volume to copy
    const std::int32_t shift = 1024 + static_cast<std::int32_t>(std::lround(v.baseOffset));
    const std::int16_t* from = a.adjusted().data();
    std::int16_t* to = v.samples();
    const std::ptrdiff_t count = v.sampleCount();
    for (std::ptrdiff_t i = 0; i < count; ++i)
        to[i] = static_cast<std::int16_t>(std::clamp(from[i] - shift, 0, 32767));
    s.maskLevelCount = s.savedMaskLevelCount;
    s.volumeChanged();
}

} // namespace

void runAnalysisAction(EngineState& s, std::int32_t regionFlag)
{
    if (!s.volume.exists())
        return;
    if (regionFlag < 0) {
        if (!s.analysis.start([&s] { runAnalysisAction(s, 11); }))
            s.errorNumber = -2;
        return;
    }
    if (regionFlag == 0) {
        copyResultBack(s);
        return;
    }
    if (regionFlag >= 1 && regionFlag <= 6) {
        runOnce(s);
        return;
    }
    if (regionFlag == 7 || regionFlag == 8) {
        if (s.debugWritten)
            return;
        if (!s.extracted && !runOnce(s))
            return;
        writeDebugTables(s);
        s.debugWritten = true;
        return;
    }
    if (regionFlag > 10) {
        if (s.extracted)
            return;
        runOnce(s);
        // The host waits for this event before it touches the volume again,
        // so it comes even when the run failed (ErrorNumber tells).
        if (s.threadFinished)
            s.threadFinished();
    }
}

} // namespace zvipengine
