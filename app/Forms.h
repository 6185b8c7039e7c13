#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QFont>
#include <QWidget>

class QApplication;
class QEventLoop;

// Modal results of a window.
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;

// The font of every window, message box and tool tip: the program's own
// 11-pixel sans font, registered from the resources on first use.
QFont InterfaceFont();

// Where a window appears when first shown.
enum class TPosition {
    poDesigned,
    poScreenCenter,
    poMainFormCenter, // centred on the main window while it is shown, else on the screen
};

// A window's frame: resizable with every box, or a fixed dialog frame whose
// title bar carries only the system menu and its close box.
enum class TBorderStyle { bsSizeable, bsDialog };

// The dialog frame's window flags. (Some window managers, openbox among
// them, draw every box on every window whatever it asks for; a modal window
// is at least minimised together with the main window it belongs to.)
inline constexpr Qt::WindowFlags kDialogFrame = Qt::Dialog | Qt::CustomizeWindowHint |
                                                Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                                Qt::WindowCloseButtonHint;

// A top-level window. Its layout is built by the derived class's constructor;
// it raises OnCreate once (from TApplication::CreateForm), OnShow at every
// showing by the program (not when the user restores it from minimised),
// OnCloseQuery before every closing, which a handler can refuse with
// SetCanClose(false), and OnClose at every closing. Closing hides it: the window and its controls
// keep their state for the next showing.
class TForm : public QWidget {
    Q_OBJECT
  public:
    explicit TForm(QWidget* parent = nullptr);
    ~TForm() override;

    std::string GetCaption() const;
    void SetCaption(const std::string& caption);

    // Sizes given for the whole window, frame included, as the layouts state
    // them; the client area is that minus the frame of the platform the
    // layouts were drawn on.
    void SetOuterSize(int width, int height);
    void SetOuterMinimumSize(int width, int height);
    void SetPosition(TPosition position) { mPosition = position; }
    // A dialog frame keeps the window at its present size.
    void SetBorderStyle(TBorderStyle style);

    // Whether files dropped on the window are taken: each drop raises
    // OnDropFiles, and GetDroppedFiles lists the local files of that drop.
    void SetAcceptFiles(bool accept) { setAcceptDrops(accept); }
    const std::vector<std::string>& GetDroppedFiles() const { return mDroppedFiles; }

    void Show();
    // Shows the window modally and returns when it has closed, however it was
    // closed, with its modal result (mrNone when closed without one).
    int ShowModal();
    // Hides the window and ends its modal showing.
    void Close();
    int GetModalResult() const { return mModalResult; }
    // A result other than mrNone closes the window.
    void SetModalResult(int result);

    // Inside OnCloseQuery: whether the window may close (true unless a
    // handler says otherwise).
    void SetCanClose(bool canClose) { mCanClose = canClose; }

    // The key of the last OnKeyDown, a Qt::Key.
    int GetKeyDown() const { return mKeyDown; }

    // Raises OnCreate; TApplication::CreateForm calls it once.
    void DoCreate() { emit OnCreate(); }

  signals:
    void OnCreate();
    void OnShow();
    void OnCloseQuery();
    void OnClose();
    void OnDropFiles();
    // A key that no control took and that is not Enter or Escape for the
    // window's buttons (arrow keys over a dialog, say).
    void OnKeyDown();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // A modal window stays above the main window and is minimised with it.
    void keepWithMainWindow();

    TPosition mPosition = TPosition::poDesigned;
    bool mPlaced = false;
    int mModalResult = mrNone;
    bool mCanClose = true;
    QEventLoop* mModalLoop = nullptr;
    std::vector<std::string> mDroppedFiles;
    int mKeyDown = 0;
};

// The frame of the platform the layouts were drawn on: 4-pixel borders and a
// 19-pixel caption bar.
inline constexpr int kFrameExtraWidth = 8;
inline constexpr int kFrameExtraHeight = 27;

// A seam for tests: when installed, it is called with each window shown
// modally, from inside the window's modal loop once it is shown, so it can
// work the real controls; the modal showing ends when the window closes.
using TModalDriver = std::function<void(TForm& form)>;
// Installs a driver (or none) and returns the one it replaces.
TModalDriver SetModalDriver(TModalDriver driver);

// The application object: the Qt application, the windows and the loop.
class TApplication {
  public:
    TApplication();
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // Creates the Qt application from the program's arguments (Qt's own
    // options such as -platform are understood; nothing else is read), or
    // takes the one that already exists. Installs the message box.
    void Initialize(int& argc, char** argv);
    void SetTitle(const std::string& title);
    std::string GetTitle() const { return mTitle; }

    // Creates a window, runs its creation handlers and keeps it until exit.
    // The first window created is the main window.
    template <class Form> void CreateForm(Form*& reference) {
        auto form = std::make_unique<Form>();
        reference = form.get();
        adopt(std::move(form))->DoCreate();
    }
    TForm* GetMainForm() const { return mMainForm; }

    // Shows the main window and runs the loop until it closes; then the
    // windows are destroyed.
    void Run();
    // Shows an error's text in a message box.
    void ShowException(const std::exception& error);
    // Destroys every window, the last created first.
    void DestroyForms();
    // Destroys the windows and the Qt application, as the end of Run does:
    // for a program that ends without running the loop.
    void Finish();

  private:
    TForm* adopt(std::unique_ptr<TForm> form);

    std::unique_ptr<QApplication> mOwnApplication;
    std::vector<std::unique_ptr<TForm>> mForms;
    TForm* mMainForm = nullptr;
    std::string mTitle;
};

extern TApplication* Application;
