/* Part of pexilon/config.hpp: pexilon::load, a file read into a new
 * config, with a status or (with exceptions) throwing. */

#ifndef PEXILON_CONFIG_LOAD_HPP
#define PEXILON_CONFIG_LOAD_HPP

#include <pexilon/config/errors.hpp>
#include <pexilon/config/exceptions.hpp>
#include <pexilon/config/path_arg.hpp>
#include <pexilon/config/record.hpp>
#include <pexilon/config/status.hpp>

#include <new>
#include <utility>

namespace pexilon {

/** What load(path, std::nothrow) gives: the config as far as it was filled,
 * and how the read went. Structured bindings take it apart:
 *   auto [cfg, st] = pexilon::load(path, std::nothrow); */
struct load_result {
    pexilon::config config;
    pexilon::status status;
};

/**
 * Reads the file at `path` into a new config (see config::append). Never
 * throws: status.open_failed() with the errno when the file cannot be opened
 * or read (config then empty), status.faulty() with the first faulty line
 * (config then holds everything else the file gave).
 *
 * Ownership: the result owns the config. NULL: a null `path` gives
 * open_failed() with EINVAL. Threads: loads may run at the same time.
 */
inline load_result load(path_arg path, std::nothrow_t tag,
                        fault_describer describe = nullptr) noexcept
{
    load_result r;
    r.status = r.config.append(path, tag, describe);
    return r;
}

#if PEXILON_CXX_EXCEPTIONS

/**
 * Reads the file at `path` into a new config. Throws std::system_error (the
 * errno in std::generic_category()) when the file cannot be opened or read,
 * pexilon::parse_error on a faulty line (carrying the config as filled), and
 * std::bad_alloc when the error itself cannot be built; nothing leaks on any
 * of these. NULL and threads as load(path, std::nothrow).
 */
inline config load(path_arg path, fault_describer describe = nullptr)
{
    load_result r = load(path, std::nothrow, describe);
    if (!r.status.ok())
        detail::raise(path.c_str(), r.status, std::move(r.config));
    return std::move(r.config);
}

#endif /* PEXILON_CXX_EXCEPTIONS */

} // namespace pexilon

#endif /* PEXILON_CONFIG_LOAD_HPP */
