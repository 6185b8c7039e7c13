// Test main for the window tests: one Qt application for the whole run, on
// the offscreen platform unless the caller chose another.
#include <gtest/gtest.h>

#include <string>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include "Dialogs.h"
#include "Forms.h"
#include "SysUtils.h"

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    // Settings a test makes go to a folder of the run's own, never the user's.
    QTemporaryDir settingsFolder;
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, settingsFolder.path());
    Application->Initialize(argc, argv);
    // A message box would wait for a click that never comes: a test that
    // expects a message records it; any other message fails the test.
    SetMessageSink([](const std::string& text) { ADD_FAILURE() << "unexpected message: " << text; });
    SetSaveChangesDriver([](const std::string& question) {
        ADD_FAILURE() << "unexpected question: " << question;
        return TSaveChangesAnswer::Discard;
    });
    const int result = RUN_ALL_TESTS();
    Application->DestroyForms();
    return result;
}
