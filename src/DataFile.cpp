#include "DataFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

const char* DataFile::notAFile(unsigned mode) {
    if (S_ISREG(mode)) {
        return nullptr;
    }
    if (S_ISDIR(mode)) {
        return "it is a folder, not a file";
    }
    if (S_ISFIFO(mode)) {
        return "it is a pipe, not a file";
    }
    if (S_ISSOCK(mode)) {
        return "it is a socket, not a file";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "it is a device, not a file";
    }
    return "it is not a regular file";
}

int DataFile::open(const std::string& path, std::string* why, int* error) {
    // O_NONBLOCK only matters for what is refused below: a FIFO opened without it waits for a
    // writer. A regular file reads the same either way.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    int failed = errno;
    if (fd >= 0) {
        struct stat info;
        failed = fstat(fd, &info) != 0 ? errno : 0;
        const char* what = failed == 0 ? notAFile(info.st_mode) : nullptr;
        if (failed == 0 && what == nullptr) {
            return fd;
        }
        *why = what != nullptr ? what : std::strerror(failed);
        close(fd);
    } else {
        *why = std::strerror(failed);
    }
    if (error != nullptr) {
        *error = failed;
    }
    return -1;
}

FILE* DataFile::openStream(const std::string& path, std::string* why) {
    int fd = open(path, why);
    if (fd < 0) {
        return nullptr;
    }
    FILE* file = fdopen(fd, "rb");
    if (file == nullptr) {
        *why = std::strerror(errno);
        close(fd);
    }
    return file;
}

long DataFile::readSome(int fd, Uint8* to, size_t n, std::string* why) {
    while (true) {
        ssize_t got = read(fd, to, n);
        if (got >= 0) {
            return static_cast<long>(got);
        }
        if (errno != EINTR) {
            *why = std::strerror(errno);
            return -1;
        }
    }
}

bool DataFile::readWhole(const std::string& path, size_t limit, std::vector<Uint8>* bytes,
                         std::string* why, int* error) {
    int fd = open(path, why, error);
    if (fd < 0) {
        return false;
    }
    const std::string tooLarge = "larger than " + std::to_string(limit) + " bytes";
    struct stat info;
    bool ok = false;
    if (fstat(fd, &info) != 0) {
        *why = std::strerror(errno);
    } else if (static_cast<unsigned long long>(info.st_size) > limit) {
        *why = tooLarge;
    } else {
        // One byte more than it should hold, so a file that grew since fstat is seen to.
        bytes->resize(static_cast<size_t>(info.st_size) + 1);
        size_t got = 0;
        long n = 0;
        while (got < bytes->size() &&
               (n = readSome(fd, bytes->data() + got, bytes->size() - got, why)) > 0) {
            got += static_cast<size_t>(n);
        }
        ok = n >= 0;
        if (ok && got > limit) {
            *why = tooLarge;
            ok = false;
        }
        bytes->resize(got);
    }
    if (!ok && error != nullptr) {
        *error = 0;
    }
    close(fd);
    return ok;
}

void DataFile::report(const char* lead, const std::string& path, const std::string& why) {
    char folder[4096];
    std::fprintf(stderr, "deadacre: %s %s in %s: %s\n", lead, path.c_str(),
                 getcwd(folder, sizeof folder) ? folder : "?", why.c_str());
}
