#include "report/ZipReader.h"

#include <zip.h>

namespace vantor {

void ZipReader::Closer::operator()(zip* archive) const
{
    zip_discard(archive);
}

ZipReader::ZipReader() = default;
ZipReader::~ZipReader() = default;

bool ZipReader::open(std::string archive)
{
    zip_.reset();
    error_.clear();
    archive_ = std::move(archive);
    zip_error_t failure;
    zip_error_init(&failure);
    zip_source_t* source = zip_source_buffer_create(archive_.data(), archive_.size(), 0, &failure);
    if (source)
        zip_.reset(zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &failure));
    if (!zip_) {
        error_ = std::string("not a readable zip archive (") + zip_error_strerror(&failure) + ")";
        if (source)
            zip_source_free(source);
    }
    zip_error_fini(&failure);
    return zip_ != nullptr;
}

std::vector<std::string> ZipReader::names() const
{
    std::vector<std::string> result;
    const zip_int64_t count = zip_ ? zip_get_num_entries(zip_.get(), 0) : 0;
    for (zip_int64_t i = 0; i < count; ++i)
        if (const char* name = zip_get_name(zip_.get(), static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW))
            result.emplace_back(name);
    return result;
}

bool ZipReader::contains(std::string_view name) const
{
    return zip_ && zip_name_locate(zip_.get(), std::string(name).c_str(), ZIP_FL_ENC_RAW) >= 0;
}

std::optional<std::string> ZipReader::read(std::string_view name)
{
    const std::string quoted = "\"" + std::string(name) + "\"";
    const zip_int64_t index = zip_ ? zip_name_locate(zip_.get(), std::string(name).c_str(), ZIP_FL_ENC_RAW) : -1;
    zip_stat_t stat;
    if (index < 0 || zip_stat_index(zip_.get(), static_cast<zip_uint64_t>(index), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_SIZE)) {
        error_ = "no entry " + quoted;
        return std::nullopt;
    }
    if (stat.size > MaximumEntrySize) {
        error_ = "entry " + quoted + " is too large";
        return std::nullopt;
    }
    zip_file_t* file = zip_fopen_index(zip_.get(), static_cast<zip_uint64_t>(index), 0);
    if (!file) {
        error_ = "damaged entry " + quoted + " (" + zip_strerror(zip_.get()) + ")";
        return std::nullopt;
    }
    // One byte more than announced, so that data longer than its header says is caught.
    std::string data(stat.size + 1, '\0');
    zip_uint64_t filled = 0;
    zip_int64_t got = 0;
    while (filled < data.size() && (got = zip_fread(file, data.data() + filled, data.size() - filled)) > 0)
        filled += static_cast<zip_uint64_t>(got);
    if (got < 0 || filled != stat.size) {
        error_ = "damaged entry " + quoted + " (" +
                 (got < 0 ? std::string(zip_file_strerror(file)) : std::string("size differs")) + ")";
        zip_fclose(file);
        return std::nullopt;
    }
    zip_fclose(file);
    data.resize(filled);
    return data;
}

} // namespace vantor
