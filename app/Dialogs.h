#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QStringList>

// A filter in the platform's form, "Description|pattern|Description|pattern",
// as the list of Qt name filters "Description (pattern)", every entry kept in
// order. A description that already ends with its pattern in brackets is not
// given it twice; a last description without a pattern matches every file.
QStringList ConvertFilter(const std::string& vclFilter);

// Options of the file dialogs.
enum TOpenOption : unsigned {
    ofOverwritePrompt = 1u << 0, // ask before replacing an existing file
    ofHideReadOnly = 1u << 1,    // no "open read-only" check box
    ofEnableSizing = 1u << 2,    // the dialog can be resized
    ofFilterEnding = 1u << 3,    // a name typed without ending gets the selected filter's
    ofAllowMultiSelect = 1u << 4, // an open dialog takes several files (GetFileNames)
};

enum class TFileDialogKind { Open, Save };

// What a file dialog asks, as a test's driver sees it.
struct TFileDialogRequest {
    TFileDialogKind kind = TFileDialogKind::Open;
    std::string title;
    std::string filter;
    std::string defaultExt;
    unsigned options = 0;
    // The folder the dialog opens in: the folder of the file last confirmed
    // with this dialog, or empty (the working folder) before that.
    std::string initialDir;
    // The name a save dialog suggests in that folder; empty for none.
    std::string suggestedName;
    // An open dialog for pictures shows the selected file's picture.
    bool preview = false;
    // The filter entry selected (from 0): when the dialog opens, and as the
    // user left it once a file is confirmed.
    int filterIndex = 0;
    // With ofAllowMultiSelect, a driver may give every file chosen here; its
    // answer is then the first of them.
    std::vector<std::string> selectedFiles;
};

// A seam for tests: when installed, it answers every file dialog instead of
// the user: a file name to confirm, or nothing to cancel. It may select
// another filter entry, as the user would, by changing filterIndex.
using TFileDialogDriver = std::function<std::optional<std::string>(TFileDialogRequest& request)>;
// Installs a driver (or none) and returns the one it replaces.
TFileDialogDriver SetFileDialogDriver(TFileDialogDriver driver);

// The common part of the open and save dialogs.
class TFileDialog {
  public:
    std::string GetTitle() const { return mRequest.title; }
    void SetTitle(const std::string& title) { mRequest.title = title; }
    std::string GetFilter() const { return mRequest.filter; }
    void SetFilter(const std::string& filter) { mRequest.filter = filter; }
    std::string GetDefaultExt() const { return mRequest.defaultExt; }
    void SetDefaultExt(const std::string& extension) { mRequest.defaultExt = extension; }
    unsigned GetOptions() const { return mRequest.options; }
    void SetOptions(unsigned options) { mRequest.options = options; }
    std::string GetInitialDir() const { return mRequest.initialDir; }
    void SetInitialDir(const std::string& folder) { mRequest.initialDir = folder; }
    std::string GetSuggestedName() const { return mRequest.suggestedName; }
    void SetSuggestedName(const std::string& name) { mRequest.suggestedName = name; }
    // The filter entry selected, from 0; the next run starts on the one the
    // user left selected.
    int GetFilterIndex() const { return mRequest.filterIndex; }
    void SetFilterIndex(int index) { mRequest.filterIndex = index; }
    // The file chosen by the last confirmed Execute (UTF-8).
    std::string GetFileName() const { return mFileName; }
    // Every file chosen by it, in the order given: with ofAllowMultiSelect
    // one or more, else the one.
    const std::vector<std::string>& GetFileNames() const { return mFileNames; }

    // Runs the dialog; true when the user confirmed a file. The next run
    // starts in that file's folder.
    bool Execute();

  protected:
    explicit TFileDialog(TFileDialogKind kind) { mRequest.kind = kind; }
    TFileDialogRequest mRequest;

  private:
    bool run();

    std::string mFileName;
    std::vector<std::string> mFileNames;
};

// A file-open dialog for pictures, with a preview of the selected picture.
class TOpenPictureDialog : public TFileDialog {
  public:
    TOpenPictureDialog() : TFileDialog(TFileDialogKind::Open) { mRequest.preview = true; }
};

// A file-open dialog.
class TOpenDialog : public TFileDialog {
  public:
    TOpenDialog() : TFileDialog(TFileDialogKind::Open) {}
};

// A file-save dialog.
class TSaveDialog : public TFileDialog {
  public:
    TSaveDialog() : TFileDialog(TFileDialogKind::Save) {}
};

// The ending ("bmp") of a filter entry's first pattern when it is "*.ending",
// else empty.
std::string FilterEnding(const std::string& vclFilter, int index);

// The answer to "Save changes to NAME before closing it?".
enum class TSaveChangesAnswer { Save, Discard, Cancel };
// Asks it in a message box with Save, Discard and Cancel (Escape), Save
// the default.
TSaveChangesAnswer AskSaveChanges(const std::string& documentName);
// A seam for tests: when installed, it answers the question instead of the
// user, given the question's text.
using TSaveChangesDriver = std::function<TSaveChangesAnswer(const std::string& question)>;
// Installs a driver (or none) and returns the one it replaces.
TSaveChangesDriver SetSaveChangesDriver(TSaveChangesDriver driver);

// Makes ShowMessage show a modal message box with the icon of the message's
// kind and an OK button, titled with the application's title. Without a Qt application the text goes to stderr.
void InstallMessageBox();

// The text with a break opportunity (a zero-width space) after each folder
// separator and every 40 characters of any longer run without a space, so a
// long file name wraps in a message box instead of being cut at its edge.
QString BreakLongWords(const QString& text);
