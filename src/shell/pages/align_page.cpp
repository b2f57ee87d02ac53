#include "shell/pages/align_page.h"

#include "shell/pages/page_controls.h"

namespace kestrave {

AlignPage::AlignPage(QWidget* parent) : QWidget(parent) {
    setObjectName("AlignPage");
    auto* layout = new QVBoxLayout(this);
    glPageControl1 = optionPages(this, "glPageControl1");
    PreviewFull = optionCheck(this, "PreviewFull", "Fit");
    Previewzoom = optionCheck(this, "Previewzoom", "Zoom");
    ShowFramelist = optionCheck(this, "ShowFramelist", "Frame list");
    Haltwindow = optionCheck(this, "Haltwindow", "Halt window");
    const ImageBox preview = imageBox(this, "ScrollBox1", "PreviewImage");
    ScrollBox1 = preview.box;
    PreviewImage = preview.image;
    layout->addWidget(glPageControl1);
    layout->addLayout(controlRow({PreviewFull, Previewzoom, ShowFramelist, Haltwindow}));
    layout->addWidget(ScrollBox1, 1);
}

}  // namespace kestrave
