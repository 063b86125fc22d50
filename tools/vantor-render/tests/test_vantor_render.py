"""vantor-render: every mode gives a PNG that VTK's reader reads, of the asked
size; turning the view half round mirrors a maximum intensity projection."""

import numpy as np
import pytest
import vtk
from vtk.util.numpy_support import vtk_to_numpy

from vantor_testing import make_series, run


@pytest.fixture(scope="module")
def chest(tmp_path_factory):
    series, _ = make_series(tmp_path_factory.mktemp("chest") / "data", "--matrix", "96x96", "--slices", "32")
    return series


def read_png(path):
    reader = vtk.vtkPNGReader()
    reader.SetFileName(str(path))
    reader.Update()
    image = reader.GetOutput()
    width, height, _ = image.GetDimensions()
    channels = image.GetNumberOfScalarComponents()
    pixels = vtk_to_numpy(image.GetPointData().GetScalars()).reshape(height, width, channels)
    return pixels[::-1]  # VTK keeps the bottom row first


@pytest.mark.parametrize("mode,channels", [("grey", 1), ("colour", 3), ("mip", 1), ("endoscope", 1)])
def test_each_mode_writes_a_png_of_the_asked_size(chest, tmp_path, mode, channels):
    out = tmp_path / f"{mode}.png"
    result = run("vantor-render", chest, out, "--mode", mode, "--size", "80x64")
    assert result.returncode == 0, result.stderr
    pixels = read_png(out)
    assert pixels.shape == (64, 80, channels)
    assert pixels.std() > 5, "an image, not a blank"


def test_turning_the_view(chest, tmp_path):
    views = {}
    for name, turn in (("front", "0,1,0,0"), ("back", "0,1,0,180"), ("side", "0,1,0,90")):
        out = tmp_path / f"{name}.png"
        assert run("vantor-render", chest, out, "--mode", "mip", "--size", "96x96", "--rotate", turn).returncode == 0
        views[name] = read_png(out)[..., 0].astype(float)

    def similarity(a, b):
        return np.corrcoef(a.ravel(), b.ravel())[0, 1]

    # Seen from behind, a maximum intensity projection is the front view mirrored.
    assert similarity(views["front"][:, ::-1], views["back"]) > 0.95
    # Seen from the side, the chest is narrower and the spine lies at one edge.
    assert similarity(views["front"], views["side"]) < 0.9


def test_usage_and_errors(chest, tmp_path):
    shown = run("vantor-render", "--help")
    assert shown.returncode == 0 and "--mode grey|colour|mip|endoscope" in shown.stdout
    assert run("vantor-render", chest, tmp_path / "a.png", "--mode", "sepia").returncode == 2
    assert run("vantor-render", chest, tmp_path / "a.png", "--size", "3x3").returncode == 2
    assert run("vantor-render", chest, tmp_path / "a.png", "--rotate", "0,0,0,90").returncode == 2
    missing = run("vantor-render", tmp_path / "nowhere", tmp_path / "a.png")
    assert missing.returncode == 1 and "not a folder" in missing.stderr
    unwritable = run("vantor-render", chest, tmp_path / "no" / "such" / "a.png")
    assert unwritable.returncode == 1 and "cannot write" in unwritable.stderr
