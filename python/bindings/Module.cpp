// The extension module behind the package vantor (see vantor/__init__.py).
#include "ArrayBridge.h"
#include "EngineHost.h"

namespace vantorpy {
void registerDicom(py::module_& module);
void registerSeries(py::module_& module);
void setSeriesErrorType(const py::object& type);
} // namespace vantorpy

PYBIND11_MODULE(_vantor, module)
{
    namespace py = pybind11;
    module.doc() = "VANTOR engine and DICOM components (use the package vantor)";
    // Errors of the components: EngineError carries the member and ErrorNumber.
    py::object engineError = py::reinterpret_steal<py::object>(
        PyErr_NewExceptionWithDoc("vantor.EngineError",
                                  "An engine member reported failure; member and error_number tell which and why.",
                                  PyExc_RuntimeError, nullptr));
    py::object seriesError = py::reinterpret_steal<py::object>(PyErr_NewExceptionWithDoc(
        "vantor.SeriesError", "A series folder could not be registered.", PyExc_ValueError, nullptr));
    module.attr("EngineError") = engineError;
    module.attr("SeriesError") = seriesError;
    vantorpy::setEngineErrorType(engineError);
    vantorpy::setSeriesErrorType(seriesError);
    vantorpy::registerArrayBridge(module);
    vantorpy::registerEngine(module);
    vantorpy::registerDicom(module);
    vantorpy::registerSeries(module);
}
