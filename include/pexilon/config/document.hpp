/* Part of pexilon/check.hpp (it needs the check library): pexilon::document,
 * a configuration text edited one value or line at a time with every other
 * byte kept, and pexilon::dumps, a record written as a new file. Inline over
 * the pexilon_check_document_* functions of pexilon/config_check.h, whose
 * rules (what an edit keeps, what it refuses) apply:
 *
 *   auto doc = pexilon::document::load("board.conf");
 *   doc.set("camera.width", 1920);
 *   doc.set("controls[Exposure].max_value", "4000");
 *   doc.insert_in("[register parameter]", "REG=0x0115,0x01");
 *   doc.remove("entries[4]");
 *   doc.save("board.conf");                 // atomically
 *
 * Refusals throw pexilon::edit_error with the reason; each edit has a
 * std::nothrow form that returns an edit_status instead, which alone remain
 * without exceptions. */

#ifndef PEXILON_CONFIG_DOCUMENT_HPP
#define PEXILON_CONFIG_DOCUMENT_HPP

#include <pexilon/config/edit_status.hpp>
#include <pexilon/config/exceptions.hpp>
#include <pexilon/config/path_arg.hpp>
#include <pexilon/config/record.hpp>
#include <pexilon/config/views.hpp>
#include <pexilon/config_check.h>
#include <pexilon/config_parser.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <new>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

namespace pexilon {

/**
 * A configuration text being edited (see "Editing" in pexilon/config_check.h).
 *
 * Ownership: the document owns its text and record; text(), raw() and the
 * views point into them and stay valid until the next edit that succeeds,
 * a move or the document's end. Moves, never copies; a default-constructed
 * or moved-from document is the empty text (an edit of it makes one).
 *
 * Threads: distinct documents may be used at the same time; one document
 * may be read from several threads while none edits it.
 */
class document {
public:
    /** What load(path, std::nothrow) and loads(text, std::nothrow) give. */
    struct load_result;

    document() noexcept = default;
    ~document() { pexilon_check_document_free(doc_); }
    document(document &&other) noexcept : doc_(other.doc_) { other.doc_ = nullptr; }
    document &operator=(document &&other) noexcept
    {
        std::swap(doc_, other.doc_);
        return *this;
    }
    document(const document &) = delete;
    document &operator=(const document &) = delete;

    /** A document of `text` (copied). error is ENOMEM when memory ran out. */
    static inline load_result loads(std::string_view text, std::nothrow_t /*tag*/) noexcept;
    /** A document of the file at `path`, read whole, which save() over that
     * file checks against (pexilon_check_document_load_file); error is its
     * errno when it cannot be opened or read (EINVAL for a null `path`). */
    static inline load_result load(path_arg path, std::nothrow_t tag) noexcept;

    /** The text, byte for byte (it may hold NUL bytes). */
    std::string_view text() const noexcept
    {
        std::size_t size = 0;
        const char *text = pexilon_check_document_text(doc_, &size);
        return text != nullptr ? std::string_view(text, size) : std::string_view();
    }
    /** The record the text gives, as pexilon_parse_config fills it. */
    const parsed_config &raw() const noexcept
    {
        static const parsed_config empty{};
        const parsed_config *record = pexilon_check_document_record(doc_);
        return record != nullptr ? *record : empty;
    }
    camera_view camera() const noexcept { return camera_view(raw().camera); }
    entry_range entries() const noexcept { return {raw().params, raw().param_count}; }
    control_range controls() const noexcept { return {raw().controls, raw().control_count}; }
    /** What pexilon_parse_config returns for the text: 0 or the reader's faulty line. */
    int parse_result() const noexcept
    {
        return doc_ != nullptr ? pexilon_check_document_parse_result(doc_) : 0;
    }

    /** Sets the field `path` names ("camera.width", "controls[Exposure].code",
     * "entries[3].values") to `value` as a command line writes it. */
    edit_status set(std::string_view path, std::string_view value, std::nothrow_t) noexcept
    {
        return edit([&] {
            const std::string p(path);
            return detail::call(pexilon_check_document_set, doc_, p.c_str(), value.data(),
                                value.size());
        });
    }
    edit_status set(std::string_view path, std::int64_t value, std::nothrow_t tag) noexcept
    {
        return detail::guarded([&] { return set(path, std::to_string(value), tag); });
    }
    /** The entry "KEY=NUMBERS" as the new entries[index]: before the line of
     * entries[index], or after the last entry when index is their number. */
    edit_status insert(std::size_t index, std::string_view entry, std::nothrow_t) noexcept
    {
        return edit([&] {
            const std::string e(entry);
            return detail::call(pexilon_check_document_insert, doc_, index, e.c_str());
        });
    }
    /** The entry after entries[after] and the lines that continue it. */
    edit_status insert_after(std::size_t after, std::string_view entry, std::nothrow_t) noexcept
    {
        return edit([&] {
            const std::string e(entry);
            return detail::call(pexilon_check_document_insert_after, doc_, after, e.c_str());
        });
    }
    /** The entry at the end of the last section named `section`
     * ("[register parameter]"), which is added when there is none. */
    edit_status insert_in(std::string_view section, std::string_view entry, std::nothrow_t) noexcept
    {
        return edit([&] {
            const std::string s(section), e(entry);
            return detail::call(pexilon_check_document_insert_in_section, doc_, s.c_str(),
                                e.c_str());
        });
    }
    /** A control section whose CTRL_NAME is `name`, at the end of the file. */
    edit_status add_control(std::string_view name, std::nothrow_t) noexcept
    {
        return edit([&] {
            const std::string n(name);
            return detail::call(pexilon_check_document_add_control, doc_, n.c_str());
        });
    }
    /** Removes "entries[N]", "controls[N]" or "controls[CTRL_NAME]". */
    edit_status remove(std::string_view item, std::nothrow_t) noexcept
    {
        return edit([&] {
            const std::string i(item);
            return detail::call(pexilon_check_document_remove, doc_, i.c_str());
        });
    }
    /** Writes the text over the file at `path` atomically, keeping its owner,
     * mode and extended attributes (pexilon_check_document_save). Refused
     * when `path` is the file load() read and another program has changed,
     * replaced or removed it since, which is then left as it is. */
    edit_status save(path_arg path, std::nothrow_t) const noexcept
    {
        return detail::guarded([&] {
            pexilon_check_document *empty =
                doc_ == nullptr ? pexilon_check_document_load("", 0) : nullptr;
            if (doc_ == nullptr && empty == nullptr)
                return edit_status::from_error(ENOMEM);
            detail::c_text message;
            errno = 0;
            const int result = pexilon_check_document_save(doc_ != nullptr ? doc_ : empty,
                                                           path.c_str(), &message.text);
            const int error = result != 0 ? errno : 0;
            pexilon_check_document_free(empty);
            return detail::judged(result, message, error);
        });
    }

#if PEXILON_CXX_EXCEPTIONS
    /** As the std::nothrow forms: a refusal throws pexilon::edit_error with
     * the reason, memory that runs out std::bad_alloc. */
    static inline document loads(std::string_view text);
    /** Throws std::system_error when the file cannot be opened or read. */
    static inline document load(path_arg path);
    void set(std::string_view path, std::string_view value)
    {
        check(set(path, value, std::nothrow));
    }
    void set(std::string_view path, std::int64_t value) { check(set(path, value, std::nothrow)); }
    void insert(std::size_t index, std::string_view entry)
    {
        check(insert(index, entry, std::nothrow));
    }
    void insert_after(std::size_t after, std::string_view entry)
    {
        check(insert_after(after, entry, std::nothrow));
    }
    void insert_in(std::string_view section, std::string_view entry)
    {
        check(insert_in(section, entry, std::nothrow));
    }
    void add_control(std::string_view name) { check(add_control(name, std::nothrow)); }
    void remove(std::string_view item) { check(remove(item, std::nothrow)); }
    /** Throws std::system_error with the errno of the step that failed, and
     * pexilon::edit_error when the file may not be replaced (not a regular
     * file, more than one hard link, changed since load() read it). */
    void save(path_arg path) const
    {
        const edit_status s = save(path, std::nothrow);
        if (!s.ok())
            detail::raise_edit(s, path.c_str() != nullptr ? path.c_str() : "(null)");
    }
#endif

private:
    template <typename Step>
    edit_status edit(Step step) noexcept
    {
        return detail::guarded([&] {
            if (doc_ == nullptr && (doc_ = pexilon_check_document_load("", 0)) == nullptr)
                return edit_status::from_error(ENOMEM);
            return step();
        });
    }
#if PEXILON_CXX_EXCEPTIONS
    static void check(const edit_status &s)
    {
        if (!s.ok())
            detail::raise_edit(s);
    }
#endif

    pexilon_check_document *doc_ = nullptr;
};

struct document::load_result {
    pexilon::document document;
    std::error_code error;
};

inline document::load_result document::loads(std::string_view text, std::nothrow_t) noexcept
{
    load_result r;
    r.document.doc_ = pexilon_check_document_load(text.data(), text.size());
    if (r.document.doc_ == nullptr)
        r.error = std::make_error_code(std::errc::not_enough_memory);
    return r;
}

inline document::load_result document::load(path_arg path, std::nothrow_t) noexcept
{
    load_result r;
    if (path.c_str() == nullptr) {
        r.error = std::make_error_code(std::errc::invalid_argument);
        return r;
    }
    r.document.doc_ = pexilon_check_document_load_file(path.c_str());
    if (r.document.doc_ == nullptr)
        r.error = std::error_code(errno, std::generic_category());
    return r;
}

#if PEXILON_CXX_EXCEPTIONS
inline document document::loads(std::string_view text)
{
    load_result r = loads(text, std::nothrow);
    if (r.error)
        throw std::bad_alloc();
    return std::move(r.document);
}

inline document document::load(path_arg path)
{
    load_result r = load(path, std::nothrow);
    if (r.error == std::errc::not_enough_memory)
        throw std::bad_alloc();
    if (r.error)
        throw std::system_error(r.error, path.c_str() != nullptr ? path.c_str() : "(null)");
    return std::move(r.document);
}
#endif

/**
 * A new file for `record` in the layout of fmt, read again and compared
 * with it before it is handed out (pexilon_check_write_record): `out`
 * holds it when the status is ok(); a record no file can express is
 * refused with the reason.
 */
inline edit_status dumps(const parsed_config &record, std::string &out, std::nothrow_t) noexcept
{
    return detail::guarded([&] {
        detail::c_text text, message;
        std::size_t size = 0;
        const int result = pexilon_check_write_record(&record, &text.text, &size, &message.text);
        const int error = result < 0 ? errno : 0;
        if (result == 0)
            out.assign(text.text, size);
        return detail::judged(result, message, error);
    });
}
inline edit_status dumps(const config &cfg, std::string &out, std::nothrow_t tag) noexcept
{
    return dumps(cfg.raw(), out, tag);
}

#if PEXILON_CXX_EXCEPTIONS
/** As dumps(record, out, std::nothrow); a refusal throws pexilon::edit_error. */
inline std::string dumps(const parsed_config &record)
{
    std::string out;
    const edit_status s = dumps(record, out, std::nothrow);
    if (!s.ok())
        detail::raise_edit(s);
    return out;
}
inline std::string dumps(const config &cfg) { return dumps(cfg.raw()); }
#endif

} // namespace pexilon

#endif /* PEXILON_CONFIG_DOCUMENT_HPP */
