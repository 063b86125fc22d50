#pragma once

#include <VantorImporter/Importer.h>

#include <QString>

#include <optional>

class QWidget;

namespace vantor {

// Runs an import on a worker thread behind a progress dialog (object name
// "importProgress", a child of parent) whose Cancel stops it between two
// files; what was imported before stays. Returns when the import has ended.
importing::ImportReport runImportWithProgress(QWidget* parent, importing::ImportRequest request);

// File > Import DICOM...: asks for the folder or disc to import and for the
// data folder (proposedDataFolder offered), imports, shows the summary and
// returns the data folder when the reader wants it opened.
std::optional<QString> importDicomMedia(QWidget* parent, const QString& proposedDataFolder);

} // namespace vantor
