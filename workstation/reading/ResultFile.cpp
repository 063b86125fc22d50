#include "reading/ResultFile.h"

#include "reading/ReadingRecordOperations.h"
#include "startup/MessageBoxes.h"
#include "startup/ProfileFile.h"
#include "startup/WorkstationState.h"

#include <QFileDialog>

#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <limits>

namespace vantor {

namespace {

// Writes the members one after another in little-endian order, no gaps.
class RecordWriter {
public:
    explicit RecordWriter(char* out) : out_(out) {}

    void put(std::int16_t value) { putInteger(static_cast<std::uint16_t>(value), 2); }
    void put(std::int32_t value) { putInteger(static_cast<std::uint32_t>(value), 4); }
    void put(float value) { putInteger(std::bit_cast<std::uint32_t>(value), 4); }
    template <std::size_t N>
    void put(const FixedText<N>& text)
    {
        std::memcpy(out_ + offset_, text.data(), N);
        offset_ += N;
    }
    template <std::size_t N>
    void put(const std::array<std::int16_t, N>& values)
    {
        for (std::int16_t value : values)
            put(value);
    }

    std::size_t offset() const { return offset_; }

private:
    void putInteger(std::uint32_t value, std::size_t bytes)
    {
        for (std::size_t i = 0; i < bytes; ++i)
            out_[offset_++] = static_cast<char>((value >> (8 * i)) & 0xFFU);
    }

    char* out_;
    std::size_t offset_ = 0;
};

class RecordReader {
public:
    explicit RecordReader(const char* in) : in_(in) {}

    void get(std::int16_t& value) { value = static_cast<std::int16_t>(getInteger(2)); }
    void get(std::int32_t& value) { value = static_cast<std::int32_t>(getInteger(4)); }
    void get(float& value) { value = std::bit_cast<float>(getInteger(4)); }
    template <std::size_t N>
    void get(FixedText<N>& text)
    {
        std::memcpy(text.data(), in_ + offset_, N);
        offset_ += N;
    }
    template <std::size_t N>
    void get(std::array<std::int16_t, N>& values)
    {
        for (std::int16_t& value : values)
            get(value);
    }

    std::size_t offset() const { return offset_; }

private:
    std::uint32_t getInteger(std::size_t bytes)
    {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < bytes; ++i)
            value |= static_cast<std::uint32_t>(static_cast<unsigned char>(in_[offset_++])) << (8 * i);
        return value;
    }

    const char* in_;
    std::size_t offset_ = 0;
};

// Both directions visit the members in the same, published order.
template <typename Access, typename Record>
void forEachMember(Access&& access, Record& r)
{
    access(r.PatientName);
    access(r.PatientID);
    access(r.StudyDate);
    access(r.StudyTime);
    access(r.ImageCount);
    access(r.SliceThickness);
    access(r.WindowLevel);
    access(r.WindowWidth);
    access(r.KVP);
    access(r.TubeCurrent);
    access(r.ExposureTime);
    access(r.Posture);
    access(r.Reserved12);
    access(r.Manufacturer);
    access(r.ModelName);
    access(r.Reserved15);
    access(r.Findings);
    access(r.RoundPresent);
    access(r.RoundSize);
    access(r.RoundPredominantSize);
    access(r.RoundGrade);
    access(r.IrregularPresent);
    access(r.IrregularType);
    access(r.IrregularPredominantType);
    access(r.IrregularGrade);
    access(r.GgoGradable);
    access(r.GgoPresent);
    access(r.GgoGrade);
    access(r.HoneycombPresent);
    access(r.HoneycombGrade);
    access(r.EmphysemaPresent);
    access(r.EmphysemaGrade);
    access(r.LargePresent);
    access(r.LargeSize);
    access(r.LargeZone);
    access(r.PredominantParenchymal);
    access(r.Symbol);
    access(r.PleuralPresent);
    access(r.PleuralType);
    access(r.PleuralPredominantType);
    access(r.PleuralSite);
    access(r.PleuralExtentWidth);
    access(r.CalcPresent);
    access(r.CalcSite);
    access(r.Comment);
    access(r.ReadingDate);
    access(r.ReaderID);
    access(r.ReaderName);
    access(r.CommentMark);
}

void appendInt32(std::string& out, std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFFU));
}

std::uint32_t int32At(std::string_view image, std::size_t offset)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(image[offset + i])) << (8 * i);
    return value;
}

// The file, read without trusting anything inside it: the buffer grows only by
// what the file actually delivers, and a file that does not start with the
// signature is left after its first bytes (the open dialog accepts any file).
bool readResultsImage(const std::string& path, std::string& contents)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    contents.clear();
    std::array<char, 65536> chunk{};
    bool ok = true;
    std::size_t wanted = ResultFile::Signature.size();
    for (;;) {
        const std::size_t count = std::fread(chunk.data(), 1, wanted, file);
        contents.append(chunk.data(), count);
        if (count < wanted) {
            ok = std::ferror(file) == 0;
            break;
        }
        if (contents.size() == ResultFile::Signature.size() && contents != ResultFile::Signature)
            break;
        wanted = chunk.size();
    }
    std::fclose(file);
    return ok;
}

} // namespace

std::string ResultFile::defaultFileName(const std::string& folder, const std::string& reader)
{
    return folder + "_" + reader + ".vtr";
}

std::string ResultFile::restoreQuestion(const std::string& reader, const std::string& folder)
{
    return "Reading results by [ " + reader + " ] for the folder [ " + folder + " ] has already existed.\r\r" +
           "Do you restore it ? (Yes/No)\r\r" + "[Yes]    : Restore the existed result and continue.\r" +
           "[No]     : Clear the existed result and continue.\r" +
           "           (the existed result is kept first as [ " + backupFileName(defaultFileName(folder, reader)) +
           " ])";
}

std::string ResultFile::backupFileName(const std::string& path) { return path + ".bak"; }

std::string ResultFile::backupFailedMessage(const std::string& path)
{
    return "The existed result could not be kept as '" + backupFileName(path) +
           "'.\r\rIt is restored instead, so that no reading is lost.";
}

bool ResultFile::keepBackup(const std::string& path)
{
    std::string contents;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    std::array<char, 65536> chunk{};
    std::size_t count = 0;
    while ((count = std::fread(chunk.data(), 1, chunk.size(), file)) > 0)
        contents.append(chunk.data(), count);
    const bool complete = std::ferror(file) == 0;
    std::fclose(file);
    return complete && writeFileAtomically(backupFileName(path), contents);
}

std::string ResultFile::notResultsFileMessage(const std::string& path)
{
    return "'" + path + "' is not Reading Results file.";
}

std::string ResultFile::folderMismatchMessage(const std::string& topFolder, const std::string& storedFolder)
{
    return "Target folder is not match.\r\rCurrent Img Folder: '" + topFolder + "'\rThe file requires : '" +
           storedFolder + "'\r\rPlease select anoter file.";
}

std::string ResultFile::cannotOpenMessage(const std::string& path)
{
    return "'" + path + "' cannot be opened.";
}

std::string ResultFile::damagedMessage(const std::string& path)
{
    return "'" + path + "' is damaged (cut short or malformed) and was not read.\r\rThe file is left unchanged.";
}

std::string ResultFile::writeFailedMessage(const std::string& path)
{
    return "Reading results could not be saved to '" + path +
           "'.\r\rThe previous file is left unchanged. Check that the folder is writable and not full.";
}

std::string ResultFile::patientCountMessage(std::size_t recordsInFile, std::size_t patientCount)
{
    std::string text = "The file holds readings of " + std::to_string(recordsInFile) + " patients; the folder has " +
                       std::to_string(patientCount) + " patients.\r\rReadings were restored in patient order.";
    if (recordsInFile > patientCount)
        text += "\rThe readings beyond the last patient are kept in the file.";
    else
        text += "\rPatients without a stored reading start with a cleared reading.";
    return text;
}

void ResultFile::encodeRecord(const ReadingRecord& record, char* out)
{
    RecordWriter writer(out);
    forEachMember([&writer](const auto& member) { writer.put(member); }, record);
}

ReadingRecord ResultFile::decodeRecord(const char* in)
{
    ReadingRecord record;
    RecordReader reader(in);
    forEachMember([&reader](auto& member) { reader.get(member); }, record);
    return record;
}

std::string ResultFile::encode(const std::string& topFolder, const Readings& readings) const
{
    std::string image;
    image.reserve(HeaderSize + topFolder.size() + readings.size() * RecordSize + surplusRecords_.size());
    image.append(Signature);
    appendInt32(image, static_cast<std::int32_t>(topFolder.size()));
    image.append(topFolder);
    for (const ReadingRecord& record : readings) {
        const std::size_t at = image.size();
        image.resize(at + RecordSize);
        encodeRecord(record, image.data() + at);
    }
    if (topFolder == surplusFolder_)
        image.append(surplusRecords_);
    return image;
}

ResultFile::ReadOutcome ResultFile::decode(std::string_view image, const std::string& topFolder,
                                           Readings& readings)
{
    ReadOutcome outcome;
    if (image.size() < Signature.size() || image.substr(0, Signature.size()) != Signature) {
        outcome.Status = ReadStatus::NotResultsFile;
        return outcome;
    }
    if (image.size() < HeaderSize) {
        outcome.Status = ReadStatus::Damaged;
        return outcome;
    }
    // The length is compared with what the file holds before anything is taken by it.
    const std::uint32_t folderLength = int32At(image, Signature.size());
    if (folderLength > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()) ||
        folderLength > image.size() - HeaderSize) {
        outcome.Status = ReadStatus::Damaged;
        return outcome;
    }
    outcome.StoredFolder = std::string(image.substr(HeaderSize, folderLength));
    if (outcome.StoredFolder != topFolder) {
        outcome.Status = ReadStatus::FolderMismatch;
        return outcome;
    }
    const std::string_view body = image.substr(HeaderSize + folderLength);
    if (body.size() % RecordSize != 0) {
        outcome.Status = ReadStatus::Damaged;
        outcome.RecordsInFile = body.size() / RecordSize;
        return outcome;
    }
    outcome.RecordsInFile = body.size() / RecordSize;
    outcome.RecordsRestored = std::min(outcome.RecordsInFile, readings.size());
    for (std::size_t i = 0; i < outcome.RecordsRestored; ++i)
        readings[i] = decodeRecord(body.data() + i * RecordSize);
    // Patients the file has no record for start cleared, as the reader is told.
    for (std::size_t i = outcome.RecordsRestored; i < readings.size(); ++i) {
        readings[i] = ReadingRecord{};
        ClearReading(readings[i]);
    }
    surplusRecords_ = std::string(body.substr(outcome.RecordsRestored * RecordSize));
    surplusFolder_ = topFolder;
    outcome.Status = ReadStatus::Restored;
    return outcome;
}

bool ResultFile::write(const std::string& path, const std::string& topFolder, const Readings& readings) const
{
    return !path.empty() && writeFileAtomically(path, encode(topFolder, readings));
}

ResultFile::ReadOutcome ResultFile::read(const std::string& path, const std::string& topFolder, Readings& readings)
{
    std::string image;
    if (path.empty() || !readResultsImage(path, image))
        return ReadOutcome{};
    return decode(image, topFolder, readings);
}

bool ResultFile::WriteResults(WorkstationState& state, const Readings& readings, const std::string& path,
                              QWidget* parent)
{
    state.ResultFileName = path;
    if (write(path, state.TopFolder, readings))
        return true;
    showMessage(parent, QMessageBox::Critical, Caption, writeFailedMessage(path));
    return false;
}

bool ResultFile::ReadResults(WorkstationState& state, Readings& readings, const std::string& path, QWidget* parent)
{
    state.ResultFileName = path;
    const ReadOutcome outcome = read(path, state.TopFolder, readings);
    std::string refusal;
    switch (outcome.Status) {
    case ReadStatus::Restored:
        if (outcome.RecordsInFile != readings.size())
            showMessage(parent, QMessageBox::Warning, Caption,
                        patientCountMessage(outcome.RecordsInFile, readings.size()));
        return true;
    case ReadStatus::CannotOpen:
        refusal = cannotOpenMessage(path);
        break;
    case ReadStatus::NotResultsFile:
        refusal = notResultsFileMessage(path);
        break;
    case ReadStatus::Damaged:
        refusal = damagedMessage(path);
        break;
    case ReadStatus::FolderMismatch:
        refusal = folderMismatchMessage(state.TopFolder, outcome.StoredFolder);
        break;
    }
    showMessage(parent, QMessageBox::NoIcon, Caption, refusal);
    state.ResultFileName.clear();
    return false;
}

bool ResultFile::Save(WorkstationState& state, const Readings& readings, QWidget* parent)
{
    if (state.ResultFileName.empty())
        return true;
    return WriteResults(state, readings, state.ResultFileName, parent);
}

bool ResultFile::SaveAs(WorkstationState& state, const Readings& readings, const std::string& chosenPath,
                        QWidget* parent)
{
    if (chosenPath.empty())
        return false;
    return WriteResults(state, readings, chosenPath, parent);
}

std::string ResultFile::askSaveAsName(const std::string& proposed, QWidget* parent)
{
    // QFileDialog asks before replacing an existing file.
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Reading Results Save As File"),
                                        QString::fromStdString(proposed), QStringLiteral("All Files (*)"))
        .toStdString();
}

std::string ResultFile::askOpenName(QWidget* parent)
{
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Open Reading Result"), QString(),
                                        QStringLiteral("All Files (*)"))
        .toStdString();
}

bool ResultFile::askRestore(const std::string& reader, const std::string& folder, QWidget* parent)
{
    return showMessage(parent, QMessageBox::Warning, Caption, restoreQuestion(reader, folder),
                       QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

} // namespace vantor
