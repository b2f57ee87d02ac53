#pragma once
// The roll-up tool windows of the main window: roll-up panels of their own, each a small window
// without a frame whose caption bar drags, rolls and closes it. Each has a `Body` layout under
// the caption bar for its contents.

#include <QVBoxLayout>
#include <QWidget>
#include <optional>
#include <vector>

#include "widgets/rollup.h"

class QPushButton;

namespace kestrave {

// Where a tool window goes when it opens, so that it hides neither the picture nor the page's
// action buttons: beside the main window (`owner`, its outer rectangle) at the right, else at
// the left, when the screen's free area has room for the window's outer width; otherwise over
// the page's option column (`optionArea`, down to the action buttons), shrunk to it where it is
// larger. `decoration` is what the window system adds around the inside (title bar, borders);
// It goes below the tool windows already shown (`taken`, their outer rectangles) where it fits
// without covering them; otherwise `cascade` steps each further window a little lower. A window
// never gets smaller than `minimum` (what its contents need, inside) and always lies wholly on the
// screen. Where it would cover a control of `kept` (the buttons that show and hide it, the page's
// action buttons), it goes under those controls in the column (shortened to the room left there
// where its contents allow), or else beside the column over the picture.
// Returns the outer corner and the inside size.
QRect toolWindowPlace(const QRect& screen, const QRect& owner, const QRect& optionArea, QSize size,
                      QSize decoration, int cascade, const std::vector<QRect>& taken = {}, QSize minimum = {},
                      const std::vector<QRect>& kept = {});

// The names of the controls that show and hide the tool window of this name.
std::vector<QString> toolWindowToggles(const QString& window);

// A page marks the part of its option column that tool windows may cover with this property, and
// its group of action buttons (which they must not cover) with the second.
inline constexpr char ToolAreaProperty[] = "toolWindowArea";
inline constexpr char ActionButtonsProperty[] = "actionButtons";

// What the main window sets on each of its roll-ups, by name: caption, tag (page × 100 + group;
// 910 for those of the whole window), rolled-down height and whether the close button shows.
struct RollupSetting {
    const char* name;
    const char* caption;
    int tag;
    int dropHeight;
    bool closeButton = true;
    bool captionHint = false;
};
std::optional<RollupSetting> rollupSetting(const QString& name);

class ToolWindow : public TgbRollup {
    Q_OBJECT
    // The position the stored control values keep: where the user (or the stored values) put the
    // window. A place the program chose as the window opened is not kept, so the stored values
    // (and a project's) do not depend on which windows the stages happened to open.
    Q_PROPERTY(int Left READ storedLeft WRITE setStoredLeft)
    Q_PROPERTY(int Top READ storedTop WRITE setStoredTop)
public:
    // `caption` is used only for a window that the roll-up table does not name.
    ToolWindow(QWidget* owner, const char* name, const QString& caption);

    QVBoxLayout* Body;

    // Grows the window to what its contents ask for once they are in.
    void fitContents();
    // Also tells who keeps track of the window that it was shown or hidden (already so or not).
    void setVisible(bool visible) override;
    // An open window that the user has not moved takes its place again (the page it belongs to
    // shows only now).
    void placeAgain();
    // The free part of the shown page's option column, in screen coordinates (empty when the
    // page has none).
    static QRect optionArea(const QWidget& mainWindow);

    int storedLeft() const { return storedPosition().x(); }
    int storedTop() const { return storedPosition().y(); }
    void setStoredLeft(int left);
    void setStoredTop(int top);

signals:
    void visibilitySet(bool visible);

protected:
    // Closed through the window system: the same event as the caption bar's close button.
    void closeEvent(QCloseEvent* event) override;
    // Dragged by its caption bar: it stays where the user put it.
    void dragged() override { userPlaced_ = true; }
    // The rolled-down height follows what contents and placement make of the window.
    void resizeEvent(QResizeEvent* event) override;
    // Each time it opens the window takes its place by toolWindowPlace, until the user moves it;
    // then it stays where the user put it.
    void showEvent(QShowEvent* event) override;

private:
    void place();
    // The controls of the main window this window must leave in reach where it opens (outer
    // rectangles on the screen).
    std::vector<QRect> keptControls(const QWidget& mainWindow) const;
    // Where the window stands, or where it stood before the program placed it while it stays
    // there.
    QPoint storedPosition() const;

    QPoint placedAt_;  // where the window was put last (by the program)
    QPoint keptAt_;    // where it stood before the program placed it
    QSize wanted_;     // the size the window asked for before a placement shrank it
    bool placed_ = false;
    bool shownBefore_ = false;
    bool userPlaced_ = false;
    bool keepingOnScreen_ = false;
};

// A roll-up inside a tool window, set from the table, fixed in place and without a close button;
// the window shrinks and grows with it as it rolls.
TgbRollup* nestedRollup(ToolWindow& outer, const char* name);

struct ToolWindows {
    explicit ToolWindows(QWidget* owner);

    ToolWindow* HistoWindow;
    ToolWindow* Gammawindow;
    ToolWindow* Filterwindow;
    ToolWindow* HistoRGBWindow;
    ToolWindow* Tonemapwindow;
    ToolWindow* Shrinkview;
    ToolWindow* Zoomwindow;
    ToolWindow* Registerhaltwindow;
    ToolWindow* WaveZoom;
    ToolWindow* Stackgraphpanel;
    ToolWindow* StackFrameswindow;
    ToolWindow* SelectFrameswindow;
    ToolWindow* HLSwindow;
    ToolWindow* MultiAlignprogresswindow;
    ToolWindow* FFTWindow;
    ToolWindow* Registrationgraphwindow;
    ToolWindow* AngleDist;  // "Angle & Distance": closes with the registration graph's switch
    ToolWindow* RegiStration2;
    ToolWindow* Imageinfowindow;
    ToolWindow* movements;              // the frames' shifts drawn by the optimizer
    ToolWindow* Sigmaevents;            // sigma event recording
    ToolWindow* Alignmentpointswindow;  // the alignment points, each switched on or off

    QPushButton* HaltRegister;   // on Registerhaltwindow: stops the alignment pass
    QPushButton* Cancel2button;  // on Registerhaltwindow: the Cancel item's question
};

}  // namespace kestrave
