/*==============================================================================
 * libpexilon_config_parser - C++ interface
 *
 * pexilon::config owns a record filled by pexilon_parse_config() and releases
 * its lists on every path; pexilon::load() reads a file into one. Everything
 * here is inline over the one exported C function: the header adds no symbol
 * to the library and needs nothing beyond it and the C++ standard library.
 *
 *   pexilon::config cfg = pexilon::load("camera.conf");   // throws on a fault
 *   for (pexilon::entry e : cfg.entries())
 *       use(e.kind(), e.key(), e.values());
 *
 * This header compiles as C++17 and as C++20, with or without exceptions.
 * Built without them (-fno-exceptions), the throwing forms are left out and
 * the std::nothrow forms remain; the choice is made once per program, as
 * config has one member more with exceptions (PEXILON_CXX_EXCEPTIONS).
 *============================================================================*/

#ifndef PEXILON_CONFIG_HPP
#define PEXILON_CONFIG_HPP

#include <pexilon/config_parser.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include <sys/stat.h>

/* 1 where the throwing forms (load(path), config::append(path), parse_error)
 * are declared: wherever the compiler has exceptions turned on. */
#ifndef PEXILON_CXX_EXCEPTIONS
#if defined(__cpp_exceptions) || defined(__EXCEPTIONS)
#define PEXILON_CXX_EXCEPTIONS 1
#else
#define PEXILON_CXX_EXCEPTIONS 0
#endif
#endif

#if PEXILON_CXX_EXCEPTIONS
#include <stdexcept>
#endif

namespace pexilon {

/*==============================================================================
 * Entry codes
 *
 * param_entry.type split into its three parts (see the C header): the
 * section's kind, its device/interface variant, and the key of the line. The
 * enumerations are open: a value the library does not write today is kept
 * as it is, never mapped to a known one.
 *============================================================================*/

/** Kind of a section, bits 31..24 of a type. */
enum class kind : std::uint8_t {
    camera = PEXILON_KIND_CAMERA,
    board = PEXILON_KIND_BOARD,
    register_ = PEXILON_KIND_REGISTER, /* [register parameter] */
    control = PEXILON_KIND_CONTROL,
};

/** The bracket groups after a section's name, bits 23..16 of a type. */
enum class variant : std::uint8_t {
    none = 0x00,      /* [board parameter], [register parameter] */
    dev2 = 0x02,      /* [board parameter][dev2] */
    dev3_inf3 = 0x03, /* [...][dev3][inf3] */
    dev3_inf2 = 0x04, /* [...][dev3][inf2] */
};

/** Key of a board or register line, bits 15..0 of a type. */
enum class key : std::uint16_t {
    reg = PEXILON_KEY_REG,
    vrcmd = PEXILON_KEY_VRCMD,
    delay = PEXILON_KEY_DELAY,
};

namespace detail {

/* The text of a fixed-size field: up to its first NUL, at most `size` bytes. */
inline std::string_view bounded(const char *field, std::size_t size) noexcept
{
    const void *nul = std::memchr(field, '\0', size);
    return {field, nul != nullptr ? static_cast<std::size_t>(static_cast<const char *>(nul) - field)
                                  : size};
}

/* A random-access iterator over C structures that yields a view of each by
 * value. C++17 knows it as an input iterator (its reference is no reference);
 * C++20 ranges take it as random access. */
template <typename View, typename Raw>
class view_iterator {
public:
    using value_type = View;
    using reference = View;
    using pointer = void;
    using difference_type = std::ptrdiff_t;
    using iterator_category = std::input_iterator_tag;
    using iterator_concept = std::random_access_iterator_tag;

    view_iterator() noexcept = default;
    explicit view_iterator(const Raw *at) noexcept : at_(at) {}

    View operator*() const noexcept { return View(*at_); }
    View operator[](difference_type n) const noexcept { return View(at_[n]); }

    view_iterator &operator++() noexcept { return ++at_, *this; }
    view_iterator &operator--() noexcept { return --at_, *this; }
    view_iterator operator++(int) noexcept { return view_iterator(at_++); }
    view_iterator operator--(int) noexcept { return view_iterator(at_--); }
    view_iterator &operator+=(difference_type n) noexcept { return at_ += n, *this; }
    view_iterator &operator-=(difference_type n) noexcept { return at_ -= n, *this; }

    friend view_iterator operator+(view_iterator i, difference_type n) noexcept { return i += n; }
    friend view_iterator operator+(difference_type n, view_iterator i) noexcept { return i += n; }
    friend view_iterator operator-(view_iterator i, difference_type n) noexcept { return i -= n; }
    friend difference_type operator-(view_iterator a, view_iterator b) noexcept
    {
        return a.at_ - b.at_;
    }
    friend bool operator==(view_iterator a, view_iterator b) noexcept { return a.at_ == b.at_; }
    friend bool operator!=(view_iterator a, view_iterator b) noexcept { return a.at_ != b.at_; }
    friend bool operator<(view_iterator a, view_iterator b) noexcept { return a.at_ < b.at_; }
    friend bool operator>(view_iterator a, view_iterator b) noexcept { return a.at_ > b.at_; }
    friend bool operator<=(view_iterator a, view_iterator b) noexcept { return a.at_ <= b.at_; }
    friend bool operator>=(view_iterator a, view_iterator b) noexcept { return a.at_ >= b.at_; }

private:
    const Raw *at_ = nullptr;
};

/* The entries of one list of the record, as views. */
template <typename View, typename Raw>
class view_range {
public:
    using iterator = view_iterator<View, Raw>;
    using value_type = View;
    using size_type = std::size_t;

    view_range() noexcept = default;
    view_range(const Raw *first, std::size_t count) noexcept : first_(first), count_(count) {}

    iterator begin() const noexcept { return iterator(first_); }
    iterator end() const noexcept { return iterator(first_ + count_); }
    std::size_t size() const noexcept { return count_; }
    bool empty() const noexcept { return count_ == 0; }
    /** The view of entry i; i must be below size(). */
    View operator[](std::size_t i) const noexcept { return View(first_[i]); }

private:
    const Raw *first_ = nullptr;
    std::size_t count_ = 0;
};

} // namespace detail

/*==============================================================================
 * Views
 *
 * A view refers into the record of the config it came from: it is valid
 * while that config lives, is not moved from, and reads no further file
 * (append() may move the lists). Views are cheap to copy; they never own.
 *============================================================================*/

/** The camera settings, from the section "camera parameter". */
class camera_view {
public:
    explicit camera_view(const camera_settings &settings) noexcept : s_(&settings) {}

    std::uint32_t cfg_mode() const noexcept { return s_->cfg_mode; }
    /** TYPE, up to its terminator or all 50 characters. */
    std::string_view type() const noexcept { return detail::bounded(s_->type, sizeof s_->type); }
    std::uint32_t width() const noexcept { return s_->width; }
    std::uint32_t height() const noexcept { return s_->height; }
    std::uint8_t bit_width() const noexcept { return s_->bit_width; }
    std::uint16_t format() const noexcept { return s_->format; }
    std::uint8_t i2c_mode() const noexcept { return s_->i2c_mode; }
    std::uint16_t i2c_addr() const noexcept { return s_->i2c_addr; }
    std::uint32_t trans_lvl() const noexcept { return s_->trans_lvl; }
    const camera_settings &raw() const noexcept { return *s_; }

private:
    const camera_settings *s_;
};

/** The numbers of one entry: contiguous, as many as its value_count (at
 * most 16). Under C++20 it converts to std::span<const std::uint32_t>. */
class value_span {
public:
    using value_type = std::uint32_t;
    using iterator = const std::uint32_t *;

    value_span() noexcept = default;
    value_span(const std::uint32_t *data, std::size_t size) noexcept : data_(data), size_(size) {}

    const std::uint32_t *data() const noexcept { return data_; }
    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    const std::uint32_t *begin() const noexcept { return data_; }
    const std::uint32_t *end() const noexcept { return data_ + size_; }
    /** Number i; i must be below size(). */
    std::uint32_t operator[](std::size_t i) const noexcept { return data_[i]; }

private:
    const std::uint32_t *data_ = nullptr;
    std::size_t size_ = 0;
};

/** One line of a board or register section. */
class entry {
public:
    explicit entry(const param_entry &raw) noexcept : e_(&raw) {}

    /** The whole code: section | key. */
    std::uint32_t type() const noexcept { return e_->type; }
    pexilon::kind kind() const noexcept { return static_cast<pexilon::kind>(e_->type >> 24); }
    pexilon::variant variant() const noexcept
    {
        return static_cast<pexilon::variant>((e_->type >> 16) & 0xFFu);
    }
    pexilon::key key() const noexcept { return static_cast<pexilon::key>(e_->type & 0xFFFFu); }
    pexilon::value_span values() const noexcept
    {
        const std::size_t count = e_->value_count;
        const std::size_t room = sizeof e_->values / sizeof e_->values[0];
        return {e_->values, count < room ? count : room};
    }
    const param_entry &raw() const noexcept { return *e_; }

private:
    const param_entry *e_;
};

/** One control section. */
class control {
public:
    explicit control(const control_entry &raw) noexcept : c_(&raw) {}

    std::int64_t min() const noexcept { return c_->min_value; }
    std::int64_t max() const noexcept { return c_->max_value; }
    std::int32_t step() const noexcept { return c_->step; }
    std::int64_t def() const noexcept { return c_->def; }
    /** CTRL_NAME, up to its terminator (never past the field's 128 bytes). */
    std::string_view name() const noexcept
    {
        return detail::bounded(c_->ctrl_name, sizeof c_->ctrl_name);
    }
    /** FUNC_NAME, up to its terminator (never past the field's 128 bytes). */
    std::string_view function() const noexcept
    {
        return detail::bounded(c_->func_name, sizeof c_->func_name);
    }
    /** The code block's text, empty without one (has_code() tells apart an
     * empty block from none). */
    std::string_view code() const noexcept
    {
        return c_->code != nullptr ? std::string_view(c_->code) : std::string_view();
    }
    bool has_code() const noexcept { return c_->code != nullptr; }
    const control_entry &raw() const noexcept { return *c_; }

private:
    const control_entry *c_;
};

using entry_range = detail::view_range<entry, param_entry>;
using control_range = detail::view_range<control, control_entry>;

/*==============================================================================
 * Paths and faults
 *============================================================================*/

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

/** The reader's piece size: a line is read in pieces of at most this many
 * bytes, its newline included. */
inline constexpr std::size_t reader_piece_bytes = 199;

namespace detail {

/* Follows text byte by byte and tells the editor line of the reader's line
 * `target`. */
class piece_counter {
public:
    explicit piece_counter(std::size_t target) noexcept : target_(target) {}

    /* Takes the next bytes; true once the target piece has begun. */
    bool feed(const char *bytes, std::size_t size) noexcept
    {
        for (std::size_t i = 0; i < size; ++i) {
            if (in_piece_ == 0 && ++pieces_ == target_)
                return true;
            ++in_piece_;
            if (bytes[i] == '\n') {
                ++line_;
                in_piece_ = 0;
            } else if (in_piece_ == reader_piece_bytes) {
                in_piece_ = 0;
            }
        }
        return false;
    }
    /* The editor line of the target piece once feed() said so; before, at
     * the end of the text, the line after the last complete one. */
    std::size_t line() const noexcept { return line_; }

private:
    std::size_t target_;
    std::size_t pieces_ = 0;
    std::size_t in_piece_ = 0;
    std::size_t line_ = 1;
};

} // namespace detail

/**
 * The editor line of the reader's line `reader_line` in `text`: the text is
 * cut as the reader cuts it (lines over 199 bytes in pieces, a newline ends a
 * piece; a byte-order mark and carriage returns are bytes like any other). A
 * reader line past the end of the text gives the line after the last
 * complete one, as the checker numbers it.
 */
inline std::size_t editor_line_in_text(std::string_view text, std::size_t reader_line) noexcept
{
    detail::piece_counter counter(reader_line);
    counter.feed(text.data(), text.size());
    return counter.line();
}

/**
 * The same for the file at `path`, read again through a 4 KB buffer on the
 * stack. Returns 0 when the file cannot be opened or read, or is no regular
 * file (a pipe or a terminal gives its text once). The file is read as it is
 * now: if it changed since the parse, so may the answer.
 *
 * NULL: a null `path` gives 0. Threads: keeps no state; any thread may call.
 */
inline std::size_t editor_line_in_file(const char *path, std::size_t reader_line) noexcept
{
    if (path == nullptr)
        return 0;
    std::FILE *file = std::fopen(path, "rb");
    if (file == nullptr)
        return 0;
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fclose(file);
        return 0;
    }
    detail::piece_counter counter(reader_line);
    char buffer[4096];
    bool found = false;
    std::size_t n = 0;
    while (!found && (n = std::fread(buffer, 1, sizeof buffer, file)) != 0)
        found = counter.feed(buffer, n);
    const bool failed = !found && std::ferror(file) != 0;
    std::fclose(file);
    return failed ? 0 : counter.line();
}

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

#endif /* PEXILON_CONFIG_HPP */
