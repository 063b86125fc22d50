// Times the chest analysis on a 256 x 256 x 120 synthetic chest and prints
// it against a copy of the same volume (the floor of any pass over it):
// "name: ours X, peer Y, ratio Z" with ratio = ours / floor.
#include "../BestSeconds.h"
#include "ChestAnalyzer.h"
#include "VantorSyntheticCT/ChestPhantom.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

namespace {

} // namespace

int main()
{
    VantorSyntheticCT::SeriesOptions options;
    options.columns = 256;
    options.rows = 256;
    options.slices = 120;
    const VantorSyntheticCT::Volume v = VantorSyntheticCT::ChestPhantom(options, 3).renderVolume();
    const double spacing[3] = {v.pixelSpacing, v.pixelSpacing, v.sliceSpacing};
    std::vector<std::int16_t> copy(v.hounsfield.size());
    const double floor = bestSeconds(5, [&] {
        std::memcpy(copy.data(), v.hounsfield.data(), v.hounsfield.size() * sizeof(std::int16_t));
    });
    const std::int32_t processors = static_cast<std::int32_t>(std::max(1u, std::thread::hardware_concurrency()));
    zvipengine::ChestAnalyzer analyzer;
    analyzer.setProcessorCount(processors);
    const double segmentation = bestSeconds(3, [&] {
        analyzer.setInput(v.hounsfield.data(), v.columns, v.rows, v.slices, 1, 0, spacing);
        analyzer.runSegmentation();
    });
    std::vector<zvipengine::FeatureRecord> records;
    const double structures = bestSeconds(3, [&] {
        analyzer.setInput(v.hounsfield.data(), v.columns, v.rows, v.slices, 1, 0, spacing);
        analyzer.runSegmentation();
        analyzer.analyseStructures(records);
    }) - segmentation;
    std::printf("lung segmentation 256x256x120: ours %.1f ms, peer volume copy %.2f ms, ratio %.0f\n",
                segmentation * 1e3, floor * 1e3, segmentation / floor);
    std::printf("structure analysis 256x256x120: ours %.1f ms, peer volume copy %.2f ms, ratio %.0f (%zu candidates)\n",
                structures * 1e3, floor * 1e3, structures / floor, records.size());
    return 0;
}
