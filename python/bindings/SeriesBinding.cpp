// load_series: a series folder registered exactly as the workstation
// registers it (its own registration code), ordered as its sort choice does.
#include "EngineHost.h"

#include "SeriesLoading.h"

#include <ZVDICOM/ZQDICOM.h>

#include <pybind11/stl.h>

namespace vantorpy {

namespace {

// Kept for the life of the process (never released at interpreter exit).
PyObject* seriesErrorType = nullptr;

py::tuple tupleOf(const std::array<double, 3>& values) { return py::make_tuple(values[0], values[1], values[2]); }

} // namespace

void setSeriesErrorType(const py::object& type) { seriesErrorType = type.inc_ref().ptr(); }

void registerSeries(py::module_& module)
{
    module.def(
        "_load_series",
        [module](const std::string& folder, const std::string& sort, const py::object& progress) {
            vantor::SliceOrdering ordering{};
            if (!vantor::sliceOrderingFromName(sort, ordering))
                throw py::value_error("sort: 'None', 'ImageNumber' or 'ImagePosition', not '" + sort + "'");
            if (!progress.is_none() && !PyCallable_Check(progress.ptr()))
                throw py::type_error("progress: a callable (file, count) or None is needed");
            py::object engineObject = module.attr("VazAZUrorav")();
            EngineHost& host = engineObject.cast<EngineHost&>();
            ZQDICOM dicom;
            vantor::LoadedSeries series;
            std::string error;
            bool loaded = false;
            std::function<void(int, int)> report;
            if (!progress.is_none())
                report = [&progress](int file, int count) {
                    py::gil_scoped_acquire acquire;
                    progress(file, count);
                };
            {
                py::gil_scoped_release release;
                loaded = vantor::loadSeries(folder, ordering, dicom, host.engine(), series, error, report);
            }
            if (!loaded) {
                PyErr_SetString(seriesErrorType, error.c_str());
                throw py::error_already_set();
            }
            const vantor::SeriesGeometry& g = series.geometry;
            py::dict geometry;
            geometry["dims"] = py::make_tuple(g.dims[0], g.dims[1], g.dims[2]);
            geometry["spacing"] = tupleOf(g.spacing);
            geometry["origin"] = tupleOf(g.origin);
            geometry["column_step"] = tupleOf(g.columnStep);
            geometry["row_step"] = tupleOf(g.rowStep);
            geometry["slice_step"] = tupleOf(g.sliceStep);
            geometry["positions_known"] = g.positionsKnown;
            geometry["files"] = series.files;
            geometry["messages"] = series.messages;
            geometry["eight_bit"] = series.eightBit;
            geometry["spacing_unknown"] = series.spacingUnknown;
            return py::make_tuple(engineObject, geometry);
        },
        py::arg("folder"), py::arg("sort") = "ImageNumber", py::arg("progress") = py::none());
}

} // namespace vantorpy
