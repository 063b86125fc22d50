"""The same calls from Python and from C++ on the same series give identical arrays."""

import numpy as np

import vantor
from conftest import raw


def test_reformats_rendering_surface_mask_and_analysis_equal_the_cpp_results(chest, reference):
    engine, geometry = vantor.load_series(chest)
    X, Y, Z = geometry.dims
    assert np.array_equal(engine.volume(), raw(reference / "volume.raw", np.uint16, (Z, Y, X)))

    coronal = engine.CreateImageOrthoMPR(0, X, Y, 1, Y // 2)
    assert coronal.shape == (Y, X) and coronal.max() > 1000
    assert np.array_equal(coronal, raw(reference / "coronal.raw", np.int16, (Y, X)))

    mip = engine.CreateImageMIPMatrix(1, X, Y, 0.0, 0, 40, engine.GetMatrixDefaultCoronal(None))
    assert np.array_equal(mip, raw(reference / "mip.raw", np.int16, (Y, X)))

    rendering = engine.GetImageVolumeRenderNMatrix(None, X, Y, 0.0, Z // 2, Z, 3, [900, 1200, 1500],
                                                   [0.0, 0.3, 0.9], 0.95, 1.0, engine.GetMatrixDefault(None))
    assert rendering.max() > 0
    assert np.array_equal(rendering, raw(reference / "render.raw", np.int16, (Y, X)))

    vertices, normals, triangles = engine.CreatePolygonIsoSurface(1324, 0.0)
    assert len(triangles) > 100
    assert np.array_equal(vertices[:, 0], raw(reference / "iso_x.raw", np.float32))
    assert np.array_equal(vertices[:, 2], raw(reference / "iso_z.raw", np.float32))
    assert np.array_equal(triangles[:, 0], raw(reference / "iso_c0.raw", np.int32))
    assert np.allclose(np.linalg.norm(normals, axis=1), 1.0, atol=1e-4)

    to_millimetres = engine.GetMatrixInvert(None, engine.GetMatrixDefault(None))
    engine.SetBitMaskThreshold(0, 0, 524)
    engine.SetBitMaskSphere(1, 0.0, 0.0, 0.0, 60.0, 60.0, 60.0, to_millimetres)
    volume = engine.volume()
    assert np.array_equal(volume, raw(reference / "masked.raw", np.uint16, (Z, Y, X)))
    levels = engine.mask_levels()
    assert np.array_equal(levels, volume >> 14) and set(np.unique(levels)) == {0, 1, 2}
    del volume
    engine.ClearBitMask()

    engine.SpecialMethod(1)
    structure = engine.structure_map()
    assert {100, 111, 112}.issubset(set(np.unique(structure)))
    assert np.array_equal(structure, raw(reference / "structure.raw", np.uint8, (Z, Y, X)))


def test_members_called_by_number_equal_the_named_calls(chest):
    engine, geometry = vantor.load_series(chest)
    X, Y, Z = geometry.dims
    # Every published member is reachable by its number: 17 properties, 112 methods, AboutBox.
    names = vantor.VazAZUrorav.DISPATCH_NAMES
    assert len(names) == 130 and names[20] == "CreateImageOrthoMPR" and names[-552] == "AboutBox"
    assert len(vantor.ZQDICOM.DISPATCH_NAMES) == 12

    named = engine.GetImageOrthoMIP(None, X, Y, 2, X // 2, 9)
    assert np.array_equal(engine.invoke(24, None, X, Y, 2, X // 2, 9), named)
    assert np.array_equal(engine.invoke(35, None), engine.GetMatrixDefault(None))
    assert engine.invoke(10) == Z and engine.invoke(7) == geometry.spacing[2]
    engine.invoke(4, 7)
    assert engine.ErrorNumber == 7
    image = np.zeros((Y, X), np.int16)
    assert engine.invoke(21, image, X, Y, 0, 3) is image and np.array_equal(image, engine.volume()[3].view(np.int16))

    dicom = vantor.ZQDICOM()
    dicom.invoke(1, geometry.files[0])
    assert dicom.invoke(3, 0x0020, 0x0013) == dicom.GetTagString(0x0020, 0x0013) == "1 "  # padding stays, as published
    assert dicom.invoke(6, 0x0028, 0x0010) == Y
    try:
        engine.invoke(9999)
    except KeyError:
        pass
    else:
        raise AssertionError("an unknown member number must raise")
