#include "AboutAnimation.h"

#include <cstring>

#include <QImage>
#include <QString>

#include "SysUtils.h"

const std::array<std::uint8_t, kBandSequenceLength> BandSequence = {
    0, 0, 7, 7, 0, 0, 2, 5, 4, 5, 2, 0, 2, 5, 5, 5,
    2, 0, 3, 4, 2, 1, 6, 0, 0, 7, 7, 0, 0, 0, 0, 0,
};
std::array<std::uint8_t, kTableLength> BandTable{};
std::array<std::uint8_t, kTableLength> SlopeWave{};

std::uint8_t BandPhase = 0;
std::uint8_t RowPhase = 0;
std::uint8_t SlopePhase = 0;

namespace {

constexpr int kEntriesPerBand = kTableLength / kBandSequenceLength;  // 8
constexpr int kSlopeCentre = 128;
constexpr int kSlopeScale = 127;    // a remainder past this carries one row pair
constexpr int kSlopePhaseStep = 2;  // keeps SlopePhase even
constexpr int kTextureRowMask = kTextureHeight - 1;
constexpr int kBandRowPairMask = kRowPairsPerBand - 1;
static_assert((kTextureHeight & kTextureRowMask) == 0 && (kRowPairsPerBand & kBandRowPairMask) == 0);

bool IsTexture(const TPicture& texture)
{
    return texture.GetWidth() == kTextureWidth && texture.GetHeight() == kTextureHeight &&
           texture.GetPixelFormat() == TPixelFormat::pf24bit;
}

bool IsFrame(const TPicture& frame)
{
    return frame.GetWidth() == kFrameWidth && frame.GetHeight() % 2 == 0 &&
           frame.GetPixelFormat() == TPixelFormat::pf24bit;
}

}  // namespace

// The resources live in a static library: referencing their registration keeps
// the linker from dropping them. Q_INIT_RESOURCE must be used outside any
// namespace.
static void InitAboutResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(about);
        return true;
    }();
    (void)registered;
}

void Size_About_Frame(TPicture& frame, int viewHeight)
{
    frame.SetHeight(viewHeight > 0 ? viewHeight - viewHeight % 2 : 0);
    frame.SetWidth(kFrameWidth);
    frame.SetPixelFormat(TPixelFormat::pf24bit);
}

void Prepare_About_Animation(TPicture& frame, int viewHeight)
{
    for (int j = 0; j < kTableLength; ++j)
        BandTable[static_cast<std::size_t>(j)] =
            static_cast<std::uint8_t>(kRowPairsPerBand * BandSequence[static_cast<std::size_t>(j / kEntriesPerBand)]);
    Size_About_Frame(frame, viewHeight);
    for (int i = 0; i < kTableLength / 2; ++i) {
        SlopeWave[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(2 * i);
        SlopeWave[static_cast<std::size_t>(kTableLength / 2 + i)] = static_cast<std::uint8_t>(254 - 2 * i);
    }
}

// One frame: the slope s stretches the bands about the frame's middle; the
// running remainder steps the texture row pair by s / 127 per frame row pair
// without a division per row.
AboutTickState About_Animation_Tick(const TPicture& texture, TPicture& frame)
{
    AboutTickState state;
    const int height = frame.GetHeight();
    state.slope = SlopeWave[SlopePhase] - kSlopeCentre;
    const int startShift = (height / 4) * state.slope / kSlopeScale;
    std::uint8_t offset = static_cast<std::uint8_t>(RowPhase - startShift);
    state.startOffset = offset;

    if (IsTexture(texture) && IsFrame(frame)) {
        int remainder = 0;
        const int slope = state.slope;
        for (int p = 0; 2 * p < height; ++p) {
            remainder += slope;
            if (remainder > kSlopeScale) {
                ++offset;
                remainder -= kSlopeScale;
            }
            if (remainder < 0) {
                --offset;
                remainder += kSlopeScale;
            }
            const int k = (offset & kBandRowPairMask) + BandTable[static_cast<std::uint8_t>(BandPhase + p)];
            std::memcpy(frame.GetScanline(2 * p), texture.GetScanline((2 * k) & kTextureRowMask), kRowBytes);
            std::memcpy(frame.GetScanline(2 * p + 1), texture.GetScanline((2 * k + 1) & kTextureRowMask), kRowBytes);
        }
        state.remainder = remainder;
    }

    ++BandPhase;
    ++RowPhase;
    SlopePhase = static_cast<std::uint8_t>(SlopePhase + kSlopePhaseStep);
    return state;
}

TPicture Load_About_Picture(const std::string& resourcePath)
{
    InitAboutResources();
    const QString path = QString::fromStdString(resourcePath);
    QImage image(path);
    if (image.isNull())
        throw Exception("Cannot load \"" + resourcePath + "\": the picture is missing from the program's resources");
    TPicture picture;
    picture.Assign(image.convertToFormat(QImage::Format_BGR888));
    picture.SetPixelFormat(TPixelFormat::pf24bit);
    return picture;
}
