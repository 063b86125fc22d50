#include "catalogue/SelectFolderMessages.h"

namespace vantor {

std::string SelectFolderMessages::cacheQuestion(const std::string& modified)
{
    return "Selected folder has been read before.\r\r"
           "If you have not change the selected folder contents after " +
           modified +
           ",\r"
           "you can read the previous information and start up faster.\r\r"
           "Do you read it ? [Yes/No]\r\r"
           "[Yes]\t: Read the previous information\r"
           "[No]\t: Re-read the original folder";
}

std::string SelectFolderMessages::wrongFolder(const std::string& detail)
{
    return "Selecting folder is wrong.\r" + detail + "\rPlease select another folder.";
}

std::string SelectFolderMessages::damagedCacheQuestion()
{
    return "The previous information of the selected folder is damaged and cannot be used.\r\r"
           "Do you re-read the original folder ? [Yes/No]";
}

} // namespace vantor
