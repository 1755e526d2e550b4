/* Part of pexilon/config.hpp: how a read went, and the first faulty
 * line with its description. */

#ifndef PEXILON_CONFIG_STATUS_HPP
#define PEXILON_CONFIG_STATUS_HPP

#include <pexilon/config/editor_lines.hpp>

#include <cerrno>
#include <cstddef>
#include <string>
#include <system_error>
#include <utility>

namespace pexilon {

/** Where and why a read stopped being clean: the first faulty line. */
struct line_fault {
    /** The line as an editor numbers it (1-based). */
    std::size_t line = 0;
    /** The line as pexilon_parse_config() returned it: the reader takes a
     * line longer than 199 bytes in pieces and counts each piece. */
    std::size_t reader_line = 0;
    /** What is wrong with it: "faulty line", or the checker's message. */
    std::string reason;
};

/**
 * Describes the faulty line `reader_line` of the file at `path`: fills `out`
 * (line and reason; reader_line is already set) and returns true, or returns
 * false to leave the plain description. pexilon::checker_reason
 * (pexilon/check.hpp) is one. Called after the parse, on the caller's thread.
 */
using fault_describer = bool (*)(const char *path, std::size_t reader_line,
                                 line_fault &out) noexcept;

/** What one read of a file gave: clean, a faulty line (the rest of the file
 * was read and applied), or a file that could not be opened or read at all
 * (nothing was applied). */
class status {
public:
    status() noexcept = default;

    /** True when the whole file was read and every line accepted. */
    bool ok() const noexcept { return !open_failed() && !faulty(); }
    explicit operator bool() const noexcept { return ok(); }

    /** The file could not be opened or read at all; open_error() says why. */
    bool open_failed() const noexcept { return static_cast<bool>(open_error_); }
    /** The errno behind open_failed() in std::generic_category(), else empty. */
    std::error_code open_error() const noexcept { return open_error_; }

    /** A line was faulty: fault() tells which. */
    bool faulty() const noexcept { return fault_.reader_line != 0; }
    const line_fault &fault() const noexcept { return fault_; }
    line_fault &fault() noexcept { return fault_; }

    static status from_open_error(int error) noexcept
    {
        status s;
        s.open_error_ = std::error_code(error, std::generic_category());
        return s;
    }
    static status from_fault(line_fault f) noexcept
    {
        status s;
        s.fault_ = std::move(f);
        return s;
    }

private:
    std::error_code open_error_;
    line_fault fault_;
};

namespace detail {

/* The reason of a fault that nothing describes further. */
inline constexpr const char *plain_reason = "faulty line";

/* The status of a call of pexilon_parse_config() on `path` that returned
 * `result` with `error` as its errno. */
inline status judge(const char *path, int result, int error, fault_describer describe) noexcept
{
    if (result == 0)
        return {};
    if (result < 0)
        return status::from_open_error(error != 0 ? error : path == nullptr ? EINVAL : EIO);
    line_fault f;
    f.reader_line = static_cast<std::size_t>(result);
    if (describe == nullptr || !describe(path, f.reader_line, f)) {
        f.line = editor_line_in_file(path, f.reader_line);
        if (f.line == 0)
            f.line = f.reader_line; /* the file went away: the reader's count */
        f.reason = plain_reason;    /* short enough to need no allocation */
    }
    return status::from_fault(std::move(f));
}

} // namespace detail

} // namespace pexilon

#endif /* PEXILON_CONFIG_STATUS_HPP */
