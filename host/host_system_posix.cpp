/* The zamo program's system matters on POSIX systems (see host_system.h). */
#include "host_system.h"

#include <unistd.h>

bool IsTerminal(int stream) { return isatty(stream) != 0; }
