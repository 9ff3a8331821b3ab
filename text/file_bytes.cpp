#include "text/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>

namespace sw {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t done = ::write(fd, bytes.data(), bytes.size());
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(done));
    }
    return true;
}

// A fresh file beside target; created with 0666 so the umask applies as for any new file.
int CreateTempBeside(const std::filesystem::path& target, std::filesystem::path& tempPath) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = ".";
        name.append(target.filename().string())
            .append(".")
            .append(std::to_string(::getpid()))
            .append(".")
            .append(std::to_string(counter.fetch_add(1)))
            .append(".tmp");
        tempPath = target.parent_path() / name;
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

bool ReadWholeFile(const std::filesystem::path& file, std::string& bytes, int* errorNumber) {
    int ignored = 0;
    int& error = errorNumber != nullptr ? *errorNumber : ignored;
    error = 0;
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return false;
    }
    struct stat info {};
    std::string read;
    // The size is a hint only: a file that grows meanwhile is read to its end.
    if (::fstat(fd, &info) == 0 && info.st_size > 0)
        read.reserve(static_cast<size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            read.append(buffer, static_cast<size_t>(got));
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            error = errno;
            ::close(fd);
            return false;
        }
    }
    ::close(fd);
    bytes = std::move(read);
    return true;
}

bool ReplaceFile(const std::filesystem::path& file, std::string_view bytes) {
    if (file.empty() || !file.has_filename())
        return false;
    std::filesystem::path tempPath;
    const int fd = CreateTempBeside(file, tempPath);
    if (fd < 0)
        return false;
    struct stat existing {};
    if (::stat(file.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        ::fchmod(fd, existing.st_mode & 07777);
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    std::error_code error;
    if (ok) {
        std::filesystem::rename(tempPath, file, error);
        ok = !error;
    }
    if (!ok)
        std::filesystem::remove(tempPath, error);
    return ok;
}

} // namespace sw
