// Buffer files: header layout, round trips, the offset flag, and refusal of
// damaged or foreign files without touching the slot.
#include "ZVIPEngine/VazAZUrorav.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class BufferFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() /
                  ("zvipengine-buffer-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string path(const std::string& name) const { return (folder_ / name).string(); }

    static std::vector<std::uint8_t> read(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void write(const std::string& file, const std::vector<std::uint8_t>& bytes)
    {
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    static std::vector<std::uint8_t> header(std::int32_t length, std::int32_t element, std::int32_t d1,
                                            std::int32_t d2, std::int32_t d3, std::int32_t offset,
                                            std::int32_t colour)
    {
        std::vector<std::uint8_t> h(40, 0);
        const std::int32_t fields[7] = {length, element, d1, d2, d3, offset, colour};
        for (int f = 0; f < 7; ++f)
            for (int b = 0; b < 4; ++b)
                h[static_cast<std::size_t>(4 * f + b)] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(fields[f]) >> (8 * b));
        return h;
    }
    std::vector<std::string> folderEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_))
            names.push_back(entry.path().filename().string());
        return names;
    }

    fs::path folder_;
    VazAZUrorav engine_;
};

std::int32_t le32(const std::uint8_t* p)
{
    return static_cast<std::int32_t>(p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24);
}

} // namespace

TEST_F(BufferFileTest, SaveWritesTheHeaderAndRefusesMoreThanTheSlotHolds)
{
    std::int16_t* image = nullptr;
    ASSERT_TRUE(engine_.CreateImageBuffer(&image, 5, 512 * 512));
    for (int i = 0; i < 512 * 512; ++i)
        image[i] = static_cast<std::int16_t>(i * 31);
    const std::int32_t dims[2] = {512, 512};
    ASSERT_TRUE(engine_.SaveBufferFile(path("a.buf"), 5, 2, dims));
    const auto bytes = read(path("a.buf"));
    ASSERT_EQ(bytes.size(), 40u + 524288u);
    EXPECT_EQ(le32(&bytes[0]), 524288);
    EXPECT_EQ(le32(&bytes[4]), 2);
    EXPECT_EQ(le32(&bytes[8]), 512);
    EXPECT_EQ(le32(&bytes[12]), 512);
    EXPECT_EQ(le32(&bytes[16]), 1);
    for (int i = 20; i < 40; ++i)
        EXPECT_EQ(bytes[static_cast<std::size_t>(i)], 0);
    EXPECT_EQ(std::memcmp(&bytes[40], image, 524288), 0);

    const std::int32_t larger[2] = {1024, 1024};
    EXPECT_FALSE(engine_.SaveBufferFile(path("b.buf"), 5, 2, larger));
    EXPECT_FALSE(engine_.SaveBufferFile(path("b.buf"), 6, 2, dims)); // empty slot
    EXPECT_FALSE(engine_.SaveBufferFile(path("b.buf"), 100, 2, dims));
    EXPECT_FALSE(engine_.SaveBufferFileColor(path("b.buf"), 5, 0, 2, dims, 0));
    EXPECT_FALSE(engine_.SaveBufferFile((folder_ / "missing" / "c.buf").string(), 5, 2, dims));
    // Nothing but the finished file is left behind.
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"a.buf"});
}

TEST_F(BufferFileTest, RoundTripsKeepDataDimensionsElementSizeAndColourMode)
{
    std::uint8_t* data = nullptr;
    ASSERT_TRUE(engine_.CreateBuffer(&data, 1, 3 * 7 * 5 * 2));
    std::mt19937 random(4);
    for (int i = 0; i < 3 * 7 * 5 * 2; ++i)
        data[i] = static_cast<std::uint8_t>(random());
    const std::int32_t dims[3] = {7, 5, 2};
    ASSERT_TRUE(engine_.SaveBufferFileColor(path("c.buf"), 1, 3, 3, dims, 1));
    // Saving again replaces the file whole.
    ASSERT_TRUE(engine_.SaveBufferFileColor(path("c.buf"), 1, 3, 3, dims, 1));

    std::uint8_t* loaded = nullptr;
    std::int32_t element = 0, colour = 0;
    std::int32_t back[3] = {0, 0, 0};
    ASSERT_TRUE(engine_.LoadBufferFileColor(path("c.buf"), &loaded, 2, &element, 3, back, &colour));
    EXPECT_EQ(element, 3);
    EXPECT_EQ(colour, 1);
    EXPECT_EQ(back[0], 7);
    EXPECT_EQ(back[1], 5);
    EXPECT_EQ(back[2], 2);
    std::uint8_t* slot = nullptr;
    std::int32_t length = 0;
    ASSERT_TRUE(engine_.GetBuffer(&slot, 2, &length));
    EXPECT_EQ(slot, loaded);
    ASSERT_EQ(length, 210);
    EXPECT_EQ(std::memcmp(loaded, data, 210), 0);

    // Only Ndim dimensions are written back; null outputs are allowed.
    std::int32_t one[1] = {0};
    ASSERT_TRUE(engine_.LoadBufferFileColor(path("c.buf"), &loaded, 3, nullptr, 1, one, nullptr));
    EXPECT_EQ(one[0], 7);

    // Missing dimensions of a save are 1, non-positive ones count as 1.
    const std::int32_t flat[2] = {210, -4};
    ASSERT_TRUE(engine_.SaveBufferFileColor(path("d.buf"), 1, 1, 2, flat, 0));
    std::int16_t* image = nullptr;
    std::int32_t d3[3] = {0, 0, 0};
    ASSERT_TRUE(engine_.LoadBufferFile(path("d.buf"), &image, 4, 3, d3));
    EXPECT_EQ(d3[0], 210);
    EXPECT_EQ(d3[1], 1);
    EXPECT_EQ(d3[2], 1);
}

TEST_F(BufferFileTest, OffsetFlagAddsTenTwentyFourToSixteenBitElements)
{
    auto bytes = header(6, 2, 3, 1, 1, 1, 0);
    for (const std::int16_t v : {std::int16_t{0}, std::int16_t{-1024}, std::int16_t{31000}})
        for (int b = 0; b < 2; ++b)
            bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) >> (8 * b)));
    write(path("o.buf"), bytes);
    std::int16_t* image = nullptr;
    std::int32_t dims[3] = {};
    ASSERT_TRUE(engine_.LoadBufferFile(path("o.buf"), &image, 0, 3, dims));
    EXPECT_EQ(image[0], 1024);
    EXPECT_EQ(image[1], 0);
    EXPECT_EQ(image[2], 32024);

    // Element size 0 is read as 1; the flag then changes nothing.
    auto bytes1 = header(2, 0, 2, 1, 1, 1, 0);
    bytes1.push_back(7);
    bytes1.push_back(9);
    write(path("p.buf"), bytes1);
    std::uint8_t* raw = nullptr;
    std::int32_t element = 0;
    ASSERT_TRUE(engine_.LoadBufferFileColor(path("p.buf"), &raw, 1, &element, 0, nullptr, nullptr));
    EXPECT_EQ(element, 1);
    EXPECT_EQ(raw[0], 7);
    EXPECT_EQ(raw[1], 9);
}

TEST_F(BufferFileTest, DamagedOrForeignFilesAreRefusedAndTheSlotIsKept)
{
    std::int16_t* kept = nullptr;
    ASSERT_TRUE(engine_.CreateImageBuffer(&kept, 9, 4));
    kept[0] = 1234;

    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
    files.push_back({"empty", {}});
    files.push_back({"short-header", std::vector<std::uint8_t>(39, 0)});
    auto huge = header(0x7FFFFFFF, 1, 0x7FFFFFFF, 1, 1, 0, 0);
    huge.resize(64);
    files.push_back({"huge-length", huge});
    auto shortData = header(8, 2, 4, 1, 1, 0, 0);
    shortData.resize(46);
    files.push_back({"short-data", shortData});
    auto mismatch = header(8, 2, 3, 1, 1, 0, 0);
    mismatch.resize(48);
    files.push_back({"length-not-dims", mismatch});
    auto negative = header(8, 2, -4, -1, 1, 0, 0);
    negative.resize(48);
    files.push_back({"negative-dims", negative});
    auto zero = header(0, 2, 0, 1, 1, 0, 0);
    files.push_back({"zero-length", zero});
    auto overflow = header(8, 65536, 65536, 65536, 65536, 0, 0);
    overflow.resize(48);
    files.push_back({"overflowing-dims", overflow});

    for (const auto& [name, bytes] : files) {
        write(path(name), bytes);
        std::int16_t* image = kept;
        std::int32_t dims[3] = {-7, -7, -7};
        EXPECT_FALSE(engine_.LoadBufferFile(path(name), &image, 9, 3, dims)) << name;
        EXPECT_EQ(image, nullptr) << name;
        EXPECT_EQ(dims[0], -7) << name;
        std::uint8_t* slot = nullptr;
        std::int32_t length = 0;
        ASSERT_TRUE(engine_.GetBuffer(&slot, 9, &length));
        EXPECT_EQ(reinterpret_cast<std::int16_t*>(slot), kept) << name;
        EXPECT_EQ(kept[0], 1234) << name;
    }
    std::int16_t* image = kept;
    EXPECT_FALSE(engine_.LoadBufferFile(path("does-not-exist"), &image, 9, 0, nullptr));
    EXPECT_EQ(image, nullptr);
    EXPECT_FALSE(engine_.LoadBufferFile(folder_.string(), &image, 9, 0, nullptr));
}

TEST_F(BufferFileTest, LoadingIntoSlotOneHundredFails)
{
    auto bytes = header(2, 2, 1, 1, 1, 0, 0);
    bytes.resize(42);
    write(path("s.buf"), bytes);
    auto* image = reinterpret_cast<std::int16_t*>(&engine_);
    std::int32_t dims[1] = {0};
    EXPECT_FALSE(engine_.LoadBufferFile(path("s.buf"), &image, 100, 1, dims));
    EXPECT_EQ(image, nullptr);
    EXPECT_EQ(engine_.ErrorNumber(), -1);
    EXPECT_FALSE(engine_.LoadBufferFile(path("s.buf"), nullptr, 0, 1, dims));
}
