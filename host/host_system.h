/* Operating-system matters of the zamo program, kept in one place: everything
 * the host needs of the system beyond standard C++ is declared here. CMake
 * compiles one implementation: host_system_posix.cpp here, a Windows twin there. */
#ifndef ZAMO_HOST_HOST_SYSTEM_H
#define ZAMO_HOST_HOST_SYSTEM_H

/* Whether the standard stream (0 input, 1 output, 2 error) is a terminal. */
bool IsTerminal(int stream);

#endif
