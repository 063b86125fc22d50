#include "catalogue/CatalogueCacheWriter.h"

#include "catalogue/Catalogue.h"

#include <atomic>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace vantor {

namespace {

bool hasLineBreak(const std::string& value)
{
    return value.find_first_of("\r\n") != std::string::npos;
}

void appendLine(std::string& out, const char* line)
{
    out += line;
    out += "\r\n";
}

void appendValue(std::string& out, const char* tag, const std::string& value)
{
    out += '<';
    out += tag;
    out += '>';
    const std::size_t start = out.size();
    out += value;
    for (std::size_t i = start; i < out.size(); ++i)
        if (out[i] == '\r' || out[i] == '\n')
            out[i] = ' ';
    out += "</";
    out += tag;
    out += ">\r\n";
}

std::string errorText(const std::string& what, const std::string& path, int error)
{
    return what + " " + path + ": " + std::strerror(error);
}

} // namespace

bool CatalogueCacheWriter::canStore(const Catalogue& catalogue)
{
    for (const PatientEntry& patient : catalogue.Patients)
        for (const StudyEntry& study : patient.Studies)
            for (const SeriesEntry& series : study.Serieses)
                for (const std::string& file : series.Files)
                    if (hasLineBreak(file))
                        return false;
    return true;
}

std::string CatalogueCacheWriter::text(const Catalogue& catalogue)
{
    std::string out;
    appendLine(out, R"(<?xml version="1.0" encoding="UTF-8" ?>)");
    appendLine(out, "<Patients>");
    for (const PatientEntry& patient : catalogue.Patients) {
        appendLine(out, "<patient>");
        appendValue(out, "PatientName", patient.PatientName);
        appendValue(out, "PatientID", patient.PatientID);
        appendLine(out, "<Studies>");
        for (const StudyEntry& study : patient.Studies) {
            appendLine(out, "<study>");
            appendValue(out, "StudyDate", study.StudyDate);
            appendValue(out, "StudyTime", study.StudyTime);
            appendValue(out, "Accession", study.Accession);
            appendValue(out, "StudyDesc", study.StudyDesc);
            appendValue(out, "StudyInstanceUID", study.StudyInstanceUID);
            appendValue(out, "StudyID", study.StudyID);
            appendLine(out, "<Serieses>");
            for (const SeriesEntry& series : study.Serieses) {
                appendLine(out, "<Series>");
                appendValue(out, "Modality", series.Modality);
                appendValue(out, "Manufacturer", series.Manufacturer);
                appendValue(out, "InstitutionName", series.InstitutionName);
                appendValue(out, "InstitutionAddr", series.InstitutionAddr);
                appendValue(out, "SeriesDesc", series.SeriesDesc);
                appendValue(out, "DoctorName", series.DoctorName);
                appendValue(out, "SeriesInstanceUID", series.SeriesInstanceUID);
                appendValue(out, "SeriesNo", std::to_string(series.SeriesNo));
                appendLine(out, "<Files>");
                for (const std::string& file : series.Files) {
                    appendLine(out, "<File>");
                    appendValue(out, "FileName", file);
                    appendLine(out, "</File>");
                }
                appendLine(out, "</Files>");
                appendLine(out, "</Series>");
            }
            appendLine(out, "</Serieses>");
            appendLine(out, "</study>");
        }
        appendLine(out, "</Studies>");
        appendLine(out, "</patient>");
    }
    appendLine(out, "</Patients>");
    return out;
}

CatalogueCacheWriter::Result CatalogueCacheWriter::write(const Catalogue& catalogue,
                                                         const std::string& cachePath)
{
    Result result;
    if (!canStore(catalogue)) {
        result.error = "a file path holds a line break and cannot be stored in " + cachePath;
        return result;
    }
    const std::string content = text(catalogue);

    // A unique name in the same folder, so that the rename cannot cross file systems.
    static std::atomic<unsigned> counter{0};
    std::string temporaryPath;
    int descriptor = -1;
    for (int attempt = 0; attempt < 100 && descriptor < 0; ++attempt) {
        temporaryPath = cachePath + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
        descriptor = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor < 0 && errno != EEXIST)
            break;
    }
    if (descriptor < 0) {
        result.error = errorText("cannot create", temporaryPath, errno);
        return result;
    }

    const char* data = content.data();
    std::size_t remaining = content.size();
    while (remaining > 0) {
        const ssize_t count = ::write(descriptor, data, remaining);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            result.error = errorText("cannot write", temporaryPath, errno);
            ::close(descriptor);
            ::unlink(temporaryPath.c_str());
            return result;
        }
        data += count;
        remaining -= static_cast<std::size_t>(count);
    }
    const bool synced = ::fsync(descriptor) == 0;
    const int syncError = errno;
    const bool closed = ::close(descriptor) == 0;
    if (!synced || !closed) {
        result.error = errorText("cannot write", temporaryPath, synced ? errno : syncError);
        ::unlink(temporaryPath.c_str());
        return result;
    }
    if (::rename(temporaryPath.c_str(), cachePath.c_str()) != 0) {
        result.error = errorText("cannot replace", cachePath, errno);
        ::unlink(temporaryPath.c_str());
        return result;
    }
    result.written = true;
    return result;
}

} // namespace vantor
