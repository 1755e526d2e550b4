#include "fmt/temporary_file.h"

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace pexilon::tool {

namespace {

// The one temporary file that exists at a time, by name, for the handlers.
// A path longer than PATH_MAX cannot be created anyway.
char pending[PATH_MAX + 1];
volatile std::sig_atomic_t have_pending = 0;

constexpr int handled[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previous[std::size(handled)];

extern "C" void remove_pending(int signal)
{
    if (have_pending != 0)
        ::unlink(pending);
    // Then ended by the signal as before, so that the caller sees why.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Runs `step` with the handled signals held back, so that a handler never
// sees the name half written.
template <typename F>
void with_signals_held(F &&step)
{
    sigset_t held, old;
    sigemptyset(&held);
    for (int s : handled)
        sigaddset(&held, s);
    sigprocmask(SIG_BLOCK, &held, &old);
    step();
    sigprocmask(SIG_SETMASK, &old, nullptr);
}

} // namespace

temporary_file::temporary_file(const std::string &target)
{
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    const std::string name = folder + "." + base + ".pexilon-config-XXXXXX";
    if (name.size() > PATH_MAX) {
        errno = ENAMETOOLONG;
        return;
    }
    with_signals_held([&] {
        std::memcpy(pending, name.c_str(), name.size() + 1);
        fd_ = ::mkstemp(pending);
        if (fd_ < 0)
            return;
        have_pending = 1;
        struct sigaction action {};
        action.sa_handler = remove_pending;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < std::size(handled); ++i)
            sigaction(handled[i], &action, &previous[i]);
    });
}

temporary_file::~temporary_file()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!created())
        return;
    with_signals_held([&] {
        if (!kept_)
            ::unlink(pending);
        have_pending = 0;
        for (std::size_t i = 0; i < std::size(handled); ++i)
            sigaction(handled[i], &previous[i], nullptr);
    });
}

bool temporary_file::close() noexcept
{
    const int fd = fd_;
    fd_ = -1;
    closed_ = true;
    return ::close(fd) == 0;
}

bool temporary_file::rename_over(const std::string &target)
{
    with_signals_held([&] { kept_ = ::rename(pending, target.c_str()) == 0; });
    return kept_;
}

} // namespace pexilon::tool
