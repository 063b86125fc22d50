#!/usr/bin/python3
"""Writes a CT series of COUNT slices (512 x 512, signed 16-bit, explicit VR
little-endian Part 10 files) into FOLDER, for the DICOM load benchmark.

Usage: make_ct_series.py FOLDER COUNT
"""
import os
import sys

import numpy as np
from pydicom.dataset import FileDataset, FileMetaDataset
from pydicom.uid import CTImageStorage, ExplicitVRLittleEndian, generate_uid


def main():
    folder, count = sys.argv[1], int(sys.argv[2])
    os.makedirs(folder, exist_ok=True)
    study, series, frame = generate_uid(), generate_uid(), generate_uid()
    rng = np.random.default_rng(1)
    y, x = np.mgrid[-256:256, -256:256]
    body = (x * x / 200.0 ** 2 + y * y / 150.0 ** 2) < 1.0
    base = np.where(body, 1024 + 40, 0).astype(np.int16)
    noise = rng.normal(0, 12, size=(8, 512, 512)).astype(np.int16)
    for index in range(count):
        instance = generate_uid()
        meta = FileMetaDataset()
        meta.MediaStorageSOPClassUID = CTImageStorage
        meta.MediaStorageSOPInstanceUID = instance
        meta.TransferSyntaxUID = ExplicitVRLittleEndian
        meta.ImplementationClassUID = "1.2.826.0.1.3680043.9.7433.1.1"
        path = os.path.join(folder, f"CT{index + 1:04d}.dcm")
        ds = FileDataset(path, {}, file_meta=meta, preamble=b"\0" * 128)
        ds.SpecificCharacterSet = "ISO_IR 100"
        ds.ImageType = ["ORIGINAL", "PRIMARY", "AXIAL"]
        ds.SOPClassUID = CTImageStorage
        ds.SOPInstanceUID = instance
        ds.StudyDate = "20240105"
        ds.SeriesDate = "20240105"
        ds.StudyTime = "101500"
        ds.AccessionNumber = "A0001"
        ds.Modality = "CT"
        ds.Manufacturer = "BENCHMARK"
        ds.InstitutionName = "SYNTHETIC"
        ds.StudyDescription = "CHEST"
        ds.SeriesDescription = "AXIAL 1.0"
        ds.PatientName = "BENCH^MARK"
        ds.PatientID = "BM0001"
        ds.PatientBirthDate = "19600101"
        ds.PatientSex = "O"
        ds.SliceThickness = "1.0"
        ds.KVP = "120"
        ds.StudyInstanceUID = study
        ds.SeriesInstanceUID = series
        ds.StudyID = "1"
        ds.SeriesNumber = 2
        ds.InstanceNumber = index + 1
        ds.ImagePositionPatient = ["-180.0", "-180.0", f"{-index * 1.0:.1f}"]
        ds.ImageOrientationPatient = ["1", "0", "0", "0", "1", "0"]
        ds.FrameOfReferenceUID = frame
        ds.SliceLocation = f"{-index * 1.0:.1f}"
        ds.SamplesPerPixel = 1
        ds.PhotometricInterpretation = "MONOCHROME2"
        ds.Rows = 512
        ds.Columns = 512
        ds.PixelSpacing = ["0.703125", "0.703125"]
        ds.BitsAllocated = 16
        ds.BitsStored = 16
        ds.HighBit = 15
        ds.PixelRepresentation = 1
        ds.WindowCenter = "-600"
        ds.WindowWidth = "1500"
        ds.RescaleIntercept = "-1024"
        ds.RescaleSlope = "1"
        ds.PixelData = (base + noise[index % 8]).tobytes()
        ds.is_little_endian = True
        ds.is_implicit_VR = False
        ds.save_as(path, write_like_original=False)


if __name__ == "__main__":
    main()
