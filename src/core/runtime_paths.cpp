#include "core/runtime_paths.h"

#include <unistd.h>

namespace tesk {

QString Virtual_Modem_Dir() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        return runtime + QStringLiteral("/tesk-sms/modems");
    }
    return QStringLiteral("/tmp/tesk-sms-%1/modems").arg(getuid());
}

}  // namespace tesk
