#include "camera/CorrectionProgram.h"

#include "framework/MessageBox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace korvel::camera {

namespace {

const char* const kProgramName = "BC";

}  // namespace

QString CorrectionProgram::find(const QString& applicationFolder) {
    const QString folder =
        applicationFolder.isEmpty() ? QCoreApplication::applicationDirPath() : applicationFolder;
    const QFileInfo beside(QDir(folder).filePath(QLatin1String(kProgramName)));
    if (beside.isFile() && beside.isExecutable()) {
        return beside.absoluteFilePath();
    }
    return QStandardPaths::findExecutable(QLatin1String(kProgramName));
}

bool CorrectionProgram::run(quintptr windowId, const QString& workingDirectory,
                            QWidget* parent) const {
    const QString program = find(applicationFolder_);
    if (program.isEmpty()) {
        framework::AfxMessageBox(
            QStringLiteral("The background-correction program \"%1\" was not found beside "
                           "Korvel or on the search path.")
                .arg(QLatin1String(kProgramName)),
            framework::MB_OK | framework::MB_ICONERROR, parent);
        return false;
    }
    // The window id as a decimal number, the way the program expects it.
    const QStringList arguments{QString::number(windowId)};
    const bool started = starter_ ? starter_(program, arguments, workingDirectory)
                                  : QProcess::startDetached(program, arguments, workingDirectory);
    if (!started) {
        framework::AfxMessageBox(
            QStringLiteral("The background-correction program \"%1\" could not be started.")
                .arg(QDir::toNativeSeparators(program)),
            framework::MB_OK | framework::MB_ICONERROR, parent);
    }
    return started;
}

}  // namespace korvel::camera
