#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include <QColor>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

#include "Picture.h"

// A 24-bit colour, one byte per channel.
struct TColor {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const TColor&, const TColor&) = default;
};

inline constexpr TColor clWhite{255, 255, 255};
inline constexpr TColor clBlack{0, 0, 0};

QColor ToQColor(const TColor& colour);
TColor FromQColor(const QColor& colour);

// How a control sits in its parent: at its own geometry, or stacked along the
// top or bottom edge at full width, or filling what the others leave. Written
// in a window's layout as the dynamic property "Align" ("alTop", "alBottom",
// "alClient"); the parent window or panel places such children whenever it
// is resized. A control at its own geometry with the property "RightMargin"
// grows and shrinks with its parent, keeping that many pixels to the right
// edge, never narrower than its minimum width.
void AlignChildren(QWidget* parent, const QRect& clientRect);

// The operations every control of the layer offers, on top of its Qt widget.
template <class Control> class TControlOps {
  public:
    int GetLeft() const { return self()->x(); }
    int GetTop() const { return self()->y(); }
    int GetWidth() const { return self()->width(); }
    int GetHeight() const { return self()->height(); }
    void SetWidth(int width) { self()->resize(width, self()->height()); }
    void SetHeight(int height) { self()->resize(self()->width(), height); }
    bool GetEnabled() const { return self()->isEnabled(); }
    void SetEnabled(bool enabled) { self()->setEnabled(enabled); }
    // The control's own visibility flag, whether or not its window is shown.
    bool GetVisible() const { return !self()->isHidden(); }
    void SetVisible(bool visible) { self()->setVisible(visible); }
    // The number a layout gives a control (dynamic property "Tag"), 0 if none.
    int GetTag() const { return self()->property("Tag").toInt(); }
    void SetTag(int tag) { self()->setProperty("Tag", tag); }
    // Repaints the control at once, before returning.
    void Refresh() { self()->repaint(); }

  private:
    QWidget* self() { return static_cast<Control*>(this); }
    const QWidget* self() const { return static_cast<const Control*>(this); }
};

// A text label. Texts are UTF-8.
class TLabel : public QLabel, public TControlOps<TLabel> {
    Q_OBJECT
  public:
    explicit TLabel(QWidget* parent = nullptr);
    std::string GetText() const;
    void SetText(const std::string& text);
};

// The fill of a shape.
class TBrush {
  public:
    explicit TBrush(QWidget* owner) : mOwner(owner) {}
    TColor GetColor() const { return mColor; }
    // Changes the fill and has the shape repainted.
    void SetColor(const TColor& colour);

  private:
    QWidget* mOwner;
    TColor mColor = clWhite;
};

// A click as a panel or picture view sees one: the left button pressed and
// released again over the control.
class TClickTracker {
  public:
    void press(const QMouseEvent* event);
    // True when this release completes a click inside area.
    bool release(const QMouseEvent* event, const QRect& area);

  private:
    bool mPressed = false;
};

// A rectangle filled with its brush, outlined by a one-pixel black pen, with
// an optional caption centred in a colour that stands out from the fill.
// A click on it raises OnClick.
class TShape : public QWidget, public TControlOps<TShape> {
    Q_OBJECT
    Q_PROPERTY(QColor BrushColor READ brushColor WRITE setBrushColor)
  public:
    explicit TShape(QWidget* parent = nullptr);
    TBrush* const Brush;
    std::string GetCaption() const { return mCaption.toStdString(); }
    void SetCaption(const std::string& caption);

  signals:
    void OnClick();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // A shape that takes the focus (its focusPolicy) is clicked by Space or Return.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QColor brushColor() const { return ToQColor(mBrush.GetColor()); }
    void setBrushColor(const QColor& colour) { mBrush.SetColor(FromQColor(colour)); }
    TBrush mBrush;
    QString mCaption;
    TClickTracker mClick;
};

// A panel: a face-coloured (or filled) area with an outer and an inner bevel,
// each none, raised or lowered, one pixel wide, and an optional centred caption.
// A panel that takes the focus (its layout's focusPolicy) shows it with a
// dotted frame, and Space clicks it.
class TPanel : public QFrame, public TControlOps<TPanel> {
    Q_OBJECT
  public:
    enum TBevelCut { bvNone, bvLowered, bvRaised };
    Q_ENUM(TBevelCut)
  private:
    Q_PROPERTY(TBevelCut BevelOuter READ GetBevelOuter WRITE SetBevelOuter)
    Q_PROPERTY(TBevelCut BevelInner READ GetBevelInner WRITE SetBevelInner)
    Q_PROPERTY(QColor Color READ colorProperty WRITE setColorProperty)
    Q_PROPERTY(QString Caption READ captionProperty WRITE setCaptionProperty)
  public:
    explicit TPanel(QWidget* parent = nullptr);
    TBevelCut GetBevelOuter() const { return mBevelOuter; }
    void SetBevelOuter(TBevelCut cut);
    TBevelCut GetBevelInner() const { return mBevelInner; }
    void SetBevelInner(TBevelCut cut);
    // The fill; invalid (the window's face colour) unless the layout sets one.
    TColor GetColor() const { return FromQColor(mColor); }
    void SetColor(const TColor& colour);
    std::string GetCaption() const { return mCaption.toStdString(); }
    void SetCaption(const std::string& caption);
    // The area inside the bevels, where aligned children go.
    QRect ClientRect() const;
    // A marked panel draws a frame inside its bevels in a colour that stands
    // out from its fill (the swatch chosen last, say).
    bool GetMarked() const { return mMarked; }
    void SetMarked(bool marked);

  signals:
    void OnClick();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // A panel that takes the focus (its layout gives it a focus policy) is
    // a button: Space clicks it, and the focus shows as a dotted frame.
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    QColor colorProperty() const { return mColor; }
    void setColorProperty(const QColor& colour);
    QString captionProperty() const { return mCaption; }
    void setCaptionProperty(const QString& caption);
    int bevelWidth() const;

    TBevelCut mBevelOuter = bvRaised;
    TBevelCut mBevelInner = bvNone;
    QColor mColor;
    QString mCaption;
    bool mMarked = false;
    TClickTracker mClick;
};

// A picture view. It holds its picture and draws it at 1:1 in its top-left
// corner, centred, or stretched to the view's size (at whole-number scales
// each pixel repeated, no smoothing, so zoomed CPC pixels stay sharp; at
// others only where two pixels meet is a screen pixel mixed, so all rows
// look equally high). With AutoSize it takes the
// picture's size whenever it is refreshed. Pressing the left button on it,
// moving with the button held and letting go raise OnMouseDown, OnMouseMove
// and OnMouseUp, GetMousePoint telling where (in the view).
class TImage : public QWidget, public TControlOps<TImage> {
    Q_OBJECT
    Q_PROPERTY(bool Stretch READ GetStretch WRITE SetStretch)
    Q_PROPERTY(bool Center READ GetCenter WRITE SetCenter)
    Q_PROPERTY(bool AutoSize READ GetAutoSize WRITE SetAutoSize)
    Q_PROPERTY(QString PictureResource READ pictureResource WRITE setPictureResource)
  public:
    explicit TImage(QWidget* parent = nullptr);
    TPicture& GetPicture() { return mPicture; }
    const TPicture& GetPicture() const { return mPicture; }
    bool GetStretch() const { return mStretch; }
    void SetStretch(bool stretch);
    bool GetCenter() const { return mCenter; }
    void SetCenter(bool center);
    bool GetAutoSize() const { return mAutoSize; }
    void SetAutoSize(bool autoSize);
    // Takes the picture's size if AutoSize, then repaints at once.
    void Refresh();
    // Draws another view's picture in this view's place, the same way this
    // view draws its own, until called with nullptr. Neither picture changes.
    void ShowPictureOf(TImage* other);
    bool ShowsOwnPicture() const { return mShown.isNull(); }
    QPoint GetMousePoint() const { return mMousePoint; }
    // Called before each paint of the view's own picture with the part of
    // the picture the paint draws, so a picture made in parts can finish
    // that part first. What it raises is shown after the paint.
    void SetBeforePaint(std::function<void(const QRect&)> prepare);
    // The part of the view's own picture in the view's visible part; empty
    // when none of it is visible.
    QRect VisiblePictureRect() const;

  signals:
    void OnClick();
    void OnMouseDown();
    void OnMouseMove();
    void OnMouseUp();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QString pictureResource() const { return mResource; }
    // Loads a picture from a resource path given by the layout (an icon).
    void setPictureResource(const QString& path);
    void applyAutoSize();
    // The part of image drawn in viewArea (view coordinates), as drawn.
    QRect pictureAreaOf(const QRect& viewArea, const QImage& image) const;
    // Where the picture's top left corner is drawn when not stretched.
    QPoint pictureOrigin(const QImage& image) const;

    TPicture mPicture;
    std::function<void(const QRect&)> mBeforePaint;
    QPointer<TImage> mShown;
    bool mStretch = false;
    bool mCenter = false;
    bool mAutoSize = false;
    TClickTracker mClick;
    QString mResource;
    QPoint mMousePoint;
};

// A spin box. Setting its value raises OnChange, even while it is hidden or
// disabled.
class TCSpinEdit : public QSpinBox, public TControlOps<TCSpinEdit> {
    Q_OBJECT
  public:
    explicit TCSpinEdit(QWidget* parent = nullptr);
    int GetValue() const { return value(); }
    void SetValue(int v) { setValue(v); }
    int GetMinValue() const { return minimum(); }
    int GetMaxValue() const { return maximum(); }
    // "-550 to 550": the range, as the box's tool tip and messages give it.
    std::string RangeText() const;

  signals:
    void OnChange();
    // A typed number outside the range was replaced by the nearest end.
    void OnClamped();

  protected:
    // Any whole number may be typed; one outside the range becomes the
    // nearest end when it is entered, rather than losing a digit as it is typed.
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
};

// The focus as every control of the layer shows it, whatever the style: a
// dotted frame in the highlight colour just inside the control's edge.
void DrawFocusFrame(QWidget* control);

// A horizontal slider. Every change of position raises OnChange, while
// dragging, from the keyboard or from the program. While the user moves it,
// its position shows in a tool tip beside the thumb; Page Up and Page Down
// move it by a twentieth of its range, Home and End to its ends, the arrow
// keys by one; a double-click puts it back to 0.
class TTrackBar : public QSlider, public TControlOps<TTrackBar> {
    Q_OBJECT
    Q_PROPERTY(int ThumbLength READ GetThumbLength WRITE SetThumbLength)
  public:
    explicit TTrackBar(QWidget* parent = nullptr);
    static constexpr int kPagesPerRange = 20;
    static constexpr int kTipMilliseconds = 1500; // how long the position stays after a move
    int GetPosition() const { return value(); }
    void SetPosition(int position) { setValue(position); }
    int GetMin() const { return minimum(); }
    int GetMax() const { return maximum(); }
    int GetFrequency() const { return tickInterval(); }
    // The thumb's extent across the groove, in pixels.
    int GetThumbLength() const { return mThumbLength; }
    void SetThumbLength(int length);

  signals:
    void OnChange();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void showPositionTip();

    int mThumbLength = 20;
    bool mUserMoving = false;
    // The position beside the thumb. Not a QToolTip: that one hides at the
    // release of the key that moved the slider.
    QLabel* mTip = nullptr;
    QTimer mTipTimer;
};

// A push button. A button with a modal result closes its window with that
// result when clicked; the window's default button answers Enter and its
// cancel button answers Escape.
class TButton : public QPushButton, public TControlOps<TButton> {
    Q_OBJECT
    Q_PROPERTY(int ModalResult READ GetModalResult WRITE SetModalResult)
    Q_PROPERTY(bool Cancel READ GetCancel WRITE SetCancel)
  public:
    explicit TButton(QWidget* parent = nullptr);
    std::string GetCaption() const { return text().toStdString(); }
    void SetCaption(const std::string& caption) { setText(QString::fromStdString(caption)); }
    int GetModalResult() const { return mModalResult; }
    void SetModalResult(int result) { mModalResult = result; }
    bool GetCancel() const { return mCancel; }
    void SetCancel(bool cancel) { mCancel = cancel; }

  signals:
    void OnClick();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void applyClick();

    int mModalResult = 0;
    bool mCancel = false;
};

// A tool button showing a glyph: a 32 x 16 strip whose left half is the
// normal image and whose right half is the image while disabled. Its hint is
// its tool tip.
class TSpeedButton : public QToolButton, public TControlOps<TSpeedButton> {
    Q_OBJECT
    Q_PROPERTY(QString Glyph READ glyphResource WRITE setGlyphResource)
  public:
    explicit TSpeedButton(QWidget* parent = nullptr);
    // Splits a glyph strip into the normal and disabled images.
    void SetGlyph(const QImage& strip);

  signals:
    void OnClick();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString glyphResource() const { return mGlyphResource; }
    void setGlyphResource(const QString& path);
    QString mGlyphResource;
};

// A captioned frame around a group of controls.
class TGroupBox : public QGroupBox, public TControlOps<TGroupBox> {
    Q_OBJECT
  public:
    explicit TGroupBox(QWidget* parent = nullptr);
    std::string GetCaption() const { return title().toStdString(); }
};

// A scrolling area whose content is as large as its visible children reach:
// scroll bars appear when a child grows past the visible part. While its
// placeholder text (layout property "PlaceholderText") is not empty, the text
// is drawn in the middle of the empty area. Turning the wheel with Ctrl held
// raises OnCtrlWheel instead of scrolling.
class TScrollBox : public QScrollArea, public TControlOps<TScrollBox> {
    Q_OBJECT
    Q_PROPERTY(QString PlaceholderText READ placeholderText WRITE setPlaceholderText)
  public:
    explicit TScrollBox(QWidget* parent = nullptr);
    void SetPlaceholderText(const std::string& text);
    std::string GetPlaceholderText() const { return mPlaceholder.toStdString(); }

    // The last Ctrl+wheel turn: whole notches (positive away from the user)
    // and where the pointer was, in the visible area's coordinates.
    int GetWheelNotches() const { return mWheelNotches; }
    QPoint GetWheelPoint() const { return mWheelPoint; }

    // The point of the scrolled content shown at a point of the visible area.
    QPoint ContentAt(QPoint visiblePoint) const;
    // Scrolls so that a point of the content shows at a point of the visible
    // area, as far as the scroll ranges allow.
    void ScrollContentTo(QPoint contentPoint, QPoint visiblePoint);

  signals:
    void OnCtrlWheel();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QString placeholderText() const { return mPlaceholder; }
    void setPlaceholderText(const QString& text);
    void watch(QObject* object);
    void fitContent();
    void paintPlaceholder();
    bool ctrlWheel(const QWheelEvent* event);

    QString mPlaceholder;
    int mWheelNotches = 0;
    int mWheelAngle = 0;
    QPoint mWheelPoint;
};

// Shows the busy pointer from its creation to its end, and repaints the
// given window first, so what covered it (a closed file dialog) is gone
// before a long piece of work starts.
class TBusyCursor {
  public:
    explicit TBusyCursor(QWidget* window);
    ~TBusyCursor();
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// A decorative sunken line.
class TBevel : public QFrame, public TControlOps<TBevel> {
    Q_OBJECT
  public:
    explicit TBevel(QWidget* parent = nullptr);
};

// A periodic timer whose ticks arrive on the user-interface thread, also
// inside modal loops. Enabled means ticking.
class TTimer : public QObject {
    Q_OBJECT
  public:
    explicit TTimer(QObject* parent = nullptr);
    bool GetEnabled() const { return mEnabled; }
    void SetEnabled(bool enabled);
    int GetInterval() const { return mTimer.interval(); }
    void SetInterval(int milliseconds);

  signals:
    void OnTimer();

  private:
    QTimer mTimer;
    bool mEnabled = false;
};
