#pragma once
// Handlers of the multi-point window and the alignment points: the estimator, the point grid
// (selection, deletion), the point files and the temporary point file of the current folder, the
// zones, the reset of the point shifts, the countdown of the multi-point alignment and the small
// toggles of the free box and the multi-point mode. The grid is what the user sees and edits;
// the point arrays are rebuilt from it whenever rows come or go.

#include <QImage>
#include <QObject>
#include <filesystem>
#include <functional>
#include <vector>

#include "pipeline/pipeline.h"
#include "registration/alignment_point_types.h"
#include "shell/file_dialogs.h"

class QColor;

namespace kestrave {

class AlignWindow;
class Pipeline;
class ShellPorts;
struct AlignControllerParts;
struct PointWindows;

// What the points' handlers ask of the one-box alignment they work beside; its owner fills it in.
struct OneBoxAlignment {
    // The box size chosen in FFTsizeGroup put in force.
    std::function<void()> boxSizeChosen;
    // The reference computed again from the box around the feature.
    std::function<void()> referenceAgain;
    // The control values the alignment of one frame and a pass read.
    std::function<AlignOptions()> alignOptions;
    std::function<AlignmentPassOptions()> passOptions;
    // How a pass over every frame ended, shown in the window.
    std::function<void(const AlignmentPassResult&)> passEnded;
};

class PointController : public QObject, public PointPassWindow {
public:
    PointController(const AlignControllerParts& parts, AlignWindow& window, OneBoxAlignment alignment);

    // Places points on the shown frame where it holds most detail, replacing the grid's.
    void EstimatebestalignClick();
    void ClearAlignmentpointsClick();
    // Deletes the grid's selected point; the others move up and are numbered again. Refused with
    // a message, changing nothing, while a remaining row is not a point.
    void stringgrid1delrow();
    // Draws the points over the shown frame, the grid's selected one highlighted.
    void StringGrid1Click();
    void SavePointsClick();
    void LoadpointsClick();
    // Leaving the multi-point mode: the grid goes to TempPointFile in the current folder, the
    // window closes and the placing of points ends.
    void SaveTempPointFile();
    void ResetalignpointsClick();
    void AlignmentzonesClick();
    void Timer1Timer();
    void FreeboxClick();
    void AlignmentsChange();
    void ShowalignpointsClick();

    // The multi-point setup, run when "Multipoint" is chosen: the points of the temporary point
    // file are taken, the user places more by clicks on the preview (the Align button ends the
    // placing; a 100th point replaces point 99), and every frame is aligned once per point ("Simple":
    // on point 1 alone, whose shifts the other points take unmeasured). Then the frames' rotation
    // from points 1 and 2 with the points' distance in "Angle & Distance", and the ranking of
    // point 1 in the window. A cancel during the alignment leaves what was measured filed and
    // stops there. "Automatic processing" is off while the points are placed; ticked, it goes on
    // from a finished alignment to the limit and the points' optimizer.
    void Multialignsetup();

    // A right click at frame pixel (x, y) while the multi-point window is shown: the nearest point
    // (within the frame's width) is selected and deleted.
    void deleteNearestPoint(int x, int y);
    // The points of the grid drawn over the shown frame (and their zones when Alignmentzones is
    // ticked): a small circle, the box and the number, white, the selected one yellow and bold.
    void drawPoints(const QColor& pen);

    // The area around the one box's feature (x, y) alone in the image list, shown in the zoom
    // window in front while the frames are aligned on it.
    void showBoxArea(int x, int y);

    TFileDialog SavePointDialog;
    TFileDialog LoadPointDialog;
    // The area around each point, or around the one box's feature (255 x 255), shown while the
    // frames are aligned there.
    std::vector<QImage> ImageList1;

protected:
    // The Delete key on the grid deletes the selected point.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool inputLoaded() const;
    std::vector<PointRowText> gridRows() const;
    // The grid and the arrays take these points; Label52 counts them.
    void takePoints(const std::vector<AlignPoint>& points);
    // A point file's frame, points and box size in the window; what was left out is reported.
    void takePointFile(const PointFileContent& content);
    // The multi-point setup's steps.
    void takeRememberedPoints();
    // The window's side of the points' pass.
    void pointStarting(int p) override;
    PointReference referenceAt(int p, int x, int y, int item) override;
    void pointsDone(int done) override;
    void placePoints();
    void addPickedPoint();
    // The area around each point (ImageList1), and the zoom window showing one of them.
    void takeThumbnails(int count);
    void showArea(std::size_t index);
    // Aligns the placed points and shows how the pass ended; true when it finished.
    bool alignPlacedPoints(int count, bool multiQuantity, bool manualAlign);
    AlignmentPassResult alignReferences(std::vector<PointReference>& references, bool manualAlign) override;
    // Writes the grid's points (rows without X are left out) as a point file; a row that is not a
    // point, or a failed write, is reported and nothing is written.
    bool writeGrid(const std::filesystem::path& path);
    void reportProblem(const std::string& text);

    const AlignControllerParts& parts_;
    Pipeline& pipeline_;
    ShellPorts& ports_;
    const OneBoxAlignment alignment_;
    PointWindows& windows_;
    AlignWindow& window_;
    // The multi-point setup runs.
    bool settingUp_ = false;
};

}  // namespace kestrave
