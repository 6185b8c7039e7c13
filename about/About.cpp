#include "About.h"

#include <QPalette>

#include "AboutAnimation.h"

TAboutBox* AboutBox = nullptr;

namespace {
// The box's client area; the frame around it is fixed.
constexpr int kClientWidth = 415;
constexpr int kClientHeight = 386;
constexpr int kTimerInterval = 40; // milliseconds per frame, 25 frames a second

// A label whose layout asks for "AutoSize" takes the width of its text,
// keeping its left edge and height.
void autoSizeLabels(QWidget* window) {
    for (TLabel* label : window->findChildren<TLabel*>()) {
        if (label->property("AutoSize").toBool())
            label->resize(label->sizeHint().width(), label->height());
    }
}
} // namespace

TAboutBox::TAboutBox(QWidget* parent) : TForm(parent) {
    mUi.setupUi(this);
    Image2 = mUi.Image2;
    ProductName = mUi.ProductName;
    Version = mUi.Version;
    Copyright = mUi.Copyright;
    Comments = mUi.Comments;
    Label1 = mUi.Label1;
    Image1 = mUi.Image1;
    Image3 = mUi.Image3;
    Image4 = mUi.Image4;
    OKButton = mUi.OKButton;
    Timer1 = new TTimer(this);
    Timer1->SetInterval(kTimerInterval);
    Timer1->SetEnabled(false);

    resize(kClientWidth, kClientHeight);
    SetBorderStyle(TBorderStyle::bsDialog);
    QPalette background = palette();
    background.setColor(QPalette::Window, Qt::white);
    setPalette(background);
    setAutoFillBackground(true);
    SetPosition(TPosition::poMainFormCenter);

    autoSizeLabels(this);
    loadPictures();
    bindEvents();
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::loadPictures() {
    Image2->GetPicture() = Load_About_Picture(":/about/about_side.png");
    Image1->GetPicture() = Load_About_Picture(":/about/about_logo.png");
    Image3->GetPicture() = Load_About_Picture(":/about/about_texture.png");
}

// Every event of the box, in one place.
void TAboutBox::bindEvents() {
    Bind(this, &TForm::OnCreate, this, &TAboutBox::FormCreate);
    Bind(this, &TForm::OnShow, this, &TAboutBox::FormShow);
    Bind(this, &TForm::OnClose, this, &TAboutBox::FormClose);
    Bind(Timer1, &TTimer::OnTimer, this, &TAboutBox::Timer1Timer);
}

// Builds the animation tables and gives Image4 its frame, as high as the
// control (rounded down to even) and 128 wide.
void TAboutBox::FormCreate(TObject*) {
    Prepare_About_Animation(Image4->GetPicture(), Image4->GetHeight());
}

void TAboutBox::FormShow(TObject*) {
    Timer1->SetEnabled(true);
}

// The box only hides: the phases and the last frame stay for the next showing.
void TAboutBox::FormClose(TObject*) {
    Timer1->SetEnabled(false);
}

// One frame, drawn straight into Image4's picture, then shown at once. The
// view paints from that picture and keeps no copy of it, so drawing the next
// frame writes the same pixel buffer and allocates nothing.
void TAboutBox::Timer1Timer(TObject*) {
    About_Animation_Tick(Image3->GetPicture(), Image4->GetPicture());
    Image4->Refresh();
}
