#include "importing/ImportWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

namespace vantor {

namespace {

QString stageText(const importing::ImportProgress& step)
{
    using Stage = importing::ImportProgress::Stage;
    switch (step.stage) {
    case Stage::ReadingDataFolder: return QObject::tr("Reading the data folder...");
    case Stage::WalkingSources: return QObject::tr("Looking for files... (%1 found)").arg(step.done);
    case Stage::ReadingHeaders: return QObject::tr("Reading file %1 of %2...").arg(step.done + 1).arg(step.total);
    case Stage::Copying: return QObject::tr("Copying image %1 of %2...").arg(step.done + 1).arg(step.total);
    }
    return {};
}

} // namespace

importing::ImportReport runImportWithProgress(QWidget* parent, importing::ImportRequest request)
{
    QProgressDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("importProgress"));
    dialog.setWindowTitle(QObject::tr("Import DICOM"));
    dialog.setLabelText(QObject::tr("Looking for files..."));
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setMinimumDuration(0);
    dialog.setRange(0, 0);
    dialog.show();

    std::atomic<bool> cancelRequested{false};
    QObject::connect(&dialog, &QProgressDialog::canceled, [&] {
        cancelRequested = true;
        dialog.setLabelText(QObject::tr("Cancelling after the current file..."));
    });

    // The worker keeps the latest step; the dialog takes it when it gets to it,
    // so a fast import does not flood the event queue.
    std::mutex latestLock;
    importing::ImportProgress latest;
    std::atomic<bool> updatePending{false};
    const auto showLatest = [&] {
        importing::ImportProgress step;
        {
            const std::lock_guard<std::mutex> lock(latestLock);
            step = latest;
            updatePending = false;
        }
        if (cancelRequested)
            return;
        dialog.setMaximum(static_cast<int>(std::min<std::size_t>(step.total, 1 << 30)));
        if (step.total > 0)
            dialog.setValue(static_cast<int>(std::min(step.done, step.total)));
        dialog.setLabelText(stageText(step));
    };

    QEventLoop loop;
    importing::ImportReport report;
    std::thread worker([&] {
        report = importing::runImport(request, [&](const importing::ImportProgress& step) {
            {
                const std::lock_guard<std::mutex> lock(latestLock);
                latest = step;
            }
            if (!updatePending.exchange(true))
                QMetaObject::invokeMethod(&dialog, showLatest, Qt::QueuedConnection);
            return !cancelRequested.load();
        });
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    // Updates still queued refer to this dialog; they go with it.
    QCoreApplication::removePostedEvents(&dialog);
    return report;
}

std::optional<QString> importDicomMedia(QWidget* parent, const QString& proposedDataFolder)
{
    const QString source = QFileDialog::getExistingDirectory(
        parent, QObject::tr("Import DICOM: the folder or disc to import"), QDir::homePath());
    if (source.isEmpty())
        return std::nullopt;
    const QString dataFolder = QFileDialog::getExistingDirectory(
        parent, QObject::tr("Import DICOM: the data folder to import into"), proposedDataFolder);
    if (dataFolder.isEmpty())
        return std::nullopt;

    importing::ImportRequest request;
    request.sources = {source.toStdString()};
    request.dataFolder = dataFolder.toStdString();
    const importing::ImportReport report = runImportWithProgress(parent, request);

    QString summary = QString::fromStdString(importing::summaryText(report, request.dataFolder, false));
    const bool something = report.imported > 0 || report.alreadyPresent > 0;
    if (!something) {
        QMessageBox::warning(parent, QObject::tr("Import DICOM"), summary);
        return std::nullopt;
    }
    summary += QObject::tr("\nOpen the data folder now?");
    const auto answer = report.outcome == importing::ImportReport::Outcome::Failed
                            ? QMessageBox::warning(parent, QObject::tr("Import DICOM"), summary,
                                                   QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
                            : QMessageBox::question(parent, QObject::tr("Import DICOM"), summary,
                                                    QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes)
        return std::nullopt;
    return dataFolder;
}

} // namespace vantor
