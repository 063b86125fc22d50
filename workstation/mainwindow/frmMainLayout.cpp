// Binds the layout pass to the main window's widgets.
#include "mainwindow/frmMain.h"

#include "display/SeriesDisplay.h"
#include "mainwindow/LayoutPass.h"
#include "display/ReferenceSamples.h"
#include "reading/ReadingForm.h"
#include "startup/DesktopCheck.h"

#include <ZVImgViewer/RazazUrirAdeder.h>

namespace vantor {

void frmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    layoutControls();
}

void frmMain::layoutControls()
{
    if (layingOut_ || readingForm_ == nullptr)
        return;
    layingOut_ = true;
    RIZOduVed1_->setDspResamplingMode(1);
    RazazUrirAdeder1_->setDspResamplingMode(1);

    LayoutInput input;
    input.minimized = isMinimized();
    const QRect frame = frameGeometry();
    input.windowWidth = frame.width() * kTwipsPerPixel;
    input.windowHeight = frame.height() * kTwipsPerPixel;
    input.innerHeight = canvas_->height() * kTwipsPerPixel;
    input.maxLayoutWidth = state_.MaxLayoutWidth;
    input.maxLayoutHeight = state_.MaxLayoutHeight;
    input.caseImageWidth = RIZOduVed1_->ImageWidth();
    input.caseImageHeight = RIZOduVed1_->ImageHeight();
    for (const char* const* name = layoutControlNames(); *name != nullptr; ++name) {
        const QWidget* widget = control(*name);
        if (widget == nullptr)
            continue;
        // Positions are relative to the main window's canvas.
        const QPoint origin = widget->parentWidget() == canvas_ ? widget->pos() : widget->mapTo(canvas_, QPoint(0, 0));
        input.controls[*name] = {origin.x() * kTwipsPerPixel, origin.y() * kTwipsPerPixel,
                                 widget->width() * kTwipsPerPixel, widget->height() * kTwipsPerPixel};
    }
    const LayoutResult result = runLayoutPass(input);
    if (result.applied) {
        for (const auto& [name, rect] : result.controls) {
            QWidget* widget = control(name);
            if (widget == nullptr)
                continue;
            if (widget->parentWidget() == canvas_)
                widget->setGeometry(rect.left / kTwipsPerPixel, rect.top / kTwipsPerPixel, rect.width / kTwipsPerPixel,
                                    rect.height / kTwipsPerPixel);
            else // inside the form's tabs: only its size follows
                widget->resize(rect.width / kTwipsPerPixel, widget->height());
        }
        // The parameter lists go right of the case image's sketch button, which shares the row.
        const QWidget* sketch = control("btnSketch2");
        readingForm_->placeBesideQuestion(sketch->x() + sketch->width() + 12);
        RIZOduVed1_->RedrawImage();
        RazazUrirAdeder1_->RedrawImage();
        referenceSamples_->fitViewer();
        control("List1")->setGeometry(control("List2")->geometry());
        if (result.windowWidth != input.windowWidth || result.windowHeight != input.windowHeight) {
            const QSize extra = frame.size() - size();
            resize(result.windowWidth / kTwipsPerPixel - extra.width(),
                   result.windowHeight / kTwipsPerPixel - extra.height());
        }
    }
    layingOut_ = false;
}

} // namespace vantor
