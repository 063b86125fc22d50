#pragma once

#include "reading/ReadingRecord.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class QWidget;

namespace vantor {

struct WorkstationState;

// The reading-result file of one folder and reader: the signature, the folder
// path it belongs to, and one 2303-byte record per patient in catalogue order.
// Integers are little-endian, texts are their stored bytes (UTF-8, blank-padded).
// The file carries no patient count: the number of records follows from its size.
//
// One object lives beside the opened folder's readings. It remembers the
// records of a restored file that lie beyond the folder's patients (patient
// folders removed since the file was written) and writes them back unchanged on
// every save, so that no reading is ever dropped from the file.
class ResultFile {
public:
    static constexpr std::string_view Signature = "VANTOR_0100";
    static constexpr std::size_t HeaderSize = 15; // signature + folder path length
    static constexpr std::size_t RecordSize = 2303;
    static constexpr const char* Caption = "VANTOR-Viewer";

    enum class ReadStatus {
        Restored,       // the records were copied into the readings
        CannotOpen,     // missing or unreadable file
        NotResultsFile, // the first 11 bytes are not the signature
        Damaged,        // header or records cut short, or a path length the file cannot hold
        FolderMismatch, // a result file of another folder
    };

    struct ReadOutcome {
        ReadStatus Status = ReadStatus::CannotOpen;
        std::string StoredFolder;      // the folder path the file names (when its header is whole)
        std::size_t RecordsInFile = 0; // whole records the file holds
        std::size_t RecordsRestored = 0;
    };

    // folder + "_" + reader + ".vtr": the file lies beside the folder.
    static std::string defaultFileName(const std::string& folder, const std::string& reader);

    // Texts shown to the reader (lines joined by carriage returns).
    static std::string restoreQuestion(const std::string& reader, const std::string& folder);
    static std::string notResultsFileMessage(const std::string& path);
    static std::string folderMismatchMessage(const std::string& topFolder, const std::string& storedFolder);
    static std::string cannotOpenMessage(const std::string& path);
    static std::string damagedMessage(const std::string& path);
    static std::string writeFailedMessage(const std::string& path);
    static std::string patientCountMessage(std::size_t recordsInFile, std::size_t patientCount);

    // One record in its file layout, and back.
    static void encodeRecord(const ReadingRecord& record, char* out /* RecordSize bytes */);
    static ReadingRecord decodeRecord(const char* in /* RecordSize bytes */);

    // The whole file: header, the readings, then any kept surplus records.
    std::string encode(const std::string& topFolder, const Readings& readings) const;

    // Checks the file image and, when it belongs to topFolder, replaces
    // readings[i] by record i for every patient the file has a record for;
    // patients beyond the file's records start with a cleared reading. On any refusal
    // the readings are untouched. Never reads past the image.
    ReadOutcome decode(std::string_view image, const std::string& topFolder, Readings& readings);

    // Writes the file atomically (temporary file renamed over path), so a failed
    // save leaves the previous file whole. False when it cannot be written.
    bool write(const std::string& path, const std::string& topFolder, const Readings& readings) const;
    // Reads path (never creating it) and decodes it.
    ReadOutcome read(const std::string& path, const std::string& topFolder, Readings& readings);

    // Forgets kept surplus records: a newly opened folder starts a new file.
    void reset()
    {
        surplusRecords_.clear();
        surplusFolder_.clear();
    }
    std::size_t surplusRecordCount() const { return surplusRecords_.size() / RecordSize; }

    // The workstation's operations. WriteResults: ResultFileName = path, write
    // the file, tell the reader when it failed. ReadResults: ResultFileName =
    // path, restore, and on refusal tell why and empty ResultFileName; true when
    // restored. The caller then shows the patient again.
    bool WriteResults(WorkstationState& state, const Readings& readings, const std::string& path,
                      QWidget* parent = nullptr);
    bool ReadResults(WorkstationState& state, Readings& readings, const std::string& path,
                     QWidget* parent = nullptr);
    // "&Save": writes the current result file; nothing (and true) without one.
    bool Save(WorkstationState& state, const Readings& readings, QWidget* parent = nullptr);
    // "Save &As...": with a chosen name, ResultFileName = it and the file is
    // written; an empty name (a cancelled dialog) changes nothing. True when written.
    bool SaveAs(WorkstationState& state, const Readings& readings, const std::string& chosenPath,
                QWidget* parent = nullptr);
    // The save-as and open dialogs; an empty text when cancelled.
    static std::string askSaveAsName(const std::string& proposed, QWidget* parent = nullptr);
    static std::string askOpenName(QWidget* parent = nullptr);
    // Asks the restore question for the reader's earlier readings of folder; true on Yes.
    static bool askRestore(const std::string& reader, const std::string& folder, QWidget* parent = nullptr);

    // Where the earlier file is kept before "No" clears the readings: path + ".bak".
    static std::string backupFileName(const std::string& path);
    static std::string backupFailedMessage(const std::string& path);
    // Copies the file at path, byte for byte, over its backup; false when it
    // cannot be read or the backup cannot be written (an older backup then stays).
    static bool keepBackup(const std::string& path);

private:
    std::string surplusRecords_; // whole records, as read
    std::string surplusFolder_;  // the folder they belong to
};

} // namespace vantor
