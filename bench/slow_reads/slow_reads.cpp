// Loaded with LD_PRELOAD into a receiver: every pread of the file named by
// CORVANE_SLOW_FILE takes 10 ms longer, as on a slow network share. The
// bench measures with it whether reading rows back ever holds up arrivals.
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool isSlowFile(int fd)
{
    static const char *const slow = std::getenv("CORVANE_SLOW_FILE");
    if (!slow)
        return false;
    char link[64], target[PATH_MAX];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = ::readlink(link, target, sizeof target - 1);
    if (length <= 0)
        return false;
    target[length] = '\0';
    return std::strncmp(target, slow, std::strlen(slow)) == 0;  // also when removed: "… (deleted)"
}

template <typename Function>
Function next(const char *name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" ssize_t pread64(int fd, void *buffer, size_t count, off_t offset)
{
    static const auto real = next<ssize_t (*)(int, void *, size_t, off_t)>("pread64");
    if (isSlowFile(fd))
        ::usleep(10000);
    return real(fd, buffer, count, offset);
}

extern "C" ssize_t pread(int fd, void *buffer, size_t count, off_t offset)
{
    return pread64(fd, buffer, count, offset);
}
