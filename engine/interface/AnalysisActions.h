#pragma once

#include <cstdint>

namespace zvipengine {

class EngineState;

// The lung analysis actions of SpecialMethod: 0 (result back into the
// volume), 1 to 8 and above 10 (run, with ThreadFinished above 10).
// Negative values start the background run of action 11.
void runAnalysisAction(EngineState& state, std::int32_t regionFlag);

} // namespace zvipengine
