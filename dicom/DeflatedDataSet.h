#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Inflates the data set of a Deflated Explicit VR Little Endian file (raw
// deflate; a zlib-wrapped stream, which some writers produce, is accepted
// too) and appends it to `out`. False when the bytes do not inflate or would
// inflate beyond 1 GiB; `out` then holds what it held before.
bool inflateDataSet(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out);
