#include "PgmWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

bool PgmWriter::write(const std::string& path, const std::int16_t* image, int width, int height, std::string& error)
{
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "cannot create " + temporary;
            return false;
        }
        out << "P5\n" << width << ' ' << height << "\n65535\n";
        std::vector<unsigned char> row(static_cast<std::size_t>(width) * 2);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const auto value = static_cast<std::uint16_t>(image[static_cast<std::size_t>(y) * width + x]);
                row[static_cast<std::size_t>(x) * 2] = static_cast<unsigned char>(value >> 8);
                row[static_cast<std::size_t>(x) * 2 + 1] = static_cast<unsigned char>(value & 0xFF);
            }
            out.write(reinterpret_cast<const char*>(row.data()), static_cast<std::streamsize>(row.size()));
        }
        out.flush();
        if (!out) {
            error = "cannot write " + temporary;
            out.close();
            std::remove(temporary.c_str());
            return false;
        }
    }
    std::error_code failure;
    std::filesystem::rename(temporary, path, failure);
    if (failure) {
        error = "cannot rename " + temporary + " to " + path + ": " + failure.message();
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
