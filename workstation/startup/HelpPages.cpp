#include "startup/HelpPages.h"

#include "startup/MessageBoxes.h"
#include "startup/SettingsKeys.h"

#include <QDesktopServices>
#include <QUrl>
#include <filesystem>

namespace vantor {

std::string helpPagePath(const std::string& appDir, const std::string& page)
{
    return appDir + "help/" + page;
}

bool openHelpPage(QWidget* parent, const std::string& appDir, const std::string& page)
{
    const std::string path = helpPagePath(appDir, page);
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        showMessage(parent, QMessageBox::Information, kProgramTitle,
                    "ﾍﾙﾌﾟの目次を表示できません。 このﾌﾟﾛｼﾞｪｸﾄに関連付けられたﾍﾙﾌﾟが存在しません。");
        return false;
    }
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path))))
        return true;
    showMessage(parent, QMessageBox::Information, kProgramTitle, helpNotOpenedMessage(path));
    return false;
}

std::string helpNotOpenedMessage(const std::string& path)
{
    return "The help page could not be opened: no web browser or viewer for HTML pages was found.\r\r"
           "Open it in any web browser:\r" + path;
}

} // namespace vantor
