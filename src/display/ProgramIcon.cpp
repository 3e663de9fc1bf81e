#include "display/ProgramIcon.h"

#include <QFile>
#include <QIcon>

// The resources are compiled into a static library, so they are registered by hand; the
// macro must stand outside any namespace.
static void RegisterProgramResources() {
    Q_INIT_RESOURCE(korvalin);
}

namespace korvalin {

QIcon ProgramIcon() {
    static const bool registered = [] {
        RegisterProgramResources();
        return true;
    }();
    (void)registered;
    return QIcon(QStringLiteral(":/korvalin/korvalin.svg"));
}

}  // namespace korvalin
