"""Helpers of the pytest files: the built programs and generated series."""

import os
import subprocess
from pathlib import Path

BIN = Path(os.environ.get("VANTOR_BIN_DIR", ""))


def program(name: str) -> str:
    """Path of a program of the build."""
    return str(BIN / name)


def run(name: str, *arguments, check=False) -> subprocess.CompletedProcess:
    """Runs a program of the build; its output as text."""
    return subprocess.run([program(name), *map(str, arguments)], capture_output=True, text=True, check=check)


def make_series(folder: Path, *extra: str):
    """Writes one generated chest series into folder (ground truth beside it);
    returns (series folder, its ground-truth folder)."""
    truth = Path(str(folder) + "-truth")
    run("vantor-make-ct", folder, "--truth", truth, "--quiet", *extra, check=True)
    series = sorted({p.parent for p in Path(folder).rglob("*.dcm")})
    assert len(series) == 1, "the generator wrote one series"
    return series[0], truth / series[0].relative_to(folder)
