#include "catalogue/frmSelectFolder.h"

#include "catalogue/CatalogueCacheReader.h"
#include "catalogue/CatalogueCacheWriter.h"
#include "catalogue/CatalogueScanner.h"
#include "catalogue/SelectFolderMessages.h"
#include "startup/HelpPages.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QStorageInfo>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace vantor {

namespace {

// Restores the arrow cursor however the walk ends.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::BusyCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

std::string localPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// The file's modification date and time as short date followed by the time.
QString modificationText(const QString& path)
{
    const QDateTime modified = QFileInfo(path).lastModified();
    const QLocale locale = QLocale::system();
    return locale.toString(modified.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           modified.time().toString(QStringLiteral("HH:mm:ss"));
}

bool isPseudoFileSystem(const QStorageInfo& volume)
{
    static const QStringList skipped = {QStringLiteral("/proc"), QStringLiteral("/sys"),
                                        QStringLiteral("/dev"), QStringLiteral("/run"),
                                        QStringLiteral("/snap")};
    const QString root = volume.rootPath();
    for (const QString& prefix : skipped)
        if (root == prefix || root.startsWith(prefix + QLatin1Char('/')))
            return true;
    return false;
}

constexpr QDir::Filters folderFilter = QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives;

} // namespace

frmSelectFolder::frmSelectFolder(ZQDICOM& dicom, QWidget* parent)
    : QDialog(parent), m_dicom(&dicom),
      m_helpFolder(QCoreApplication::applicationDirPath() + QStringLiteral("/help"))
{
    setObjectName(QStringLiteral("frmSelectFolder"));
    setWindowTitle(QStringLiteral("Select Folder"));

    auto* layout = new QVBoxLayout(this);
    const char* const folderTree[] = {
        "Please select a data folder. The folder position is assumed as follows,",
        "<The folder>",
        " + <Patient Folders>",
        "  + <Study Folders>",
        "   + <Series Folders>",
        "    + <Slice Files>",
    };
    for (const char* text : folderTree) {
        auto* label = new QLabel(QString::fromUtf8(text), this);
        label->setTextFormat(Qt::PlainText);
        layout->addWidget(label);
    }

    // The path box: quick entries to pick, and the chosen folder's path, which
    // the reader may also type or paste (Enter goes there).
    Drive1 = new QComboBox(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setEditable(true);
    Drive1->setInsertPolicy(QComboBox::NoInsert);
    Drive1->setMinimumContentsLength(40);
    layout->addWidget(Drive1);
    connect(Drive1->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        const QString typed = QDir::cleanPath(QDir::fromNativeSeparators(Drive1->currentText().trimmed()));
        if (QFileInfo(typed).isDir())
            setFolder(typed);
        Dir1->setFocus();
    });
    chkHidden = new QCheckBox(QStringLiteral("Show hidden folders"), this);
    chkHidden->setObjectName(QStringLiteral("chkHidden"));
    layout->addWidget(chkHidden);

    m_folders = new QFileSystemModel(this);
    m_folders->setFilter(folderFilter);
    m_folders->setRootPath(QStringLiteral("/"));
    Dir1 = new QTreeView(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setModel(m_folders);
    for (int column = 1; column < m_folders->columnCount(); ++column)
        Dir1->hideColumn(column);
    Dir1->header()->hide();
    Dir1->setMinimumSize(360, 260);
    Dir1->installEventFilter(this);
    layout->addWidget(Dir1, 1);
    connect(Dir1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!current.isValid())
                    return;
                m_folder = m_folders->filePath(current);
                Drive1->setEditText(QDir::toNativeSeparators(m_folder));
            });
    connect(chkHidden, &QCheckBox::toggled, this, [this](bool shown) {
        const QString folder = m_folder;
        m_folders->setFilter(shown ? folderFilter | QDir::Hidden : folderFilter);
        setFolder(folder);
    });
    // The tree reads folders in the background and sorts rows in as they
    // come, which moves the chosen folder: it is kept in view until the reader
    // touches the tree.
    auto keepInView = [this] {
        if (m_scrollPending)
            showCurrentFolder();
    };
    connect(m_folders, &QFileSystemModel::directoryLoaded, this, keepInView);
    connect(m_folders, &QAbstractItemModel::rowsInserted, this, keepInView, Qt::QueuedConnection);
    connect(m_folders, &QAbstractItemModel::layoutChanged, this, keepInView, Qt::QueuedConnection);
    Dir1->viewport()->installEventFilter(this);
    Dir1->verticalScrollBar()->installEventFilter(this);

    lblFileName = new QLabel(this);
    lblFileName->setObjectName(QStringLiteral("lblFileName"));
    lblFileName->setTextFormat(Qt::PlainText);
    lblFileName->setMinimumWidth(360);
    lblFileName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(lblFileName);
    lblFileCount = new QLabel(this);
    lblFileCount->setObjectName(QStringLiteral("lblFileCount"));
    layout->addWidget(lblFileCount);

    auto* buttons = new QHBoxLayout;
    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnHelp = new QPushButton(QStringLiteral("&Help"), this);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    buttons->addStretch(1);
    for (QPushButton* button : {btnOK, btnCancel, btnHelp}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    connect(btnOK, &QPushButton::clicked, this, &frmSelectFolder::ok);
    connect(btnCancel, &QPushButton::clicked, this, &frmSelectFolder::cancel);
    connect(btnHelp, &QPushButton::clicked, this, &frmSelectFolder::help);

    fillQuickEntries();
    connect(Drive1, &QComboBox::activated, this, &frmSelectFolder::chooseQuickEntry);
    setFolder(QDir::homePath());
    Dir1->setFocus();
}

frmSelectFolder::~frmSelectFolder() = default;

void frmSelectFolder::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    showCurrentFolder();
}

void frmSelectFolder::showCurrentFolder()
{
    // Found again by its path: reading a folder in the background may have
    // rebuilt the rows the tree knew.
    const QString folder = m_folder;
    const QModelIndex index = m_folders->index(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
    if (!index.isValid())
        return;
    if (Dir1->currentIndex() != index) {
        Dir1->setCurrentIndex(index);
        Dir1->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
        m_folder = folder;
    }
    Dir1->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void frmSelectFolder::fillQuickEntries()
{
    QStringList entries = {QDir::homePath(), QStringLiteral("/")};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady() || isPseudoFileSystem(volume))
            continue;
        if (!entries.contains(volume.rootPath()))
            entries.append(volume.rootPath());
    }
    for (const QString& entry : entries)
        Drive1->addItem(entry, entry);
}

void frmSelectFolder::chooseQuickEntry(int index)
{
    const QString path = Drive1->itemData(index).toString();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // A place that cannot be read leaves the tree where it was, without a message.
    if (QFileInfo(path).isDir() && QDir(path).isReadable())
        setFolder(path);
    QApplication::restoreOverrideCursor();
    Dir1->setFocus();
}

void frmSelectFolder::setInitialFolder(const QString& folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return;
    // A folder under a hidden one (a data folder below a dot folder) can only
    // be shown, and chosen again, with hidden folders shown.
    if (liesUnderHiddenFolder(folder))
        chkHidden->setChecked(true);
    setFolder(folder);
}

bool frmSelectFolder::liesUnderHiddenFolder(const QString& folder)
{
    const QStringList parts = QDir::cleanPath(QFileInfo(folder).absoluteFilePath()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return std::any_of(parts.begin(), parts.end(), [](const QString& part) { return part.startsWith(QLatin1Char('.')); });
}

void frmSelectFolder::setFolder(const QString& folder)
{
    m_folder = folder;
    Drive1->setEditText(QDir::toNativeSeparators(folder));
    const QModelIndex index = m_folders->index(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
    if (index.isValid()) {
        Dir1->setCurrentIndex(index);
        Dir1->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
        Dir1->expand(index);
        Dir1->scrollTo(index, QAbstractItemView::PositionAtCenter);
        m_scrollPending = true;
        m_folder = folder; // as given: the tree may have spelled it differently
        Drive1->setEditText(QDir::toNativeSeparators(folder));
    }
}

QString frmSelectFolder::shown(const std::string& text)
{
    QString result = QString::fromStdString(text);
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

QMessageBox::StandardButton frmSelectFolder::askYesNo(const QString& text)
{
    return QMessageBox::question(this, QStringLiteral("VANTORViewer"), text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
}

void frmSelectFolder::showMessage(const QString& text)
{
    QMessageBox::warning(this, QStringLiteral("VANTORViewer"), text, QMessageBox::Ok);
}

bool frmSelectFolder::openHelpPage(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void frmSelectFolder::ok()
{
    if (m_walking)
        return;
    m_chosenFolder = m_folder;
    m_success = false;
    lblFileName->clear();
    lblFileCount->clear();
    const std::string folder = localPath(m_chosenFolder);

    switch (tryCache(folder)) {
    case CacheAnswer::Read:
        finish();
        return;
    case CacheAnswer::Stay:
        Dir1->setFocus();
        return;
    case CacheAnswer::Walk:
        walk(folder);
        return;
    }
}

frmSelectFolder::CacheAnswer frmSelectFolder::tryCache(const std::string& folder)
{
    const std::string cachePath = Catalogue::cacheFilePath(folder);
    const QString cacheFile = QFile::decodeName(QByteArray::fromStdString(cachePath));
    if (!QFileInfo(cacheFile).isFile())
        return CacheAnswer::Walk;
    const std::string modified = modificationText(cacheFile).toStdString();
    if (askYesNo(shown(SelectFolderMessages::cacheQuestion(modified))) != QMessageBox::Yes)
        return CacheAnswer::Walk;

    CatalogueCacheReader::Result cache = CatalogueCacheReader::read(cachePath);
    for (const std::string& message : cache.messages)
        showMessage(shown(message));
    // Opening part of a folder would hide patients from the reader: a damaged cache
    // file is replaced by a walk when the reader agrees.
    if (!cache.read || !cache.complete || !cache.catalogue.hasNoEmptyLevel()) {
        if (askYesNo(shown(SelectFolderMessages::damagedCacheQuestion())) == QMessageBox::Yes)
            return CacheAnswer::Walk;
        return CacheAnswer::Stay;
    }
    m_catalogue = std::move(cache.catalogue);
    m_catalogue.TopFolder = folder;
    m_readFromCache = true;
    m_cacheWriteError.clear();
    return CacheAnswer::Read;
}

void frmSelectFolder::walk(const std::string& folder)
{
    CatalogueScanner::Result result;
    {
        const BusyCursor busy;
        setWalking(true);
        result =
            CatalogueScanner::scan(folder, *m_dicom, [this](const std::string& path, std::size_t examined) {
                lblFileName->setText(QString::fromStdString(path));
                lblFileCount->setText(tr("%n file(s) read", nullptr, static_cast<int>(examined)));
                // Keeps the window live: the label repaints and Cancel is heard.
                QCoreApplication::processEvents(QEventLoop::AllEvents);
                return !m_cancelRequested;
            });
        setWalking(false);
    }
    lblFileCount->setText(tr("%n file(s) read", nullptr, static_cast<int>(result.filesExamined)));

    switch (result.outcome) {
    case CatalogueScanner::Outcome::Complete: {
        m_catalogue = std::move(result.catalogue);
        m_readFromCache = false;
        const CatalogueCacheWriter::Result written =
            CatalogueCacheWriter::write(m_catalogue, Catalogue::cacheFilePath(folder));
        m_cacheWriteError = QString::fromStdString(written.error);
        finish();
        return;
    }
    case CatalogueScanner::Outcome::Failed:
        showMessage(shown(SelectFolderMessages::wrongFolder(result.failureDetail)));
        break;
    case CatalogueScanner::Outcome::Cancelled:
        lblFileName->setText(tr("Reading the folder was cancelled."));
        break;
    }
    m_success = false;
    Dir1->setFocus();
}

void frmSelectFolder::finish()
{
    m_success = true;
    // After the cache was written or read: the cache keeps the names from the files.
    m_displayNames.reset();
    if (m_personalDisp == 0)
        m_displayNames = DisplayNameTable::hidePatientNames(m_catalogue);
    Dir1->setFocus();
    accept();
}

void frmSelectFolder::setWalking(bool walking)
{
    m_walking = walking;
    m_cancelRequested = false;
    btnOK->setEnabled(!walking);
    btnHelp->setEnabled(!walking);
    Dir1->setEnabled(!walking);
    Drive1->setEnabled(!walking);
    if (walking)
        btnCancel->setFocus();
}

void frmSelectFolder::cancel()
{
    if (m_walking) {
        m_cancelRequested = true;
        return;
    }
    m_success = false;
    Dir1->setFocus();
    QDialog::reject();
}

void frmSelectFolder::help()
{
    const QString page = QDir(m_helpFolder).filePath(helpPageName());
    if (!QFileInfo::exists(page))
        showMessage(tr("The help page %1 cannot be found.").arg(QDir::toNativeSeparators(page)));
    else if (!openHelpPage(page))
        showMessage(shown(helpNotOpenedMessage(QDir::toNativeSeparators(page).toStdString())));
    Dir1->setFocus();
}

void frmSelectFolder::reject()
{
    cancel();
}

void frmSelectFolder::closeEvent(QCloseEvent* event)
{
    if (m_walking) {
        // The walk is stopped first; the window stays until it has ended.
        m_cancelRequested = true;
        event->ignore();
        return;
    }
    m_success = false;
    QDialog::closeEvent(event);
}

bool frmSelectFolder::eventFilter(QObject* watched, QEvent* event)
{
    // The reader took over the tree: it no longer follows the chosen folder.
    if ((watched == Dir1 && event->type() == QEvent::KeyPress) ||
        ((watched == Dir1->viewport() || watched == Dir1->verticalScrollBar()) &&
         (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::Wheel)))
        m_scrollPending = false;
    if (watched == Dir1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Alt+O, Alt+C, Alt+H in the tree, also where the platform gives buttons no mnemonics.
        if (key->modifiers() == Qt::AltModifier) {
            switch (key->key()) {
            case Qt::Key_O:
                ok();
                return true;
            case Qt::Key_C:
                cancel();
                return true;
            case Qt::Key_H:
                help();
                return true;
            default:
                break;
            }
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            key->modifiers() == Qt::NoModifier) {
            // Enter opens the highlighted folder instead of pressing a button.
            const QModelIndex current = Dir1->currentIndex();
            if (current.isValid()) {
                m_folder = m_folders->filePath(current);
                Dir1->expand(current);
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vantor
