#!/usr/bin/python3
"""Counts the images of a folder as pydicom reads them, for the import tests.

  layout_oracle.py source FOLDER   every file below FOLDER: images (pixel data,
                                   SOP Instance, Study and Series UID) counted once per
                                   SOP Instance UID
  layout_oracle.py layout FOLDER   a data folder: FOLDER/<patient>/<study>/<series>/<files>;
                                   fails when a folder mixes patients, studies or series,
                                   or one series is split over two folders

Prints "images N series N studies N patients N".
"""
import os
import sys

import pydicom


def image(path):
    try:
        ds = pydicom.dcmread(path, force=True)  # raw element streams too
    except Exception:
        return None
    if "PixelData" not in ds:
        return None
    uids = (ds.get("SOPInstanceUID", ""), ds.get("StudyInstanceUID", ""), ds.get("SeriesInstanceUID", ""))
    if not all(uids):
        return None
    patient = (str(ds.get("PatientID", "")), str(ds.get("PatientName", "")))
    return uids[0], patient, uids[1], uids[2]


def counts(images):
    return "images %d series %d studies %d patients %d" % (
        len(images), len({i[3] for i in images}), len({i[2] for i in images}), len({i[1] for i in images}))


def source(folder):
    found = {}
    for root, _, files in os.walk(folder):
        for name in sorted(files):
            i = image(os.path.join(root, name))
            if i and i[0] not in found:
                found[i[0]] = i
    return list(found.values())


def layout(folder):
    images = []
    owners = {}
    for patient in sorted(os.listdir(folder)):
        for study in sorted(os.listdir(os.path.join(folder, patient))):
            for series in sorted(os.listdir(os.path.join(folder, patient, study))):
                place = os.path.join(folder, patient, study, series)
                files = [f for f in sorted(os.listdir(place)) if not f.startswith(".")]
                if not files:
                    sys.exit("empty series folder " + place)
                for name in files:
                    i = image(os.path.join(place, name))
                    if i is None:
                        sys.exit("not an image: " + os.path.join(place, name))
                    for key, where in ((("patient",) + i[1], patient), (("study", i[2]), (patient, study)),
                                       (("series", i[3]), (patient, study, series))):
                        if owners.setdefault(key, where) != where:
                            sys.exit("%s in two folders: %s and %s" % (key, owners[key], where))
                    for key, what in ((("p", patient), i[1]), (("s", patient, study), i[2]),
                                      (("e", patient, study, series), i[3])):
                        if owners.setdefault(key, what) != what:
                            sys.exit("folder %s mixes %s and %s" % (key, owners[key], what))
                    images.append(i)
    if len({i[0] for i in images}) != len(images):
        sys.exit("an instance is in the data folder twice")
    return images


if __name__ == "__main__":
    print(counts(source(sys.argv[2]) if sys.argv[1] == "source" else layout(sys.argv[2])))
