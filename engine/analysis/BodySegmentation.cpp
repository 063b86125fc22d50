#include "BodySegmentation.h"

#include "ComponentStatistics.h"

#include <new>

namespace zvipengine {

BodySegmentation::Outcome BodySegmentation::run(const std::vector<std::int16_t>& values, std::int32_t X,
                                                std::int32_t Y, std::int32_t Z, ByteMask& body)
{
    const std::size_t total = static_cast<std::size_t>(X) * Y * Z;
    try {
        body.resize(total);
    } catch (const std::bad_alloc&) {
        return Outcome::NoMemory;
    }
    for (std::size_t i = 0; i < total; ++i)
        body[i] = values[i] > 824 ? 1 : 0;
    ComponentStatistics components;
    if (!components.compute(body.data(), X, Y, Z))
        return Outcome::NoMemory;
    // Not the patient's tissue: everything but the largest tissue component.
    for (std::size_t i = 0; i < total; ++i)
        body[i] = components.labels[i] == 1 ? 0 : 1;
    if (!components.compute(body.data(), X, Y, Z))
        return Outcome::NoMemory;
    for (std::size_t i = 0; i < total; ++i)
        body[i] = components.labels[i] == 1 ? 0 : 1;
    return Outcome::Done;
}

} // namespace zvipengine
