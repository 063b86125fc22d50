"""vantor-analyze on a generated chest: its files read back by nibabel and
numpy, its Dice lines against the ground truth."""

import re

import nibabel
import numpy as np
import pydicom
import pytest

from vantor_testing import make_series, run


# Large enough for the structure analysis to find candidates.
SIZE, SLICES = 192, 64


@pytest.fixture(scope="module")
def analysed(tmp_path_factory):
    series, truth = make_series(tmp_path_factory.mktemp("chest") / "data", "--matrix", f"{SIZE}x{SIZE}", "--slices",
                                str(SLICES), "--seed", "9", "--finding", "ro-large@right-lower",
                                "--finding", "large-opacity@left-upper")
    out = tmp_path_factory.mktemp("analysis")
    result = run("vantor-analyze", series, out, "--truth", truth)
    assert result.returncode == 0, result.stderr
    return series, truth, out, result.stdout


def test_structure_map_as_nifti_lies_where_the_slices_lie(analysed):
    series, _, out, _ = analysed
    image = nibabel.load(out / "structure.nii.gz")
    slices = sorted((pydicom.dcmread(p, stop_before_pixels=True) for p in series.glob("*.dcm")),
                    key=lambda d: int(d.InstanceNumber))
    spacing = float(slices[0].PixelSpacing[0])
    assert image.shape == (SIZE, SIZE, SLICES) and image.get_data_dtype() == np.uint8
    assert int(image.header["sform_code"]) == 1 and int(image.header["qform_code"]) == 1
    assert np.allclose(image.get_qform(), image.get_sform(), atol=1e-4)
    for k in (0, 17, SLICES - 1):
        x, y, z = (float(v) for v in slices[k].ImagePositionPatient)
        # Voxel (column 5, row 7, slice k), in RAS: x and y of the patient negated.
        expected = [-(x + 5 * spacing), -(y + 7 * spacing), z, 1.0]
        assert image.affine @ [5, 7, k, 1] == pytest.approx(expected, abs=1e-3)
    codes = set(np.unique(np.asarray(image.dataobj)))
    assert {0, 100, 111, 112}.issubset(codes)


def test_metaimage_holds_the_same_map_in_patient_coordinates(analysed):
    series, _, out, _ = analysed
    header = dict(line.split(" = ", 1) for line in (out / "structure.mhd").read_text().splitlines())
    first = min((pydicom.dcmread(p, stop_before_pixels=True) for p in series.glob("*.dcm")),
                key=lambda d: int(d.InstanceNumber))
    assert [float(v) for v in header["Offset"].split()] == pytest.approx([float(v) for v in first.ImagePositionPatient],
                                                                          abs=1e-3)
    spacing = float(first.PixelSpacing[0])
    assert [float(v) for v in header["ElementSpacing"].split()] == pytest.approx([spacing, spacing, 300 / SLICES], abs=1e-4)
    assert [float(v) for v in header["TransformMatrix"].split()] == [1, 0, 0, 0, 1, 0, 0, 0, -1]
    values = np.fromfile(out / header["ElementDataFile"], np.uint8).reshape(SLICES, SIZE, SIZE)
    nifti = np.asarray(nibabel.load(out / "structure.nii.gz").dataobj)
    assert np.array_equal(values, nifti.transpose(2, 1, 0))


def test_dice_lines_agree_with_the_ground_truth(analysed):
    _, truth, out, stdout = analysed
    printed = dict(re.findall(r"^dice (\w+) ([0-9.]+)$", stdout, re.M))
    assert list(printed) == ["lungs", "airways", "bone", "heart", "body"]
    analysis = np.asarray(nibabel.load(out / "structure.nii.gz").dataobj).transpose(2, 1, 0)
    labels = np.fromfile(truth / "labels.raw", np.uint8).reshape(analysis.shape)

    def dice(a, b):
        return 2 * np.count_nonzero(a & b) / (np.count_nonzero(a) + np.count_nonzero(b))

    lungs_truth = np.isin(labels, [2, 3, 7]) | ((labels >= 16) & (labels < 24))
    lungs = dice((analysis >= 110) & (analysis <= 118), lungs_truth)
    body = dice(analysis != 0, labels != 0)
    assert float(printed["lungs"]) == pytest.approx(lungs, abs=6e-5) and lungs > 0.8
    assert float(printed["body"]) == pytest.approx(body, abs=6e-5) and body > 0.9
    assert float(printed["bone"]) == pytest.approx(dice(analysis == 200, labels == 5), abs=6e-5)


def test_feature_tables_and_csv(analysed):
    _, _, out, _ = analysed
    tables = sorted(p.name for p in out.glob("tables_*.csv"))
    assert len(tables) == 3 and "tables_confidence.csv" in tables
    published = next(out.glob("tables_feature_*_ALL.csv")).read_bytes().splitlines()
    assert published[0].decode("shift_jis").startswith("重心Ｘ座標(pixel),")
    rows = (out / "features.csv").read_text(encoding="utf-8").splitlines()
    assert rows[0].startswith("centroid_x,centroid_y,centroid_z,") and len(rows[0].split(",")) == 33
    assert len(rows) == len(published) >= 2
    first = published[1].decode().replace(" ", "").rstrip(",").split(",")
    assert rows[1].split(",") == first


def test_usage_and_errors(tmp_path, analysed):
    series, _, _, _ = analysed
    shown = run("vantor-analyze", "--help")
    assert shown.returncode == 0 and shown.stdout.startswith("usage: vantor-analyze SERIES OUT_FOLDER")
    assert run("vantor-analyze", series).returncode == 2
    assert run("vantor-analyze", series, tmp_path, "--colour").returncode == 2
    missing = run("vantor-analyze", tmp_path / "nowhere", tmp_path / "out")
    assert missing.returncode == 1 and "not a folder" in missing.stderr
    empty = tmp_path / "empty"
    empty.mkdir()
    nothing = run("vantor-analyze", empty, tmp_path / "out")
    assert nothing.returncode == 1 and "There is No CT Files in the folder [ " in nothing.stderr
    wrong = run("vantor-analyze", series, tmp_path / "out2", "--truth", tmp_path)
    assert wrong.returncode == 1 and "labels.mhd" in wrong.stderr
