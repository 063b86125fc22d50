// The report template. Input that is a zip archive is the whole template;
// anything else replaces one part of the shipped template (chosen by the
// first byte), so that the XML of each part is fuzzed beneath the deflate
// layer. Whatever loads is made into a report and written.
#include "catalogue/Catalogue.h"
#include "reading/ReadingRecordOperations.h"
#include "report/OutputReport.h"
#include "report/ZipReader.h"
#include "report/ZipWriter.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

namespace {

const std::string& shippedTemplate()
{
    static const std::string bytes = [] {
        std::ifstream in(VANTOR_REPORT_TEMPLATE, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    return bytes;
}

std::string withPartReplaced(std::uint8_t choice, std::string content)
{
    vantor::ZipReader zip;
    zip.open(shippedTemplate());
    const auto names = zip.names();
    vantor::ZipWriter writer;
    for (std::size_t i = 0; i < names.size(); ++i)
        writer.add(names[i], i == choice % names.size() ? std::move(content) : zip.read(names[i]).value_or(""));
    return writer.finish();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    if (input.rfind("PK", 0) != 0)
        input = size == 0 ? std::string() : withPartReplaced(data[0], input.substr(1));
    vantor::Workbook templateBook;
    std::string error;
    if (!templateBook.loadBytes(std::move(input), error))
        return 0;
    vantor::Catalogue catalogue;
    catalogue.Patients.resize(2);
    catalogue.Patients[0].PatientName = "A";
    catalogue.Patients[1].PatientName = "B";
    vantor::Readings readings(2);
    for (vantor::ReadingRecord& record : readings) {
        vantor::ClearReading(record);
        record.PatientName = "A";
    }
    if (auto report = vantor::BuildReport(templateBook, readings, catalogue, error))
        (void)report->toBytes();
    return 0;
}
