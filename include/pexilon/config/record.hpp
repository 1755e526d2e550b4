/* Part of pexilon/config.hpp: pexilon::config, the owner of a record
 * and its lists, and the read of a file into it. */

#ifndef PEXILON_CONFIG_RECORD_HPP
#define PEXILON_CONFIG_RECORD_HPP

#include <pexilon/config/exceptions.hpp>
#include <pexilon/config/path_arg.hpp>
#include <pexilon/config/status.hpp>
#include <pexilon/config/views.hpp>
#include <pexilon/config_parser.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

namespace pexilon {

/*==============================================================================
 * The config
 *============================================================================*/

/**
 * A record filled by pexilon_parse_config(), and the owner of its lists.
 *
 * Ownership: the params and controls lists and every code text are released
 * with free() when the config is destroyed, reset() or assigned to. Moving
 * hands them over and leaves the source empty (as if default-constructed);
 * a config moved onto itself keeps what it holds. Not copyable.
 *
 * NULL: an empty config has null lists and no entries; every view of it is
 * empty.
 *
 * Threads: distinct configs may be used from different threads at the same
 * time; one config may be read from several threads while none changes it.
 */
class config {
public:
    /** An empty record: every camera field 0, no entries, no controls. */
    config() noexcept : record_{} {}
    ~config() { reset(); }

    config(config &&other) noexcept : record_(other.record_) { other.record_ = parsed_config{}; }
    config &operator=(config &&other) noexcept
    {
        if (this != &other) {
            reset();
            record_ = other.record_;
            other.record_ = parsed_config{};
        }
        return *this;
    }
    config(const config &) = delete;
    config &operator=(const config &) = delete;

    void swap(config &other) noexcept { std::swap(record_, other.record_); }
    friend void swap(config &a, config &b) noexcept { a.swap(b); }

    /** Takes over a record filled by pexilon_parse_config() (or zeroed), with
     * its lists: the caller must not free them any more. */
    static config adopt(const parsed_config &record) noexcept
    {
        config c;
        c.record_ = record;
        return c;
    }
    /** Hands the record and its lists to the caller, who frees them as the C
     * header says; the config is left empty. */
    parsed_config release() noexcept
    {
        const parsed_config record = record_;
        record_ = parsed_config{};
        return record;
    }
    /** Frees every list and leaves the config empty. */
    void reset() noexcept
    {
        for (std::uint32_t i = 0; i < record_.control_count && record_.controls != nullptr; ++i)
            std::free(record_.controls[i].code);
        std::free(record_.controls);
        std::free(record_.params);
        record_ = parsed_config{};
    }

    camera_view camera() const noexcept { return camera_view(record_.camera); }
    /** The board and register lines, in file order. */
    entry_range entries() const noexcept { return {record_.params, record_.param_count}; }
    /** The control sections, in file order. */
    control_range controls() const noexcept { return {record_.controls, record_.control_count}; }
    /** The C record, for code that reads it field by field. */
    const parsed_config &raw() const noexcept { return record_; }

    /**
     * Reads the file at `path` into this config: camera fields it names are
     * overwritten, entries and controls appended (a second file adds to the
     * first). On a faulty line the rest of the file is still read and
     * applied, and the status tells the line; when the file cannot be opened
     * or read at all, nothing changes. `describe` (may be null) words the
     * fault. Never throws; memory runs out only in `describe`, whose own rule
     * applies (the plain description needs none).
     *
     * Ownership: what the file adds belongs to this config; views taken
     * before may dangle afterwards (the lists may move).
     * NULL: a null `path` gives open_failed() with EINVAL.
     * Threads: as pexilon_parse_config(): appends to different configs may
     * run at the same time; errno is read on the calling thread.
     */
    status append(path_arg path, std::nothrow_t /*tag*/,
                  fault_describer describe = nullptr) noexcept
    {
        errno = 0;
        const int result = pexilon_parse_config(path.c_str(), &record_);
        const int error = errno;
        return detail::judge(path.c_str(), result, error, describe);
    }

#if PEXILON_CXX_EXCEPTIONS
    /**
     * As append(path, std::nothrow), but throws std::system_error (with the
     * errno) when the file cannot be opened or read, and pexilon::parse_error
     * on a faulty line: the lines of the file before and after it are
     * applied to this config all the same, so the error carries no config.
     * A null `path` throws std::system_error with EINVAL.
     */
    inline void append(path_arg path, fault_describer describe = nullptr);
#endif

private:
    parsed_config record_;
};

} // namespace pexilon

#endif /* PEXILON_CONFIG_RECORD_HPP */
