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
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

} // namespace vantor
