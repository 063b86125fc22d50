// zvdicom-dump --decode: text values of real files as UTF-8, the stored bytes without it.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string dump(const std::string& options, const fs::path& file)
{
    const std::string dictionary = (fs::path(VANTOR_SOURCE_DIR) / "data" / "dicom.dic").string();
    const std::string command = std::string("'") + ZVDICOM_DUMP_PROGRAM + "' --dict '" + dictionary + "' " +
                                options + " '" + file.string() + "'";
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return output;
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof(chunk), pipe)) > 0)
        output.append(chunk, got);
    EXPECT_EQ(::pclose(pipe), 0) << command;
    return output;
}

TEST(DecodedDump, NamesOfJapaneseAndChineseFilesAsUtf8)
{
    const fs::path folder = fs::path(VANTOR_REAL_DICOM_DIR) / "pydicom" / "charset_files";
    if (!fs::is_directory(folder))
        GTEST_SKIP() << folder << " is absent (scripts/setup.sh links pydicom's test files)";

    const std::string japanese = dump("--decode", folder / "chrH31.dcm");
    EXPECT_NE(japanese.find("(0010,0010) PatientName                   Yamada^Tarou="
                            "\xE5\xB1\xB1\xE7\x94\xB0^\xE5\xA4\xAA\xE9\x83\x8E="
                            "\xE3\x82\x84\xE3\x81\xBE\xE3\x81\xA0^\xE3\x81\x9F\xE3\x82\x8D\xE3\x81\x86\n"),
              std::string::npos)
        << japanese;
    // Without --decode the stored bytes, escape characters shown as dots.
    EXPECT_NE(dump("", folder / "chrH31.dcm").find("PatientName                   Yamada^Tarou=.$B;3ED.(B^"),
              std::string::npos);

    const std::string chinese = dump("--decode", folder / "chrX2.dcm");
    EXPECT_NE(chinese.find("PatientName                   Wang^XiaoDong=\xE7\x8E\x8B^\xE5\xB0\x8F\xE4\xB8\x9C="),
              std::string::npos)
        << chinese;
}

} // namespace
