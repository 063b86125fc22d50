#pragma once

// VazAZUrorav: the in-memory image-processing engine for one CT series.
//
// The host declares the volume (SetDataProfile / SetDICOMProfile), hands over
// every slice (SetDicomImage...), lets the engine order them and then asks for
// reformatted and projected images. Results live in the engine's 100 numbered
// buffers (Create... methods, the address is written to the caller's pointer)
// or in the caller's memory (Get... methods).
//
// Stored samples are the rescaled value minus the base offset, clamped to
// 0..32767. Images crossing this interface are 16-bit samples, row after row.
// Matrices are 16 floats, row after row, points are row vectors.
//
// Failures travel through the boolean results and ErrorNumber():
// -1 invalid argument or no volume, -2 no memory, positive = byte count of a
// volume allocation that failed. The engine never clears ErrorNumber itself.
//
// Not thread-safe: call an instance from one thread. The engine itself uses a
// second thread for split renderings and a background thread for the lung
// analysis (SpecialMethod with a negative argument).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zvipengine {
class EngineState;
}

// Result block of CreatePolygonIsoSurface: eleven handle-sized values, the
// nine array addresses then the vertex and triangle counts. Vertices are in
// grid units of the reduced volume (column, row, slice), normals of unit
// length, triangle t has the corners Corner0[t], Corner1[t], Corner2[t].
struct IsoSurfacePolygon {
    float* X;
    float* Y;
    float* Z;
    float* NX;
    float* NY;
    float* NZ;
    std::int32_t* Corner0;
    std::int32_t* Corner1;
    std::int32_t* Corner2;
    std::intptr_t NumberOfVertices;
    std::intptr_t NumberOfTriangles;
};

class VazAZUrorav {
public:
    // Published member numbers, for automation hosts.
    enum class DispId : std::int32_t {
        // properties
        IsSigned = 1,
        UseBitMask = 2,
        ImageBackColor = 3,
        ErrorNumber = 4,
        Xspacing = 5,
        Yspacing = 6,
        Zspacing = 7,
        Xdims = 8,
        Ydims = 9,
        Zdims = 10,
        PtrData = 11,
        Extracted = 12,
        BitMaskFlag = 13,
        SourceOrientationType = 14,
        Xorigin = 15,
        Yorigin = 16,
        Zorigin = 17,
        // methods
        SetDicomImage = 18,
        SetDataProfile = 19,
        CreateImageOrthoMPR = 20,
        GetImageOrthoMPR = 21,
        ReleaseBuffer = 22,
        GetImageMPRMatrix = 23,
        GetImageOrthoMIP = 24,
        CreateImageOrthoMIP = 25,
        SpecialMethod = 26,
        ChangeImageNum = 27,
        CreateImageOrthoMinIP = 28,
        GetImageOrthoMinIP = 29,
        CreateDIBbitImage = 30,
        CreateDIBImage = 31,
        CreatePolygonIsoSurface = 32,
        MathMatrix = 33,
        GetMatrixRotate = 34,
        GetMatrixDefault = 35,
        GetMatrixDefaultSagittal = 36,
        GetMatrixDefaultCoronal = 37,
        GetMatrixTCoronalRotate = 38,
        GetMatrixTSagittalRotate = 39,
        GetMatrixTAxialRotate = 40,
        CreateImageMIPMatrix = 41,
        CreateImageMPRMatrix = 42,
        CreateImageMinIPMatrix = 43,
        CreateImageVolumeRenderMatrix = 44,
        GetMatrixCoronalRotate = 45,
        GetMatrixSagittalRotate = 46,
        GetMatrixAxialRotate = 47,
        CreateImageAVRMatrix = 48,
        GetImageHalfSize = 49,
        GetImageSmoothing = 50,
        SourceSmoothing = 51,
        GetImageMedian = 52,
        SetDICOMProfile = 53,
        GetMatrixOrientation = 54,
        SetDebugOut = 55,
        GetImageVolumeRenderMatrix = 56,
        GetImageVolumeRenderMatrixPart = 57,
        CreateImageBuffer = 58,
        SetDicomImageBits = 59,
        CreateImageSumMatrix = 60,
        CreateImageOrthoSum = 61,
        GetImageMIPMatrixAdd = 62,
        GetImageMIPMatrix = 63,
        GetImageMinIPMatrix = 64,
        GetImageMinIPMatrixAdd = 65,
        GetImageSumMatrixPart = 66,
        ClearBitMaskImage = 67,
        SetBitMaskRectangle = 68,
        UndoBitMask = 69,
        ClearBitMask = 70,
        SetBitMaskCylinder = 71,
        SetBitMaskFreePoints = 72,
        GetByteImageBitMaskFreePoints = 73,
        MathBitMaskMorphology = 74,
        SortZ = 75,
        CreateImageRGB = 76,
        GetHistgramVolumeInt = 77,
        GetImageVolumeRenderNMatrix = 78,
        GetImageVolumeRenderNMatrixPart = 79,
        CreateImageVolumeRenderNMatrix = 80,
        GetVersion = 81,
        LoadBufferFile = 82,
        SaveBufferFile = 83,
        GetValueMinMax = 84,
        ChangeDataRange = 85,
        GetImageNumber = 86,
        GetImageSlicePosition = 87,
        SortSlicePosition = 88,
        SortImageNumber = 89,
        SortInitialize = 90,
        CheckData = 91,
        GetImageVREndoscopeNMatrix = 92,
        GetImageVREndoscopeNMatrixPart = 93,
        CreateImageVREndoscopeNMatrix = 94,
        CreateImageVRCNMatrix = 95,
        GetImageVRCNMatrix = 96,
        GetImageVRCNMatrixPart = 97,
        GetDimsOfOrthoImage = 98,
        SetDicomImageInfo = 99,
        SetDicomImageInfoBits = 100,
        LoadBufferFileColor = 101,
        SaveBufferFileColor = 102,
        SetZbuffer = 103,
        GetPointVRtoVolume = 104,
        GetPointVolumetoVR = 105,
        GetImageRGB = 106,
        GetImageMirrorLR = 107,
        GetImageRotateRect = 108,
        GetMatrixInvert = 109,
        GetValueImagePosition = 110,
        DelDicomImage = 111,
        SetBitMaskSphere = 112,
        SetBitMaskRegionGrowingPoint = 113,
        SetBitMaskThreshold = 114,
        SetBitMaskErosion = 115,
        SetBitMaskDilation = 116,
        GetImageThresholdBitMask = 117,
        GetImageDoubleSize = 118,
        PastImage = 119,
        GetValueSourceData = 120,
        GetNoduleProperty = 121,
        SetMarkFlagRegionGrowingPoint = 122,
        SetMarkFlagSphere = 123,
        SetMarkFlagClear = 124,
        ReMapZbuffer = 125,
        GetROIImage = 126,
        CreateBuffer = 127, // named CreateBufferByte in the type library
        GetBuffer = 128,
        GetImageMIPMatrixPart = 129,
        AboutBox = -552,
    };

    // Published event numbers (a separate numbering from the members).
    enum class EventDispId : std::int32_t {
        ThreadFinished = 1,
    };

    VazAZUrorav();
    ~VazAZUrorav();
    VazAZUrorav(const VazAZUrorav&) = delete;
    VazAZUrorav& operator=(const VazAZUrorav&) = delete;

    // ---- properties ----
    bool IsSigned() const;
    void setIsSigned(bool value);
    bool UseBitMask() const;
    void setUseBitMask(bool value);
    std::int32_t ImageBackColor() const;
    void setImageBackColor(std::int32_t value);
    std::int32_t ErrorNumber() const;
    void setErrorNumber(std::int32_t value);
    float Xspacing() const;
    float Yspacing() const;
    float Zspacing() const;
    std::int32_t Xdims() const;
    std::int32_t Ydims() const;
    std::int32_t Zdims() const;
    // First sample of the volume; nullptr without a volume. The address may
    // change with SetDataProfile and ChangeImageNum.
    std::int16_t* PtrData() const;
    bool Extracted() const;
    bool BitMaskFlag() const;
    std::int32_t SourceOrientationType() const;
    // Accepted and ignored: the code follows from SetDICOMProfile.
    void setSourceOrientationType(std::int32_t value);
    float Xorigin() const;
    float Yorigin() const;
    float Zorigin() const;

    // Unpublished extra for scripting hosts and batch tools: the structure
    // map of the lung analysis, one code per voxel in the volume's layout
    // (100 body, 110 lungs, 111 and 112 the two lungs, 113..118 structures
    // inside them, 150 heart, 160 liver, 180 central airways, 200 bone, 0
    // outside). nullptr until the analysis has run on the current volume;
    // valid until the next analysis, SetDataProfile or ChangeImageNum.
    const std::uint8_t* StructureMap() const;

    // ---- event ----
    // Fired on the analysis thread when a background analysis has run.
    // The host forwards it to its own user-interface thread.
    void setThreadFinished(std::function<void()> callback);
    // The engine has no windows of its own: AboutBox calls the handler the
    // host installs here to show the component's About dialog.
    void setAboutBoxHandler(std::function<void()> handler);

    // ---- volume declaration and slice hand-over ----
    bool SetDataProfile(std::int32_t ImageWidth, std::int32_t ImageHeight, std::int32_t ImageNum,
                        double SpacingPixelWidth, double SpacingPixelHeight, double SpacingSlice,
                        double RSSlope, std::int16_t RSIntercept);
    bool SetDICOMProfile(std::int32_t ImageWidth, std::int32_t ImageHeight, std::int32_t ImageNumSlice,
                         double SpacingWidth, double SpacingHeight, double SpacingSlice,
                         float ImageOrientationRowX, float ImageOrientationRowY, float ImageOrientationRowZ,
                         float ImageOrientationColX, float ImageOrientationColY, float ImageOrientationColZ,
                         double RSSlope, double RSIntercept);
    // hImage: X x Y samples, signed when IsSigned() is true, else unsigned.
    bool SetDicomImage(const std::int16_t* hImage, std::int32_t ImageNumber, double RSSlope,
                       double RSIntercept, double ImagePosition);
    // hImage: a bit stream of X x Y pixels of BitsAllocated bits each.
    bool SetDicomImageBits(const std::uint8_t* hImage, std::int32_t BitsAllocated, std::int32_t ImageNumber,
                           double RSSlope, double RSIntercept, double ImagePosition);
    bool SetDicomImageInfo(const std::int16_t* hImage, std::int32_t AcqNumber, std::int32_t ImageNumber,
                           double RSSlope, double RSIntercept, double ImagePositionX, double ImagePositionY,
                           double ImagePositionZ);
    bool SetDicomImageInfoBits(const std::uint8_t* hImage, std::int32_t BitsAllocated, std::int32_t AcqNumber,
                               std::int32_t ImageNumber, double RSSlope, double RSIntercept,
                               double ImagePositionX, double ImagePositionY, double ImagePositionZ);

    // Unpublished extras for hosts that read a slice's pixels straight into
    // the volume instead of handing over a copy. SliceLoadAddress(ahead) is
    // where the slice handed over `ahead` slices from now will be stored
    // (X x Y samples; nullptr without a volume or beyond its Z slices).
    // SetDicomImageInPlace then does what SetDicomImage does with the pixels
    // found at SliceLoadAddress(0), converting them where they lie: the same
    // samples and records, bit for bit. A host may fill several places ahead
    // at once (on several threads) and hand them over in order.
    std::int16_t* SliceLoadAddress(std::int32_t ahead) const;
    bool SetDicomImageInPlace(std::int32_t ImageNumber, double RSSlope, double RSIntercept, double ImagePosition);
    // The conversion of SetDicomImageInPlace done ahead on a reading thread:
    // converts `count` lent samples where they lie without handing the slice
    // over. SetConvertedImageInPlace then hands over the slice at
    // SliceLoadAddress(0), converted earlier with the same scale and sign.
    void ConvertLentSlice(std::int16_t* place, std::size_t count, double RSSlope, double RSIntercept,
                          bool isSigned) const;
    bool SetConvertedImageInPlace(std::int32_t ImageNumber, double ImagePosition);

    // ---- numbered buffers (0..99) ----
    bool CreateImageBuffer(std::int16_t** phImage, std::int32_t BufferID, std::int32_t BufferSize);
    bool CreateBuffer(std::uint8_t** phBuffer, std::int32_t BufferID, std::int32_t BufferByte);
    bool GetBuffer(std::uint8_t** phBuffer, std::int32_t BufferID, std::int32_t* pBufferByte);
    bool ReleaseBuffer(std::int32_t BufferID);

    // ---- slice queries and value range ----
    std::int32_t GetImageNumber(std::int32_t PositionZ) const;
    double GetImageSlicePosition(std::int32_t PositionZ) const;
    double GetValueImagePosition(std::int32_t PositionZ, std::int32_t Axis) const;
    std::int16_t GetValueSourceData(std::int32_t Px, std::int32_t Py, std::int32_t Pz) const;
    bool GetValueMinMax(std::int16_t& MinValue, std::int16_t& MaxValue) const;
    bool ChangeDataRange(std::int32_t MaxValue);
    // HistgramData: NumOfSamplingPoints counters of the caller.
    bool GetHistgramVolumeInt(std::int32_t NumOfSamplingPoints, std::int32_t* HistgramData,
                              std::int16_t RangeMin, std::int16_t RangeMax, std::int32_t& MaxValue);

    // ---- ordering and checks ----
    bool SortInitialize();
    bool SortImageNumber(std::int32_t SortMode);
    bool SortSlicePosition(std::int32_t SortMode);
    // DelList: NumOfDelList slice indices of the caller.
    bool DelDicomImage(std::int32_t NumOfDelList, const std::int32_t* DelList);
    bool SortZ();
    std::int32_t CheckData(std::int32_t Mode) const;
    bool ChangeImageNum(std::int32_t ImageNum);
    // ImageDims: two values, width and height.
    bool GetDimsOfOrthoImage(std::int32_t* ImageDims, std::int32_t Axis) const;

    // ---- identity, debugging, analysis dispatch ----
    // Writes at most len / 2 characters (and never past string.size()) of the
    // version text, then sets len to the length of the text.
    void GetVersion(std::string& string, std::int32_t& len) const;
    void SetDebugOut(const std::string& DirName, const std::string& PatientID, const std::string& SeriesNo);
    void SpecialMethod(std::int32_t RegionFlag);
    // Shows the About dialog through the host's handler; nothing without one.
    void AboutBox();

    // ---- matrices (16 floats each) ----
    bool MathMatrix(const float* hMatrix_A, const float* hMatrix_B, float* hMatrix_AB) const;
    bool GetMatrixInvert(float* hMatrixDest, const float* hMatrixSrc) const;
    bool GetMatrixDefault(float* hMatrix) const;
    bool GetMatrixDefaultSagittal(float* hMatrix) const;
    bool GetMatrixDefaultCoronal(float* hMatrix) const;
    // translate(P), rotate about V by theta degrees, translate(-P), applied
    // in that order (the point that stays in place is -P).
    bool GetMatrixRotate(float* hMatrix, float Px, float Py, float Pz, float Vx, float Vy, float Vz,
                         float theta) const;
    bool GetMatrixAxialRotate(float* hMatrix, float Px, float Py, float Pz, float Vx, float Vy, float Vz,
                              float theta) const;
    bool GetMatrixCoronalRotate(float* hMatrix, float Px, float Py, float Pz, float Vx, float Vy, float Vz,
                                float theta) const;
    bool GetMatrixSagittalRotate(float* hMatrix, float Px, float Py, float Pz, float Vx, float Vy, float Vz,
                                 float theta) const;
    bool GetMatrixTAxialRotate(float* hMatrix, float Px, float Py, float Pz, float Vx, float Vy, float Vz,
                               float theta) const;
    bool GetMatrixTCoronalRotate(float* hMatrix, float Px, float Py, float Pz, float Vx, float Vy, float Vz,
                                 float theta) const;
    bool GetMatrixTSagittalRotate(float* hMatrix, float Px, float Py, float Pz, float Vx, float Vy, float Vz,
                                  float theta) const;
    // The rotation about the axis (declared normal x given normal) by the
    // angle between the two normals: the slice normal (row x column cosines of
    // SetDICOMProfile) times the matrix points along the given orientation's
    // normal. No translation: the centre position is not used. Identity when
    // either normal is zero (SetDataProfile declares none) or they agree; a
    // half turn when they are opposite.
    bool GetMatrixOrientation(float* hMatrix, float OrientationRowX, float OrientationRowY,
                              float OrientationRowZ, float OrientationColX, float OrientationColY,
                              float OrientationColZ, float CenterPositionX, float CenterPositionY,
                              float CenterPositionZ) const;

    // ---- orthogonal reformat and slab projections ----
    // Axis 0 axial, 1 coronal, 2 sagittal, 13 / 14 coronal / sagittal with
    // rows and columns exchanged (reformat only).
    bool CreateImageOrthoMPR(std::int16_t** hImage, std::int32_t BufNum, std::int32_t Width, std::int32_t Height,
                             std::int32_t Axis, std::int32_t Plane);
    bool GetImageOrthoMPR(std::int16_t* hImage, std::int32_t Width, std::int32_t Height, std::int32_t Axis,
                          std::int32_t Plane);
    bool CreateImageOrthoMIP(std::int16_t** phImage, std::int32_t BufferID, std::int32_t Width,
                             std::int32_t Height, std::int32_t Axis, std::int32_t Plane, std::int32_t PlaneDepth);
    bool GetImageOrthoMIP(std::int16_t* hImage, std::int32_t Width, std::int32_t Height, std::int32_t Axis,
                          std::int32_t Plane, std::int32_t PlaneDepth);
    bool CreateImageOrthoMinIP(std::int16_t** phImage, std::int32_t BufferID, std::int32_t Width,
                               std::int32_t Height, std::int32_t Axis, std::int32_t Plane, std::int32_t PlaneDepth);
    bool GetImageOrthoMinIP(std::int16_t* hImage, std::int32_t Width, std::int32_t Height, std::int32_t Axis,
                            std::int32_t Plane, std::int32_t PlaneDepth);
    bool CreateImageOrthoSum(std::int16_t** phImage, std::int32_t BufferID, std::int32_t Width,
                             std::int32_t Height, std::int32_t Axis, std::int32_t Plane, std::int32_t PlaneDepth);

    // ---- oblique reformat and slab projections (hMatrix: view mm -> voxel) ----
    bool CreateImageMPRMatrix(std::int16_t** phImage, std::int32_t BufferID, std::int32_t Width,
                              std::int32_t Height, float PixelSpacing, std::int32_t Plane, const float* hMatrix);
    bool GetImageMPRMatrix(std::int16_t* hImage, std::int32_t Width, std::int32_t Height, std::int32_t Plane,
                           const float* hMatrix);
    bool CreateImageMIPMatrix(std::int16_t** phImage, std::int32_t BufferID, std::int32_t Width,
                              std::int32_t Height, float PixelSpacing, std::int32_t Plane,
                              std::int32_t PlaneDepth, const float* hMatrix);
    bool CreateImageMinIPMatrix(std::int16_t** phImage, std::int32_t BufferID, std::int32_t Width,
                                std::int32_t Height, float PixelSpacing, std::int32_t Plane,
                                std::int32_t PlaneDepth, const float* hMatrix);
    bool CreateImageSumMatrix(std::int16_t** phImage, std::int32_t BufferID, std::int32_t Width,
                              std::int32_t Height, float PixelSpacing, std::int32_t Plane,
                              std::int32_t PlaneDepth, const float* hMatrix);
    // PixelSpacing of the Get forms: a value above 0 is used, otherwise the
    // X spacing (GetImageMPRMatrix always samples at the X spacing).
    bool GetImageMIPMatrix(std::int16_t* hImage, std::int32_t Width, std::int32_t Height, float PixelSpacing,
                           std::int32_t Plane, std::int32_t PlaneDepth, const float* hMatrix);
    bool GetImageMIPMatrixAdd(std::int16_t* hImage, std::int32_t Width, std::int32_t Height, float PixelSpacing,
                              std::int32_t Plane, std::int32_t PlaneDepth, const float* hMatrix);
    bool GetImageMinIPMatrix(std::int16_t* hImage, std::int32_t Width, std::int32_t Height, float PixelSpacing,
                             std::int32_t Plane, std::int32_t PlaneDepth, const float* hMatrix);
    bool GetImageMinIPMatrixAdd(std::int16_t* hImage, std::int32_t Width, std::int32_t Height,
                                float PixelSpacing, std::int32_t Plane, std::int32_t PlaneDepth,
                                const float* hMatrix);
    // Strip Part of PartHeight rows, written at its place in the full image.
    bool GetImageMIPMatrixPart(std::int32_t Part, std::int32_t PartHeight, std::int16_t* hImage,
                               std::int32_t Width, std::int32_t Height, float PixelSpacing, std::int32_t Plane,
                               std::int32_t PlaneDepth, const float* hMatrix);
    bool GetImageSumMatrixPart(std::int32_t Part, std::int32_t PartHeight, std::int16_t* hImage,
                               std::int32_t Width, std::int32_t Height, float PixelSpacing, std::int32_t Plane,
                               std::int32_t PlaneDepth, const float* hMatrix);

    // ---- display images and 2-D filters ----
    // Grey images are 16-bit samples; colour images (ColorMode 1) three
    // planes of Width x Height bytes (red, green, blue). Any other ColorMode
    // is a no-op that answers true (GetImageHalfSize: false).
    bool CreateDIBImage(std::uint8_t** phDIB, std::int32_t BufferID, const std::int16_t* hImage, std::int32_t Width,
                        std::int32_t Height, std::int32_t WindowLevel, std::int32_t WindowWidth);
    bool CreateDIBbitImage(std::uint8_t** phDIB, std::int32_t BufferID, const std::int16_t* hImage,
                           std::int32_t Width, std::int32_t Height, std::int16_t ThresholdValue, std::int32_t Color1,
                           std::int32_t Color2);
    // sValues / laRGBs: NumPoints ascending values and 0x00BBGGRR colours.
    bool CreateImageRGB(std::uint8_t** phRGBImage, std::int32_t BufferID, const std::int16_t* hImage,
                        std::int32_t Width, std::int32_t Height, std::int32_t NumPoints, const std::int16_t* sValues,
                        const std::int32_t* laRGBs);
    bool GetImageRGB(std::uint8_t* hRGBImage, const std::int16_t* hImage, std::int32_t Width, std::int32_t Height,
                     std::int32_t NumOfPoints, const std::int16_t* sValues, const std::int32_t* laRGBs);
    bool GetImageHalfSize(void* hImage, std::int32_t OrgWidth, std::int32_t OrgHeight, std::int32_t ColorMode);
    bool GetImageDoubleSize(void* hImageDst, std::int32_t WidthSrc, std::int32_t HeightSrc, const void* hImageSrc,
                            std::int32_t ColorMode);
    bool GetImageSmoothing(std::int16_t* hImage, std::int32_t Width, std::int32_t Height, std::int32_t FilterSize);
    bool GetImageMedian(std::int16_t* hImage, std::int32_t Width, std::int32_t Height, std::int32_t FilterSize);
    // Mode 1 median, else box mean, on every slice of the volume.
    bool SourceSmoothing(std::int32_t Mode, std::int32_t FilterSize);
    bool GetImageMirrorLR(void* hImage, std::int32_t Width, std::int32_t Height, std::int32_t ColorMode);
    // outWidth / outHeight may be null.
    bool GetImageRotateRect(void* hImage, std::int32_t Width, std::int32_t Height, std::int32_t angle,
                            std::int32_t* outWidth, std::int32_t* outHeight, std::int32_t ColorMode);
    bool GetROIImage(void* hROIImage, std::int32_t Width, std::int32_t Height, const void* hImageSrc,
                     std::int32_t WidthSrc, std::int32_t HeightSrc, std::int32_t Px, std::int32_t Py,
                     std::int32_t ColorMode);
    bool PastImage(void* hImage, std::int32_t Width, std::int32_t Height, const void* hImageSrc,
                   std::int32_t WidthSrc, std::int32_t HeightSrc, std::int32_t Px, std::int32_t Py,
                   std::int32_t ColorMode);
    bool GetImageThresholdBitMask(std::int16_t* hImage, std::int32_t Width, std::int32_t Height,
                                  std::int16_t MinThreshold, std::int16_t MaxThreshold);

    // ---- volume rendering (hMatrix: view mm -> voxel) ----
    // ParamPosition / ParamValues: NumOfParam ascending sample values and
    // their opacities; ColorPosition / ColorValues: NumOfColor ascending
    // values and 0x00BBGGRR colours. Coloured images are three planes of
    // Width x Height bytes. A rendering leaves a depth image at the target of
    // SetZbuffer when that holds 2 x Width x Height + 128 bytes; every
    // rendering consumes the target.
    bool GetImageVolumeRenderNMatrix(std::int16_t* hImage, std::int32_t Width, std::int32_t Height,
                                     float PixelSpacing, std::int32_t Plane, std::int32_t PlaneDepth,
                                     std::int32_t NumOfParam, const std::int16_t* ParamPosition,
                                     const float* ParamValues, float AttenuationFactor, float LuminousEnergy,
                                     const float* hMatrix);
    bool GetImageVolumeRenderNMatrixPart(std::int32_t Part, std::int32_t PartHeight, std::int16_t* hImage,
                                         std::int32_t Width, std::int32_t Height, float PixelSpacing,
                                         std::int32_t Plane, std::int32_t PlaneDepth, std::int32_t NumOfParam,
                                         const std::int16_t* ParamPosition, const float* ParamValues,
                                         float AttenuationFactor, float LuminousEnergy, const float* hMatrix);
    bool CreateImageVolumeRenderNMatrix(std::int16_t** phImage, std::int32_t BufferID, std::int32_t Width,
                                        std::int32_t Height, float PixelSpacing, std::int32_t Plane,
                                        std::int32_t PlaneDepth, std::int32_t NumOfParam,
                                        const std::int16_t* ParamPosition, const float* ParamValues,
                                        float AttenuationFactor, float LuminousEnergy, const float* hMatrix);
    // Opacity 0 at MinValue rising to 1 at MaxValue.
    bool GetImageVolumeRenderMatrix(std::int16_t* hImage, std::int32_t Width, std::int32_t Height,
                                    float PixelSpacing, std::int32_t Plane, std::int32_t PlaneDepth,
                                    std::int16_t MinValue, std::int16_t MaxValue, float TransmissionFactor,
                                    float LuminousEnergy, const float* hMatrix);
    bool GetImageVolumeRenderMatrixPart(std::int32_t Part, std::int32_t PartHeight, std::int16_t* hImage,
                                        std::int32_t Width, std::int32_t Height, float PixelSpacing,
                                        std::int32_t Plane, std::int32_t PlaneDepth, std::int16_t MinValue,
                                        std::int16_t MaxValue, float TransmissionFactor, float LuminousEnergy,
                                        const float* hMatrix);
    bool CreateImageVolumeRenderMatrix(std::int16_t** phImage, std::int32_t BufferID, std::int32_t Width,
                                       std::int32_t Height, float PixelSpacing, std::int32_t Plane,
                                       std::int32_t PlaneDepth, std::int16_t MinValue, std::int16_t MaxValue,
                                       float TransmissionFactor, float LuminousEnergy, const float* hMatrix);
    bool GetImageVRCNMatrix(std::uint8_t* hRGBImage, std::int32_t Width, std::int32_t Height, float PixelSpacing,
                            std::int32_t Plane, std::int32_t PlaneDepth, std::int32_t NumOfParam,
                            const std::int16_t* ParamPosition, const float* ParamValues, std::int32_t NumOfColor,
                            const std::int16_t* ColorPosition, const std::int32_t* ColorValues,
                            float AttenuationFactor, float LuminousEnergy, const float* hMatrix);
    bool GetImageVRCNMatrixPart(std::int32_t Part, std::int32_t PartHeight, std::uint8_t* hRGBImage,
                                std::int32_t Width, std::int32_t Height, float PixelSpacing, std::int32_t Plane,
                                std::int32_t PlaneDepth, std::int32_t NumOfParam, const std::int16_t* ParamPosition,
                                const float* ParamValues, std::int32_t NumOfColor, const std::int16_t* ColorPosition,
                                const std::int32_t* ColorValues, float AttenuationFactor, float LuminousEnergy,
                                const float* hMatrix);
    bool CreateImageVRCNMatrix(std::uint8_t** phRGBImage, std::int32_t BufferID, std::int32_t Width,
                               std::int32_t Height, float PixelSpacing, std::int32_t Plane, std::int32_t PlaneDepth,
                               std::int32_t NumOfParam, const std::int16_t* ParamPosition, const float* ParamValues,
                               std::int32_t NumOfColor, const std::int16_t* ColorPosition,
                               const std::int32_t* ColorValues, float AttenuationFactor, float LuminousEnergy,
                               const float* hMatrix);
    // Perspective fan from the image centre; Depth steps. False while a
    // mask is in force.
    bool GetImageVREndoscopeNMatrix(std::int16_t* hImage, std::int32_t Width, std::int32_t Height, float Spacing,
                                    float Perspective, std::int32_t Depth, float FrontSpacing,
                                    std::int32_t NumOfParam, const std::int16_t* ParamPosition,
                                    const float* ParamValues, float AttenuationFactor, const float* hMatrix);
    bool GetImageVREndoscopeNMatrixPart(std::int32_t Part, std::int32_t PartHeight, std::int16_t* hImage,
                                        std::int32_t Width, std::int32_t Height, float Spacing, float Perspective,
                                        std::int32_t Depth, float FrontSpacing, std::int32_t NumOfParam,
                                        const std::int16_t* ParamPosition, const float* ParamValues,
                                        float AttenuationFactor, const float* hMatrix);
    bool CreateImageVREndoscopeNMatrix(std::int16_t** phImage, std::int32_t BufferID, std::int32_t Width,
                                       std::int32_t Height, float Spacing, float Perspective, std::int32_t Depth,
                                       float FrontSpacing, std::int32_t NumOfParam,
                                       const std::int16_t* ParamPosition, const float* ParamValues,
                                       float AttenuationFactor, const float* hMatrix);
    // Only the structure holding the stack's central sample, opacity rising
    // linearly from MinValue to MaxValue.
    bool CreateImageAVRMatrix(std::int16_t** phImage, std::int32_t BufferID, std::int32_t Width,
                              std::int32_t Height, float PixelSpacing, std::int32_t Plane, std::int32_t PlaneDepth,
                              std::int16_t MinValue, std::int16_t MaxValue, float TransmissionFactor,
                              const float* hMatrix);
    // hZBuffer: caller memory of BufferSize bytes for the next rendering.
    bool SetZbuffer(void* hZBuffer, std::int32_t BufferSize);
    // f3Point: three floats.
    bool GetPointVRtoVolume(float* f3Point, const void* hZBuffer, std::int32_t Px, std::int32_t Py);
    // iPosition may be null.
    bool GetPointVolumetoVR(float* f3Point, std::int32_t* iPosition, const void* hZBuffer, std::int32_t Px,
                            std::int32_t Py, std::int32_t Pz);
    // The record at hZBuffer must have room for the larger image.
    bool ReMapZbuffer(void* hZBuffer, std::int32_t Width, std::int32_t Height);

    // ---- iso-surface and buffer files ----
    // The block stays valid until the next call or the volume's reset.
    bool CreatePolygonIsoSurface(std::int16_t threshold, float pixel_spacing, const IsoSurfacePolygon** phPolygon);
    // Dims: Ndim values of the caller (at most three are used).
    bool SaveBufferFile(const std::string& FileName, std::int32_t BufferID, std::int32_t Ndim,
                        const std::int32_t* Dims);
    bool SaveBufferFileColor(const std::string& FileName, std::int32_t BufferID, std::int32_t ElementSize,
                             std::int32_t Ndim, const std::int32_t* Dims, std::int32_t ColorMode);
    bool LoadBufferFile(const std::string& FileName, std::int16_t** phImage, std::int32_t BufferID,
                        std::int32_t Ndim, std::int32_t* Dims);
    // ElementSize and ColorMode may be null.
    bool LoadBufferFileColor(const std::string& FileName, std::uint8_t** phImage, std::int32_t BufferID,
                             std::int32_t* ElementSize, std::int32_t Ndim, std::int32_t* Dims,
                             std::int32_t* ColorMode);

    // ---- bit masks, region growing, morphology, mark flags ----
    // A masking step ages the earlier masks (up to three undo levels) and
    // masks the visible voxels it selects; hMatrix maps voxel (column, row,
    // slice) to the coordinates in which the shape is given. A Z range of
    // min_Z = max_Z = 0 is unbounded.
    bool SetBitMaskRectangle(std::int32_t interior, float min_X, float max_X, float min_Y, float max_Y, float min_Z,
                             float max_Z, const float* hMatrix);
    bool SetBitMaskCylinder(std::int32_t interior, float center_X, float center_Y, float radius_X, float radius_Y,
                            float min_Z, float max_Z, const float* hMatrix);
    bool SetBitMaskSphere(std::int32_t interior, float center_X, float center_Y, float center_Z, float radius_X,
                          float radius_Y, float radius_Z, const float* hMatrix);
    // Points: NumOfPoints (x, y) pairs; the outline is closed from the last
    // point back to the first.
    bool SetBitMaskFreePoints(std::int32_t interior, std::int32_t NumOfPoints, const std::int32_t* Points,
                              float min_Z, float max_Z, const float* hMatrix);
    bool SetBitMaskThreshold(std::int32_t interior, std::int16_t min_thres, std::int16_t max_thres);
    bool SetBitMaskRegionGrowingPoint(std::int16_t inc_theta, std::int16_t dec_theta, std::int16_t min_thres,
                                      std::int16_t max_thres, std::int32_t Px, std::int32_t Py, std::int32_t Pz);
    // ps_StructureElementData: pl3_Dims[0] x [1] x [2] entries, x fastest.
    bool SetBitMaskErosion(const std::int16_t* ps_StructureElementData, const std::int32_t* pl3_Dims);
    bool SetBitMaskDilation(const std::int16_t* ps_StructureElementData, const std::int32_t* pl3_Dims);
    // MathType 0 erosion, 1 dilation, 2 opening, 3 closing with the
    // ellipsoid (FilterType 0 or 1) inscribed in the filter box.
    bool MathBitMaskMorphology(std::int16_t MathType, std::int16_t FilterType, std::int16_t FilterSizeX,
                               std::int16_t FilterSizeY, std::int16_t FilterSizeZ);
    bool UndoBitMask();
    bool ClearBitMask();
    bool ClearBitMaskImage(std::int16_t* hImage, std::int32_t NumOfPixels, std::int32_t Mode);
    bool GetByteImageBitMaskFreePoints(std::uint8_t* hByteImage, std::int32_t Width, std::int32_t Height,
                                       std::int32_t interior, std::int32_t NumOfPoints, const std::int32_t* Points);
    bool SetMarkFlagSphere(float center_X, float center_Y, float center_Z, float radius_X, float radius_Y,
                           float radius_Z, const float* hMatrix, std::int16_t FlagType);
    bool SetMarkFlagRegionGrowingPoint(std::int16_t inc_theta, std::int16_t dec_theta, std::int16_t min_thres,
                                       std::int16_t max_thres, std::int32_t Px, std::int32_t Py, std::int32_t Pz,
                                       std::int16_t FlagType);
    bool SetMarkFlagClear(std::int32_t ClearMode);
    // Outputs are written as far as their counts allow: ValueProperty (4)
    // mean, standard deviation, minimum, maximum in the CT scale;
    // MesureProperty (2 or 8) volume in mm3, largest diameter in mm, its two
    // end voxels; Histgram up to 512 bins of value / 8; LineProfile values
    // along the diameter.
    bool GetNoduleProperty(float* ValueProperty, std::int32_t NumOfValueProperty, std::int32_t* Histgram,
                           std::int32_t NumOfHistgramArray, float* MesureProperty, std::int32_t NumOfMesureProperty,
                           std::int16_t* LineProfile, std::int32_t NumOfLineProfile);

private:
    std::unique_ptr<zvipengine::EngineState> state_;
};
