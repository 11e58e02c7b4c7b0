#include "app/CKorvelApp.h"
#include "res/Resources.h"

int main(int argc, char** argv) {
    korvel::app::CKorvelApp app(argc, argv);
    // Before any window exists: theme lookups and the window icon hold for all of them.
    korvel::res::installApplicationIcons();
    // Wayland compositors take the icon and name from the installed korvel.desktop.
    QGuiApplication::setDesktopFileName(QStringLiteral("korvel"));
    if (!app.InitInstance()) {
        return app.exitCode();
    }
    return app.exec();
}
