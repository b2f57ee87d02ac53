#include "wavelet_page_support.h"

#include <QCoreApplication>
#include <QLabel>
#include <random>

#include "shell/pages/named_control.h"
#include "widgets/check_box.h"

namespace kestrave::test {

WaveletPageTest::WaveletPageTest()
    : page(*pieces(*form).waveletPage), wavelet(*pieces(*form).wavelet), tools(pieces(*form).waveletTools) {
    auto scripted = std::make_unique<ScriptedFileDialogs>();
    dialogs = scripted.get();
    context.setDialogs(std::move(scripted));
}

void WaveletPageTest::setStack(int width, int height, bool colour) {
    NullProgress progress;
    ASSERT_TRUE(createImagePlanes(images, DefaultProcessAreaItem, progress, context.messages()));
    ASSERT_TRUE(SetupImageDataSection(images, width, height, progress, context.messages()));
    editRun(context.pipeline).model.FrameWidth = editRun(context.pipeline).model.ImageWidth = width;
    editRun(context.pipeline).model.FrameHeight = editRun(context.pipeline).model.ImageHeight = height;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(0.0f, 255.0f);
    for (int c = 0; c < 3; ++c) {
        for (int x = 0; x < width; ++x) {
            for (int y = 0; y < height; ++y) images.StackPlanes[c][x][y] = value(random);
        }
    }
    control<TPCheck>(page, "Colourprocess2")->setChecked(colour);
    editRun(context.pipeline).state.LayersDirty = true;
    context.shell.WaveletTabPending = context.shell.WaveletPagePending = true;
    editRun(context.pipeline).state.activepage = TMainTab::tabFinal;
}

void WaveletPageTest::tick(const char* box, bool checked) {
    TPCheck& check = *control<TPCheck>(*form, box);
    check.setChecked(checked);
    emit check.OnClick(&check);
}

QRgb WaveletPageTest::shown(int x, int y) const {
    return control<QLabel>(page, "ProcessImage")->pixmap().toImage().pixel(x, y);
}

QRgb WaveletPageTest::picture(int x, int y) const {
    const std::uint8_t* p = context.pipeline.wavelet().ProcessPicture.pixel(x, y);
    return qRgb(p[2], p[1], p[0]);
}

bool WaveletPageTest::marksNext(const char* button) const {
    QCoreApplication::processEvents();
    const QWidget& target = *control<QWidget>(page, button);
    return control<QWidget>(page, "Showbuttonp3")->mapToGlobal(QPoint(0, 0)) ==
           target.mapToGlobal(QPoint(0, target.height()));
}

}  // namespace kestrave::test
