#pragma once

#include "ElementStore.h"

#include <string>

// Writes a store as a raw implicit little-endian element stream: tag, 32-bit
// length, value, for every record except group 0002 and the end record. The
// file is written beside the target and renamed over it, so that a failed save
// leaves an existing file whole.
class ElementStreamWriter
{
public:
    // True when the whole stream was written and is in place.
    static bool write(const ElementStore& store, const std::string& path);
};
