/* Part of pexilon/config.hpp: the file name a read takes. */

#ifndef PEXILON_CONFIG_PATH_ARG_HPP
#define PEXILON_CONFIG_PATH_ARG_HPP

#include <filesystem>
#include <string>

namespace pexilon {

/** A file name as the C function takes it: from a C string, a std::string or
 * a std::filesystem::path. Refers to the caller's text, which must outlive
 * the call it is given to. */
class path_arg {
public:
    /* Implicit on purpose: a host passes the name as it holds it. */
    path_arg(const char *path) noexcept : p_(path) {}
    path_arg(const std::string &path) noexcept : p_(path.c_str()) {}
    path_arg(const std::filesystem::path &path) noexcept : p_(path.c_str()) {}
    const char *c_str() const noexcept { return p_; }

private:
    const char *p_;
};

} // namespace pexilon

#endif /* PEXILON_CONFIG_PATH_ARG_HPP */
