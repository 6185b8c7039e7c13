#pragma once

#include "Controls.h"
#include "Events.h"
#include "Forms.h"
#include "ui_About.h"

// The About box: the logo, version and notices beside a side picture, and a
// small animation while it is shown. Image4 shows a 128 x 152 frame built from
// row pairs of the hidden texture in Image3; Timer1 draws a frame every 40 ms
// and runs only while the box is shown. Closing hides the box; the animation's
// phases and the last frame stay for the next showing.
class TAboutBox : public TForm {
    Q_OBJECT
  public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

    TButton* OKButton = nullptr;
    TImage* Image2 = nullptr;
    TLabel* ProductName = nullptr;
    TLabel* Version = nullptr;
    TLabel* Copyright = nullptr;
    TLabel* Comments = nullptr;
    TLabel* Label1 = nullptr;
    TImage* Image1 = nullptr;
    TImage* Image3 = nullptr;
    TTimer* Timer1 = nullptr;
    TImage* Image4 = nullptr;

    void Timer1Timer(TObject* Sender);
    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender);

  private:
    void loadPictures();
    void bindEvents();

    Ui::TAboutBox mUi;
};

extern TAboutBox* AboutBox;
