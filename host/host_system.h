/* Operating-system matters of the zamo program, kept in one place: everything
 * the host needs of the system beyond standard C++ is declared here. CMake
 * compiles one implementation: host_system_posix.cpp here, a Windows twin there. */
#ifndef ZAMO_HOST_HOST_SYSTEM_H
#define ZAMO_HOST_HOST_SYSTEM_H

#include <csignal>
#include <string>

/* Whether the standard stream (0 input, 1 output, 2 error) is a terminal. */
bool IsTerminal(int stream);

/* From now on the first Ctrl-C (SIGINT) only raises the flag returned by
 * InterruptFlag and ends any read of standard input (which then reads as
 * empty); a second one ends the program at once. */
void WatchInterrupts();
const volatile std::sig_atomic_t* InterruptFlag();
bool Interrupted();

/* Creates an empty file only this user can read, named zamo-PURPOSE-XXXXXX
 * plus `suffix`, in $TMPDIR (else /tmp); its full path, or "" with the reason. */
std::string MakeTemporaryFile(const std::string& purpose, const std::string& suffix,
                              std::string* error);

/* Copies everything from `source` ("" for standard input) into the file at
 * `target`, replacing its contents; false with the reason, also when Ctrl-C
 * interrupted the copy. */
bool CopyIntoFile(const std::string& source, const std::string& target, std::string* error);
/* Copies the file to standard output; false with the reason. */
bool CopyToStandardOutput(const std::string& source, std::string* error);

#endif
