// Fuzz entry point: the metafile (WMF/EMF) reader, rendered offscreen.
#include <QGuiApplication>

#include <cstdlib>
#include <memory>

#include "FuzzImage.h"
#include "image/qt/KxMetafileRenderer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Text drawing needs a GUI application; one is made on the first call and lives for
    // the whole run.
    static std::unique_ptr<QGuiApplication> application = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "fuzz_image_wmf";
        static char* argv[] = {name, nullptr};
        KxMetafileRenderer::Install();
        return std::make_unique<QGuiApplication>(argc, argv);
    }();
    return FuzzDecode(data, size, KXIMAGE_FORMAT_WMF);
}
