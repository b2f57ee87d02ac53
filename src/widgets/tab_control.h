#pragma once
// Tab strip and page control with tabs drawn by the program: each tab state has its style
// (background colour or gradient, bevel borders, font, 3-D caption), an optional wallpaper picture
// and per-tab colours.

#include <QFont>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QTabBar>
#include <QTabWidget>
#include <array>
#include <functional>

#include "widgets/draw_utils.h"
#include "widgets/gradient.h"

namespace kestrave {

enum class TglLabelDir { fldLeftRight, fldRightLeft, fldUpDown, fldDownUp };
enum TglTabOption : unsigned {
    ftoAutoFontDirection = 1,
    ftoExcludeGlyphs = 2,
    ftoHideGlyphs = 4,
    ftoInheriteTabFonts = 8,
    ftoTabColorAsGradientFrom = 16,
    ftoTabColorAsGradientTo = 32,
    ftoWordWrap = 64
};

// How tabs of one state are drawn. The control repaints after a change (`update()`).
class TTabStyle : public QObject {
    Q_OBJECT
public:
    explicit TTabStyle(QObject* owner, const QFont& font);

    TglSides Borders = AllSides;
    TBevelKind BevelInner = TBevelKind::bvNone;
    TBevelKind BevelOuter = TBevelKind::bvNone;
    bool Bold = false;
    QColor BackgrColor;  // the button face at start
    QFont Font;
    QColor FontColor{Qt::black};
    TglTextStyle TextStyle = TglTextStyle::fstNone;
    TglHorAlign CaptionHAlign = TglHorAlign::fhaLeft;
    TglVertAlign CaptionVAlign = TglVertAlign::fvaCenter;
    TglHorAlign GlyphHAlign = TglHorAlign::fhaLeft;
    TglVertAlign GlyphVAlign = TglVertAlign::fvaCenter;
    TGradient* Gradient;
};

// The picture behind the tabs: the own Bitmap, or, while that is empty, the picture shown by the
// Image control (forgotten when that control goes).
struct TTabsWallpaper {
    QImage Bitmap;
    QPointer<QLabel> Image;
    bool FillCaptions = true;
    bool FillCaptionBakgr = false;
    bool FillClient = false;
    bool Tile = true;
    bool IncludeBevels = true;
    QImage picture() const;
};

// The tab's item rectangle the wallpaper fills before the bevel: outside button look one pixel
// less on the page side, and on the left too for an unselected bottom tab.
QRect wallpaperItemRect(QRect item, TglSide side, bool buttonLook, bool selected);
// The page area the wallpaper fills: the client less the tab row (the tab's depth and 5 pixels
// on the tab side; 3 for left tabs and 4 otherwise in button look; a selected tab's side 1 less
// for left and top tabs and 1 more for right and bottom ones) and 1 pixel on the other sides.
QRect wallpaperClientRect(QRect client, TglSide side, int tabDepth, bool buttonLook, bool selected);

// The box a tab is drawn in, from the rectangle the bar gives it: a selected tab stands out
// towards the page side's opposite and two pixels wider, an unselected one steps back; in button
// look only an unselected tab moves one pixel up and left.
QRect tabBoxRect(QRect item, TglSide side, bool selected, bool buttonLook, bool bordersHaveTop);
// The rectangle the bar gives a tab: a selected one grows two pixels to each side and outwards.
QRect tabItemRect(QRect tab, TglSide side, bool selected);

// Where a glyph of `glyph` size goes inside the tab box `r`, and the caption rectangle left
// beside it (with `excludeGlyph`; otherwise the caption may run over the glyph).
struct GlyphPlace {
    QPoint at;
    QRect caption;
};
GlyphPlace glyphPlace(const QRect& r, QSize glyph, TglHorAlign h, TglVertAlign v, TglSide side,
                      bool excludeGlyph, TglWallpaperOption mode);

// Where a turned caption of extent (w, h) starts in the caption rectangle `c`, by the direction
// and the caption's alignments; the font's escapement of each direction (tenths of a degree,
// counter-clockwise).
QPoint rotatedCaptionOrigin(TglLabelDir direction, TglHorAlign h, TglVertAlign v, const QRect& c,
                            QSize extent);
int escapementOf(TglLabelDir direction);

class TglTabControl : public QTabBar {
    Q_OBJECT
public:
    using ItemColorEvent = std::function<void(QObject* Sender, int Index, QColor& Color)>;
    static constexpr int TabColorCount = 100;

    explicit TglTabControl(QWidget* parent = nullptr);

    TTabStyle* TabStyle() const { return tabStyle_; }
    TTabStyle* TabSelectedStyle() const { return selectedStyle_; }
    // The control uses the given style; one it did not make stays its giver's.
    void setTabStyle(TTabStyle* style);
    void setTabSelectedStyle(TTabStyle* style);
    // Each setter below repaints the tabs (and sizes them again where a glyph counts).
    const TTabsWallpaper& Wallpaper() const { return wallpaper_; }
    void setWallpaper(const TTabsWallpaper& wallpaper);
    // Tab i shows picture i while there is one; with SingleGlyph every tab shows the first.
    const QList<QImage>& Glyphs() const { return glyphs_; }
    void setGlyphs(const QList<QImage>& glyphs);
    bool SingleGlyph() const { return singleGlyph_; }
    void setSingleGlyph(bool single);
    TglWallpaperOption DrawGlyphsOption = TglWallpaperOption::fwoNone;
    bool LookLikeButtons() const { return lookLikeButtons_; }
    // The tabs are laid out anew for the other look.
    void setLookLikeButtons(bool buttons);
    // The hovered tab is tracked (the platform's hot tracking); owner-drawn tabs look the same.
    bool HotTrack() const { return hasMouseTracking(); }
    void setHotTrack(bool track) { setMouseTracking(track); }
    unsigned Options() const { return options_; }
    // With ftoAutoFontDirection the captions turn to run along the tabs' side.
    void setOptions(unsigned options);
    // Lets a handler set the gradient of tab `Index` before it is drawn.
    std::function<void(QObject* Sender, int Index, TGradient& Gradient)> OnGetGradientColors;
    TglLabelDir FontDirection() const { return fontDirection_; }
    void setFontDirection(TglLabelDir direction);
    ItemColorEvent OnGetItemColor;
    ItemColorEvent OnGetItemFontColor;

    TglSide TabsPosition() const { return side_; }
    // Also turns the captions to run along the side with ftoAutoFontDirection.
    void setTabsPosition(TglSide side);
    // Fixed tab size; a width of 0 fits each caption.
    void setTabSize(int width, int height);

    // A colour of its own for tab `index` (an invalid colour for none); indexes of 100 or more
    // are ignored and read as none.
    void setTabColor(int index, const QColor& color);
    QColor tabColor(int index) const;

    // The colour a tab is filled with: the handler's, else the tab's own, else the style's.
    QColor itemColor(int index) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    // With ftoInheriteTabFonts the control's font becomes both styles' fonts.
    void changeEvent(QEvent* event) override;
    QSize tabSizeHint(int index) const override { return tabSize(index, tabText(index)); }
    // Short of room, a tab gives up the blanks around its caption (drawn centred, they fall
    // outside it unseen).
    QSize minimumTabSizeHint(int index) const override { return tabSize(index, tabText(index).trimmed()); }

private:
    QSize tabSize(int index, const QString& caption) const;
    void drawTab(QPainter& painter, int index);
    QImage glyphOf(int index) const;
    void followSide();

    TTabStyle* tabStyle_;
    TTabStyle* selectedStyle_;
    std::array<QColor, TabColorCount> tabColors_{};
    TglSide side_ = TglSide::fsdTop;
    TTabsWallpaper wallpaper_;
    QList<QImage> glyphs_;
    bool singleGlyph_ = false;
    unsigned options_ = 0;
    TglLabelDir fontDirection_ = TglLabelDir::fldLeftRight;
    bool lookLikeButtons_ = false;
    int tabWidth_ = 0;
    int tabHeight_ = 20;
};

// A page control whose tabs are a TglTabControl (at the top by default).
class TglPageControl : public QTabWidget {
    Q_OBJECT
public:
    explicit TglPageControl(QWidget* parent = nullptr, TglSide side = TglSide::fsdTop);
    TglTabControl* tabs() const { return tabs_; }

protected:
    // The wallpaper over the page area, when the tabs' wallpaper asks for it.
    void paintEvent(QPaintEvent* event) override;

private:
    TglTabControl* tabs_;
};

}  // namespace kestrave
