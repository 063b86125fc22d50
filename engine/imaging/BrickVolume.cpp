#include "BrickVolume.h"

#include <algorithm>
#include <cstdint>

#include <sys/mman.h>

namespace zvipengine {

bool BrickVolume::build(const VolumeView& volume)
{
    clear();
    if (volume.empty())
        return false;
    const std::int32_t bx = (volume.X + 7) / 8;
    const std::int32_t by = (volume.Y + 7) / 8;
    const std::int32_t bz = (volume.Z + 7) / 8;
    constexpr std::size_t HugePage = std::size_t{2} << 20;
    const std::size_t bytes = static_cast<std::size_t>(bx) * by * bz * BrickSamples * sizeof(std::int16_t);
    const std::size_t length = bytes + HugePage;
    void* mapping = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        return false;
    mapping_ = mapping;
    mappedBytes_ = length;
    const auto address = reinterpret_cast<std::uintptr_t>(mapping);
    samples_ = reinterpret_cast<std::int16_t*>((address + HugePage - 1) & ~(std::uintptr_t{HugePage} - 1));
    madvise(samples_, bytes, MADV_HUGEPAGE);
    X_ = volume.X;
    Y_ = volume.Y;
    Z_ = volume.Z;
    bricksX_ = bx;
    bricksY_ = by;
    for (std::int32_t k = 0; k < bz; ++k)
        for (std::int32_t j = 0; j < by; ++j)
            for (std::int32_t i = 0; i < bx; ++i) {
                std::int16_t* brick =
                    samples_ + (i + static_cast<std::ptrdiff_t>(bx) * (j + static_cast<std::ptrdiff_t>(by) * k)) *
                                          BrickSamples;
                const int x0 = i * 8;
                const int columns = std::min(BrickEdge, volume.X - x0);
                for (int lz = 0; lz < BrickEdge && k * 8 + lz < volume.Z; ++lz)
                    for (int ly = 0; ly < BrickEdge && j * 8 + ly < volume.Y; ++ly) {
                        const std::int16_t* source = volume.row(j * 8 + ly, k * 8 + lz) + x0;
                        std::copy(source, source + columns, brick + BrickEdge * ly + BrickEdge * BrickEdge * lz);
                    }
            }
    return true;
}

BrickVolume::~BrickVolume()
{
    clear();
}

void BrickVolume::clear()
{
    if (mapping_ != nullptr)
        munmap(mapping_, mappedBytes_);
    mapping_ = nullptr;
    mappedBytes_ = 0;
    samples_ = nullptr;
    X_ = Y_ = Z_ = 0;
    bricksX_ = bricksY_ = 0;
}

} // namespace zvipengine
