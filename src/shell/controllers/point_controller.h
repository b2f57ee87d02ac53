#pragma once
// Handlers of the multi-point window and the alignment points: the estimator, the point grid
// (selection, deletion), the point files and the temporary point file of the current folder, the
// zones, the reset of the point shifts, the countdown of the multi-point alignment and the small
// toggles of the free box and the multi-point mode. The grid is what the user sees and edits;
// the point arrays are rebuilt from it whenever rows come or go.

#include <QObject>
#include <filesystem>
#include <vector>

#include "registration/alignment_points.h"
#include "shell/file_dialogs.h"

class QColor;

namespace kestrave {

class AlignWindow;
class ApplicationContext;
class TMainForm;
struct PointWindows;

class PointController : public QObject {
public:
    PointController(TMainForm& form, AlignWindow& window);

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
    void MultiClick();
    void AlignmentsChange();
    void ShowalignpointsClick();

    // The multi-point setup: placing points by clicks on the preview and aligning every frame once
    // per point. Its steps come with the multi-point alignment itself; choosing "Multipoint" calls
    // it and then brings the multi-point window forward.
    void Multialignsetup();

    // A right click at frame pixel (x, y) while the multi-point window is shown: the nearest point
    // (within the frame's width) is selected and deleted.
    void deleteNearestPoint(int x, int y);
    // The points of the grid drawn over the shown frame (and their zones when Alignmentzones is
    // ticked): a small circle, the box and the number, white, the selected one yellow and bold.
    void drawPoints(const QColor& pen);

    TFileDialog SavePointDialog;
    TFileDialog LoadPointDialog;

protected:
    // The Delete key on the grid deletes the selected point.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool inputLoaded() const;
    std::vector<PointRowText> gridRows() const;
    // The grid and the arrays take these points; Label52 counts them.
    void takePoints(const std::vector<AlignPoint>& points);
    // Writes the grid's points (rows without X are left out) as a point file; a row that is not a
    // point, or a failed write, is reported and nothing is written.
    bool writeGrid(const std::filesystem::path& path);
    void reportProblem(const std::string& text);

    TMainForm& form_;
    ApplicationContext& app_;
    PointWindows& windows_;
    AlignWindow& window_;
};

}  // namespace kestrave
