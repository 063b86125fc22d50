#pragma once

#include "ArrayBridge.h"
#include "Dispatch.h"

#include <ZVIPEngine/VazAZUrorav.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace vantorpy {

// One engine as Python holds it: the component, the arrays lent out of its
// buffers, volume and structure map, and the Python side of ThreadFinished.
class EngineHost {
public:
    static constexpr std::size_t VolumeSlot = 100;
    static constexpr std::size_t StructureMapSlot = 101;

    EngineHost();
    ~EngineHost();
    EngineHost(const EngineHost&) = delete;
    EngineHost& operator=(const EngineHost&) = delete;

    // Runs one engine call without the interpreter lock (other Python threads
    // go on, and ThreadFinished can take the lock); ErrorNumber is cleared
    // first so that a failure reports the cause of this call. A false result
    // raises EngineError with the member name and ErrorNumber.
    template <typename Call>
    void run(const char* member, Call&& call)
    {
        bool succeeded = false;
        {
            py::gil_scoped_release release;
            std::lock_guard<std::mutex> lock(callLock_);
            engine_->setErrorNumber(0);
            succeeded = call(*engine_);
        }
        if (!succeeded)
            raiseEngineError(member, engine_->ErrorNumber());
    }
    // The same for calls whose result is a value.
    template <typename Call>
    auto value(Call&& call)
    {
        py::gil_scoped_release release;
        std::lock_guard<std::mutex> lock(callLock_);
        return call(*engine_);
    }

    VazAZUrorav& engine() { return *engine_; }
    MemoryLender& lender() { return lender_; }
    // Refuses to reuse a numbered buffer that an array still shows.
    void requireSlotFree(std::int32_t bufferId, const char* member) const;
    // Refuses a call that re-declares or reallocates the volume.
    void requireVolumeFree(const char* member) const;

    void setThreadFinished(const py::object& callable);
    py::object threadFinished() const { return threadFinished_ ? *threadFinished_ : py::none(); }
    void keepZbufferTarget(const py::object& target) { zbufferTarget_ = target; }

    [[noreturn]] static void raiseEngineError(const std::string& member, std::int32_t errorNumber);

private:
    std::unique_ptr<VazAZUrorav> engine_;
    std::mutex callLock_;
    MemoryLender lender_{102};
    std::shared_ptr<py::object> threadFinished_;
    py::object zbufferTarget_;
};

void registerEngine(py::module_& module);
void setEngineErrorType(const py::object& type);

} // namespace vantorpy
