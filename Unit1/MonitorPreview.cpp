#include "MonitorPreview.h"

#include <algorithm>
#include <array>
#include <cmath>

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

} // namespace

int Green_Monitor_Level(int colourNumber) {
    const int g = colourNumber / 9, r = colourNumber / 3 % 3, b = colourNumber % 3;
    const double full = kRedWeight + kGreenWeight + kBlueWeight;
    const double signal = (r * kRedWeight + g * kGreenWeight + b * kBlueWeight) / 2;
    return static_cast<int>(std::lround(255 * signal / full));
}

void Green_Monitor_Picture(const TPicture& result, TPicture& green) {
    std::array<std::array<std::uint8_t, 3>, kColourCount> phosphor{};
    for (int n = 0; n < kColourCount; ++n) {
        const int level = Green_Monitor_Level(n);
        // Stored blue, green, red, as the picture's rows are.
        phosphor[static_cast<std::size_t>(n)] = {static_cast<std::uint8_t>(kPhosphorBlue * level / 255),
                                                 static_cast<std::uint8_t>(kPhosphorGreen * level / 255),
                                                 static_cast<std::uint8_t>(kPhosphorRed * level / 255)};
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
    if (mRows <= 0)
        return;
    QPainter painter(this);
    const QColor shade(0, 0, 0, 255 - kGapLight);
    const QRect exposed = event->rect();
    // Rows too low for a gap of their own show the light the gaps leave on
    // average, as the lines look from further away: a third of it dimmed.
    if (height() < 2 * mRows) {
        painter.fillRect(exposed, QColor(0, 0, 0, (255 - kGapLight) / 3));
        return;
    }
    // Row y covers [y * h / rows, (y + 1) * h / rows) of the view.
    const long long h = height();
    const int first = static_cast<int>(exposed.top() * mRows / h);
    const int last = std::min(mRows - 1, static_cast<int>((exposed.bottom() + 1) * mRows / h));
    for (int y = first; y <= last; ++y) {
        const int top = static_cast<int>(y * h / mRows);
        const int bottom = static_cast<int>((y + 1) * h / mRows);
        const int gap = std::max(1, (bottom - top) / 3);
        painter.fillRect(QRect(exposed.left(), bottom - gap, exposed.width(), gap), shade);
    }
}
