#include "shell/window_dialogs.h"

namespace kestrave {

WindowDialogs::WindowDialogs()
    : Addbitmapdialog(
          makeFileDialog(TFileDialog::Kind::Open,
                         "Video (*.avi)|*.avi|Still frame(s) (*.bmp)|*.bmp|Fit frame(s) (*.fit)|*.fit; "
                         "*.fits;*.fts|Still frame(s) (*.jpg)|*.jpg|Tiff frame(s)(*.tif)|*.tif;*.tiff|"
                         "Png frame(s)(*.png)|*.png|Movra recorder SER (*.ser)|*.ser")),
      OpenDialog(makeFileDialog(
          TFileDialog::Kind::Open,
          "bitmap 24bits (*.bmp)|*.bmp|special kestrave fits|*.fitk;|fits|*.fit; *.fits|PNG |*.png", "FIT")),
      OpenDialog2(makeFileDialog(TFileDialog::Kind::Open,
                                 "Kestrave Project File|*.ksp|Kestrave Frame List|*.kfl", "KSP")),
      SaveDialog3(makeFileDialog(TFileDialog::Kind::Save, "Kestrave Projectfile|*.ksp", "ksp")),
      SaveDialog2(makeFileDialog(TFileDialog::Kind::Save, "Kestrave Frame list|*.kfl", "kfl")),
      OpenDialog1(makeFileDialog(TFileDialog::Kind::Open, "Kestrave Framelist|*.kfl", "kfl")),
      SaveDialog1(
          makeFileDialog(TFileDialog::Kind::Save,
                         "BMP|*.bmp|JPEG|*.jpg|FIT (16-bit)|*.fit|FIT (32-bit)|*.fit|special FITS|*.fit|"
                         "TIFF|*.tif|PNG (16 bit)|*.png")),
      WaveletSave(makeFileDialog(TFileDialog::Kind::Save,
                                 "BMP (8BIT*RGB)|*.bmp|JPEG(8BIT*RGB)|*.JPG|FIT (16BIT) RGB separate |*.FIT|"
                                 "TIFF(16BIT *RGB)|*.TIF|PNG (16BIT*RGB)|*.PNG")),
      SaveDialog4(makeFileDialog(TFileDialog::Kind::Save, "BMP|*.bmp|JPEG|*.jpg|PNG|*.png")),
      SaveDialog6(makeFileDialog(TFileDialog::Kind::Save, "AVI|*.avi", "avi")) {
    // One or more videos, or a series of frames.
    Addbitmapdialog.MultiSelect = true;
    Addbitmapdialog.Preview = true;
}

}  // namespace kestrave
