#include "SpriteSettings.h"

#include <algorithm>

#include <QSettings>

#include "WindowSettings.h"

namespace {

constexpr const char* kCellWidthKey = "sprites/cellWidth";
constexpr const char* kCellHeightKey = "sprites/cellHeight";
constexpr const char* kCellCountKey = "sprites/cellCount";
constexpr const char* kTransparentKey = "sprites/transparentInk";
constexpr const char* kFormatKey = "sprites/format";
constexpr const char* kRowsKey = "sprites/rows";
// The largest cell the dialog offers, as the command line takes.
constexpr int kLargestCell = 4096;

// The most inks of any mode: a kept transparent ink is checked against the
// mode in use when the dialog opens.
int mostInks() {
    int most = 0;
    for (const ScreenMode& mode : kScreenModes)
        most = std::max(most, mode.inkCount);
    return most;
}

} // namespace

TSpriteSettings Read_Sprite_Settings(const QSettings& settings) {
    TSpriteSettings kept;
    kept.cellWidth = Setting_Integer_In(settings, kCellWidthKey, 1, kLargestCell, kept.cellWidth);
    kept.cellHeight = Setting_Integer_In(settings, kCellHeightKey, 1, kLargestCell, kept.cellHeight);
    kept.cellCount = Setting_Integer_In(settings, kCellCountKey, 0, kLargestCell * kLargestCell, kept.cellCount);
    kept.transparentInk = Setting_Integer_In(settings, kTransparentKey, -1, mostInks() - 1, kept.transparentInk);
    kept.format = static_cast<SpriteFormat>(Setting_Integer_In(settings, kFormatKey, static_cast<int>(SpriteFormat::Assembler),
                                                      static_cast<int>(SpriteFormat::Binary),
                                                      static_cast<int>(kept.format)));
    kept.rows = static_cast<SpriteRows>(Setting_Integer_In(settings, kRowsKey, static_cast<int>(SpriteRows::Down),
                                                  static_cast<int>(SpriteRows::Zigzag), static_cast<int>(kept.rows)));
    return kept;
}

void Write_Sprite_Settings(QSettings& settings, const TSpriteSettings& kept) {
    settings.setValue(kCellWidthKey, kept.cellWidth);
    settings.setValue(kCellHeightKey, kept.cellHeight);
    settings.setValue(kCellCountKey, kept.cellCount);
    settings.setValue(kTransparentKey, kept.transparentInk);
    settings.setValue(kFormatKey, static_cast<int>(kept.format));
    settings.setValue(kRowsKey, static_cast<int>(kept.rows));
}
