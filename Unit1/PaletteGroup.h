#pragma once

#include <array>
#include <string>

#include <QObject>

#include "Controls.h"
#include "ScreenChoice.h"

// The colour the swatches show for CPC colour number n (0..26): each channel
// 0, 128 or 255, as the colour dialog's swatches.
TColor Swatch_Colour_Of(int colourNumber);

// The palette group of the main window: the swatches of the screen mode's
// inks. Four inks (mode 1) show as the design lays them out, a row each of
// caption, colour number, swatch and "..." button; two inks (mode 2) as the
// first two of those rows; sixteen (mode 0) as two rows of eight smaller
// swatches, each under its ink number and showing its colour number; in CPC+
// colours, whose three-digit texts the design rows cannot hold, two or four
// inks show as the first swatches of that grid. The group is as high as the
// design makes it, or as what it shows needs. Every ink's swatch colour and
// number stay while the mode does not show it. A click on a shown swatch
// raises OnInkClick; GetClickedInk tells which ink.
class TPaletteGroup : public QObject {
    Q_OBJECT
  public:
    // One row of the design's layout.
    struct DesignRow {
        TLabel* caption;
        TLabel* number;
        TShape* swatch;
        TButton* button;
    };

    TPaletteGroup(TGroupBox* group, const std::array<DesignRow, kInkCount>& rows,
                  const std::array<TLabel*, kMaxInkCount>& gridNumbers,
                  const std::array<TShape*, kMaxInkCount>& gridSwatches);

    // Shows count inks (2, 4 or 16), sizes the group to them and returns its
    // height. With wideTexts (three hexadecimal digits, wider than the design
    // rows' number labels) two or four inks show as the first swatches of the grid.
    int ShowInks(int count, bool wideTexts = false);
    int GetInkCount() const { return mCount; }

    // Ink k's swatch colour and number text, shown or not.
    void SetInk(int k, const TColor& swatch, const std::string& number);
    TColor GetSwatchColour(int k) const;
    std::string GetNumberText(int k) const;

    // The swatch shape of ink k where the mode shows it, else nullptr.
    TShape* ShownSwatch(int k) const;
    int GetClickedInk() const { return mClickedInk; }

  signals:
    void OnInkClick();

  private:
    bool gridShown() const { return mCount > kInkCount || mWideTexts; }
    void checkInk(int k) const;

    TGroupBox* mGroup;
    std::array<DesignRow, kInkCount> mRows;
    std::array<TLabel*, kMaxInkCount> mGridNumbers;
    std::array<TShape*, kMaxInkCount> mGridSwatches;
    // Number texts of inks 4..15; those of inks 0..3 are the design rows' labels.
    std::array<std::string, kMaxInkCount> mNumbers;
    // The group's height in the design; it never shrinks below it.
    const int mDesignHeight;
    int mCount = kInkCount;
    bool mWideTexts = false;
    int mClickedInk = 0;
};
