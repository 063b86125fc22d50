// The tag list: the dictionary read on first use, the lines of a real file
// against DCMTK's dcmdump, and the window that shows them.
#include "lists/TagListBuilder.h"
#include "lists/frmTagList.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <ZVDICOM/ZQDICOM.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

using namespace vantor;

namespace {

namespace fs = std::filesystem;

class TagListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("vantor-taglist-" + std::to_string(std::random_device{}()));
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    std::string write(const std::string& name, const std::string& text) const
    {
        const fs::path path = folder / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    // A raw element stream: tag, 32-bit length, value, little-endian.
    std::string writeStream(const std::vector<std::pair<std::uint32_t, std::string>>& elements) const
    {
        std::string bytes;
        for (const auto& [tag, value] : elements) {
            const auto length = static_cast<std::uint32_t>(value.size());
            const char header[8] = {static_cast<char>(tag >> 16),    static_cast<char>(tag >> 24),
                                    static_cast<char>(tag),          static_cast<char>(tag >> 8),
                                    static_cast<char>(length),       static_cast<char>(length >> 8),
                                    static_cast<char>(length >> 16), static_cast<char>(length >> 24)};
            bytes.append(header, 8);
            bytes += value;
        }
        return write("slice.dcm", bytes);
    }

    std::string appDir() const { return folder.string() + "/"; }

    fs::path folder;
};

std::vector<std::string> outputLines(const std::string& command)
{
    std::vector<std::string> lines;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return lines;
    std::string output;
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof(chunk), pipe)) > 0)
        output.append(chunk, got);
    ::pclose(pipe);
    std::istringstream stream(output);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

TEST_F(TagListTest, DictionaryIsReadOnFirstUseAndKept)
{
    ZQDICOM dicom;
    const std::string slice = writeStream(
        {{0x00080060, "CT"}, {0x00100010, "DOE^JANE"}, {0x00280010, std::string("\x00\x02", 2)}});
    TagListBuilder builder(appDir());
    EXPECT_EQ(builder.dictionaryPath(), appDir() + "dicom.dic");
    EXPECT_EQ(TagListBuilder("/opt/vantor").dictionaryPath(), "/opt/vantor/dicom.dic");

    // Without the dictionary: the tag, 30 spaces and the value; numbers stay raw bytes.
    std::vector<std::string> lines = builder.lines(dicom, slice);
    EXPECT_EQ(builder.dictionaryCount(), 0U);
    ASSERT_EQ(lines.size(), 6U); // three group lengths and three elements
    EXPECT_EQ(lines[3], "(0010,0010) " + std::string(30, ' ') + "DOE^JANE");

    // The next view tries again and finds it.
    write("dicom.dic", "# too short\n(0010,0010) PN PatientName\t1\n(0028,0010) US Rows\t1\n(0028,0011) US NoTab\n");
    lines = builder.lines(dicom, slice);
    EXPECT_EQ(builder.dictionaryCount(), 2U);
    EXPECT_EQ(lines[3], "(0010,0010) PatientName                   DOE^JANE");
    EXPECT_EQ(lines[5], "(0028,0010) Rows                          512");

    // Once loaded it is never read again during the run.
    write("dicom.dic", "(0010,0010) PN ChangedName\t1\n");
    EXPECT_EQ(builder.loadDictionary(), 2U);
    EXPECT_EQ(builder.lines(dicom, slice)[3], "(0010,0010) PatientName                   DOE^JANE");
}

TEST_F(TagListTest, UnreadableOrMissingSliceGivesAnEmptyList)
{
    ZQDICOM dicom;
    TagListBuilder builder(VANTOR_SOURCE_DIR "/data/");
    EXPECT_TRUE(builder.lines(dicom, "").empty());
    EXPECT_TRUE(builder.lines(dicom, (folder / "none.dcm").string()).empty());
    EXPECT_TRUE(builder.lines(dicom, write("text.dcm", "")).empty());
    EXPECT_GT(builder.dictionaryCount(), 6000U); // the shipped dictionary
}

TEST_F(TagListTest, ShownTextKeepsOneElementPerLine)
{
    EXPECT_EQ(TagListBuilder::shownText("(0002,0001) Version" + std::string("\x01\x7f\r\n", 4)),
              "(0002,0001) Version....");
    EXPECT_EQ(TagListBuilder::shownText(std::string("(0002,0001) \x00\x01", 14)), "(0002,0001) ");
    EXPECT_EQ(TagListBuilder::shownText("Ölçü \xe6\x97\xa5"), "Ölçü \xe6\x97\xa5");
}

// The lines of a real file against DCMTK's dcmdump: the same top-level
// elements in the same order (group lengths aside: ours are recomputed or
// synthesised), and each text or US value that fits the 128-character
// buffer at the end of its line.
TEST_F(TagListTest, RealFileLinesMatchDcmdump)
{
    const fs::path real = fs::path(VANTOR_REAL_DICOM_DIR) / "pydicom" / "test_files" / "CT_small.dcm";
    if (!fs::exists(real))
        GTEST_SKIP() << "real DICOM files not found under " << VANTOR_REAL_DICOM_DIR;
    ASSERT_TRUE(fs::exists(VANTOR_DCMDUMP)) << "dcmdump (DCMTK, installed by scripts/setup.sh) is missing";
    struct PeerElement {
        std::string tag;
        std::string value; // empty when it is not compared
    };
    std::vector<PeerElement> peer;
    for (const std::string& line : outputLines(std::string("'") + VANTOR_DCMDUMP + "' -q +L -Un '" + real.string() + "'")) {
        // "(gggg,eeee) VR value # length, multiplicity name"; nested lines are
        // indented, and a sequence's closing delimiter is no element.
        if (line.size() < 16 || line[0] != '(' || line[10] != ')' || line.compare(6, 4, "0000") == 0 ||
            line.compare(0, 6, "(fffe,") == 0)
            continue;
        const std::size_t hash = line.rfind('#');
        ASSERT_NE(hash, std::string::npos) << line;
        std::string value = line.substr(15, hash - 15);
        while (!value.empty() && value.back() == ' ')
            value.pop_back();
        const int length = std::atoi(line.c_str() + hash + 1);
        const std::string vr = line.substr(12, 2);
        PeerElement element{line.substr(0, 11), {}};
        std::transform(element.tag.begin(), element.tag.end(), element.tag.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (length <= 125 && value.size() >= 2 && value.front() == '[' && value.back() == ']')
            element.value = value.substr(1, value.size() - 2);
        else if (vr == "US" && value.find('\\') == std::string::npos && std::atoi(value.c_str()) < 32768 &&
                 std::stoul(line.substr(1, 4), nullptr, 16) % 2 == 0)
            element.value = value; // a number in decimal where the dictionary knows the tag (not private ones)
        peer.push_back(element);
    }
    ASSERT_GT(peer.size(), 50U);

    ZQDICOM dicom;
    TagListBuilder builder(VANTOR_SOURCE_DIR "/data/");
    const std::vector<std::string> lines = builder.lines(dicom, real.string());
    std::vector<std::string> shown;
    for (const std::string& line : lines) {
        if (line.compare(6, 4, "0000") == 0)
            continue;
        std::string text = TagListBuilder::shownText(line);
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        shown.push_back(text);
    }
    ASSERT_EQ(shown.size(), peer.size());
    std::size_t valuesCompared = 0;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i].substr(0, 11), peer[i].tag) << i;
        if (!peer[i].value.empty()) {
            ++valuesCompared;
            EXPECT_GE(shown[i].size(), 42U + peer[i].value.size()) << shown[i];
            EXPECT_TRUE(shown[i].ends_with(" " + peer[i].value)) << shown[i] << " | dcmdump: " << peer[i].value;
        }
    }
    std::printf("%zu lines, %zu values compared with dcmdump\n", shown.size(), valuesCompared);
    EXPECT_GT(valuesCompared, 100U);

    // The window shows the same text.
    frmTagList window;
    window.setLines(lines);
    ASSERT_EQ(window.List1()->count(), static_cast<int>(lines.size()));
    for (int i = 0; i < window.List1()->count(); ++i) {
        const QString expected = QString::fromStdString(TagListBuilder::shownText(lines[static_cast<std::size_t>(i)]));
        if (!expected.contains(QChar::ReplacementCharacter)) {
            EXPECT_EQ(window.List1()->item(i)->text(), expected) << i;
        }
    }
}

TEST_F(TagListTest, WindowCaptionFontLayoutAndClose)
{
    frmTagList window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Tag List"));
    EXPECT_EQ(window.btnClose()->text(), QStringLiteral("Close"));
    EXPECT_EQ(window.List1()->font().family(), QStringLiteral("Terminal"));
    // The columns of the element lines line up: every character as wide as
    // any other (a monospace font that the font database calls "dual"
    // spacing, as Noto Sans Mono is, counts too).
    const QFontMetrics metrics(window.List1()->font());
    EXPECT_EQ(metrics.horizontalAdvance(QLatin1Char('i')), metrics.horizontalAdvance(QLatin1Char('W')))
        << QFontInfo(window.List1()->font()).family().toStdString();
    EXPECT_EQ(metrics.horizontalAdvance(QLatin1Char('.')), metrics.horizontalAdvance(QLatin1Char('0')));

    window.resize(600, 400);
    window.show();
    const QRect list = window.List1()->geometry();
    const QRect button = window.btnClose()->geometry();
    // In twips (15 a pixel): margins of 120 on both sides less 100, the
    // button's height and 200 below the list, the button 50 under it.
    EXPECT_EQ(list.left(), 8);
    EXPECT_EQ(list.width(), (600 * 15 - 2 * 120 - 100) / 15);
    EXPECT_EQ(list.height(), (400 * 15 - button.height() * 15 - 200) / 15);
    EXPECT_EQ(button.top(), list.top() + list.height() + 50 / 15);
    EXPECT_LE(button.bottom(), 400);

    window.resize(20, 10); // smaller than its margins: nothing negative
    EXPECT_EQ(window.List1()->width(), 0);
    EXPECT_EQ(window.List1()->height(), 0);

    QTest::mouseClick(window.btnClose(), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
}

TEST_F(TagListTest, TagViewShowsTheSliceModally)
{
    ZQDICOM dicom;
    write("dicom.dic", "(0010,0010) PN PatientName\t1\n");
    TagListBuilder builder(appDir());
    const std::string slice = writeStream({{0x00080060, "CT"}, {0x00100010, "DOE^JANE"}});
    QStringList shown;
    bool wasModal = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* window = qobject_cast<frmTagList*>(modal);
        if (window == nullptr) {
            if (modal != nullptr)
                modal->close(); // never leave the test waiting on another window
            return;
        }
        wasModal = window->isModal();
        for (int i = 0; i < window->List1()->count(); ++i)
            shown << window->List1()->item(i)->text();
        window->btnClose()->click();
    });
    frmTagList::showTags(nullptr, builder, dicom, slice);
    EXPECT_TRUE(wasModal);
    ASSERT_EQ(shown.size(), 4);
    EXPECT_EQ(shown[3], QStringLiteral("(0010,0010) PatientName                   DOE^JANE"));
}
