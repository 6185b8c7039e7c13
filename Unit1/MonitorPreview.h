#pragma once

#include <QColor>
#include <QMargins>
#include <QWidget>

#include "Picture.h"

// How the view shows the result: as it is, or as a CPC monitor would. Only
// the view changes; the result picture, and so every save and export, is the
// same whichever is chosen.
enum class TMonitor {
    Plain,  // the result's own colours, square-edged pixels
    Colour, // the colour monitor: dark gaps between the lines, as a CRT shows them
    Green,  // the green-screen monitor: each colour at its green level, with the gaps
};

// Brightness (0..255) of CPC colour number n (0..26) on the green-screen
// monitor. That monitor shows the luminance signal the CPC puts out beside R,
// G and B: the three colour signals joined through resistors of 3.3 kOhm
// (red), 1 kOhm (green) and 10 kOhm (blue), so each counts by its conductance
// (Kevin Thacker, "Split luminance signal for BW image on CTM monitors",
// CPCWiki forum, April 2011). Each signal is 0, half or full for intensity
// 0, 1 or 2. The levels rise with the colour number, as the firmware's
// numbering of the colours by brightness has it.
int Green_Monitor_Level(int colourNumber);

// The result as the green-screen monitor shows it: each pixel's colour (a CPC
// colour, the nearest one for any other) at its green level, in the
// phosphor's green. Same size as result.
void Green_Monitor_Picture(const TPicture& result, TPicture& green);

// The colour the green-screen monitor shows CPC colour number n in: its
// green level in the phosphor's green.
QColor Green_Monitor_Colour(int colourNumber);

// The dark gaps between a CRT's lines, drawn over its parent (the result's
// view), which it follows in size: the lower third of each of the picture's
// rows darkened, when a row is at least two screen pixels high; lower rows
// are all dimmed by what the gaps take on average. Clicks go through to the view.
class TScanlineGaps : public QWidget {
    Q_OBJECT
  public:
    explicit TScanlineGaps(QWidget* view);
    // The picture's rows the view shows.
    void SetRows(int rows);

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int mRows = 0;
};

// The monitor's border round the result's view: a block of the border's
// colour behind the view, reaching past it on each side by the border's
// width, its lines in the same pitch as the picture's rows and with the same
// gaps. It is a sibling of the view, placed under it.
class TMonitorFrame : public QWidget {
    Q_OBJECT
  public:
    explicit TMonitorFrame(QWidget* parent);
    // Moves view in from the parent's corner by the border's sides (in the
    // view's pixels) and shows the border in colour round it; the view shows
    // rows picture rows.
    void Surround(QWidget* view, const QMargins& sides, const QColor& colour, int rows);
    // Hides the border and puts view back in the corner.
    void Remove(QWidget* view);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor mColour;
    int mViewTop = 0;    // where the view's first row starts, in the frame
    int mViewHeight = 0; // the view's height, over which its rows are spread
    int mRows = 0;
};
