#pragma once
// The contents of the image-information tool window (Imageinfowindow): the object name and date,
// which processing settings the processing-info tag shows, whether the save dialogs propose the
// tag, the tag itself, and the info stamp of the wavelet page's saved pictures. No behaviour
// here; the handlers live in the image-info controller.
#include <string>

class QLineEdit;
class QPlainTextEdit;

namespace kestrave {

class TPCheck;
struct ToolWindows;

struct ImageInfoWindow {
    explicit ImageInfoWindow(ToolWindows& tools);
    // The image info area owns this tool window. Only that area's controllers (the friends below) reach its
    // controls; the rest of the window uses its functions.
    friend class ImageInfoController;

private:
    QLineEdit* Objectnameedit;
    QLineEdit* Datetimeedit;
    TPCheck* Showstacksize;           // "Show Stacksize"
    TPCheck* ShowWaveletscheme;       // "Show Waveletscheme"
    TPCheck* Showwaveletvalues;       // "Show Waveletvalues"
    TPCheck* Showcontrastbrightness;  // "Show Contrast/Brightness"
    TPCheck* Showgamma;               // "Show Gamma"
    TPCheck* ActiveImageinfo;         // "Use Imageinfo": the save dialogs propose the tag
    QPlainTextEdit* Memo3;            // the tag
    TPCheck* StampImage;              // the wavelet page's saved pictures carry the info stamp

public:
    // What other parts of the window read or set here.
    // The object's name and the date of a new input.
    void showObjectAndDate(const std::string& objectName, const std::string& date);
    std::string objectName() const;
    std::string dateTime() const;
    // The wavelet page's saved pictures carry the info stamp (StampImage).
    bool stampsPictures() const;
};

}  // namespace kestrave
