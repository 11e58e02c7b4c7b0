#include "app/CKorvelApp.h"

int main(int argc, char** argv) {
    korvel::app::CKorvelApp app(argc, argv);
    if (!app.InitInstance()) {
        return app.exitCode();
    }
    return app.exec();
}
