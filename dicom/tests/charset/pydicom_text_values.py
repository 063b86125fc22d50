#!/usr/bin/python3
"""Prints every text value of the DICOM files given, as pydicom decodes them.

One line per value: file name, element path, VR and the decoded value as
UTF-8 in hexadecimal, separated by tabs. A path is "ggggeeee" for a top-level
element and "ggggeeee/item/ggggeeee" inside sequence items (items from 0).
Values of several parts are joined by backslashes; trailing blanks and NULs
are dropped from each part. Private elements are left out.
"""
import os
import sys
import warnings

import pydicom

TEXT_VRS = {"SH", "LO", "ST", "LT", "UT", "UC", "PN"}


def text_of(value):
    parts = value if isinstance(value, pydicom.multival.MultiValue) else [value]
    return "\\".join(str(part).rstrip(" \0") for part in parts)


def walk(dataset, prefix, name, out):
    for element in dataset:
        if element.tag.is_private:
            continue  # their VRs come from pydicom's private dictionaries
        path = prefix + "%08x" % element.tag
        if element.VR == "SQ":
            for index, item in enumerate(element.value):
                walk(item, "%s/%d/" % (path, index), name, out)
        elif element.VR in TEXT_VRS and element.value is not None:
            out.append("%s\t%s\t%s\t%s" % (name, path, element.VR, text_of(element.value).encode("utf-8").hex()))


def main():
    warnings.simplefilter("ignore")
    out = []
    for path in sys.argv[1:]:
        dataset = pydicom.dcmread(path, force=True)
        walk(dataset, "", os.path.basename(path), out)
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
