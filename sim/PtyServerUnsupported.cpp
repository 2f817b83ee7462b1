// Systems without pseudo-terminals: the simulator runs in process only (SimPort).
#include "sim/PtyServer.h"

namespace kalvex::sim {

bool PtyServer::start(QString* error) {
    if (error)
        *error = QStringLiteral("This system has no pseudo-terminals: the simulator can only "
                                "run inside the program.");
    return false;
}

void PtyServer::stop() {}

} // namespace kalvex::sim
