// The texts of `korvel --help`.

#include "res/Resources.h"

namespace korvel::res {

QString commandLineDescription() {
    return QStringLiteral(
        "Imaging for digital microscope cameras.\n"
        "\n"
        "Environment:\n"
        "  KRVCAMERA=sim:<type id>  use the simulated camera as the model with that type\n"
        "                           id, for example sim:13\n"
        "  KRVCAMERA=none           no camera (also when KRVCAMERA is unset)");
}

QString fileArgumentDescription() {
    return QStringLiteral("An image file to open at start.");
}

}  // namespace korvel::res
