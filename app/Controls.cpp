#include "Controls.h"

#include <algorithm>
#include <exception>
#include <optional>

#include <QApplication>
#include <QChildEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QProxyStyle>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyleFactory>
#include <QStyleOptionSlider>
#include <QToolTip>
#include <QWheelEvent>

#include "AreaScale.h"
#include "Events.h"
#include "Forms.h"

QColor ToQColor(const TColor& colour) {
    return QColor(colour.r, colour.g, colour.b);
}

TColor FromQColor(const QColor& colour) {
    return TColor{static_cast<std::uint8_t>(colour.red()),
                  static_cast<std::uint8_t>(colour.green()),
                  static_cast<std::uint8_t>(colour.blue())};
}

namespace {
// Text or marks drawn over a fill: white over dark, black over light. Judged by
// luminance, since HSL lightness calls pure blue as light as mid grey.
QColor ContrastingInk(const QColor& fill) {
    const int luma = (54 * fill.red() + 183 * fill.green() + 19 * fill.blue()) / 256;
    return luma < 128 ? Qt::white : Qt::black;
}

// Free pixels kept between a swatch's caption and its frame on each side.
constexpr int kCaptionMargin = 2;
} // namespace

void AlignChildren(QWidget* parent, const QRect& clientRect) {
    QRect free = clientRect;
    QWidget* client = nullptr;
    for (QObject* object : parent->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || child->isWindow() || child->isHidden())
            continue;
        const QString align = child->property("Align").toString();
        if (align == QLatin1String("alTop")) {
            // A menu bar is as high as its menus need at this width (they
            // wrap onto a second line in a narrow window).
            const int height = qobject_cast<QMenuBar*>(child) ? child->heightForWidth(free.width())
                                                               : child->height();
            child->setGeometry(free.left(), free.top(), free.width(), height);
            free.setTop(free.top() + height);
        } else if (align == QLatin1String("alBottom")) {
            child->setGeometry(free.left(), free.bottom() + 1 - child->height(), free.width(),
                               child->height());
            free.setBottom(free.bottom() - child->height());
        } else if (align == QLatin1String("alClient")) {
            client = child;
        } else if (const QVariant margin = child->property("RightMargin"); margin.isValid()) {
            const int width = std::max(child->minimumWidth(), clientRect.right() + 1 - margin.toInt() - child->x());
            child->resize(width, child->height());
        }
    }
    if (client)
        client->setGeometry(free.left(), free.top(), std::max(0, free.width()),
                            std::max(0, free.height()));
}

void DrawFocusFrame(QWidget* control) {
    if (!control->hasFocus())
        return;
    QPainter painter(control);
    QPen pen(control->palette().color(QPalette::Highlight));
    pen.setStyle(Qt::DotLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(control->rect().adjusted(0, 0, -1, -1));
}

// ---- TLabel ----

TLabel::TLabel(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

std::string TLabel::GetText() const {
    return text().toStdString();
}

void TLabel::SetText(const std::string& text) {
    setText(QString::fromStdString(text));
}

// ---- TShape ----

void TBrush::SetColor(const TColor& colour) {
    mColor = colour;
    if (mOwner)
        mOwner->update();
}

TShape::TShape(QWidget* parent) : QWidget(parent), Brush(&mBrush), mBrush(this) {}

void TShape::SetCaption(const std::string& caption) {
    mCaption = QString::fromStdString(caption);
    update();
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(Qt::black);
    const QColor fill = ToQColor(mBrush.GetColor());
    painter.setBrush(fill);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!mCaption.isEmpty()) {
        painter.setPen(ContrastingInk(fill));
        // Three CPC+ digits are wider than a swatch at some font sizes: the
        // caption shrinks to fit rather than lose its ends.
        QFont font = painter.font();
        const int room = width() - 2 * kCaptionMargin;
        // Hinting makes widths not quite proportional to the size: a few rounds.
        for (int round = 0; round < 4 && room > 0; ++round) {
            const int wide = QFontMetrics(font).horizontalAdvance(mCaption);
            if (wide <= room)
                break;
            if (font.pointSizeF() > 0)
                font.setPointSizeF(std::max(1.0, font.pointSizeF() * room / wide - 0.25));
            else
                font.setPixelSize(std::max(1, font.pixelSize() * room / wide - 1));
        }
        painter.setFont(font);
        painter.drawText(rect(), Qt::AlignCenter, mCaption);
    }
    painter.end();
    DrawFocusFrame(this);
}

void TShape::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        emit OnClick();
    else
        QWidget::keyPressEvent(event);
}

void TShape::mousePressEvent(QMouseEvent* event) { mClick.press(event); }

void TShape::mouseReleaseEvent(QMouseEvent* event) {
    if (mClick.release(event, rect()))
        emit OnClick();
}

// ---- TClickTracker ----

void TClickTracker::press(const QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        mPressed = true;
}

bool TClickTracker::release(const QMouseEvent* event, const QRect& area) {
    const bool click = mPressed && event->button() == Qt::LeftButton && area.contains(event->position().toPoint());
    mPressed = false;
    return click;
}

// ---- TPanel ----

TPanel::TPanel(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::NoFrame);
}

void TPanel::SetBevelOuter(TBevelCut cut) {
    mBevelOuter = cut;
    AlignChildren(this, ClientRect());
    update();
}

void TPanel::SetBevelInner(TBevelCut cut) {
    mBevelInner = cut;
    AlignChildren(this, ClientRect());
    update();
}

void TPanel::SetColor(const TColor& colour) {
    setColorProperty(ToQColor(colour));
}

void TPanel::setColorProperty(const QColor& colour) {
    mColor = colour;
    update();
}

void TPanel::SetCaption(const std::string& caption) {
    setCaptionProperty(QString::fromStdString(caption));
}

void TPanel::setCaptionProperty(const QString& caption) {
    mCaption = caption;
    update();
}

void TPanel::SetMarked(bool marked) {
    mMarked = marked;
    update();
}

int TPanel::bevelWidth() const {
    return (mBevelOuter != bvNone ? 1 : 0) + (mBevelInner != bvNone ? 1 : 0);
}

QRect TPanel::ClientRect() const {
    const int inset = bevelWidth();
    return rect().adjusted(inset, inset, -inset, -inset);
}

namespace {

// One pixel of bevel around r: raised is light at the top and left, dark at
// the bottom and right; lowered is the other way round.
void drawBevel(QPainter& painter, const QRect& r, TPanel::TBevelCut cut, const QPalette& palette) {
    if (cut == TPanel::bvNone)
        return;
    const QColor light = palette.color(QPalette::Light);
    const QColor dark = palette.color(QPalette::Dark);
    const QColor topLeft = cut == TPanel::bvRaised ? light : dark;
    const QColor bottomRight = cut == TPanel::bvRaised ? dark : light;
    painter.setPen(topLeft);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
}

} // namespace

void TPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), mColor.isValid() ? mColor : palette().color(QPalette::Window));
    QRect r = rect();
    drawBevel(painter, r, mBevelOuter, palette());
    if (mBevelOuter != bvNone)
        r.adjust(1, 1, -1, -1);
    drawBevel(painter, r, mBevelInner, palette());
    if (!mCaption.isEmpty()) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(ClientRect(), Qt::AlignCenter, mCaption);
    }
    if (mMarked) {
        const QColor fill = mColor.isValid() ? mColor : palette().color(QPalette::Window);
        QPen pen(ContrastingInk(fill));
        pen.setWidth(2);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(ClientRect().adjusted(2, 2, -3, -3));
    }
    painter.end();
    DrawFocusFrame(this);
}

void TPanel::mousePressEvent(QMouseEvent* event) { mClick.press(event); }

void TPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (mClick.release(event, rect()))
        emit OnClick();
}

void TPanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    AlignChildren(this, ClientRect());
}

void TPanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && focusPolicy() != Qt::NoFocus &&
        event->modifiers() == Qt::NoModifier) {
        emit OnClick();
        return;
    }
    QFrame::keyPressEvent(event);
}

void TPanel::focusInEvent(QFocusEvent* event) {
    QFrame::focusInEvent(event);
    update();
}

void TPanel::focusOutEvent(QFocusEvent* event) {
    QFrame::focusOutEvent(event);
    update();
}

// ---- TImage ----

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::SetStretch(bool stretch) {
    mStretch = stretch;
    update();
}

void TImage::SetCenter(bool center) {
    mCenter = center;
    update();
}

void TImage::SetAutoSize(bool autoSize) {
    mAutoSize = autoSize;
    applyAutoSize();
}

void TImage::applyAutoSize() {
    if (mAutoSize && mPicture.GetWidth() > 0 && mPicture.GetHeight() > 0)
        resize(mPicture.GetWidth(), mPicture.GetHeight());
}

void TImage::Refresh() {
    applyAutoSize();
    repaint();
}

void TImage::setPictureResource(const QString& path) {
    mResource = path;
    mPicture.Assign(QImage(path));
    applyAutoSize();
    update();
}

void TImage::ShowPictureOf(TImage* other) {
    mShown = other;
    update();
}

void TImage::SetBeforePaint(std::function<void(const QRect&)> prepare) {
    mBeforePaint = std::move(prepare);
}

QRect TImage::pictureAreaOf(const QRect& viewArea, const QImage& image) const {
    const QRect area = viewArea & rect();
    if (area.isEmpty() || image.isNull())
        return {};
    if (!mStretch)
        return area.translated(-pictureOrigin(image)) & image.rect();
    const long long iw = image.width(), ih = image.height(), vw = width(), vh = height();
    const int sx0 = static_cast<int>(area.left() * iw / vw);
    const int sy0 = static_cast<int>(area.top() * ih / vh);
    const int sx1 = static_cast<int>(std::min(iw, ((area.right() + 1) * iw + vw - 1) / vw));
    const int sy1 = static_cast<int>(std::min(ih, ((area.bottom() + 1) * ih + vh - 1) / vh));
    if (sx1 <= sx0 || sy1 <= sy0)
        return {};
    return QRect(sx0, sy0, sx1 - sx0, sy1 - sy0);
}

QPoint TImage::pictureOrigin(const QImage& image) const {
    return mCenter ? QPoint((width() - image.width()) / 2, (height() - image.height()) / 2)
                   : QPoint(0, 0);
}

QRect TImage::VisiblePictureRect() const {
    return pictureAreaOf(visibleRegion().boundingRect(), mPicture.Image());
}

void TImage::paintEvent(QPaintEvent* event) {
    const QImage& image = mShown ? mShown->GetPicture().Image() : mPicture.Image();
    const QRect source = pictureAreaOf(event->rect(), image);
    if (source.isEmpty())
        return;
    if (!mShown && mBeforePaint) {
        // A paint is no place for an error dialog: the error is shown once
        // the paint is over, as any handler's.
        try {
            mBeforePaint(source);
        } catch (...) {
            QMetaObject::invokeMethod(
                this, [error = std::current_exception()] { RunGuarded([&] { std::rethrow_exception(error); }); },
                Qt::QueuedConnection);
        }
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (!mStretch) {
        painter.drawImage(source.topLeft() + pictureOrigin(image), image, source);
        return;
    }
    // At a scale that is not a whole number in screen pixels, nearest-pixel
    // drawing would make some rows a pixel higher than the rest; the part is
    // drawn area-mixed in the screen's own pixels instead.
    const qreal ratio = devicePixelRatioF();
    const QSize screenSize(qRound(width() * ratio), qRound(height() * ratio));
    if (screenSize.width() % image.width() != 0 || screenSize.height() % image.height() != 0) {
        const QRect screenPart = QRectF(QPointF(event->rect().topLeft()) * ratio, QSizeF(event->rect().size()) * ratio)
                                     .toAlignedRect();
        QImage part = Area_Scaled_Part(image, screenSize, screenPart);
        part.setDevicePixelRatio(ratio);
        painter.drawImage(QPointF(screenPart.topLeft()) / ratio, part);
        return;
    }
    // Only the source pixels that land in the exposed part are copied and
    // scaled, so a huge zoomed picture costs what the visible part costs.
    const double iw = image.width(), ih = image.height(), vw = width(), vh = height();
    const QRectF target(source.x() * vw / iw, source.y() * vh / ih, source.width() * vw / iw,
                        source.height() * vh / ih);
    painter.drawImage(target, image.copy(source));
}

void TImage::mousePressEvent(QMouseEvent* event) {
    mClick.press(event);
    if (event->button() == Qt::LeftButton) {
        mMousePoint = event->position().toPoint();
        emit OnMouseDown();
    }
}

void TImage::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        mMousePoint = event->position().toPoint();
        emit OnMouseMove();
    }
}

void TImage::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = mClick.release(event, rect());
    if (event->button() == Qt::LeftButton) {
        mMousePoint = event->position().toPoint();
        emit OnMouseUp();
    }
    if (click)
        emit OnClick();
}

// ---- TCSpinEdit ----

TCSpinEdit::TCSpinEdit(QWidget* parent) : QSpinBox(parent) {
    connect(this, &QSpinBox::valueChanged, this, &TCSpinEdit::OnChange);
}

std::string TCSpinEdit::RangeText() const {
    return std::to_string(minimum()) + " to " + std::to_string(maximum());
}

namespace {
// The whole number a spin box's text holds, without its prefix and suffix;
// nothing for any other text (a lone sign included).
std::optional<long long> typedNumber(const QSpinBox& box, const QString& input) {
    QString text = input;
    if (text.startsWith(box.prefix()))
        text.remove(0, box.prefix().size());
    if (text.endsWith(box.suffix()))
        text.chop(box.suffix().size());
    text = text.trimmed();
    // At most nine digits, so the number always fits.
    static const QRegularExpression kWhole(QStringLiteral("^[-+]?[0-9]{1,9}$"));
    if (!kWhole.match(text).hasMatch())
        return std::nullopt;
    return text.toLongLong();
}
} // namespace

QValidator::State TCSpinEdit::validate(QString& input, int& pos) const {
    const std::optional<long long> number = typedNumber(*this, input);
    if (number && (*number < minimum() || *number > maximum()))
        return QValidator::Intermediate;
    return QSpinBox::validate(input, pos);
}

void TCSpinEdit::fixup(QString& input) const {
    const std::optional<long long> number = typedNumber(*this, input);
    if (!number || (*number >= minimum() && *number <= maximum())) {
        QSpinBox::fixup(input);
        return;
    }
    input = prefix() + QString::number(std::clamp<long long>(*number, minimum(), maximum())) + suffix();
    // Qt declares fixup const; telling that the number was replaced changes nothing in the box.
    emit const_cast<TCSpinEdit*>(this)->OnClamped();
}

// ---- TTrackBar ----

namespace {

// Gives one slider its own thumb extent across the groove.
class ThumbStyle : public QProxyStyle {
  public:
    explicit ThumbStyle(int thumbLength) : mThumbLength(thumbLength) {}
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_SliderThickness || metric == PM_SliderControlThickness)
            return mThumbLength;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

  private:
    int mThumbLength;
};

} // namespace

TTrackBar::TTrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setTracking(true);
    connect(this, &QSlider::valueChanged, this, &TTrackBar::OnChange);
    // The layout sets the range after construction.
    connect(this, &QSlider::rangeChanged, this, [this](int min, int max) {
        setPageStep(std::max(1, (max - min) / kPagesPerRange));
    });
    // An action is the user moving the thumb (drag, keys, clicks on the
    // groove); the position it leads to is shown once it is taken.
    connect(this, &QSlider::actionTriggered, this, [this] { mUserMoving = true; });
    connect(this, &QSlider::valueChanged, this, [this] {
        if (mUserMoving || isSliderDown())
            showPositionTip();
        else if (mTip)
            mTip->hide(); // the program moved it: the number shown is stale
        mUserMoving = false;
    });
    mTipTimer.setSingleShot(true);
    mTipTimer.setInterval(kTipMilliseconds);
    connect(&mTipTimer, &QTimer::timeout, this, [this] {
        if (mTip && !isSliderDown())
            mTip->hide();
    });
    connect(this, &QSlider::sliderReleased, &mTipTimer, qOverload<>(&QTimer::start));
}

void TTrackBar::showPositionTip() {
    if (!mTip) {
        mTip = new QLabel(this, Qt::ToolTip | Qt::FramelessWindowHint);
        mTip->setPalette(QToolTip::palette());
        mTip->setFont(QToolTip::font());
        mTip->setFrameStyle(QFrame::Box | QFrame::Plain);
        mTip->setMargin(2);
        mTip->setAutoFillBackground(true);
    }
    mTip->setText(QString::number(value()));
    mTip->adjustSize();
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect thumb = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    // Beside the thumb, on the groove: above or below it would cover the
    // next slider.
    mTip->move(mapToGlobal(QPoint(thumb.right() + 3, thumb.center().y() - mTip->height() / 2)));
    mTip->show();
    mTip->raise();
    mTipTimer.start();
}

// The position window is a window of its own: it goes when the slider does.
void TTrackBar::hideEvent(QHideEvent* event) {
    QSlider::hideEvent(event);
    if (mTip)
        mTip->hide();
}

void TTrackBar::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QSlider::mouseDoubleClickEvent(event);
        return;
    }
    mUserMoving = true;
    setValue(0);
    mUserMoving = false;
    event->accept();
}

void TTrackBar::paintEvent(QPaintEvent* event) {
    QSlider::paintEvent(event);
    DrawFocusFrame(this);
}

void TTrackBar::SetThumbLength(int length) {
    mThumbLength = length;
    auto* style = new ThumbStyle(length);
    style->setParent(this);
    setStyle(style);
}

// ---- TButton ----

TButton::TButton(QWidget* parent) : QPushButton(parent) {
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, &TButton::applyClick);
}

void TButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    DrawFocusFrame(this);
}

// The window takes the button's modal result first (which closes it), then
// the button's own handlers run.
void TButton::applyClick() {
    if (mModalResult != mrNone)
        if (auto* form = qobject_cast<TForm*>(window()))
            form->SetModalResult(mModalResult);
    emit OnClick();
}

// ---- TSpeedButton ----

namespace {
constexpr int kGlyphSize = 16;
}

TSpeedButton::TSpeedButton(QWidget* parent) : QToolButton(parent) {
    setIconSize(QSize(kGlyphSize, kGlyphSize));
    // Tab reaches the tool buttons; Space presses the one with the focus. A
    // click leaves the focus where it was.
    setFocusPolicy(Qt::TabFocus);
    connect(this, &QToolButton::clicked, this, &TSpeedButton::OnClick);
}

void TSpeedButton::paintEvent(QPaintEvent* event) {
    QToolButton::paintEvent(event);
    DrawFocusFrame(this);
}

void TSpeedButton::SetGlyph(const QImage& strip) {
    const int half = strip.width() / 2;
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(strip.copy(0, 0, half, strip.height())), QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(strip.copy(half, 0, strip.width() - half, strip.height())),
                   QIcon::Disabled);
    setIcon(icon);
}

void TSpeedButton::setGlyphResource(const QString& path) {
    mGlyphResource = path;
    SetGlyph(QImage(path));
}

// ---- TGroupBox ----

namespace {

// The classic style draws a group box's caption inside its frame line, as the
// layouts expect (their first row of controls sits just under that line);
// other styles put the caption above a lowered frame and crowd the rows.
QStyle* captionInFrameStyle() {
    static QPointer<QStyle> style;
    if (!style) {
        style = QStyleFactory::create(QStringLiteral("Windows"));
        if (style)
            style->setParent(QCoreApplication::instance());
    }
    return style;
}

} // namespace

TGroupBox::TGroupBox(QWidget* parent) : QGroupBox(parent) {
    if (QStyle* style = captionInFrameStyle())
        setStyle(style);
}

// ---- TScrollBox ----

TScrollBox::TScrollBox(QWidget* parent) : QScrollArea(parent) {
    setWidgetResizable(false);
    viewport()->installEventFilter(this);
}

void TScrollBox::watch(QObject* object) {
    object->installEventFilter(this);
    for (QObject* child : object->children())
        if (child->isWidgetType())
            child->installEventFilter(this);
}

void TScrollBox::SetPlaceholderText(const std::string& text) {
    setPlaceholderText(QString::fromStdString(text));
}

void TScrollBox::setPlaceholderText(const QString& text) {
    mPlaceholder = text;
    viewport()->update();
}

void TScrollBox::paintPlaceholder() {
    if (mPlaceholder.isEmpty())
        return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(viewport()->rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
                     mPlaceholder);
}

// Angles come in eighths of a degree; a notch of an ordinary wheel is 15
// degrees. Fine-grained wheels and touch pads add up until a notch is full.
bool TScrollBox::ctrlWheel(const QWheelEvent* event) {
    constexpr int kNotch = 120;
    mWheelAngle += event->angleDelta().y();
    mWheelNotches = mWheelAngle / kNotch;
    mWheelAngle -= mWheelNotches * kNotch;
    mWheelPoint = event->position().toPoint(); // the filter sees the visible area's events
    if (mWheelNotches != 0)
        emit OnCtrlWheel();
    return true;
}

QPoint TScrollBox::ContentAt(QPoint visiblePoint) const {
    const QWidget* content = widget();
    return content ? visiblePoint - content->pos() : visiblePoint;
}

void TScrollBox::ScrollContentTo(QPoint contentPoint, QPoint visiblePoint) {
    horizontalScrollBar()->setValue(contentPoint.x() - visiblePoint.x());
    verticalScrollBar()->setValue(contentPoint.y() - visiblePoint.y());
}

bool TScrollBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == viewport()) {
        if (event->type() == QEvent::Paint) {
            paintPlaceholder();
            return false;
        }
        if (event->type() == QEvent::Wheel) {
            auto* wheel = static_cast<QWheelEvent*>(event);
            if (wheel->modifiers() & Qt::ControlModifier)
                return ctrlWheel(wheel);
        }
    }
    switch (event->type()) {
    case QEvent::ChildAdded: {
        QObject* child = static_cast<QChildEvent*>(event)->child();
        if (child->isWidgetType()) {
            if (watched == viewport())
                watch(child);
            else
                child->installEventFilter(this);
        }
        fitContent();
        break;
    }
    case QEvent::ChildRemoved:
    case QEvent::Resize:
    case QEvent::Move:
    case QEvent::Show:
    case QEvent::Hide:
        if (watched != widget())
            fitContent();
        break;
    default:
        break;
    }
    return QScrollArea::eventFilter(watched, event);
}

void TScrollBox::fitContent() {
    QWidget* content = widget();
    if (!content)
        return;
    QRect reach(0, 0, 1, 1);
    for (QObject* object : content->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (child && !child->isHidden())
            reach |= child->geometry();
    }
    const QSize size(reach.right() + 1, reach.bottom() + 1);
    if (content->size() != size)
        content->resize(size);
}

// ---- TBusyCursor ----

TBusyCursor::TBusyCursor(QWidget* window) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (window && window->isVisible())
        window->repaint();
}

TBusyCursor::~TBusyCursor() {
    QApplication::restoreOverrideCursor();
}

// ---- TBevel ----

TBevel::TBevel(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::HLine | QFrame::Sunken);
}

// ---- TTimer ----

TTimer::TTimer(QObject* parent) : QObject(parent) {
    mTimer.setInterval(1000);
    connect(&mTimer, &QTimer::timeout, this, &TTimer::OnTimer);
}

void TTimer::SetEnabled(bool enabled) {
    mEnabled = enabled;
    if (enabled)
        mTimer.start();
    else
        mTimer.stop();
}

void TTimer::SetInterval(int milliseconds) {
    mTimer.setInterval(milliseconds);
    if (mEnabled)
        mTimer.start();
}
