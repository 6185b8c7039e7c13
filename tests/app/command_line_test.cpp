// The window program's command line, run as a process: what it prints, where,
// and how it exits, before any window opens.
#include <algorithm>

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

namespace {

struct CommandLineCase {
    const char* name;
    QStringList arguments;
    int exitCode;
    const char* firstLineOut; // how standard output begins; empty: it stays empty
    const char* errorLine;    // how a line of standard error begins; empty: no such line needed
    bool usageOnErr;
    bool needsDisplay; // answered once Qt has started; otherwise before, with no display at all
};

class CommandLine : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLine, AnswersOnTheTerminalWithItsExitCode) {
    const CommandLineCase& c = GetParam();
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(c.needsDisplay ? "offscreen" : "xcb"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TINTORA_PATH), c.arguments);
    ASSERT_TRUE(process.waitForFinished(30000)) << "a window opened, or the program hangs";
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(process.exitCode(), c.exitCode) << err.toStdString();
    if (*c.firstLineOut)
        EXPECT_TRUE(out.startsWith(QString::fromUtf8(c.firstLineOut))) << out.toStdString();
    else
        EXPECT_TRUE(out.isEmpty()) << out.toStdString();
    // Qt may note things of its own on standard error first.
    if (*c.errorLine) {
        const QStringList lines = err.split(QLatin1Char('\n'));
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                                [&](const QString& line) { return line.startsWith(QString::fromUtf8(c.errorLine)); }))
            << err.toStdString();
    }
    EXPECT_EQ(err.contains(QStringLiteral("Usage: tintora")), c.usageOnErr) << err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    , CommandLine,
    ::testing::Values(CommandLineCase{"Help", {"--help"}, 0, "Usage: tintora", "", false, false},
                      CommandLineCase{"ShortHelp", {"-h"}, 0, "Usage: tintora", "", false, false},
                      CommandLineCase{"Version", {"--version"}, 0, "tintora ", "", false, false},
                      CommandLineCase{"UnknownOption", {"--bogus"}, 2, "", "tintora: unknown option --bogus", true, false},
                      CommandLineCase{"BadMode", {"--mode", "7"}, 2, "", "tintora: ", true, true},
                      CommandLineCase{"TwoFiles", {"a.bmp", "b.bmp"}, 2, "", "tintora: ", true, true}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
