#include "DeflatedDataSet.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

namespace {

constexpr std::size_t kLimit = std::size_t{1} << 30;

bool inflateWith(int windowBits, const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out)
{
    const std::size_t start = out.size();
    z_stream stream{};
    if (inflateInit2(&stream, windowBits) != Z_OK)
        return false;
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = static_cast<uInt>(std::min<std::size_t>(size, UINT_MAX));
    int result = Z_OK;
    // The output grows by what has been inflated, never by a length the file claims.
    std::size_t step = std::max<std::size_t>(size * 4, 64 * 1024);
    while (result == Z_OK) {
        const std::size_t produced = out.size() - start;
        if (produced >= kLimit)
            break;
        const std::size_t grow = std::min(step, kLimit - produced);
        const std::size_t used = out.size();
        out.resize(used + grow);
        stream.next_out = out.data() + used;
        stream.avail_out = static_cast<uInt>(grow);
        result = inflate(&stream, Z_NO_FLUSH);
        out.resize(used + grow - stream.avail_out);
        step = std::min<std::size_t>(step * 2, 64 * 1024 * 1024);
        if (result == Z_BUF_ERROR && stream.avail_out != 0)
            break; // input ended before the stream did
        if (result == Z_BUF_ERROR)
            result = Z_OK;
    }
    inflateEnd(&stream);
    // A stream cut short still gives the elements it holds.
    const bool usable = result == Z_STREAM_END || (result == Z_BUF_ERROR && out.size() > start);
    if (!usable)
        out.resize(start);
    return usable;
}

} // namespace

bool inflateDataSet(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out)
{
    if (size == 0)
        return false;
    return inflateWith(-MAX_WBITS, data, size, out) || inflateWith(MAX_WBITS + 32, data, size, out);
}
