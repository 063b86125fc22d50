#include "SplitRendering.h"

#include <algorithm>
#include <system_error>
#include <thread>

namespace zvipengine {

namespace {

void renderRows(std::int64_t begin, std::int64_t end, std::int32_t height,
                const SplitRendering::RowRenderer& render)
{
    const std::int64_t first = std::clamp<std::int64_t>(begin, 0, height);
    const std::int64_t last = std::clamp<std::int64_t>(end, 0, height);
    if (first < last)
        render(static_cast<std::int32_t>(first), static_cast<std::int32_t>(last));
}

} // namespace

bool SplitRendering::renderPart(std::int32_t part, std::int32_t partHeight, std::int32_t height,
                                std::int32_t processorCount, const RowRenderer& render)
{
    if (part < 0 || partHeight < 1 || height < 0)
        return false;
    const std::int64_t parts = (static_cast<std::int64_t>(height) + partHeight - 1) / partHeight;
    if (processorCount < 2 || part >= parts) {
        renderRows(std::int64_t{part} * partHeight, (std::int64_t{part} + 1) * partHeight, height, render);
        return true;
    }
    const std::int64_t half = (std::int64_t{partHeight} + 1) / 2;
    const std::int64_t workerStrip = part + parts;
    const std::int64_t workerBegin = workerStrip * half;
    std::thread worker;
    if (workerBegin < height) {
        try {
            worker = std::thread(
                [&] { renderRows(workerBegin, workerBegin + half, height, render); });
        } catch (const std::system_error&) {
            // No second thread to be had: the caller renders both strips.
            renderRows(workerBegin, workerBegin + half, height, render);
        }
    }
    renderRows(part * half, (part + 1) * half, height, render);
    if (worker.joinable())
        worker.join();
    return true;
}

} // namespace zvipengine
