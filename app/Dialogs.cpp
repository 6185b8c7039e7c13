#include "Dialogs.h"

#include <iostream>
#include <utility>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "Forms.h"
#include "SysUtils.h"

QStringList ConvertFilter(const std::string& vclFilter) {
    const QStringList parts = QString::fromStdString(vclFilter).split(QLatin1Char('|'));
    QStringList filters;
    if (vclFilter.empty())
        return filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString pattern = i + 1 < parts.size() ? parts[i + 1].trimmed() : QStringLiteral("*");
        // Qt takes the patterns from the last brackets and wants them
        // separated by spaces where the platform separates them by ';'.
        const QString patterns = QString(pattern).replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString bracketed = QLatin1Char('(') + patterns + QLatin1Char(')');
        if (description.endsWith(bracketed))
            filters << description;
        else
            filters << description + QLatin1Char(' ') + bracketed;
    }
    return filters;
}

namespace {

TFileDialogDriver& fileDialogDriver() {
    static TFileDialogDriver driver;
    return driver;
}

} // namespace

TFileDialogDriver SetFileDialogDriver(TFileDialogDriver driver) {
    return std::exchange(fileDialogDriver(), std::move(driver));
}

bool TFileDialog::Execute() {
    if (fileDialogDriver()) {
        const std::optional<std::string> answer = fileDialogDriver()(mRequest);
        if (!answer)
            return false;
        mFileName = *answer;
        return true;
    }
    QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(mRequest.title));
    dialog.setAcceptMode(mRequest.kind == TFileDialogKind::Save ? QFileDialog::AcceptSave
                                                                : QFileDialog::AcceptOpen);
    dialog.setFileMode(mRequest.kind == TFileDialogKind::Save ? QFileDialog::AnyFile
                                                              : QFileDialog::ExistingFile);
    dialog.setNameFilters(ConvertFilter(mRequest.filter));
    if (!mRequest.defaultExt.empty())
        dialog.setDefaultSuffix(QString::fromStdString(mRequest.defaultExt));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(mRequest.options & ofOverwritePrompt));
    dialog.setSizeGripEnabled(mRequest.options & ofEnableSizing);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    mFileName = dialog.selectedFiles().constFirst().toStdString();
    return true;
}

void InstallMessageBox() {
    SetMessageSink([](const std::string& text) {
        if (!QApplication::instance()) {
            std::cerr << text << '\n';
            return;
        }
        QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(Application->GetTitle()),
                        QString::fromStdString(text), QMessageBox::Ok,
                        QApplication::activeWindow());
        box.exec();
    });
}
