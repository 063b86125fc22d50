#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The value of a defined-length sequence of an explicit-VR data set (either
// byte order), rewritten into the implicit little-endian form in which the control
// writes its files. Items, item delimiters and every nested header are walked
// for what they are: each nested element gets the header tag + 32-bit length,
// nested sequences and items get their lengths in that form (undefined
// lengths become defined ones, their delimiters go), encapsulated fragments
// are kept as they are, and no value byte changes (numbers of a big-endian
// data set are turned little-endian, as the reader turns the top-level ones).
namespace NestedSequence {

// Replaces out with the rewritten value. False when the bytes cannot be
// walked to their end as items (a damaged or cut sequence); out is then of
// no use and the caller keeps the value as read.
bool toImplicit(const std::uint8_t* value, std::size_t size, bool bigEndian, std::vector<std::uint8_t>& out);

} // namespace NestedSequence
