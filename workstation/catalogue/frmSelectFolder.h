#pragma once

#include "catalogue/Catalogue.h"
#include "catalogue/DisplayNameTable.h"

#include <QDialog>
#include <QMessageBox>
#include <QString>

#include <optional>

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;
class ZQDICOM;

namespace vantor {

// The folder chooser. The reader picks a data folder in the directory tree (`Dir1`,
// with the home folder and the mount points as quick entries in `Drive1`); OK
// reads the folder's catalogue from its cache file when the reader agrees, or walks
// the folder (the file being read shows in `lblFileName`, the count beside it, and
// Cancel stops the walk), writes the cache after a complete walk and hides the
// patient names when PersonalDisp is 0.
//
// Shown modally by the main window: exec() returns Accepted when a catalogue was
// made (Success()), and the caller then takes catalogue(), displayNames() and
// ChosenFolder(). On Cancel, a failed walk or a cancelled walk nothing of the
// caller's current catalogue is touched.
class frmSelectFolder : public QDialog {
    Q_OBJECT

public:
    // `dicom` is the instance the walk reads headers through; it must outlive the window.
    explicit frmSelectFolder(ZQDICOM& dicom, QWidget* parent = nullptr);
    ~frmSelectFolder() override;

    // Positions the tree on `folder` when it names an existing folder.
    void setInitialFolder(const QString& folder);
    void setPersonalDisp(int personalDisp) { m_personalDisp = personalDisp; }
    // The folder of the help pages (default: "help" beside the program).
    void setHelpFolder(const QString& folder) { m_helpFolder = folder; }

    // The folder the tree points at; OK opens it.
    QString folder() const { return m_folder; }
    void setFolder(const QString& folder);

    // Set on every OK and Cancel: true when a catalogue was made.
    bool Success() const { return m_success; }
    // The folder of the last OK, as given.
    QString ChosenFolder() const { return m_chosenFolder; }
    const Catalogue& catalogue() const { return m_catalogue; }
    Catalogue takeCatalogue() { return std::move(m_catalogue); }
    // The real names behind the display names; present only when names are hidden.
    const std::optional<DisplayNameTable>& displayNames() const { return m_displayNames; }
    // True when the last catalogue came from the cache file rather than a walk.
    bool readFromCache() const { return m_readFromCache; }
    // Why the cache file could not be written after the last walk (empty when written).
    QString cacheWriteError() const { return m_cacheWriteError; }
    bool isWalking() const { return m_walking; }

    static constexpr int HelpTopic = 10010;
    static QString helpPageName() { return QStringLiteral("10010.html"); }

public slots:
    void ok();
    void cancel();
    void help();

protected:
    // The message boxes; a test replaces them to answer without a screen.
    virtual QMessageBox::StandardButton askYesNo(const QString& text);
    virtual void showMessage(const QString& text);
    virtual bool openHelpPage(const QString& path);

    void reject() override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chooseQuickEntry(int index);
    // Scrolls the tree so that the current folder is in view.
    void showCurrentFolder();
    static bool liesUnderHiddenFolder(const QString& folder);
    void fillQuickEntries();
    // True when the catalogue came from the cache; false when the walk is wanted.
    enum class CacheAnswer { Read, Walk, Stay };
    CacheAnswer tryCache(const std::string& folder);
    void walk(const std::string& folder);
    void finish();
    void setWalking(bool walking);
    static QString shown(const std::string& text);

    ZQDICOM* m_dicom;
    int m_personalDisp = 0;
    QString m_helpFolder;
    QString m_folder;
    QString m_chosenFolder;
    bool m_success = false;
    bool m_walking = false;
    bool m_cancelRequested = false;
    bool m_readFromCache = false;
    QString m_cacheWriteError;
    Catalogue m_catalogue;
    std::optional<DisplayNameTable> m_displayNames;

    bool m_scrollPending = false;
    QComboBox* Drive1 = nullptr;
    QCheckBox* chkHidden = nullptr;
    QTreeView* Dir1 = nullptr;
    QFileSystemModel* m_folders = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnHelp = nullptr;
    QLabel* lblFileName = nullptr;
    QLabel* lblFileCount = nullptr;
};

} // namespace vantor
