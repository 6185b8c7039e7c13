// Saves pictures of the About box into the folder given as the first
// argument, for looking at its layout and animation: about-<n>.png after n
// ticks of its own timer, for a few n.
#include <QApplication>
#include <QDir>
#include <QTest>

#include "About.h"
#include "AboutAnimation.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2)
        return 1;
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    Application->Initialize(argc, argv);
    Application->CreateForm(AboutBox);

    int ticks = 0;
    QObject::connect(AboutBox->Timer1, &TTimer::OnTimer, AboutBox, [&] { ++ticks; });
    AboutBox->Show();
    if (!QTest::qWaitForWindowExposed(AboutBox))
        return 1;
    for (const int shot : {1, 12, 40, 90}) {
        while (ticks < shot)
            QTest::qWait(5);
        AboutBox->Timer1->SetEnabled(false);
        AboutBox->grab().save(folder.filePath(QStringLiteral("about-%1.png").arg(shot)));
        AboutBox->Timer1->SetEnabled(true);
    }
    AboutBox->Close();
    Application->DestroyForms();
    return 0;
}
