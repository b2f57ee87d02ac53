#include "stack_page_support.h"

#include <QAbstractButton>
#include <QLabel>

#include "shell/pages/frame_windows.h"
#include "shell/pages/named_control.h"
#include "shell/pages/stack_page.h"
#include "shell/speed_bar.h"
#include "widgets/slider.h"

namespace kestrave::test {

StackPageTest::StackPageTest() {
    FrameModel& model = editRun(context.pipeline).model;
    model.FrameWidth = model.FrameWidthRaw = model.ImageWidth = Width;
    model.FrameHeight = model.FrameHeightRaw = model.ImageHeight = Height;
    model.FramesRanked = true;
    for (int i = 0; i < Count; ++i) {
        model.FrameRanking[i].Frame = i;
        model.FrameTable[i].Slots[0].Difference = 1.0f;
        model.FrameTable[i].Slots[0].Brightness = 1.0f;
        model.FrameTable[i].Slots[0].Quality = static_cast<float>(Count - i);
    }
    editRun(context.pipeline).state.ProcessStage = TProcessStage::stAligned;
    editRun(context.pipeline).state.activepage = TMainTab::tabStack;
    createImagePlanes(editRun(context.pipeline).images, DefaultProcessAreaItem, context.progress(),
                      context.messages());

    frames.kind = FrameSamples::Bitmap;
    fillFrames(100.0f);
    pieces(*form).stack->setFrameSourceFactory([this] { return std::make_unique<ForwardingSource>(frames); });
    // The stack count's range is the run's; the slider shows it.
    context.pipeline.commitFrameLimit({.countRange = Count - 1, .stackBound = Count - 1});
    control<TRxSlider>(*form, "StackSlider")->setValue(Count - 1);
}

void StackPageTest::fillFrames(float level) {
    frames.frames.assign(Count, makePlane(Width, Height, [level](int, int) { return level; }));
}

void StackPageTest::cancelOnRead(int frame) {
    frames.onRead = [this, frame](int read) {
        if (read == frame)
            QMetaObject::invokeMethod(pieces(*form).Speedbar->Cancelbutton, &QAbstractButton::click,
                                      Qt::QueuedConnection);
    };
}

QImage StackPageTest::shownPicture() const {
    return control<QLabel>(*form, "Stackimage")->pixmap().toImage();
}

int StackPageTest::shownGrey(int x, int y) const {
    return qGreen(shownPicture().pixel(x, y));
}

}  // namespace kestrave::test
