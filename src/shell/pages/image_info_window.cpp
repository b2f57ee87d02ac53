#include "shell/pages/image_info_window.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "shell/pages/page_controls.h"
#include "shell/tool_windows.h"

namespace kestrave {

ImageInfoWindow::ImageInfoWindow(ToolWindows& tools) {
    ToolWindow* window = tools.Imageinfowindow;
    Objectnameedit = named(new QLineEdit(window), "Objectnameedit");
    Datetimeedit = named(new QLineEdit(window), "Datetimeedit");
    Showstacksize = optionCheck(window, "Showstacksize", "Show Stacksize");
    ShowWaveletscheme = optionCheck(window, "ShowWaveletscheme", "Show Waveletscheme");
    Showwaveletvalues = optionCheck(window, "Showwaveletvalues", "Show Waveletvalues");
    Showcontrastbrightness = optionCheck(window, "Showcontrastbrightness", "Show Contrast/Brightness");
    Showgamma = optionCheck(window, "Showgamma", "Show Gamma");
    ActiveImageinfo = optionCheck(window, "ActiveImageinfo", "Use Imageinfo");
    Memo3 = named(new QPlainTextEdit(window), "Memo3");
    Memo3->setReadOnly(true);
    Memo3->setMaximumHeight(60);
    StampImage = optionCheck(window, "StampImage", "Stamp image information");

    auto* names = new QFormLayout;
    names->addRow("Object", Objectnameedit);
    names->addRow("Date/time", Datetimeedit);
    window->Body->addLayout(names);
    for (TPCheck* show : {Showstacksize, ShowWaveletscheme, Showwaveletvalues, Showcontrastbrightness,
                          Showgamma, ActiveImageinfo, StampImage})
        window->Body->addWidget(show);
    window->Body->addWidget(Memo3);
    window->fitContents();
}

void ImageInfoWindow::showObjectAndDate(const std::string& objectName, const std::string& date) {
    Objectnameedit->setText(QString::fromStdString(objectName));
    Datetimeedit->setText(QString::fromStdString(date));
}

std::string ImageInfoWindow::objectName() const {
    return Objectnameedit->text().toStdString();
}

std::string ImageInfoWindow::dateTime() const {
    return Datetimeedit->text().toStdString();
}

bool ImageInfoWindow::stampsPictures() const {
    return StampImage->Checked();
}

}  // namespace kestrave
