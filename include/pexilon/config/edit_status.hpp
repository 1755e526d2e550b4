/* Part of pexilon/check.hpp (it needs the check library): how an edit of a
 * pexilon::document or a pexilon::dumps went, as a status (the std::nothrow
 * forms) or as the exception the throwing forms raise. */

#ifndef PEXILON_CONFIG_EDIT_STATUS_HPP
#define PEXILON_CONFIG_EDIT_STATUS_HPP

#include <pexilon/config/exceptions.hpp>

#include <cerrno>
#include <cstdlib>
#include <new>
#include <string>
#include <system_error>
#include <utility>

#if PEXILON_CXX_EXCEPTIONS
#include <stdexcept>
#endif

namespace pexilon {

/** How an edit, a save or a dumps with std::nothrow went. */
class edit_status {
public:
    edit_status() noexcept = default;

    /** True when the edit was made (or the file written). */
    bool ok() const noexcept { return !refused_ && !error_; }
    explicit operator bool() const noexcept { return ok(); }
    /** The edit was refused: reason() says why, the document is as it was. */
    bool refused() const noexcept { return refused_; }
    /** Why it was refused, or why a save failed; empty otherwise. */
    const std::string &reason() const noexcept { return reason_; }
    /** ENOMEM or EINVAL, or the system's error of a save's failed step
     * (std::generic_category()); empty for a refusal. */
    std::error_code error() const noexcept { return error_; }

    static edit_status from_refusal(std::string reason) noexcept
    {
        edit_status s;
        s.refused_ = true;
        s.reason_ = std::move(reason);
        return s;
    }
    static edit_status from_error(int error, std::string reason = {}) noexcept
    {
        edit_status s;
        s.error_ = std::error_code(error, std::generic_category());
        s.reason_ = std::move(reason);
        return s;
    }

private:
    bool refused_ = false;
    std::string reason_;
    std::error_code error_;
};

#if PEXILON_CXX_EXCEPTIONS
/** An edit, or a record for dumps(), that was refused; what() is the
 * reason. Copying never throws. */
class edit_error : public std::runtime_error {
public:
    explicit edit_error(const std::string &reason) : std::runtime_error(reason) {}
};
#endif

namespace detail {

/* Runs `step`, which returns an edit_status; memory that runs out on the
 * way gives ENOMEM instead of an exception. */
template <typename Step>
edit_status guarded(Step step) noexcept
{
#if PEXILON_CXX_EXCEPTIONS
    try {
        return step();
    } catch (...) {
        return edit_status::from_error(ENOMEM);
    }
#else
    return step();
#endif
}

/* A text the C library allocated, freed on every path. */
struct c_text {
    char *text = nullptr;
    c_text() noexcept = default;
    c_text(const c_text &) = delete;
    c_text &operator=(const c_text &) = delete;
    ~c_text() { std::free(text); }
};

/* The status of a C function's result with its message; `error` is the
 * errno it left (for 1, only a save leaves one). */
inline edit_status judged(int result, const c_text &message, int error)
{
    const std::string reason = message.text != nullptr ? message.text : "";
    if (result == 0)
        return {};
    if (result > 0 && error == 0)
        return edit_status::from_refusal(reason);
    return edit_status::from_error(error != 0 ? error : ENOMEM, reason);
}

/* Calls an editing function of the C library with `args`. */
template <typename Function, typename... Args>
edit_status call(Function function, Args... args)
{
    c_text message;
    const int result = function(args..., &message.text);
    return judged(result, message, result < 0 ? errno : 0);
}

#if PEXILON_CXX_EXCEPTIONS
/* Throws what a status that is not ok() tells of. */
[[noreturn]] inline void raise_edit(const edit_status &s, const char *path = nullptr)
{
    if (s.error() == std::errc::not_enough_memory)
        throw std::bad_alloc();
    if (s.refused() || !s.error())
        throw edit_error(s.reason());
    /* A save's reason ends with the system's message, which system_error adds. */
    std::string what = path != nullptr ? std::string(path) + ": " + s.reason() : s.reason();
    const std::string tail = ": " + s.error().message();
    if (what.size() >= tail.size() &&
        what.compare(what.size() - tail.size(), tail.size(), tail) == 0)
        what.erase(what.size() - tail.size());
    throw std::system_error(s.error(), what);
}
#endif

} // namespace detail

} // namespace pexilon

#endif /* PEXILON_CONFIG_EDIT_STATUS_HPP */
