/* Why a command could not finish, as the modules tell it to the user, and the
 * exception that carries it out of a command. Exports FailureReason and
 * CommandFailure; the file seam and both modules use them. */
#ifndef ZAMO_COMMON_FAILURE_REASON_H
#define ZAMO_COMMON_FAILURE_REASON_H

#include <stdexcept>

enum class FailureReason {
    None,             // no failure
    Unknown,          // none of the below is known
    DiskFull,         // no room left (also a quota or a file size limit)
    AccessDenied,     // the system refused access to the file or its folder
    ReadOnly,         // the file is write-protected
    NotRegularFile,   // a folder, device, pipe or socket stands at the path
    PathNotFound,     // a folder of the path does not exist
    NameTooLong,      // the path or a name in it is too long
    NoTemporaryFile,  // no temporary file could be made beside the target
    WriteError,       // the device reported an error while writing
    OutOfMemory,      // memory ran out
};

/* Ends a command with a known reason. */
class CommandFailure : public std::runtime_error {
public:
    explicit CommandFailure(FailureReason reason)
        : std::runtime_error("command failed"), reason_(reason) {}
    FailureReason reason() const { return reason_; }

private:
    FailureReason reason_;
};

#endif
