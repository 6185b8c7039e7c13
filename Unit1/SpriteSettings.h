#pragma once

#include "SpriteCells.h"
#include "SpriteExport.h"

class QSettings;

// What the sprite export dialog keeps between runs; each field starts at the
// dialog's first-run value.
struct TSpriteSettings {
    int cellWidth = 16;  // pixels; snapped to whole bytes of the mode in use
    int cellHeight = 16; // pixels
    int cellCount = 0;   // 0: every cell
    int transparentInk = -1; // -1: none
    SpriteFormat format = SpriteFormat::Assembler;
    SpriteRows rows = SpriteRows::Down;
};

// Reads what was kept; a missing or unreadable value keeps its first-run value.
TSpriteSettings Read_Sprite_Settings(const QSettings& settings);
void Write_Sprite_Settings(QSettings& settings, const TSpriteSettings& kept);
