"""Failures as exceptions, memory that stays valid, and the background analysis."""

import sys
import threading

import numpy as np
import pytest

import vantor


def small_engine():
    engine = vantor.VazAZUrorav()
    volume = np.full((4, 16, 24), -1000, np.int16)
    volume[1:3, 4:12, 6:18] = 40
    engine.declare_volume(volume, (0.7, 0.7, -2.5))
    return engine


def test_failures_raise_with_the_engines_error_number():
    engine = vantor.VazAZUrorav()
    with pytest.raises(vantor.EngineError) as no_volume:
        engine.GetImageOrthoMPR(None, 8, 8, 0, 0)
    assert no_volume.value.member == "GetImageOrthoMPR"
    with pytest.raises(vantor.EngineError) as refused:
        engine.SetDataProfile(0, 8, 8, 1.0, 1.0, 1.0, 1.0, -1024)
    assert refused.value.error_number == -1 and engine.ErrorNumber == -1

    engine = small_engine()
    assert engine.volume()[1, 4, 6] == 1064 and engine.Zspacing == pytest.approx(-2.5)
    with pytest.raises(vantor.EngineError) as slot:
        engine.CreateImageOrthoMPR(100, 24, 16, 0, 0)
    assert slot.value.error_number == -1
    # Caller memory is checked before its address reaches the engine.
    with pytest.raises(ValueError, match="bytes are needed"):
        engine.GetImageOrthoMPR(np.zeros((15, 24), np.int16), 24, 16, 0, 0)
    with pytest.raises(ValueError, match="elements of 2 bytes"):
        engine.GetImageOrthoMPR(np.zeros((16, 24), np.float32), 24, 16, 0, 0)
    with pytest.raises(ValueError, match="bytes are needed"):
        engine.SetDicomImage(np.zeros(10, np.int16), 1, 1.0, 0.0, 0.0)
    with pytest.raises(ValueError, match="C-contiguous"):
        engine.GetImageOrthoMPR(np.zeros((16, 48), np.int16)[:, ::2], 24, 16, 0, 0)


def test_memory_an_array_shows_is_not_freed_under_it():
    engine = small_engine()
    first = engine.CreateImageOrthoMPR(3, 24, 16, 0, 1)
    with pytest.raises(BufferError):
        engine.CreateImageOrthoMPR(3, 24, 16, 0, 2)
    with pytest.raises(BufferError):
        engine.ReleaseBuffer(3)
    part = first[2:4].copy()
    view = first[4:6]
    del first
    with pytest.raises(BufferError):  # a slice of it still shows the buffer
        engine.ReleaseBuffer(3)
    del view
    engine.ReleaseBuffer(3)
    assert part.shape == (2, 24)

    volume = engine.volume()
    with pytest.raises(BufferError):
        engine.ChangeImageNum(2)
    del volume
    engine.ChangeImageNum(2)
    assert engine.Zdims == 2


def test_the_background_analysis_calls_back_on_its_own_thread(chest):
    engine, _ = vantor.load_series(chest)
    finished = threading.Event()
    threads = []

    def on_finished():
        threads.append(threading.get_ident())
        finished.set()

    engine.ThreadFinished = on_finished
    engine.SpecialMethod(-1)
    assert finished.wait(timeout=120)
    assert threads == [threads[0]] and threads[0] != threading.get_ident()
    assert engine.Extracted and engine.structure_map() is not None
    engine.SpecialMethod(-1)  # already extracted: no second event
    engine.ThreadFinished = None


def test_long_calls_let_go_of_the_interpreter(chest):
    # Declaring a new volume waits for the running analysis, whose callback
    # needs the interpreter: it would never finish if the call held it.
    engine, _ = vantor.load_series(chest)
    finished = threading.Event()
    engine.ThreadFinished = finished.set
    engine.SpecialMethod(-1)
    engine.SetDataProfile(8, 8, 2, 1.0, 1.0, 1.0, 1.0, -1024)
    assert finished.is_set()


def test_an_exception_in_the_callback_is_reported_not_fatal(chest, monkeypatch):
    engine, _ = vantor.load_series(chest)
    reported = []
    monkeypatch.setattr(sys, "unraisablehook", lambda report: reported.append(report.exc_value))

    def broken():
        raise RuntimeError("from the callback")

    engine.ThreadFinished = broken
    engine.SpecialMethod(-1)
    engine.SetDataProfile(8, 8, 2, 1.0, 1.0, 1.0, 1.0, -1024)  # waits for the analysis
    assert len(reported) == 1 and str(reported[0]) == "from the callback"
