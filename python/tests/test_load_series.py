"""load_series against pydicom: the workstation's registration, read by a peer."""

import shutil

import numpy as np
import pydicom
import pytest

import vantor


def test_volume_and_geometry_follow_the_instance_numbers_whatever_the_file_names(chest, tmp_path):
    slices = sorted((pydicom.dcmread(p) for p in chest.glob("*.dcm")), key=lambda d: int(d.InstanceNumber))
    # Names that list in the reverse order of the instance numbers.
    renamed = tmp_path / "renamed"
    renamed.mkdir()
    for dataset in slices:
        shutil.copy(dataset.filename, renamed / f"{1000 - int(dataset.InstanceNumber):04d}.dcm")

    engine, geometry = vantor.load_series(renamed)
    hounsfield = np.stack([d.pixel_array * float(d.RescaleSlope) + float(d.RescaleIntercept) for d in slices])
    assert np.array_equal(engine.volume(), np.clip(hounsfield + 1024, 0, 32767).astype(np.uint16))

    spacing = float(slices[0].PixelSpacing[0])
    step = abs(float(slices[1].ImagePositionPatient[2]) - float(slices[0].ImagePositionPatient[2]))
    assert geometry.spacing == pytest.approx((spacing, spacing, -step))
    assert geometry.positions_known and not geometry.messages
    affine = geometry.affine(ras=False)
    for k in (0, len(slices) // 2, len(slices) - 1):
        corner = np.array([float(v) for v in slices[k].ImagePositionPatient])
        assert affine @ [0, 0, k, 1] == pytest.approx([*corner, 1.0])
        far = affine @ [3, 5, k, 1]
        assert far[:3] == pytest.approx(corner + [3 * spacing, 5 * spacing, 0])
    ras = geometry.affine()
    assert ras[:3, 3] == pytest.approx(affine[:3, 3] * [-1, -1, 1])


def test_a_file_of_another_size_is_skipped_with_the_workstations_message(chest, tmp_path):
    series = tmp_path / "mixed"
    shutil.copytree(chest, series)
    # A real 128 x 128 CT slice of pydicom's test files, among the generated slices.
    small = pydicom.data.get_testdata_file("CT_small.dcm")
    shutil.copy(small, series / "zz_other.dcm")
    engine, geometry = vantor.load_series(series)
    assert len(geometry.messages) == 1
    assert geometry.messages[0].startswith("Can not register the file.\r[")
    assert "zz_other.dcm" in geometry.messages[0]
    assert engine.Xdims == 96


def test_an_empty_folder_raises_the_workstations_message(tmp_path):
    with pytest.raises(vantor.SeriesError, match=r"There is No CT Files in the folder \["):
        vantor.load_series(tmp_path)
    with pytest.raises(ValueError, match="sort"):
        vantor.load_series(tmp_path, sort="Sideways")
