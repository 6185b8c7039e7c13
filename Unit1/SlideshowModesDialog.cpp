#include "SlideshowModesDialog.h"

#include <filesystem>

#include <QComboBox>
#include <QHeaderView>
#include <QTableWidgetItem>

#include "ScreenMode.h"

TSlideshowModesDialog::TSlideshowModesDialog(QWidget* parent) : TForm(parent) {
    setupUi(this);
    SetPosition(TPosition::poMainFormCenter);
    // The names take the width the mode boxes leave.
    PictureList->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    PictureList->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
}

void TSlideshowModesDialog::Prepare(const std::vector<std::string>& files, int mode) {
    PictureList->setRowCount(static_cast<int>(files.size()));
    for (int row = 0; row < PictureList->rowCount(); ++row) {
        const std::string& file = files[static_cast<std::size_t>(row)];
        auto* name = new QTableWidgetItem(
            QString::fromStdString(std::filesystem::path(file).filename().string()));
        name->setToolTip(QString::fromStdString(file));
        PictureList->setItem(row, 0, name);
        auto* box = new QComboBox(PictureList);
        for (const ScreenMode& each : kScreenModes) {
            box->addItem(QStringLiteral("Mode %1 (%2 x %3, %4 inks)")
                             .arg(each.number)
                             .arg(each.width)
                             .arg(each.height)
                             .arg(each.inkCount),
                         each.number);
            if (each.number == mode)
                box->setCurrentIndex(box->count() - 1);
        }
        PictureList->setCellWidget(row, 1, box);
    }
}

QComboBox* TSlideshowModesDialog::ModeBox(int row) const {
    return qobject_cast<QComboBox*>(PictureList->cellWidget(row, 1));
}

std::vector<int> TSlideshowModesDialog::Modes() const {
    std::vector<int> modes;
    for (int row = 0; row < PictureList->rowCount(); ++row)
        modes.push_back(ModeBox(row)->currentData().toInt());
    return modes;
}
