#include "ui/qt/torvi_icon.h"

QIcon TorviIcon() {
    // The images live in this static library's resources, which the linker keeps
    // only when something asks for them by name.
    Q_INIT_RESOURCE(torvi);
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/torvi-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}
