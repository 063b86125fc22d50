"""vantor-surface on an analytic ball written by pydicom: each mesh format is
read by VTK's reader, closed, and has the ball's area and volume."""

import math

import numpy as np
import pydicom
import pytest
import vtk
from pydicom.dataset import FileDataset, FileMetaDataset
from pydicom.uid import ExplicitVRLittleEndian, generate_uid

from vantor_testing import run

RADIUS = 15.0                 # mm
PIXEL, SLICE = 0.8, 1.25      # mm: anisotropic on purpose
COLUMNS, ROWS, SLICES = 64, 56, 40
CENTRE = (3.0, -4.0, 20.0)    # patient mm (LPS)
CORNER = (-22.0, -26.0, 45.0) # Image Position of the first slice; slices go down in z


@pytest.fixture(scope="module")
def ball(tmp_path_factory):
    """A ball of 500 HU in air (-1000 HU), its edge a linear ramp one voxel wide."""
    folder = tmp_path_factory.mktemp("ball")
    x = CORNER[0] + PIXEL * np.arange(COLUMNS)
    y = CORNER[1] + PIXEL * np.arange(ROWS)
    for k in range(SLICES):
        z = CORNER[2] - SLICE * k
        r = np.sqrt((x[None, :] - CENTRE[0]) ** 2 + (y[:, None] - CENTRE[1]) ** 2 + (z - CENTRE[2]) ** 2)
        inside = np.clip((RADIUS - r) / PIXEL + 0.5, 0.0, 1.0)
        hounsfield = np.round(-1000 + 1500 * inside).astype(np.int16)
        meta = FileMetaDataset()
        meta.MediaStorageSOPClassUID = "1.2.840.10008.5.1.4.1.1.2"
        meta.MediaStorageSOPInstanceUID = generate_uid()
        meta.TransferSyntaxUID = ExplicitVRLittleEndian
        ds = FileDataset(str(folder / f"slice{k:03d}.dcm"), {}, file_meta=meta, preamble=b"\0" * 128)
        ds.SOPClassUID = meta.MediaStorageSOPClassUID
        ds.SOPInstanceUID = meta.MediaStorageSOPInstanceUID
        ds.Modality = "CT"
        ds.InstanceNumber = k + 1
        ds.ImagePositionPatient = [CORNER[0], CORNER[1], z]
        ds.ImageOrientationPatient = [1, 0, 0, 0, 1, 0]
        ds.PixelSpacing = [PIXEL, PIXEL]
        ds.SliceThickness = SLICE
        ds.Rows, ds.Columns = ROWS, COLUMNS
        ds.SamplesPerPixel = 1
        ds.PhotometricInterpretation = "MONOCHROME2"
        ds.BitsAllocated, ds.BitsStored, ds.HighBit, ds.PixelRepresentation = 16, 16, 15, 1
        ds.RescaleIntercept, ds.RescaleSlope = 0, 1
        ds.PixelData = hounsfield.tobytes()
        ds.save_as(ds.filename, write_like_original=False)
    return folder


def read_mesh(path):
    reader = {".stl": vtk.vtkSTLReader, ".ply": vtk.vtkPLYReader, ".obj": vtk.vtkOBJReader}[path.suffix]()
    reader.SetFileName(str(path))
    clean = vtk.vtkCleanPolyData()  # STL repeats the corners of every facet
    clean.SetInputConnection(reader.GetOutputPort())
    clean.Update()
    return clean.GetOutput()


def open_edges(mesh):
    edges = vtk.vtkFeatureEdges()
    edges.SetInputData(mesh)
    edges.BoundaryEdgesOn()
    edges.NonManifoldEdgesOn()
    edges.FeatureEdgesOff()
    edges.ManifoldEdgesOff()
    edges.Update()
    return edges.GetOutput().GetNumberOfCells()


@pytest.mark.parametrize("extension", [".stl", ".ply", ".obj"])
def test_the_ball_is_closed_with_its_area_and_volume_where_it_lies(ball, tmp_path, extension):
    out = tmp_path / f"ball{extension}"
    result = run("vantor-surface", ball, out, "--threshold", "-250")
    assert result.returncode == 0, result.stderr
    mesh = read_mesh(out)
    assert mesh.GetNumberOfPolys() > 1000
    assert open_edges(mesh) == 0
    properties = vtk.vtkMassProperties()
    properties.SetInputData(mesh)
    properties.Update()
    # Marching cubes on a one-voxel ramp: within 3 % of the analytic values.
    assert properties.GetSurfaceArea() == pytest.approx(4 * math.pi * RADIUS ** 2, rel=0.03)
    assert properties.GetVolume() == pytest.approx(4 / 3 * math.pi * RADIUS ** 3, rel=0.03)
    bounds = mesh.GetBounds()
    centre = [(bounds[2 * a] + bounds[2 * a + 1]) / 2 for a in range(3)]
    assert centre == pytest.approx(CENTRE, abs=0.3)


def test_reduction_keeps_the_ball(ball, tmp_path):
    full, reduced = tmp_path / "full.ply", tmp_path / "reduced.ply"
    assert run("vantor-surface", ball, full, "--threshold", "-250").returncode == 0
    assert run("vantor-surface", ball, reduced, "--threshold", "-250", "--reduce", "2").returncode == 0
    a, b = read_mesh(full), read_mesh(reduced)
    assert b.GetNumberOfPolys() < 0.75 * a.GetNumberOfPolys()
    properties = vtk.vtkMassProperties()
    properties.SetInputData(b)
    properties.Update()
    assert properties.GetSurfaceArea() == pytest.approx(4 * math.pi * RADIUS ** 2, rel=0.06)
    assert open_edges(b) == 0


def test_usage_and_errors(ball, tmp_path):
    shown = run("vantor-surface", "--help")
    assert shown.returncode == 0 and "--threshold HU" in shown.stdout
    assert run("vantor-surface", ball, tmp_path / "a.stl").returncode == 2
    assert run("vantor-surface", ball, tmp_path / "a.xyz", "--threshold", "0").returncode == 2
    assert run("vantor-surface", ball, tmp_path / "a.stl", "--threshold", "x").returncode == 2
    assert run("vantor-surface", ball, tmp_path / "a.stl", "--threshold", "0", "--reduce", "0").returncode == 2
    missing = run("vantor-surface", tmp_path / "nowhere", tmp_path / "a.stl", "--threshold", "0")
    assert missing.returncode == 1 and "not a folder" in missing.stderr
