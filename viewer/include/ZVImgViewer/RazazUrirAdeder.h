#pragma once

// The image viewer control: shows a 16-bit grey image (or three 8-bit colour
// planes) through a window level and width, replays a list of overlay drawing
// commands queued in image coordinates, and reports mouse, wheel and key input.
//
// The control draws from memory the host owns (hImage, SetImageData with
// CopyMode 0) or from its own copy (SetImageData with a non-zero CopyMode).
// Everything runs on the user-interface thread.

#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>

class DisplayBitmap;
class OverlayList;
class QImage;

class RazazUrirAdeder : public QWidget
{
    Q_OBJECT

public:
    // Member numbers of the dispatch interface, for the automation layer.
    enum class DispId : std::int32_t {
        CrossVisible = 1,
        WindowLevel = 2,
        WindowWidth = 3,
        ImageWidth = 4,
        ImageHeight = 5,
        hImage = 6,
        TextColor = 7,
        TextSize = 8,
        TextAlign = 9,
        DspResamplingMode = 10,
        BrushColor = 11,
        TextAngle = 12,
        PenStyle = 13,
        FontFaceName = 14,
        ImageType = 15,
        PenColor = 16,
        PenWidth = 17,
        SetImageData = 18,
        MoveTo = 19,
        LineTo = 20,
        SetCrossPoint = 21,
        GetBuffer = 22,
        Ellipse = 23,
        Rectangle = 24,
        Clear = 25,
        RedrawImage = 26,
        RectangleFill = 27,
        TextOut = 28,
        GetShortValue = 29,
        GetVersion = 30,
    };

    // Member numbers of the event interface.
    enum class EventDispId : std::int32_t {
        MouseDown = -605,
        MouseMove = -606,
        MouseUp = -607,
        MouseWheel = 1,
        KeyUp = -604,
        KeyDown = -602,
        KeyPress = -603,
    };

    explicit RazazUrirAdeder(QWidget* parent = nullptr);
    ~RazazUrirAdeder() override;

    RazazUrirAdeder(const RazazUrirAdeder&) = delete;
    RazazUrirAdeder& operator=(const RazazUrirAdeder&) = delete;

    // Properties. Colours are 0x00BBGGRR.
    bool CrossVisible() const;
    void setCrossVisible(bool value);           // rebuilds if stale, repaints at once
    std::int32_t WindowLevel() const;
    void setWindowLevel(std::int32_t value);    // marks the bitmap stale
    std::int32_t WindowWidth() const;
    void setWindowWidth(std::int32_t value);    // marks stale; widths below 1 act as 1
    std::int32_t ImageWidth() const;
    void setImageWidth(std::int32_t value);
    std::int32_t ImageHeight() const;
    void setImageHeight(std::int32_t value);
    // Address of the samples shown (the host's memory, not copied): signed
    // 16-bit samples, or three byte planes (red, green, blue) when ImageType is
    // non-zero. The host keeps it alive while it is shown.
    const void* hImage() const;
    void sethImage(const void* value);          // marks stale
    std::int32_t TextColor() const;
    void setTextColor(std::int32_t value);
    std::int32_t TextSize() const;
    void setTextSize(std::int32_t value);
    std::int32_t TextAlign() const;
    void setTextAlign(std::int32_t value);
    std::int32_t DspResamplingMode() const;
    void setDspResamplingMode(std::int32_t value); // marks stale
    std::int32_t BrushColor() const;
    void setBrushColor(std::int32_t value);
    std::int32_t TextAngle() const;
    void setTextAngle(std::int32_t value);
    std::int32_t PenStyle() const;
    void setPenStyle(std::int32_t value);
    std::string FontFaceName() const;
    void setFontFaceName(const std::string& value);
    std::int16_t ImageType() const;
    void setImageType(std::int16_t value);      // marks stale
    void setPenColor(std::int32_t value);       // write-only
    void setPenWidth(std::int32_t value);       // write-only

    // Methods.
    // hDims points at ndim 32-bit dimensions (width, height, depth; missing ones are 1).
    void SetImageData(const void* hImageData, std::int32_t ndim, const std::int32_t* hDims, std::int32_t CopyMode);
    void MoveTo(std::int32_t x, std::int32_t y);
    void LineTo(std::int32_t x, std::int32_t y);
    void SetCrossPoint(std::int32_t x, std::int32_t y);
    // A block of width x height 16-bit samples owned by the control, valid until
    // the next GetBuffer or the control's destruction; nullptr when it cannot be had.
    std::int16_t* GetBuffer(std::int32_t width, std::int32_t height);
    void Ellipse(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2);
    void Rectangle(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2);
    void Clear(std::int32_t ignored = 0);
    void RedrawImage();
    void RectangleFill(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2);
    void TextOut(std::int32_t x, std::int32_t y, const std::string& Str);
    std::int16_t GetShortValue(float x, float y) const;
    // Writes the version text into the caller-sized string, one character per
    // byte, never changing its size; then sets len to the text's length.
    void GetVersion(std::string& string, std::int32_t& len) const;

    // What the control shows, for hosts and tests that inspect it.
    const DisplayBitmap* displayBitmap() const;   // nullptr before the first build
    const OverlayList& overlays() const;
    std::int32_t CrossPointX() const;
    std::int32_t CrossPointY() const;

signals:
    // Button: 1 left, 2 right, 4 middle. Shift: 1 Shift, 2 Ctrl, 4 Alt.
    // x, y: logical pixels of the control's window.
    void MouseDown(std::int16_t Button, std::int16_t Shift, std::int32_t x, std::int32_t y);
    void MouseMove(std::int16_t Button, std::int16_t Shift, std::int32_t x, std::int32_t y);
    void MouseUp(std::int16_t Button, std::int16_t Shift, std::int32_t x, std::int32_t y);
    // A multiple of 120 per notch, positive away from the user.
    void MouseWheel(std::int16_t zDelta);
    // KeyCode: the virtual-key code (Page Up 33, Page Down 34, Up 38, Down 40, ...).
    // Handlers connect directly; they may change the code.
    void KeyUp(std::int16_t& KeyCode, std::int16_t Shift);
    void KeyDown(std::int16_t& KeyCode, std::int16_t Shift);
    void KeyPress(std::int16_t& KeyAscii);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct State;
    std::unique_ptr<State> state_;
};
