#include <QSettings>

#include "MainWindowFixture.h"
#include "SpriteExportDialog.h"

using namespace main_window_testing;

namespace {

// What the test types into the sprite dialog, and what it then expects.
struct SpriteBoxes {
    const char* name;
    int width, height, cells, transparentInk, format, rows;
    int snappedWidth;   // the width box after the width typed
    bool fits;          // the Export button is enabled: the file is written
};

} // namespace

// The dialog snaps the width to whole bytes, refuses cells that do not fit,
// writes what the engine makes of the result for its boxes and starts the
// next time from the boxes it was left with.
TEST_F(MainWindowCommands, SpriteExportWritesTheCellsItsBoxesAskFor) {
    form.ExportSpritesClick(nullptr);
    EXPECT_EQ(messages, std::vector<std::string>{"There is no picture to save yet."});
    load(writeLandscape("land.bmp", 64, 30));
    const SpriteBoxes cases[] = {
        {"Assembler", 30, 10, 0, -1, 0, 0, 32, true},
        {"MaskedZigzagHeader", 16, 15, 5, 2, 1, 1, 16, true},
        {"NotWholeCells", 16, 7, 0, -1, 2, 0, 16, false},
        {"FirstCellsBinary", 9, 6, 3, 0, 2, 0, 8, true},
    };
    std::optional<TSpriteSettings> previous;
    for (const SpriteBoxes& c : cases) {
        const std::string file = path(std::string(c.name) + ".out");
        const TModalDriver driver = SetModalDriver([&](TForm& shown) {
            auto& dialog = dynamic_cast<TSpriteExportDialog&>(shown);
            if (previous) {
                EXPECT_EQ(dialog.SpinCells->GetValue(), previous->cellCount) << c.name << ": the boxes are kept";
            }
            dialog.SpinWidth->SetValue(c.width);
            EXPECT_EQ(dialog.SpinWidth->GetValue(), c.snappedWidth) << c.name;
            dialog.SpinHeight->SetValue(c.height);
            dialog.SpinCells->SetValue(c.cells);
            dialog.ComboTransparent->setCurrentIndex(c.transparentInk + 1);
            dialog.ComboFormat->setCurrentIndex(c.format);
            dialog.ComboRows->setCurrentIndex(c.rows);
            EXPECT_EQ(dialog.ButtonExport->isEnabled(), c.fits) << c.name << ": " << dialog.Refusal();
            if (c.fits) {
                answers = {file};
                dialog.ButtonExport->click();
            } else
                dialog.ButtonCancel->click();
        });
        form.ExportSpritesClick(nullptr);
        SetModalDriver(driver);
        const TSpriteSettings kept = form.SpriteExportWindow()->GetSettings();
        previous = kept;
        ASSERT_EQ(fileExists(file), c.fits) << c.name;
        if (!c.fits)
            continue;
        SpriteCutting cutting{c.snappedWidth, c.height, c.cells, c.rows == 1 ? SpriteRows::Zigzag : SpriteRows::Down,
                              {}};
        if (c.transparentInk >= 0)
            cutting.transparentInk = c.transparentInk;
        const InkList inks = Ink_List_Of(form.Inks);
        const ScreenMode& mode = Screen_Mode(kDefaultScreenMode);
        const auto bytes = Sprite_File_Bytes(Cut_Sprite_Cells(form.Image2->GetPicture(), inks, mode, cutting), inks,
                                             mode, c.name, kept.format);
        EXPECT_EQ(fileBytes(file), QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<qsizetype>(bytes.size()))) << c.name;
    }
    EXPECT_EQ(messages.size(), 1u);
}

TEST(SpriteSettings, ComeBackAsWrittenAndOutOfRangeValuesAsTheFirstRun) {
    QTemporaryDir folder;
    QSettings settings(folder.filePath("kept.ini"), QSettings::IniFormat);
    const TSpriteSettings written{24, 9, 7, 3, SpriteFormat::Binary, SpriteRows::Zigzag};
    Write_Sprite_Settings(settings, written);
    const TSpriteSettings read = Read_Sprite_Settings(settings);
    EXPECT_EQ(std::tie(read.cellWidth, read.cellHeight, read.cellCount, read.transparentInk, read.format, read.rows),
              std::tie(written.cellWidth, written.cellHeight, written.cellCount, written.transparentInk,
                       written.format, written.rows));
    settings.setValue("sprites/format", 9);
    settings.setValue("sprites/cellWidth", -3);
    EXPECT_EQ(Read_Sprite_Settings(settings).format, TSpriteSettings{}.format);
    EXPECT_EQ(Read_Sprite_Settings(settings).cellWidth, TSpriteSettings{}.cellWidth);
}
