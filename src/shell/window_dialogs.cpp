#include "shell/window_dialogs.h"

namespace kestrave {

namespace {

TFileDialog dialog(TFileDialog::Kind kind, const char* filter, const char* defaultExt = "") {
    TFileDialog made;
    made.kind = kind;
    made.Filter = filter;
    made.DefaultExt = defaultExt;
    return made;
}

}  // namespace

WindowDialogs::WindowDialogs()
    : Addbitmapdialog(dialog(TFileDialog::Kind::Open,
                             "Video (*.avi)|*.avi|Still frame(s) (*.bmp)|*.bmp|Fit frame(s) (*.fit)|*.fit; "
                             "*.fits;*.fts|Still frame(s) (*.jpg)|*.jpg|Tiff frame(s)(*.tif)|*.tif;*.tiff|"
                             "Png frame(s)(*.png)|*.png|Movra recorder SER (*.ser)|*.ser")),
      OpenDialog(dialog(TFileDialog::Kind::Open,
                        "bitmap 24bits (*.bmp)|*.bmp|special kestrave fits|*.fitk;|fits|*.fit; *.fits|PNG |*.png",
                        "FIT")),
      OpenDialog2(
          dialog(TFileDialog::Kind::Open, "Kestrave Project File|*.ksp|Kestrave Frame List|*.kfl", "KSP")),
      SaveDialog1(dialog(TFileDialog::Kind::Save,
                         "BMP|*.bmp|JPEG|*.jpg|FIT (16-bit)|*.fit|FIT (32-bit)|*.fit|special FITS|*.fit|"
                         "TIFF|*.tif|PNG (16 bit)|*.png")),
      WaveletSave(dialog(TFileDialog::Kind::Save,
                         "BMP (8BIT*RGB)|*.bmp|JPEG(8BIT*RGB)|*.JPG|FIT (16BIT) RGB separate |*.FIT|"
                         "TIFF(16BIT *RGB)|*.TIF|PNG (16BIT*RGB)|*.PNG")),
      SaveDialog4(dialog(TFileDialog::Kind::Save, "BMP|*.bmp|JPEG|*.jpg|PNG|*.png")) {}

}  // namespace kestrave
