"""Shared fixtures: a small generated chest series and the C++ reference
results of the same calls on it."""

import os
import subprocess
from pathlib import Path

import numpy as np
import pytest

from vantor_testing import make_series


@pytest.fixture(scope="session")
def chest(tmp_path_factory) -> Path:
    """A 96 x 96 x 32 chest: big enough for every step, small enough to be quick."""
    series, _ = make_series(tmp_path_factory.mktemp("chest") / "data", "--matrix", "96x96", "--slices", "32",
                            "--seed", "5")
    return series


@pytest.fixture(scope="session")
def reference(chest, tmp_path_factory) -> Path:
    """The C++ results of the same calls on the same series (see EngineReference.cpp)."""
    out = tmp_path_factory.mktemp("reference")
    subprocess.run([os.environ["VANTOR_REFERENCE"], str(chest), str(out)], check=True)
    return out


def raw(path: Path, dtype, shape=None) -> np.ndarray:
    values = np.fromfile(path, dtype=dtype)
    return values.reshape(shape) if shape is not None else values
