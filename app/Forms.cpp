#include "Forms.h"

#include <utility>

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFont>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMimeData>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include "Controls.h"
#include "Dialogs.h"
#include "Events.h"
#include "SysUtils.h"

// The font is compiled into this static library; a resource file in a
// static library is registered only when asked for.
static void initFontResources() {
    Q_INIT_RESOURCE(fonts);
}

namespace {

TApplication theApplication;

TModalDriver& modalDriver() {
    static TModalDriver driver;
    return driver;
}

// The layouts were drawn for an 8-point sans font, 11 pixels high. The
// program brings its own, Liberation Sans, so that texts measure the same on
// every machine whatever fonts it has installed.
constexpr const char* kInterfaceFontResource = ":/fonts/LiberationSans-Regular.ttf";
constexpr int kInterfaceFontPixels = 11;

QString registerInterfaceFont() {
    initFontResources();
    const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(kInterfaceFontResource));
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty())
        throw Exception(std::string("The interface font ") + kInterfaceFontResource + " cannot be loaded");
    return families.constFirst();
}

} // namespace

// Registered once, the first time a window asks for it.
QFont InterfaceFont() {
    static const QString family = registerInterfaceFont();
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(kInterfaceFontPixels);
    return font;
}

namespace {

std::vector<std::string> localFiles(const QMimeData* data) {
    std::vector<std::string> files;
    if (!data)
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            files.push_back(url.toLocalFile().toStdString());
    return files;
}

} // namespace

TApplication* Application = &theApplication;

void RunGuarded(const std::function<void()>& handler) noexcept {
    try {
        handler();
    } catch (const std::exception& error) {
        try {
            Application->ShowException(error);
        } catch (...) {
            // Showing the error failed too (no memory left for a box): nothing
            // more can be done without letting it reach the toolkit.
        }
    } catch (...) {
        try {
            Application->ShowException(Exception("An unknown error occurred."));
        } catch (...) {
        }
    }
}

TModalDriver SetModalDriver(TModalDriver driver) {
    return std::exchange(modalDriver(), std::move(driver));
}

// ---- TForm ----

TForm::TForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setFont(InterfaceFont());
}

TForm::~TForm() {
    if (mModalLoop)
        mModalLoop->exit(mrNone);
}

std::string TForm::GetCaption() const {
    return windowTitle().toStdString();
}

void TForm::SetCaption(const std::string& caption) {
    setWindowTitle(QString::fromStdString(caption));
}

void TForm::SetOuterSize(int width, int height) {
    resize(width - kFrameExtraWidth, height - kFrameExtraHeight);
}

void TForm::SetOuterMinimumSize(int width, int height) {
    setMinimumSize(width - kFrameExtraWidth, height - kFrameExtraHeight);
}

void TForm::SetBorderStyle(TBorderStyle style) {
    if (style == TBorderStyle::bsDialog) {
        setWindowFlags(kDialogFrame);
        setFixedSize(size());
    } else {
        setWindowFlags(Qt::Window);
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}

void TForm::keepWithMainWindow() {
    TForm* main = Application->GetMainForm();
    if (!main || main == this)
        return;
    main->winId();
    winId();
    if (QWindow* handle = windowHandle())
        handle->setTransientParent(main->windowHandle());
}

void TForm::Show() {
    if (!mPlaced && mPosition != TPosition::poDesigned) {
        const TForm* main = Application->GetMainForm();
        if (mPosition == TPosition::poMainFormCenter && main && main != this && main->isVisible()) {
            move(main->frameGeometry().center() - QPoint(width() / 2, height() / 2));
        } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            move(area.center() - QPoint(width() / 2, height() / 2));
        }
    }
    mPlaced = true;
    show();
    raise();
    activateWindow();
}

int TForm::ShowModal() {
    mModalResult = mrNone;
    setWindowModality(Qt::ApplicationModal);
    keepWithMainWindow();
    Show();
    QEventLoop loop;
    mModalLoop = &loop;
    if (modalDriver()) {
        QPointer<TForm> self(this);
        QTimer::singleShot(0, &loop, [self] {
            if (self && modalDriver())
                RunGuarded([&] { modalDriver()(*self); });
        });
    }
    if (isVisible())
        loop.exec();
    mModalLoop = nullptr;
    setWindowModality(Qt::NonModal);
    return mModalResult;
}

void TForm::Close() {
    close();
}

void TForm::SetModalResult(int result) {
    mModalResult = result;
    if (result != mrNone)
        Close();
}

// A window restored from minimised gets a spontaneous show event from the
// window system, and a spontaneous hide when minimised: neither is a showing
// or a closing of the window, so neither raises OnShow nor ends a modal loop.
void TForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    AlignChildren(this, rect());
    if (!event->spontaneous())
        emit OnShow();
}

void TForm::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (mModalLoop && !event->spontaneous())
        mModalLoop->exit(mModalResult);
}

void TForm::closeEvent(QCloseEvent* event) {
    mCanClose = true;
    emit OnCloseQuery();
    if (!mCanClose) {
        event->ignore();
        return;
    }
    emit OnClose();
    event->accept();
}

void TForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    AlignChildren(this, rect());
}

void TForm::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool escape = event->key() == Qt::Key_Escape;
    if (enter || escape) {
        for (TButton* button : findChildren<TButton*>()) {
            if (!button->isVisible() || !button->isEnabled())
                continue;
            if ((enter && button->isDefault()) || (escape && button->GetCancel())) {
                button->click();
                return;
            }
        }
        // A window shown modally closes on Escape, as dialogs do; the main
        // window never does, or one key would end the program and its work.
        if (escape && mModalLoop) {
            Close();
            return;
        }
    }
    mKeyDown = event->key();
    emit OnKeyDown();
    QWidget::keyPressEvent(event);
}

void TForm::dragEnterEvent(QDragEnterEvent* event) {
    if (!localFiles(event->mimeData()).empty())
        event->acceptProposedAction();
}

void TForm::dropEvent(QDropEvent* event) {
    mDroppedFiles = localFiles(event->mimeData());
    if (mDroppedFiles.empty())
        return;
    event->acceptProposedAction();
    emit OnDropFiles();
}

// ---- TApplication ----

TApplication::TApplication() = default;

TApplication::~TApplication() {
    DestroyForms();
    mOwnApplication.reset();
}

void TApplication::Initialize(int& argc, char** argv) {
    if (!QApplication::instance())
        mOwnApplication = std::make_unique<QApplication>(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setFont(InterfaceFont());
    InstallMessageBox();
}

void TApplication::SetTitle(const std::string& title) {
    mTitle = title;
}

TForm* TApplication::adopt(std::unique_ptr<TForm> form) {
    TForm* raw = form.get();
    if (!mMainForm)
        mMainForm = raw;
    mForms.push_back(std::move(form));
    return raw;
}

void TApplication::Run() {
    if (mMainForm) {
        QObject::connect(mMainForm, &TForm::OnClose, QApplication::instance(),
                         [] { QApplication::exit(0); });
        mMainForm->Show();
        QApplication::exec();
    }
    Finish();
}

void TApplication::Finish() {
    DestroyForms();
    mOwnApplication.reset();
}

void TApplication::ShowException(const std::exception& error) {
    ShowMessage(ErrorText(error), TMessageKind::Error);
}

void TApplication::DestroyForms() {
    while (!mForms.empty())
        mForms.pop_back();
    mMainForm = nullptr;
}
