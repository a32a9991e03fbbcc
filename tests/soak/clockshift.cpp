// Loaded with LD_PRELOAD into a saver, it makes the process's wall clock run
// ZETTELFIX_CLOCK_SHIFT seconds off, as on a desk whose clock is set wrong.
// The steady clock and the file system's times stay as they are.
#include <dlfcn.h>
#include <sys/time.h>
#include <time.h>

#include <cstdlib>

namespace {

time_t shiftSeconds()
{
    static const time_t shift = [] {
        const char *value = std::getenv("ZETTELFIX_CLOCK_SHIFT");
        return value ? time_t(std::atoll(value)) : time_t(0);
    }();
    return shift;
}

template<typename F>
F next(const char *name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" int clock_gettime(clockid_t clock, struct timespec *ts) noexcept
{
    static const auto real = next<int (*)(clockid_t, struct timespec *)>("clock_gettime");
    const int result = real(clock, ts);
    if (result == 0 && (clock == CLOCK_REALTIME || clock == CLOCK_REALTIME_COARSE))
        ts->tv_sec += shiftSeconds();
    return result;
}

extern "C" int gettimeofday(struct timeval *__restrict tv, void *__restrict tz) noexcept
{
    static const auto real = next<int (*)(struct timeval *, void *)>("gettimeofday");
    const int result = real(tv, tz);
    if (result == 0)
        tv->tv_sec += shiftSeconds();
    return result;
}

extern "C" time_t time(time_t *out) noexcept
{
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    if (out)
        *out = ts.tv_sec;
    return ts.tv_sec;
}
