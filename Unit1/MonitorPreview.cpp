#include "MonitorPreview.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

namespace {

// Conductances of the luminance resistors, in 1/kOhm.
constexpr double kRedWeight = 1 / 3.3;
constexpr double kGreenWeight = 1 / 1.0;
constexpr double kBlueWeight = 1 / 10.0;

// The phosphor's colour at full brightness (P1, a yellowish green).
constexpr int kPhosphorRed = 64, kPhosphorGreen = 255, kPhosphorBlue = 64;

// How dark a gap is: the share of the line's light left in it, in 256ths.
constexpr int kGapLight = 90;

std::array<std::uint8_t, 3> phosphorRgb(int colourNumber) {
    const int level = Green_Monitor_Level(colourNumber);
    return {static_cast<std::uint8_t>(kPhosphorRed * level / 255), static_cast<std::uint8_t>(kPhosphorGreen * level / 255),
            static_cast<std::uint8_t>(kPhosphorBlue * level / 255)};
}

long long floorDiv(long long a, long long b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

// Darkens the gaps of the lines crossing exposed, lines numbered from 0 at
// top, rows of them spread over height pixels: line y (of any sign, from
// first to last) covers [top + y * height / rows, top + (y + 1) * height /
// rows), and its lower third is the gap, when it is at least two pixels
// high. Lower lines show the light the gaps leave on average, as the lines
// look from further away: a third of it dimmed.
void paintGaps(QPainter& painter, const QRect& exposed, int top, int height, int rows, int first, int last) {
    if (rows <= 0 || height <= 0)
        return;
    if (height < 2 * rows) {
        painter.fillRect(exposed, QColor(0, 0, 0, (255 - kGapLight) / 3));
        return;
    }
    const QColor shade(0, 0, 0, 255 - kGapLight);
    const long long h = height;
    const auto lineTop = [&](long long y) { return top + static_cast<int>(floorDiv(y * h, rows)); };
    const long long from = std::max<long long>(first, floorDiv((exposed.top() - top) * static_cast<long long>(rows), h));
    const long long to =
        std::min<long long>(last, floorDiv((exposed.bottom() + 1 - top) * static_cast<long long>(rows), h));
    for (long long y = from; y <= to; ++y) {
        const int bottom = lineTop(y + 1);
        const int gap = std::max(1, (bottom - lineTop(y)) / 3);
        painter.fillRect(QRect(exposed.left(), bottom - gap, exposed.width(), gap), shade);
    }
}

} // namespace

int Green_Monitor_Level(int colourNumber) {
    const int g = colourNumber / 9, r = colourNumber / 3 % 3, b = colourNumber % 3;
    const double full = kRedWeight + kGreenWeight + kBlueWeight;
    const double signal = (r * kRedWeight + g * kGreenWeight + b * kBlueWeight) / 2;
    return static_cast<int>(std::lround(255 * signal / full));
}

QColor Green_Monitor_Colour(int colourNumber) {
    const auto [r, g, b] = phosphorRgb(colourNumber);
    return QColor(r, g, b);
}

void Green_Monitor_Picture(const TPicture& result, TPicture& green) {
    std::array<std::array<std::uint8_t, 3>, kColourCount> phosphor{};
    for (int n = 0; n < kColourCount; ++n) {
        const auto [r, g, b] = phosphorRgb(n);
        // Stored blue, green, red, as the picture's rows are.
        phosphor[static_cast<std::size_t>(n)] = {b, g, r};
    }
    green.SetWidth(0);
    green.SetHeight(0);
    green.SetPixelFormat(TPixelFormat::pf24bit);
    green.SetWidth(result.GetWidth());
    green.SetHeight(result.GetHeight());
    for (int y = 0; y < result.GetHeight(); ++y) {
        const std::uint8_t* in = result.GetScanline(y);
        std::uint8_t* out = green.GetScanline(y);
        for (int x = 0; x < result.GetWidth(); ++x) {
            const Ink colour{in[3 * x + 2], in[3 * x + 1], in[3 * x]};
            const auto& level = phosphor[static_cast<std::size_t>(Colour_Number_Of_Ink(colour))];
            std::copy(level.begin(), level.end(), out + 3 * x);
        }
    }
}

TScanlineGaps::TScanlineGaps(QWidget* view) : QWidget(view) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    view->installEventFilter(this);
    setGeometry(view->rect());
}

void TScanlineGaps::SetRows(int rows) {
    mRows = rows;
    update();
}

bool TScanlineGaps::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void TScanlineGaps::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    paintGaps(painter, event->rect(), 0, height(), mRows, 0, mRows - 1);
}

TMonitorFrame::TMonitorFrame(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    hide();
}

void TMonitorFrame::Surround(QWidget* view, const QMargins& sides, const QColor& colour, int rows) {
    view->move(sides.left(), sides.top());
    const QRect area(QPoint(0, 0), view->size().grownBy(sides));
    // Each render comes here: a border that stays as it was is not repainted.
    if (!isHidden() && area == geometry() && colour == mColour && rows == mRows && sides.top() == mViewTop &&
        view->height() == mViewHeight)
        return;
    mColour = colour;
    mViewTop = sides.top();
    mViewHeight = view->height();
    mRows = rows;
    setGeometry(area);
    stackUnder(view);
    show();
    update();
}

void TMonitorFrame::Remove(QWidget* view) {
    hide();
    view->move(0, 0);
}

// The border's lines go on above and below the picture's rows in their
// pitch; the view covers the frame's middle.
void TMonitorFrame::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), mColour);
    paintGaps(painter, event->rect(), mViewTop, mViewHeight, mRows, std::numeric_limits<int>::min() / 2,
              std::numeric_limits<int>::max() / 2);
}
