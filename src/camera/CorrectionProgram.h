#pragma once

// The background-correction program "BC": it measures the empty field with the camera and
// writes the correction tables into its current folder. The camera window releases the
// camera and starts it, without waiting for it, with the window's id as its argument.

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace korvel::camera {

class CorrectionProgram {
public:
    // Starts `program` detached; false when it could not be started.
    using Starter = std::function<bool(const QString& program, const QStringList& arguments,
                                       const QString& workingDirectory)>;

    // The program next to the running executable, else the one on PATH; empty when there
    // is none. `applicationFolder` replaces the executable's folder when not empty.
    static QString find(const QString& applicationFolder = {});

    // Starts the program for the window `windowId` in `workingDirectory`, where the camera
    // window reads the tables back. A program that cannot be found or started is reported
    // in a message box over `parent`; then the result is false.
    bool run(quintptr windowId, const QString& workingDirectory, QWidget* parent) const;

    // Replaces the process start and the executable's folder (tests).
    void setStarter(Starter starter) { starter_ = std::move(starter); }
    void setApplicationFolder(const QString& folder) { applicationFolder_ = folder; }

private:
    Starter starter_;
    QString applicationFolder_;
};

}  // namespace korvel::camera
