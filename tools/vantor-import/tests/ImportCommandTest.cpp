// vantor-import as a person runs it: the plan of a dry run, the summary, and
// the exit status and message of a refused import.

#include <VantorSyntheticCT/DataSetWriter.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <stdlib.h>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

struct CommandRun {
    int status = -1;
    std::string output; // standard output and error together
};

CommandRun run(const std::string& arguments)
{
    CommandRun result;
    const std::string command = std::string("'" VANTOR_IMPORT_PROGRAM "' ") + arguments + " 2>&1";
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            result.output.append(buffer, n);
        const int status = ::pclose(pipe);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return result;
}

TEST(ImportCommand, DryRunPrintsThePlanThenTheImportWritesIt)
{
    std::string pattern = (fs::temp_directory_path() / "vantor-import-command-XXXXXX").string();
    const fs::path work = ::mkdtemp(pattern.data());
    VantorSyntheticCT::SeriesOptions series;
    series.columns = 32;
    series.rows = 32;
    series.slices = 2;
    series.seriesNumber = 7;
    series.description = "CHEST 1.25";
    auto options = VantorSyntheticCT::DataSetOptions::singleSeries(series);
    options.patients[0].id = "ID 42";
    ASSERT_TRUE(VantorSyntheticCT::DataSetWriter::write(options, (work / "source").string(), {}).ok);
    const std::string source = (work / "source").string();
    const std::string data = (work / "data").string();
    const std::string target = data + "/ID_42/20260105_1/SE007_CHEST_1.25/";

    const CommandRun plan = run("--dry-run '" + source + "' '" + data + "'");
    EXPECT_EQ(plan.status, 0);
    const std::string firstSource = (work / "source/PAT001/ST001_20260105/SE007_CHEST_1.25/IM00001.dcm").string();
    EXPECT_NE(plan.output.find(firstSource + " -> " + target + "IM00001.dcm\n"), std::string::npos) << plan.output;
    EXPECT_NE(plan.output.find("Would import 2 images into 1 series of 1 patient in " + data + ".\n"),
              std::string::npos)
        << plan.output;
    EXPECT_FALSE(fs::exists(data));

    const CommandRun done = run("'" + source + "' '" + data + "'");
    EXPECT_EQ(done.status, 0);
    EXPECT_EQ(done.output, "Imported 2 images into 1 series of 1 patient in " + data + ".\n");
    EXPECT_TRUE(fs::exists(target + "IM00002.dcm"));
    EXPECT_EQ(run("--quiet '" + source + "' '" + data + "'").output, "");

    const CommandRun refused = run("'" + work.string() + "' '" + data + "'");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.output, "vantor-import: The data folder " + data + " lies inside the source " + work.string() +
                                  ". Choose a data folder outside it.\n");
    EXPECT_EQ(run("'" + source + "'").status, 2) << "a data folder is needed";
    EXPECT_EQ(run("--frobnicate '" + source + "' '" + data + "'").status, 2);
    fs::remove_all(work);
}

} // namespace
