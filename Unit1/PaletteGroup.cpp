#include "PaletteGroup.h"

#include <algorithm>

#include "SysUtils.h"

namespace {
// The room under the lowest swatch when the group grows past the design's height.
constexpr int kBottomMargin = 6;
} // namespace

TColor Swatch_Colour_Of(int colourNumber) {
    if (colourNumber < 0 || colourNumber >= kColourCount)
        throw Exception("There is no colour " + IntToStr(colourNumber) + ": the CPC's colours are 0 to 26");
    constexpr std::uint8_t kChannel[3] = {0, 128, 255};
    return TColor{kChannel[colourNumber / 3 % 3], kChannel[colourNumber / 9], kChannel[colourNumber % 3]};
}

TPaletteGroup::TPaletteGroup(TGroupBox* group, const std::array<DesignRow, kInkCount>& rows,
                             const std::array<TLabel*, kMaxInkCount>& gridNumbers,
                             const std::array<TShape*, kMaxInkCount>& gridSwatches)
    : QObject(group), mGroup(group), mRows(rows), mGridNumbers(gridNumbers), mGridSwatches(gridSwatches),
      mDesignHeight(group->height()) {
    for (int k = 0; k < kMaxInkCount; ++k) {
        const auto clicked = [this, k] {
            mClickedInk = k;
            emit OnInkClick();
        };
        connect(mGridSwatches[static_cast<std::size_t>(k)], &TShape::OnClick, this, clicked);
        if (k < kInkCount)
            connect(mRows[static_cast<std::size_t>(k)].swatch, &TShape::OnClick, this, clicked);
    }
}

void TPaletteGroup::checkInk(int k) const {
    if (k < 0 || k >= kMaxInkCount)
        throw Exception("Ink " + IntToStr(k) + " does not exist: the inks are 0 to 15");
}

// The design's rows keep the design's group; the grid makes it as high as
// its lowest swatch needs.
int TPaletteGroup::ShowInks(int count, bool wideTexts) {
    if (count != 2 && count != kInkCount && count != kMaxInkCount)
        throw Exception("The palette shows 2, 4 or 16 inks, not " + IntToStr(count));
    mCount = count;
    mWideTexts = wideTexts;
    const bool grid = gridShown();
    int height = mDesignHeight;
    for (int k = 0; k < kMaxInkCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (k < kInkCount) {
            const bool shown = !grid && k < count;
            mRows[i].caption->setVisible(shown);
            mRows[i].number->setVisible(shown);
            mRows[i].swatch->setVisible(shown);
            mRows[i].button->setVisible(shown);
        }
        mGridNumbers[i]->setVisible(grid && k < count);
        mGridSwatches[i]->setVisible(grid && k < count);
        if (grid && k < count) {
            // The grid shows inks 0..3 as the design rows do.
            if (k < kInkCount)
                SetInk(k, GetSwatchColour(k), GetNumberText(k));
            height = std::max(height, mGridSwatches[i]->geometry().bottom() + 1 + kBottomMargin);
        }
    }
    mGroup->resize(mGroup->width(), height);
    return height;
}

void TPaletteGroup::SetInk(int k, const TColor& swatch, const std::string& number) {
    checkInk(k);
    const auto i = static_cast<std::size_t>(k);
    if (k < kInkCount) {
        mRows[i].swatch->Brush->SetColor(swatch);
        mRows[i].number->SetText(number);
    }
    mNumbers[i] = number;
    mGridSwatches[i]->Brush->SetColor(swatch);
    mGridSwatches[i]->SetCaption(number);
    mGridSwatches[i]->setToolTip(QStringLiteral("Ink #%1: colour %2").arg(k).arg(QString::fromStdString(number)));
}

TColor TPaletteGroup::GetSwatchColour(int k) const {
    checkInk(k);
    const auto i = static_cast<std::size_t>(k);
    return k < kInkCount ? mRows[i].swatch->Brush->GetColor() : mGridSwatches[i]->Brush->GetColor();
}

std::string TPaletteGroup::GetNumberText(int k) const {
    checkInk(k);
    const auto i = static_cast<std::size_t>(k);
    return k < kInkCount ? mRows[i].number->GetText() : mNumbers[i];
}

TShape* TPaletteGroup::ShownSwatch(int k) const {
    if (k < 0 || k >= mCount)
        return nullptr;
    const auto i = static_cast<std::size_t>(k);
    return gridShown() ? mGridSwatches[i] : mRows[i].swatch;
}
