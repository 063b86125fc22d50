#include "catalogue/CatalogueCacheReader.h"

#include <charconv>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <sstream>

namespace vantor {

namespace {

std::string trimSpaces(std::string_view line)
{
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = line.find_last_not_of(' ');
    return std::string(line.substr(first, last - first + 1));
}

bool startsWith(const std::string& text, std::string_view prefix)
{
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& text, std::string_view suffix)
{
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// One "<Tag>value</Tag>" line: the tag is the text between the first "<" and the
// first ">", the value the text after that ">" up to the next "<".
struct TaggedLine {
    std::string tag;
    std::string value;

    explicit TaggedLine(const std::string& line)
    {
        const std::size_t open = line.find('<');
        const std::size_t close = line.find('>');
        if (open == std::string::npos || close == std::string::npos || close < open)
            return;
        tag = line.substr(open + 1, close - open - 1);
        const std::size_t valueEnd = line.find('<', close + 1);
        value =
            line.substr(close + 1, valueEnd == std::string::npos ? std::string::npos : valueEnd - close - 1);
    }
};

std::optional<std::int16_t> seriesNumber(const std::string& text)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || text.empty() ||
        value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(value);
}

// The bare name `up` levels above the file: 1 = series folder, 2 = study, 3 = patient.
std::string folderAbove(const std::string& filePath, int up)
{
    std::size_t end = filePath.rfind('/');
    for (int level = 1; level <= up; ++level) {
        if (end == std::string::npos || end == 0)
            return {};
        const std::size_t start = filePath.rfind('/', end - 1);
        if (level == up)
            return filePath.substr(start == std::string::npos ? 0 : start + 1,
                                   start == std::string::npos ? end : end - start - 1);
        end = start;
    }
    return {};
}

class CacheParser {
public:
    explicit CacheParser(const std::string& text) : m_text(text) {}

    CatalogueCacheReader::Result run()
    {
        CatalogueCacheReader::Result result;
        const std::optional<std::string> declaration = nextLine();
        if (declaration.value_or("") != CatalogueCacheReader::Declaration)
            m_messages.push_back(CatalogueCacheReader::unreadableFileMessage(declaration.value_or("")));
        const std::optional<std::string> patients = nextLine();
        if (patients.value_or("") != "<Patients>") {
            m_messages.push_back(CatalogueCacheReader::badTagMessage(patients.value_or("")));
            result.messages = std::move(m_messages);
            return result;
        }
        result.read = true;
        result.complete = readPatients(result.catalogue.Patients);
        nameFolders(result.catalogue);
        result.messages = std::move(m_messages);
        return result;
    }

private:
    std::optional<std::string> nextLine()
    {
        if (m_position >= m_text.size())
            return std::nullopt;
        std::size_t end = m_text.find_first_of("\r\n", m_position);
        if (end == std::string::npos)
            end = m_text.size();
        std::string line = trimSpaces(std::string_view(m_text).substr(m_position, end - m_position));
        m_position = end;
        if (m_position < m_text.size() && m_text[m_position] == '\r')
            ++m_position;
        if (m_position < m_text.size() && m_text[m_position] == '\n')
            ++m_position;
        return line;
    }

    // Records the first unexpected line (the end of the file counts as an empty line);
    // reading stops there.
    bool fail(const std::optional<std::string>& line)
    {
        m_messages.push_back(CatalogueCacheReader::badTagMessage(line.value_or("")));
        return false;
    }

    // Reads entries until `endMark`; a failed entry is dropped and ends every list.
    template <typename Entry, typename ReadOne>
    bool readList(std::vector<Entry>& entries, const char* startMark, const char* endMark, ReadOne readOne)
    {
        for (;;) {
            const std::optional<std::string> line = nextLine();
            if (line && *line == endMark)
                return true;
            if (!line || *line != startMark)
                return fail(line);
            Entry entry;
            if (!(this->*readOne)(entry))
                return false;
            entries.push_back(std::move(entry));
        }
    }

    bool expect(const char* mark)
    {
        const std::optional<std::string> line = nextLine();
        return (line && *line == mark) ? true : fail(line);
    }

    bool readPatients(std::vector<PatientEntry>& patients)
    {
        return readList(patients, "<patient>", "</Patients>", &CacheParser::readPatient);
    }

    bool readPatient(PatientEntry& patient)
    {
        for (;;) {
            const std::optional<std::string> line = nextLine();
            if (!line)
                return fail(line);
            const TaggedLine tagged(*line);
            if (tagged.tag == "Studies")
                break;
            if (tagged.tag == "PatientName")
                patient.PatientName = tagged.value;
            else if (tagged.tag == "PatientID")
                patient.PatientID = tagged.value;
        }
        return readList(patient.Studies, "<study>", "</Studies>", &CacheParser::readStudy) &&
               expect("</patient>");
    }

    bool readStudy(StudyEntry& study)
    {
        for (;;) {
            const std::optional<std::string> line = nextLine();
            if (!line)
                return fail(line);
            const TaggedLine tagged(*line);
            if (tagged.tag == "Serieses")
                break;
            if (tagged.tag == "StudyDate")
                study.StudyDate = tagged.value;
            else if (tagged.tag == "StudyTime")
                study.StudyTime = tagged.value;
            else if (tagged.tag == "Accession")
                study.Accession = tagged.value;
            else if (tagged.tag == "StudyDesc")
                study.StudyDesc = tagged.value;
            else if (tagged.tag == "StudyInstanceUID")
                study.StudyInstanceUID = tagged.value;
            else if (tagged.tag == "StudyID")
                study.StudyID = tagged.value;
        }
        return readList(study.Serieses, "<Series>", "</Serieses>", &CacheParser::readSeries) &&
               expect("</study>");
    }

    bool readSeries(SeriesEntry& series)
    {
        for (;;) {
            const std::optional<std::string> line = nextLine();
            if (!line)
                return fail(line);
            const TaggedLine tagged(*line);
            if (tagged.tag == "Files")
                break;
            if (tagged.tag == "Modality")
                series.Modality = tagged.value;
            else if (tagged.tag == "Manufacturer")
                series.Manufacturer = tagged.value;
            else if (tagged.tag == "InstitutionName")
                series.InstitutionName = tagged.value;
            else if (tagged.tag == "InstitutionAddr")
                series.InstitutionAddr = tagged.value;
            else if (tagged.tag == "SeriesDesc")
                series.SeriesDesc = tagged.value;
            else if (tagged.tag == "DoctorName")
                series.DoctorName = tagged.value;
            else if (tagged.tag == "SeriesInstanceUID")
                series.SeriesInstanceUID = tagged.value;
            else if (tagged.tag == "SeriesNo") {
                // A number that is not a 16-bit integer means the file was damaged.
                const std::optional<std::int16_t> number = seriesNumber(tagged.value);
                if (!number)
                    return fail(line);
                series.SeriesNo = *number;
            }
        }
        return readList(series.Files, "<File>", "</Files>", &CacheParser::readFile) && expect("</Series>");
    }

    bool readFile(std::string& path)
    {
        const std::optional<std::string> line = nextLine();
        if (!line)
            return fail(line);
        static constexpr std::string_view open = "<FileName>";
        static constexpr std::string_view close = "</FileName>";
        // A line of another shape leaves the path empty.
        if (line->size() >= open.size() + close.size() && startsWith(*line, open) && endsWith(*line, close))
            path = line->substr(open.size(), line->size() - open.size() - close.size());
        return expect("</File>");
    }

    static void nameFolders(Catalogue& catalogue)
    {
        for (PatientEntry& patient : catalogue.Patients) {
            for (StudyEntry& study : patient.Studies) {
                for (SeriesEntry& series : study.Serieses)
                    if (!series.Files.empty())
                        series.FolderName = folderAbove(series.Files.front(), 1);
                if (!study.Serieses.empty() && !study.Serieses.front().Files.empty())
                    study.FolderName = folderAbove(study.Serieses.front().Files.front(), 2);
            }
            if (!patient.Studies.empty() && !patient.Studies.front().Serieses.empty() &&
                !patient.Studies.front().Serieses.front().Files.empty())
                patient.FolderName = folderAbove(patient.Studies.front().Serieses.front().Files.front(), 3);
        }
    }

    const std::string& m_text;
    std::size_t m_position = 0;
    std::vector<std::string> m_messages;
};

} // namespace

std::string CatalogueCacheReader::unreadableFileMessage(const std::string& firstLine)
{
    return "このファイルは読めません．\r" + firstLine;
}

std::string CatalogueCacheReader::badTagMessage(const std::string& line)
{
    return "タグが不正です．(" + line + ")";
}

CatalogueCacheReader::Result CatalogueCacheReader::parse(const std::string& text)
{
    return CacheParser(text).run();
}

CatalogueCacheReader::Result CatalogueCacheReader::read(const std::string& cachePath)
{
    std::ifstream file(cachePath, std::ios::binary);
    if (!file) {
        Result result;
        result.messages.push_back("The file " + cachePath + " cannot be opened: " + std::strerror(errno));
        return result;
    }
    std::ostringstream content;
    content << file.rdbuf();
    if (file.bad()) {
        Result result;
        result.messages.push_back("The file " + cachePath + " cannot be read.");
        return result;
    }
    return parse(content.str());
}

} // namespace vantor
