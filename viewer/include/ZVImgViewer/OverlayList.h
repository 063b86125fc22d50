#pragma once

#include "ZVImgViewer/OverlayAttributes.h"
#include "ZVImgViewer/OverlayItem.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The queued drawing commands in call order, at most 10000; further commands
// are ignored until Clear.
class OverlayList
{
public:
    static constexpr std::size_t capacity = 10000;

    // Queues a command with the attributes its kind uses (pen for move, line,
    // ellipse and rectangles, brush for the filled rectangle, the five text
    // attributes for text). Returns false when the list is full.
    bool queue(OverlayKind kind, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
               const OverlayAttributes& attributes, const std::string& text = {});
    void clear() { items_.clear(); }

    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const OverlayItem& operator[](std::size_t index) const { return items_[index]; }
    std::vector<OverlayItem>::const_iterator begin() const { return items_.begin(); }
    std::vector<OverlayItem>::const_iterator end() const { return items_.end(); }

private:
    std::vector<OverlayItem> items_;
};
