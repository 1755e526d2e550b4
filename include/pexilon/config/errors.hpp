/* Part of pexilon/config.hpp: the errors thrown for a faulty line or a
 * file that cannot be read, and config::append's throwing form. Empty
 * without exceptions. */

#ifndef PEXILON_CONFIG_ERRORS_HPP
#define PEXILON_CONFIG_ERRORS_HPP

#include <pexilon/config/exceptions.hpp>
#include <pexilon/config/record.hpp>
#include <pexilon/config/status.hpp>

#include <cstddef>
#include <memory>
#include <string>
#include <system_error>
#include <utility>

#if PEXILON_CXX_EXCEPTIONS
#include <stdexcept>
#endif

namespace pexilon {

#if PEXILON_CXX_EXCEPTIONS

/*==============================================================================
 * Errors (with exceptions only)
 *============================================================================*/

/**
 * A faulty line. what() reads "PATH:LINE: REASON" with the editor line.
 * Copies share one partial config: take_config() on one empties them all.
 * Copying never throws.
 */
class parse_error : public std::runtime_error {
public:
    parse_error(const std::string &path, const line_fault &fault, pexilon::config partial = {})
        : std::runtime_error(path + ":" + std::to_string(fault.line) + ": " + fault.reason),
          data_(std::make_shared<data>(data{path, fault, std::move(partial)}))
    {
    }
    /* A move copies, as exceptions are copied: the error moved from shares
     * what it held with the new one and stays whole, so that every accessor
     * of either may be called. */
    parse_error(const parse_error &) = default;
    parse_error &operator=(const parse_error &) = default;
    ~parse_error() override = default;

    /** The file's name as given. */
    const std::string &path() const noexcept { return data_->path; }
    /** The line as an editor numbers it. */
    std::size_t line() const noexcept { return data_->fault.line; }
    /** The line as pexilon_parse_config() returned it (199-byte pieces). */
    std::size_t reader_line() const noexcept { return data_->fault.reader_line; }
    /** What is wrong with the line: "faulty line", or the checker's reason. */
    const std::string &reason() const noexcept { return data_->fault.reason; }
    /** Everything the rest of the file gave (empty for config::append). */
    const pexilon::config &config() const noexcept { return data_->partial; }
    /** Hands that config over; config() is empty afterwards. */
    pexilon::config take_config() noexcept { return std::move(data_->partial); }

private:
    struct data {
        std::string path;
        line_fault fault;
        pexilon::config partial;
    };
    std::shared_ptr<data> data_;
};

namespace detail {

/* Throws what `s` tells of, taking the partial config from `partial`. */
[[noreturn]] inline void raise(const char *path, status &s, pexilon::config partial)
{
    const std::string name = path != nullptr ? path : "(null)";
    if (s.open_failed())
        throw std::system_error(s.open_error(), name);
    throw parse_error(name, s.fault(), std::move(partial));
}

} // namespace detail

inline void config::append(path_arg path, fault_describer describe)
{
    status s = append(path, std::nothrow, describe);
    if (!s.ok())
        detail::raise(path.c_str(), s, pexilon::config());
}

#endif /* PEXILON_CXX_EXCEPTIONS */

} // namespace pexilon

#endif /* PEXILON_CONFIG_ERRORS_HPP */
