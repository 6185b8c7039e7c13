#include "Unit1.h"

TForm1* Form1 = nullptr;

// The glyphs and icons are compiled into this static library; a resource
// file in a static library is registered only when asked for.
static void initUnit1Resources() {
    Q_INIT_RESOURCE(Unit1);
}

namespace {
constexpr int kOuterWidth = 456;
constexpr int kOuterHeight = 472;
constexpr int kMinimumOuterWidth = 456;
constexpr int kMinimumOuterHeight = 192;
} // namespace

TForm1::TForm1(QWidget* parent) : TForm(parent) {
    initUnit1Resources();
    setupUi(this);
    SetOuterSize(kOuterWidth, kOuterHeight);
    SetOuterMinimumSize(kMinimumOuterWidth, kMinimumOuterHeight);
    SetPosition(TPosition::poScreenCenter);
    setUpDialogs();
    bindEvents();
}

TForm1::~TForm1() = default;

void TForm1::setUpDialogs() {
    OpenPictureDialog1.SetTitle("Load Picture");
    OpenPictureDialog1.SetFilter("Bitmaps (*.bmp)|*.bmp");
    OpenPictureDialog1.SetDefaultExt("bmp");

    SaveDialog1.SetTitle("Save picture");
    SaveDialog1.SetFilter("Bitmap (bmp)|*.bmp|OCP Art Studio (scr)|*.scr|Raw sprite (dat)|*.dat");
    SaveDialog1.SetOptions(ofOverwritePrompt | ofHideReadOnly | ofEnableSizing);
}

// Every event of the window, in one place.
void TForm1::bindEvents() {
    Bind(this, &TForm::OnShow, this, &TForm1::FormShow);
    Bind(SpeedButton1, &TSpeedButton::OnClick, this, &TForm1::SpeedButton1Click);
    Bind(SpeedButton5, &TSpeedButton::OnClick, this, &TForm1::SpeedButton5Click);
    Bind(Panel2, &TPanel::OnClick, this, &TForm1::Panel2Click);
    Bind(Image4, &TImage::OnClick, this, &TForm1::Image4Click);
    Bind(SpeedButton2, &TSpeedButton::OnClick, this, &TForm1::SpeedButton2Click);
    Bind(SpeedButton3, &TSpeedButton::OnClick, this, &TForm1::SpeedButton3Click);
    Bind(SpeedButton4, &TSpeedButton::OnClick, this, &TForm1::SpeedButton4Click);
    Bind(CSpinEdit1, &TCSpinEdit::OnChange, this, &TForm1::CSpinEdit1Change);
    Bind(TrackBar1, &TTrackBar::OnChange, this, &TForm1::TrackBar1Change);
    Bind(TrackBar3, &TTrackBar::OnChange, this, &TForm1::TrackBar3Change);
    Bind(TrackBar4, &TTrackBar::OnChange, this, &TForm1::TrackBar3Change);
    Bind(Button2, &TButton::OnClick, this, &TForm1::Button2Click);
    Bind(Button3, &TButton::OnClick, this, &TForm1::Button3Click);
    Bind(Button4, &TButton::OnClick, this, &TForm1::Button4Click);
    Bind(Button5, &TButton::OnClick, this, &TForm1::Button5Click);
}

void TForm1::FormShow(TObject*) {
    Reset_Ink_Table(Inks);
}

// The commands of the window; their work is added with the commands.
void TForm1::SpeedButton1Click(TObject*) {}
void TForm1::SpeedButton5Click(TObject*) {}
void TForm1::Panel2Click(TObject*) {}
void TForm1::Image4Click(TObject*) {}
void TForm1::SpeedButton2Click(TObject*) {}
void TForm1::SpeedButton3Click(TObject*) {}
void TForm1::SpeedButton4Click(TObject*) {}
void TForm1::CSpinEdit1Change(TObject*) {}
void TForm1::TrackBar1Change(TObject*) {}
void TForm1::TrackBar3Change(TObject*) {}
void TForm1::Button2Click(TObject*) {}
void TForm1::Button3Click(TObject*) {}
void TForm1::Button4Click(TObject*) {}
void TForm1::Button5Click(TObject*) {}
