#include "shell/window_dialogs.h"

#include "output/save_formats.h"

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
      SaveDialog1(makeFileDialog(TFileDialog::Kind::Save, saveDialogFilter(stackSaveFormats()))),
      WaveletSave(makeFileDialog(TFileDialog::Kind::Save, saveDialogFilter(waveletSaveFormats()))),
      SaveDialog4(makeFileDialog(TFileDialog::Kind::Save, saveDialogFilter(resizeSaveFormats()))),
      SaveDialog6(makeFileDialog(TFileDialog::Kind::Save, "AVI|*.avi", "avi")) {
    // One or more videos, or a series of frames.
    Addbitmapdialog.MultiSelect = true;
    Addbitmapdialog.Preview = true;
}

void WindowDialogs::proposeFileName(const std::filesystem::path& name) {
    for (TFileDialog* save : {&SaveDialog1, &SaveDialog3, &SaveDialog4}) save->FileName = name;
}

}  // namespace kestrave
