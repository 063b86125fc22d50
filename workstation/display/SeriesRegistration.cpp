#include "display/SeriesRegistration.h"

#include "catalogue/DirectoryListing.h"
#include "display/NumericText.h"
#include "display/SlicePixelPrefetch.h"

#include <ZVDICOM/CharacterSetDecoder.h>
#include <ZVDICOM/ZQDICOM.h>
#include <ZVIPEngine/VazAZUrorav.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>

namespace vantor {

namespace {

constexpr std::int16_t kImageGroup = 0x0028;

// The text of an element cut at its first NUL; found tells whether it exists.
std::string tagText(const ZQDICOM& dicom, std::int16_t group, std::int16_t element, bool* found = nullptr)
{
    std::string buffer(128, '\0');
    const bool present = dicom.GetTagString(group, element, buffer, static_cast<std::int32_t>(buffer.size()));
    if (found != nullptr)
        *found = present;
    if (!present)
        return {};
    return buffer.substr(0, buffer.find('\0'));
}

std::int16_t tagShort(const ZQDICOM& dicom, std::int16_t group, std::int16_t element)
{
    std::int16_t value = 0;
    return dicom.GetTagShort(group, element, value) ? value : std::int16_t{0};
}

std::int16_t toShort(double value)
{
    return static_cast<std::int16_t>(std::clamp(std::lrint(value), -32768L, 32767L));
}

// Rescale and sign of a slice as the engine converts it; unsigned pixels
// above 32767 would turn negative if read as signed.
SlicePixelPrefetch::Scale sliceScale(const ZQDICOM& dicom)
{
    SlicePixelPrefetch::Scale scale;
    bool found = false;
    const std::string interceptText = tagText(dicom, kImageGroup, 0x1052, &found);
    scale.intercept = found ? numericValue(interceptText) : 0.0;
    const std::string slopeText = tagText(dicom, kImageGroup, 0x1053, &found);
    scale.slope = found ? numericValue(slopeText) : 1.0;
    std::int16_t pixelRepresentation = 1;
    dicom.GetTagShort(kImageGroup, 0x0103, pixelRepresentation);
    scale.isSigned = pixelRepresentation != 0;
    return scale;
}

// The text after the last "\" (the z of an Image Position).
double lastValue(const std::string& text) { return numericValue(text.substr(text.rfind('\\') + 1)); }

std::string safePart(const std::string& text, std::size_t start, std::size_t count)
{
    return start < text.size() ? text.substr(start, count) : std::string();
}

std::string formattedDate(const std::string& date)
{
    if (date.empty())
        return {};
    return safePart(date, 0, 4) + "/" + safePart(date, 4, 2) + "/" + date.substr(date.size() >= 2 ? date.size() - 2 : 0);
}

std::string formattedTime(const std::string& time)
{
    if (time.empty())
        return {};
    return safePart(time, 0, 2) + ":" + safePart(time, 2, 2) + ":" + time.substr(time.size() >= 2 ? time.size() - 2 : 0);
}

struct InstanceOrder {
    std::int16_t instanceNumber = 0;
    std::string path;
};

void readHeaderFields(const ZQDICOM& dicom, FirstFileFields& fields)
{
    bool found = false;
    tagText(dicom, 0x0010, 0x0010, &fields.hasPatientName);
    tagText(dicom, 0x0010, 0x0020, &fields.hasPatientID);
    fields.StudyDate = formattedDate(tagText(dicom, 0x0008, 0x0020));
    fields.StudyTime = formattedTime(tagText(dicom, 0x0008, 0x0030));
    fields.SliceThickness = static_cast<float>(numericValue(tagText(dicom, 0x0018, 0x0050)));
    // Names go into the reading record as UTF-8.
    fields.Manufacturer = DecodedTagString(dicom, 0x0008, 0x0070, "LO").value_or("[unknown]");
    fields.ModelName = DecodedTagString(dicom, 0x0008, 0x1090, "LO").value_or("[unknown]");
    fields.KVP = toShort(numericValue(tagText(dicom, 0x0018, 0x0060)));
    fields.TubeCurrent = toShort(numericValue(tagText(dicom, 0x0018, 0x1151)));
    fields.ExposureTime = toShort(numericValue(tagText(dicom, 0x0018, 0x1150)) / 1000.0);

    fields.Posture = "U";
    fields.PostureIndex = 1;
    const std::string orientation = tagText(dicom, 0x0020, 0x0037, &found);
    if (found) {
        std::string rest = orientation;
        for (int skip = 0; skip < 4 && rest.find('\\') != std::string::npos; ++skip)
            rest = rest.substr(rest.find('\\') + 1);
        const int index = static_cast<int>(std::floor(numericValue(rest) + 1.0));
        if (index >= 0 && index <= 2) {
            static const char* const postures[] = {"P", "U", "S"};
            fields.PostureIndex = index;
            fields.Posture = postures[index];
        }
    }
    fields.WindowCenter = tagText(dicom, kImageGroup, 0x1050, &fields.hasWindowCenter);
    fields.WindowWidth = tagText(dicom, kImageGroup, 0x1051, &fields.hasWindowWidth);
}

// The file the z spacing is measured against: the next file after the first
// registered one that has the same size (a stray file in between is one the
// load skips); the first file itself when there is none.
const std::string& zNeighbour(ZQDICOM& dicom, const std::vector<std::string>& files, std::size_t first,
                              std::int16_t rows, std::int16_t columns)
{
    for (std::size_t j = first + 1; j < files.size(); ++j)
        if (dicom.loadHeaderOnly(files[j]) && tagShort(dicom, kImageGroup, 0x0010) == rows &&
            tagShort(dicom, kImageGroup, 0x0011) == columns)
            return files[j];
    return files[first];
}

} // namespace

std::vector<std::string> listSeriesFiles(const std::string& folder)
{
    std::vector<std::string> files;
    const DirectoryListing listing(folder);
    for (const auto& name : listing.files()) {
        if (name == "DICOMDIR")
            continue;
        if (name.size() >= 9 && name.compare(name.size() - 9, 9, "L_ser.dat") == 0)
            continue;
        files.push_back(DirectoryListing::join(folder, name));
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool registerSeries(const std::string& folder, ZQDICOM& dicom, VazAZUrorav& engine, SeriesState& series,
                    FirstFileFields& firstFile, const SeriesLoadReport& report)
{
    auto message = [&report](const std::string& text) {
        if (report.showMessage)
            report.showMessage(text);
    };

    series.SeriesFiles = listSeriesFiles(folder);
    series.SeriesFileCount = static_cast<std::int16_t>(std::min<std::size_t>(series.SeriesFiles.size(), 32767));
    series.SeriesFiles.resize(static_cast<std::size_t>(series.SeriesFileCount));
    series.VolumeReady = false;
    series.EightBit = false;
    if (series.SeriesFileCount < 1) {
        series.VolumeDims = {0, 0, 0};
        series.VoxelSpacing = {1.0F, 1.0F, 1.0F};
        message("There is No CT Files in the folder [ " + folder + " ].");
        return false;
    }
    series.MultiSlice = series.SeriesFileCount > 1;
    if (!series.MultiSlice)
        series.SpacingUnknown = true;

    // The kernel reads the files ahead while their headers are parsed (a cold disc streams).
    const SeriesReadAhead readAhead(series.SeriesFiles);
    // Pre-sort by instance number; equal numbers keep their listing order.
    std::vector<InstanceOrder> order;
    order.reserve(series.SeriesFiles.size());
    for (const auto& path : series.SeriesFiles) {
        dicom.loadHeaderOnly(path);
        order.push_back({toShort(numericValue(tagText(dicom, 0x0020, 0x0013))), path});
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const InstanceOrder& a, const InstanceOrder& b) { return a.instanceNumber < b.instanceNumber; });
    for (std::size_t i = 0; i < order.size(); ++i)
        series.SeriesFiles[i] = order[i].path;
    series.RegisteredSlices.clear();

    std::int32_t imageNumber = 0;
    bool volumeDeclared = false;
    // Once the volume is declared, the files after the first registered one
    // are read on both cores straight into their places in it; the first
    // file through `dicom` itself.
    std::unique_ptr<SlicePixelPrefetch> prefetch;
    std::vector<std::uint8_t*> places;
    std::size_t firstRegistered = 0;
    std::vector<std::uint8_t> packed;
    for (std::size_t i = 0; i < series.SeriesFiles.size(); ++i) {
        const std::string& path = series.SeriesFiles[i];
        // Native pixels: a compressed file registers exactly like its uncompressed twin.
        std::size_t pixelBytes = 0;
        std::string problem;
        const std::uint8_t* pixels = nullptr;
        const SlicePixelPrefetch::Slice* prefetched = nullptr;
        if (prefetch) {
            dicom.loadHeaderOnly(path);
            const SlicePixelPrefetch::Slice& slice = prefetch->wait(i - firstRegistered - 1);
            prefetched = &slice;
            if (slice.ok) {
                pixels = places[i - firstRegistered - 1];
                pixelBytes = slice.frameBytes;
            }
            problem = slice.problem;
        } else {
            pixels = dicom.loadNativePixels(path, pixelBytes, problem);
        }
        const std::int16_t rows = tagShort(dicom, kImageGroup, 0x0010);
        const std::int16_t columns = tagShort(dicom, kImageGroup, 0x0011);
        const std::int16_t bitsAllocated = tagShort(dicom, kImageGroup, 0x0100);
        const bool sizeDiffers = volumeDeclared && (columns != series.VolumeDims[0] || rows != series.VolumeDims[1]);

        // Pixels the engine would read past: a file without (enough) pixel data is skipped like one of another size.
        const std::int64_t neededBytes =
            static_cast<std::int64_t>(rows) * columns * (bitsAllocated > 0 ? bitsAllocated : 16) / 8;
        const bool unusable = rows <= 0 || columns <= 0 || pixels == nullptr ||
                              static_cast<std::int64_t>(pixelBytes) < neededBytes ||
                              (bitsAllocated != 8 && bitsAllocated != 16 && bitsAllocated != 12 && bitsAllocated != 1);
        if (sizeDiffers || unusable) {
            std::string text = "Can not register the file.\r[" + path + "]\rVANTOR-Viewer can not register it so skips the file.";
            // An image whose pixels cannot be had (a broken or unsupported code stream) says why.
            if (!sizeDiffers && rows > 0 && columns > 0 && pixels == nullptr && !problem.empty())
                text += "\r(" + problem + ")";
            message(text);
            continue;
        }

        bool hasNumber = false;
        const std::string numberText = tagText(dicom, 0x0020, 0x0013, &hasNumber);
        imageNumber = hasNumber ? static_cast<std::int32_t>(numericValue(numberText)) : imageNumber + 1;
        if (report.showProgress)
            report.showProgress(static_cast<int>(i) + 1);

        const SlicePixelPrefetch::Scale scale = sliceScale(dicom);
        series.RescaleIntercept = scale.intercept;
        const double slope = scale.slope;
        double slicePosition = numericValue(tagText(dicom, 0x0020, 0x1041));
        bool hasPosition = false;
        const std::string position = tagText(dicom, 0x0020, 0x0032, &hasPosition);

        if (!volumeDeclared) {
            series.VolumeDims[0] = columns;
            series.VolumeDims[1] = rows;
            const std::string spacing = tagText(dicom, kImageGroup, 0x0030);
            series.VoxelSpacing[0] = static_cast<float>(numericValue(firstValue(spacing)));
            series.VoxelSpacing[1] = spacing.find('\\') == std::string::npos
                                         ? series.VoxelSpacing[0]
                                         : static_cast<float>(numericValue(spacing.substr(spacing.find('\\') + 1)));
            if (hasPosition) {
                const double z0 = lastValue(position);
                const std::int32_t firstNumber = imageNumber;
                dicom.loadHeaderOnly(zNeighbour(dicom, series.SeriesFiles, i, rows, columns));
                const double z1 = lastValue(tagText(dicom, 0x0020, 0x0032));
                bool neighbourHasNumber = false;
                const std::string neighbourNumber = tagText(dicom, 0x0020, 0x0013, &neighbourHasNumber);
                const std::int32_t secondNumber =
                    neighbourHasNumber ? static_cast<std::int32_t>(numericValue(neighbourNumber)) : firstNumber + 1;
                pixels = dicom.loadNativePixels(path, pixelBytes, problem);
                const double difference = secondNumber != firstNumber ? (z1 - z0) / (secondNumber - firstNumber) : z1 - z0;
                series.VoxelSpacing[2] = static_cast<float>(std::fabs(difference));
                slicePosition = z0;
            } else {
                slicePosition = 0.0;
            }
            readHeaderFields(dicom, firstFile);
            if (series.VoxelSpacing[2] == 0.0F)
                series.VoxelSpacing[2] = 1.0F;
            if (series.VoxelSpacing[0] == 0.0F) {
                series.VoxelSpacing[0] = 1.0F;
                series.SpacingUnknown = true;
            }
            if (series.VoxelSpacing[1] == 0.0F)
                series.VoxelSpacing[1] = 1.0F;
            engine.SetDataProfile(columns, rows, series.SeriesFileCount, series.VoxelSpacing[0],
                                  series.VoxelSpacing[1], -series.VoxelSpacing[2], 1.0, -1024);
            volumeDeclared = true;
        }

        engine.setIsSigned(scale.isSigned);
        if (pixels == nullptr)
            continue;
        if (!prefetch) {
            // The first registered file: its pixels are the control's; the following files are read ahead.
            if (bitsAllocated == 16)
                engine.SetDicomImage(reinterpret_cast<const std::int16_t*>(pixels), imageNumber, slope,
                                     series.RescaleIntercept, slicePosition);
            else
                engine.SetDicomImageBits(pixels, bitsAllocated, imageNumber, slope, series.RescaleIntercept,
                                         slicePosition);
            firstRegistered = i;
            for (std::size_t next = i + 1; next < series.SeriesFiles.size(); ++next)
                places.push_back(reinterpret_cast<std::uint8_t*>(
                    engine.SliceLoadAddress(static_cast<std::int32_t>(next - i - 1))));
            const std::size_t sliceSamples = static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
            // 16-bit slices are converted on the reading threads while still in the cache.
            auto convertAhead = [&engine, sliceSamples](const ZQDICOM& header, std::uint8_t* place,
                                                         SlicePixelPrefetch::Slice& slice) {
                if (tagShort(header, kImageGroup, 0x0100) != 16 || slice.frameBytes != sliceSamples * 2)
                    return;
                slice.scale = sliceScale(header);
                engine.ConvertLentSlice(reinterpret_cast<std::int16_t*>(place), sliceSamples, slice.scale.slope,
                                        slice.scale.intercept, slice.scale.isSigned);
                slice.converted = true;
            };
            prefetch = std::make_unique<SlicePixelPrefetch>(
                std::vector<std::string>(series.SeriesFiles.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                         series.SeriesFiles.end()),
                places, sliceSamples * 2, std::max(1u, std::thread::hardware_concurrency()), convertAhead);
        } else {
            // Read into the place of file i; after skipped files the slice belongs further forward.
            std::uint8_t* place = reinterpret_cast<std::uint8_t*>(engine.SliceLoadAddress(0));
            if (place == nullptr)
                continue;
            const bool convertedAlike = prefetched->converted && bitsAllocated == 16 && prefetched->scale == scale;
            if (prefetched->converted && !convertedAlike) {
                // Converted with another scale than this header's (the file changed meanwhile): read it again.
                pixels = dicom.loadNativePixels(path, pixelBytes, problem);
                if (pixels == nullptr || static_cast<std::int64_t>(pixelBytes) < neededBytes)
                    continue;
                engine.SetDicomImageBits(pixels, bitsAllocated, imageNumber, slope, series.RescaleIntercept,
                                         slicePosition);
            } else if (bitsAllocated == 16) {
                if (place != pixels)
                    std::memmove(place, pixels, pixelBytes);
                if (convertedAlike)
                    engine.SetConvertedImageInPlace(imageNumber, slicePosition);
                else
                    engine.SetDicomImageInPlace(imageNumber, slope, series.RescaleIntercept, slicePosition);
            } else {
                // Packed pixels are widened into the place they were read into: from a copy.
                packed.assign(pixels, pixels + pixelBytes);
                engine.SetDicomImageBits(packed.data(), bitsAllocated, imageNumber, slope, series.RescaleIntercept,
                                         slicePosition);
            }
        }
        series.EightBit = bitsAllocated == 8;
        series.RegisteredSlices.push_back({path, imageNumber, slicePosition});
    }
    series.VolumeDims[2] = series.SeriesFileCount;
    return volumeDeclared;
}

} // namespace vantor
