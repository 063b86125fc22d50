#pragma once
// Synthetic chest CT: phantom, DICOM writer, data-set tree with ground truth.
#include "VantorSyntheticCT/ChestPhantom.h"
#include "VantorSyntheticCT/DataSetOptions.h"
#include "VantorSyntheticCT/DataSetWriter.h"
#include "VantorSyntheticCT/DicomFileWriter.h"
#include "VantorSyntheticCT/Finding.h"
#include "VantorSyntheticCT/Label.h"
#include "VantorSyntheticCT/SeriesOptions.h"
