#pragma once

#include <string>
#include <vector>

#include "Forms.h"
#include "ui_SlideshowModesDialog.h"

class QComboBox;

// File > Export slideshow's second step: the pictures chosen, in the order
// the slideshow shows them, each with a box for the mode it is shown in.
class TSlideshowModesDialog : public TForm, public Ui::TSlideshowModesDialog {
    Q_OBJECT
  public:
    explicit TSlideshowModesDialog(QWidget* parent = nullptr);

    // Lists files (by name, the whole path as the hint), each in mode.
    void Prepare(const std::vector<std::string>& files, int mode);
    // The mode box of the row'th file, from 0.
    QComboBox* ModeBox(int row) const;
    // The mode chosen for each file, in order.
    std::vector<int> Modes() const;
};
