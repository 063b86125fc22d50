#include "report/ZipWriter.h"

#include <zip.h>

#include <algorithm>

namespace vantor {

bool ZipWriter::add(std::string_view name, std::string data)
{
    if (name.empty() || std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.name == name; }))
        return false;
    entries_.push_back({std::string(name), std::move(data)});
    return true;
}

std::string ZipWriter::finish() const
{
    zip_error_t failure;
    zip_error_init(&failure);
    zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &failure);
    zip_error_fini(&failure);
    if (!target)
        return {};
    zip_source_keep(target); // the archive bytes are read from it after zip_close
    zip_t* archive = zip_open_from_source(target, ZIP_TRUNCATE, nullptr);
    bool written = archive != nullptr;
    for (const Entry& e : entries_) {
        if (!written)
            break;
        zip_source_t* source = zip_source_buffer(archive, e.data.data(), e.data.size(), 0);
        const zip_int64_t index =
            source ? zip_file_add(archive, e.name.c_str(), source, ZIP_FL_ENC_UTF_8) : zip_int64_t(-1);
        if (index < 0) {
            if (source)
                zip_source_free(source);
            written = false;
        } else
            written = zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 6) == 0;
    }
    if (archive && (!written || zip_close(archive) != 0)) {
        zip_discard(archive);
        written = false;
    }
    std::string bytes;
    zip_stat_t stat;
    if (written && zip_source_open(target) == 0) {
        if (zip_source_stat(target, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE)) {
            bytes.resize(stat.size);
            if (zip_source_read(target, bytes.data(), bytes.size()) != static_cast<zip_int64_t>(bytes.size()))
                bytes.clear();
        }
        zip_source_close(target);
    }
    zip_source_free(target);
    return bytes;
}

} // namespace vantor
