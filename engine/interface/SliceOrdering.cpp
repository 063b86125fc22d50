#include "SliceOrdering.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace zvipengine {

namespace {

// Slots that hold a slice handed over (all of them, also those a previous
// reorder put behind Z: a new sort may bring them back).
std::vector<std::int32_t> loadedSlots(const VolumeStore& volume)
{
    std::vector<std::int32_t> slots;
    slots.reserve(volume.records.size());
    for (std::int32_t s = 0; s < volume.capacity(); ++s)
        if (volume.records[static_cast<std::size_t>(s)].loaded())
            slots.push_back(s);
    return slots;
}

// Orders positions largest first with NaN (no position given) last, so the
// comparison stays a strict weak order whatever the host handed over.
bool positionBefore(double a, double b)
{
    if (std::isnan(a))
        return false;
    if (std::isnan(b))
        return true;
    return a > b;
}

bool samePosition(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace

bool SliceOrdering::reorder(VolumeStore& volume)
{
    if (!volume.exists())
        return false;
    try {
        std::vector<std::int32_t> participants = loadedSlots(volume);
        if (participants.empty())
            return true;
        std::vector<std::int16_t> scratch(static_cast<std::size_t>(volume.sliceSize()));
        std::vector<SliceRecord>& records = volume.records;
        std::stable_sort(participants.begin(), participants.end(), [&](std::int32_t a, std::int32_t b) {
            return records[static_cast<std::size_t>(a)].sortKey < records[static_cast<std::size_t>(b)].sortKey;
        });
        std::stable_partition(participants.begin(), participants.end(),
                              [&](std::int32_t s) { return records[static_cast<std::size_t>(s)].sortKey >= 0; });
        const auto kept = static_cast<std::int32_t>(
            std::count_if(participants.begin(), participants.end(),
                          [&](std::int32_t s) { return records[static_cast<std::size_t>(s)].sortKey >= 0; }));
        // Slots without a slice keep their place after all loaded ones.
        std::vector<std::int32_t> order = participants;
        std::vector<bool> isParticipant(records.size(), false);
        for (std::int32_t s : participants)
            isParticipant[static_cast<std::size_t>(s)] = true;
        for (std::int32_t s = 0; s < volume.capacity(); ++s)
            if (!isParticipant[static_cast<std::size_t>(s)])
                order.push_back(s);

        // Permute in place along the cycles: destination i takes slot order[i].
        const std::size_t sliceBytes = static_cast<std::size_t>(volume.sliceSize()) * 2;
        std::vector<bool> done(order.size(), false);
        for (std::size_t i = 0; i < order.size(); ++i) {
            if (done[i] || order[i] == static_cast<std::int32_t>(i)) {
                done[i] = true;
                continue;
            }
            std::memcpy(scratch.data(), volume.slice(static_cast<std::int32_t>(i)), sliceBytes);
            const SliceRecord savedRecord = records[i];
            std::size_t j = i;
            while (static_cast<std::size_t>(order[j]) != i) {
                const auto from = static_cast<std::size_t>(order[j]);
                std::memcpy(volume.slice(static_cast<std::int32_t>(j)), volume.slice(static_cast<std::int32_t>(from)),
                            sliceBytes);
                records[j] = records[from];
                done[j] = true;
                j = from;
            }
            std::memcpy(volume.slice(static_cast<std::int32_t>(j)), scratch.data(), sliceBytes);
            records[j] = savedRecord;
            done[j] = true;
        }
        volume.Z = kept;
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool SliceOrdering::sortInitialize(VolumeStore& volume)
{
    for (SliceRecord& r : volume.records)
        if (r.loaded())
            r.sortKey = r.loadOrder;
    return reorder(volume);
}

bool SliceOrdering::sortImageNumber(VolumeStore& volume)
{
    for (SliceRecord& r : volume.records)
        if (r.loaded())
            r.sortKey = r.imageNumber;
    return reorder(volume);
}

bool SliceOrdering::sortSlicePosition(VolumeStore& volume, std::int32_t sortMode)
{
    if (!volume.exists())
        return false;
    std::vector<std::int32_t> order;
    try {
        order = loadedSlots(volume);
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::vector<SliceRecord>& records = volume.records;
    auto record = [&](std::int32_t s) -> SliceRecord& { return records[static_cast<std::size_t>(s)]; };
    std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
        const double pa = record(a).slicePosition;
        const double pb = record(b).slicePosition;
        if (!samePosition(pa, pb))
            return positionBefore(pa, pb);
        return record(a).imageNumber < record(b).imageNumber;
    });
    for (std::size_t rank = 0; rank < order.size(); ++rank)
        record(order[rank]).sortKey = static_cast<std::int32_t>(rank);

    if (sortMode != 0) {
        std::size_t groupStart = 0;
        while (groupStart < order.size()) {
            std::size_t groupEnd = groupStart + 1;
            while (groupEnd < order.size() &&
                   samePosition(record(order[groupEnd]).slicePosition, record(order[groupStart]).slicePosition))
                ++groupEnd;
            const bool lastAlone = groupStart + 1 == order.size();
            if (!lastAlone) {
                for (std::size_t n = groupStart; n < groupEnd; ++n)
                    if (static_cast<std::int64_t>(n - groupStart) + 1 != sortMode)
                        record(order[n]).sortKey = -1;
            }
            groupStart = groupEnd;
        }
    }
    if (order.size() >= 2)
        record(order[1]).sortKey = 1;

    float spacing = 1.0f;
    if (order.size() >= 2) {
        const double difference = record(order[1]).slicePosition - record(order[0]).slicePosition;
        if (std::fabs(difference) > 0.0001)
            spacing = static_cast<float>(difference);
    }
    volume.spacingZ = spacing;
    return reorder(volume);
}

bool SliceOrdering::deleteSlices(VolumeStore& volume, std::int32_t count, const std::int32_t* indices)
{
    if (!volume.exists())
        return false;
    if (indices != nullptr)
        for (std::int32_t n = 0; n < count; ++n) {
            const std::int32_t index = indices[n];
            if (index >= 0 && index < volume.capacity() && volume.records[static_cast<std::size_t>(index)].loaded())
                volume.records[static_cast<std::size_t>(index)].sortKey = -1;
        }
    const std::int32_t before = volume.Z;
    const bool reordered = reorder(volume);
    volume.Z = before;
    return reordered;
}

} // namespace zvipengine
