"""VANTOR engine and DICOM components for Python.

``VazAZUrorav`` (the image-processing engine) and ``ZQDICOM`` (the DICOM file
component) keep their published member names, parameter names and order.
Members can also be called by their published number with
``invoke(dispid, *args)``. Addresses that a member writes back and values
passed by reference for output are returned; caller memory is a numpy array
(or None for a new one). Images are arrays of (rows, columns); volumes of
(slices, rows, columns). A member that reports failure raises
:class:`EngineError`, whose ``error_number`` is the engine's ``ErrorNumber``.

``load_series(folder)`` registers a series folder exactly as the workstation
does and returns the engine and the series geometry.
"""

from dataclasses import dataclass, field
from typing import Callable, List, Optional, Tuple

import numpy as _np

from ._vantor import EngineError, SeriesError, VazAZUrorav, ZQDICOM
from ._vantor import _load_series

__all__ = ["VazAZUrorav", "ZQDICOM", "EngineError", "SeriesError", "SeriesGeometry", "load_series",
           "STRUCTURE_CODES"]

# Codes of the lung analysis' structure map (VazAZUrorav.structure_map()).
STRUCTURE_CODES = {
    "body": 100, "lungs": 110, "lung-1": 111, "lung-2": 112, "heart": 150, "liver": 160,
    "airways": 180, "bone": 200,
}


@dataclass
class SeriesGeometry:
    """Where the engine's volume lies in the patient.

    Voxel (column i, row j, slice k) lies at
    ``origin + i * column_step + j * row_step + k * slice_step`` in DICOM
    patient coordinates (mm; x to the patient's left, y to the back, z to
    the head). ``spacing`` is the engine's (its z negative, as the
    workstation registers series).
    """

    dims: Tuple[int, int, int]
    spacing: Tuple[float, float, float]
    origin: Tuple[float, float, float]
    column_step: Tuple[float, float, float]
    row_step: Tuple[float, float, float]
    slice_step: Tuple[float, float, float]
    positions_known: bool
    files: List[str] = field(default_factory=list)  # the file of each engine slice, in the engine's order
    messages: List[str] = field(default_factory=list)
    eight_bit: bool = False
    spacing_unknown: bool = False

    def affine(self, ras: bool = True) -> _np.ndarray:
        """4 x 4 matrix from voxel (column, row, slice, 1) to patient mm.

        ``ras=True`` gives nibabel's convention (x and y negated); a (z, y, x)
        array goes to nibabel as ``array.transpose(2, 1, 0)``.
        """
        matrix = _np.eye(4)
        matrix[:3, 0] = self.column_step
        matrix[:3, 1] = self.row_step
        matrix[:3, 2] = self.slice_step
        matrix[:3, 3] = self.origin
        if ras:
            matrix[:2, :] *= -1.0
        return matrix


def load_series(folder: str, sort: str = "ImageNumber",
                progress: Optional[Callable[[int, int], None]] = None) -> Tuple[VazAZUrorav, SeriesGeometry]:
    """Registers the series folder as the workstation does.

    The files are listed and pre-sorted by instance number, the volume is
    declared from the first file (base offset -1024, z spacing negated) and
    every file's pixels are handed over; files the workstation skips are
    skipped (their messages are in ``geometry.messages``). ``sort`` is the
    workstation's slice order: "None", "ImageNumber" (its default) or
    "ImagePosition". ``progress(file, count)`` is called per file.
    Raises SeriesError when nothing can be registered.
    """
    engine, geometry = _load_series(str(folder), sort, progress)
    return engine, SeriesGeometry(**geometry)
