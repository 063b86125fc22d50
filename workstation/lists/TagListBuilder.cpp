#include "lists/TagListBuilder.h"

#include "TagListFormatter.h"

#include <ZVDICOM/ZQDICOM.h>

namespace vantor {

std::string TagListBuilder::dictionaryPath() const
{
    if (!appDir_.empty() && appDir_.back() != '/')
        return appDir_ + "/dicom.dic";
    return appDir_ + "dicom.dic";
}

std::size_t TagListBuilder::loadDictionary()
{
    if (dictionary_.size() == 0)
        dictionary_.load(dictionaryPath());
    return dictionary_.size();
}

std::vector<std::string> TagListBuilder::lines(ZQDICOM& dicom, const std::string& file)
{
    loadDictionary();
    if (file.empty())
        return {};
    dicom.setfilename(file);
    return TagListFormatter(dictionary_).lines(dicom, TagListFormatter::TextForm::Decoded);
}

std::string TagListBuilder::shownText(const std::string& line)
{
    std::string shown = line.substr(0, line.find('\0'));
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            c = '.';
    }
    return shown;
}

} // namespace vantor
