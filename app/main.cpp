#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QMessageBox>

#include "app/piano_window.h"
#include "app/program_directory.h"
#include "app/qt_desktop_shell.h"
#include "app/qt_dialogs.h"
#include "app/qt_window_system.h"
#include "app/window_shape.h"
#include "midi/backends/platform_midi_system.h"
#include "resources/default_files.h"
#include "resources/skin/skin_resources.h"
#include "shell/frm_piano.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tonvel"));
    tonvel::skin::initResources();
    const QString executableDirectory = QCoreApplication::applicationDirPath();
    const QString programDirectory = tonvel::chooseProgramDirectory(executableDirectory);

    QLockFile instance(QDir::tempPath() + QStringLiteral("/tonvel-") +
                       QString::fromLocal8Bit(qgetenv("USER")) + QStringLiteral(".lock"));
    instance.setStaleLockTime(0);
    if (!instance.tryLock(0)) {
        QMessageBox::warning(nullptr, QString::fromUtf8(tonvel::kProgramTitle),
                             QStringLiteral("Tonvel is already Running!!   "));
        return 0;
    }

    const std::string directory = programDirectory.toStdString();
    tonvel::extractDefaultFile(tonvel::kResourceNames, directory + "/ins.ins");
    tonvel::extractDefaultFile(tonvel::kResourceLicence, directory + "/license.txt");

    tonvel::PlatformMidiSystem midi;
    tonvel::PianoWindow window;
    tonvel::QtDialogs dialogs(&window);
    tonvel::QtWindowSystem windowSystem(&window);
    tonvel::QtDesktopShell shell;
    tonvel::frmPiano piano({midi, dialogs, windowSystem, shell}, directory);
    piano.helpDirectory = tonvel::chooseHelpDirectory(executableDirectory).toStdString();
    window.attach(&piano);

    piano.Form_Initialize();
    piano.Form_Load();
    window.refresh();
    tonvel::applyKeyColourRegion(&window, QImage(QString::fromLatin1(tonvel::skin::kPianoPicture)),
                                 qRgb(255, 255, 255));
    window.show();
    window.activateWindow();
    return app.exec();
}
