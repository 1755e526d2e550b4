// The temporary file of a rewrite: created beside the file it replaces,
// removed again unless it was renamed over that file, also when the program
// is ended by SIGINT, SIGTERM or SIGHUP while it exists.
#pragma once

#include <string>

namespace pexilon::tool {

class temporary_file {
public:
    // Creates ".NAME.pexilon-config-XXXXXX" in the folder of `target`.
    explicit temporary_file(const std::string &target);
    ~temporary_file();
    temporary_file(const temporary_file &) = delete;
    temporary_file &operator=(const temporary_file &) = delete;

    bool created() const noexcept { return fd_ >= 0 || closed_; }
    int fd() const noexcept { return fd_; }
    bool close() noexcept;                       // false, with errno, when closing failed
    bool rename_over(const std::string &target); // the file is no longer temporary then

private:
    int fd_ = -1;
    bool closed_ = false;
    bool kept_ = false;
};

} // namespace pexilon::tool
