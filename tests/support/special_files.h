/* Files that are no regular file, made by tests at a path of their choice: a
 * FIFO, a bound socket, a character device (root only). Each returns the path;
 * when it cannot be made, nothing stands there. */
#ifndef ZAMO_TESTS_SPECIAL_FILES_H
#define ZAMO_TESTS_SPECIAL_FILES_H

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <string>

inline std::string MakeFifo(const std::string& path) {
    mkfifo(path.c_str(), 0644);
    return path;
}

/* A socket bound to the path; the descriptor is closed at once, the name stays. */
inline std::string MakeSocket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    close(fd);
    return path;
}

/* A character device like /dev/null (1, 3). */
inline std::string MakeDevice(const std::string& path) {
    mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3));
    return path;
}

#endif
