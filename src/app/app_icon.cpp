#include "app/app_icon.h"

// The resource file is compiled into a static library, so its registration has to be pulled in
// explicitly; Q_INIT_RESOURCE must stand outside any namespace.
static void registerIconResources() { Q_INIT_RESOURCE(kavri); }

namespace kavri {

QIcon applicationIcon() {
    registerIconResources();
    QIcon icon;
    for (int size : {16, 32, 48, 256}) {
        icon.addFile(QStringLiteral(":/icons/kavri-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace kavri
