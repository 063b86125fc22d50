#pragma once

#include "startup/ProfileFile.h"
#include "startup/WorkstationState.h"

#include <QMainWindow>
#include <ZVDICOM/ZQDICOM.h>
#include <ZVIPEngine/VazAZUrorav.h>
#include <array>
#include <functional>
#include <map>
#include <string>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollBar;
class RazazUrirAdeder;

namespace vantor {

// The main window: menus, the case and sample images, the localiser, the
// thumbnails and the reading form. It owns the engine and the DICOM
// component instances that all of them share.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    frmMain(WorkstationState& state, ProfileFile settings, std::string componentVersions,
            QWidget* parent = nullptr);
    ~frmMain() override;

    // The load sequence; false when the reader declined to go on with a
    // desktop that is too small (the program then ends).
    bool load();

    // Every menu entry by its published name ("mnuFKey(3)" for arrays).
    QAction* menuEntry(const std::string& name) const;
    // Every placed control by its published name.
    QWidget* control(const std::string& name) const;

    // The folder chooser starts here (the folder opened last time).
    const std::string& initialFolder() const { return initialFolder_; }

    // Runs the reading save of an exit; set by the result-file code.
    std::function<void()> saveReadingAtExit;

    void refreshCaption();
    // Shows the pop-up and Tools entries of the presets now in the state.
    void showPresetMenus();
    void applyPreset(int index);
    void showAbout();

    VazAZUrorav VazAZUrorav1;
    ZQDICOM ZQDICOM1;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildControls();
    void placeDesignedControls();
    void loadPresetMenus();
    QAction* addEntry(QMenu* menu, const std::string& name, const char* caption);
    template <typename Widget> Widget* place(const std::string& name, Widget* widget);

    WorkstationState& state_;
    ProfileFile settings_;
    std::string componentVersions_;
    std::string initialFolder_;
    std::map<std::string, QAction*> menuEntries_;
    std::map<std::string, QWidget*> controls_;
    QWidget* canvas_ = nullptr;
    QMenu* mnuPopup_ = nullptr;

    RazazUrirAdeder* RIZOduVed1_ = nullptr;
    RazazUrirAdeder* RIZOduVed2_ = nullptr;
    RazazUrirAdeder* RazazUrirAdeder1_ = nullptr;
    std::array<RazazUrirAdeder*, 20> IconList_{};
};

} // namespace vantor
