// The editing functions of libpexilon_config_check: a document and its
// edits, its atomic save, and the record writer behind a C boundary. No
// exception crosses it; what a caller receives is malloc'd.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "check/c_copy.h"
#include "document/document.h"
#include "edit/edit_path.h"
#include "edit/file_read.h"
#include "edit/line_edits.h"
#include "edit/record_copy.h"
#include "edit/record_writer.h"
#include "edit/save_file.h"
#include "edit/set_value.h"
#include "pexilon/config_check.h"

struct pexilon_check_document {
    explicit pexilon_check_document(std::string text) : doc(std::move(text)) {}
    pexilon::document doc;
    // The file the text was read from, as it was read or last saved: a save
    // over it is refused when another program changed it meanwhile, and
    // remembers what it wrote. Saves of one document take turns with it.
    mutable std::mutex saving;
    mutable std::optional<pexilon::edit::read_file> origin;
};

namespace {

using pexilon::edit::edit_outcome;

using pexilon::check::c_copy;

int invalid(int error) noexcept
{
    errno = error;
    return -1;
}

// Hands `reason` out as the result of a refusal: 1, or -1 when it cannot be copied.
int refusal(std::string_view reason, char **message) noexcept
{
    char *copy = c_copy(reason);
    if (copy == nullptr)
        return invalid(ENOMEM);
    if (message != nullptr)
        *message = copy;
    else
        std::free(copy);
    return 1;
}

// Runs `edit` on the document, which takes its result when it is done.
template <typename Edit>
int edited(pexilon_check_document *doc, char **message, bool arguments, Edit edit) noexcept
{
    if (message != nullptr)
        *message = nullptr;
    if (doc == nullptr || !arguments)
        return invalid(EINVAL);
    try {
        edit_outcome outcome = edit(doc->doc);
        if (!outcome.done)
            return refusal(outcome.reason, message);
        if (outcome.text != doc->doc.stored_text()) {
            pexilon::document next(std::move(outcome.text));
            doc->doc = std::move(next);
        }
        return 0;
    } catch (...) {
        // Memory ran out: the document was left as it was.
        return invalid(ENOMEM);
    }
}

edit_outcome remove_item(const pexilon::document &doc, const char *item)
{
    pexilon::edit::path_target target{};
    std::size_t index = 0;
    std::string error;
    if (!pexilon::edit::resolve_item(item, doc.record(), target, index, error))
        return pexilon::edit::refused(error);
    if (target == pexilon::edit::path_target::entry)
        return pexilon::edit::remove_entry(doc, index);
    return pexilon::edit::remove_control(doc, index);
}

} // namespace

extern "C" {

pexilon_check_document *pexilon_check_document_load(const char *text, std::size_t size) noexcept
{
    try {
        return new pexilon_check_document(
            std::string(text != nullptr ? text : "", text != nullptr ? size : 0));
    } catch (...) {
        errno = ENOMEM;
        return nullptr;
    }
}

pexilon_check_document *pexilon_check_document_load_file(const char *path) noexcept
{
    if (path == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    try {
        pexilon::edit::read_file read;
        if (const int error = pexilon::edit::read_whole_file(path, read); error != 0) {
            errno = error;
            return nullptr;
        }
        auto doc = std::make_unique<pexilon_check_document>(read.bytes);
        doc->origin = std::move(read);
        return doc.release();
    } catch (...) {
        errno = ENOMEM;
        return nullptr;
    }
}

void pexilon_check_document_free(pexilon_check_document *doc) noexcept { delete doc; }

const char *pexilon_check_document_text(const pexilon_check_document *doc,
                                        std::size_t *size) noexcept
{
    if (size != nullptr)
        *size = doc != nullptr ? doc->doc.stored_text().size() : 0;
    return doc != nullptr ? doc->doc.stored_text().c_str() : nullptr;
}

const parsed_config *pexilon_check_document_record(const pexilon_check_document *doc) noexcept
{
    return doc != nullptr ? &doc->doc.record() : nullptr;
}

int pexilon_check_document_parse_result(const pexilon_check_document *doc) noexcept
{
    return doc != nullptr ? doc->doc.report().outcome.line : -1;
}

int pexilon_check_document_set(pexilon_check_document *doc, const char *path, const char *value,
                               std::size_t value_size, char **message) noexcept
{
    return edited(doc, message, path != nullptr && (value != nullptr || value_size == 0),
                  [&](const pexilon::document &d) {
                      return pexilon::edit::set_value(
                          d, path, std::string_view(value != nullptr ? value : "", value_size));
                  });
}

int pexilon_check_document_insert(pexilon_check_document *doc, std::size_t index, const char *entry,
                                  char **message) noexcept
{
    return edited(doc, message, entry != nullptr, [&](const pexilon::document &d) {
        return pexilon::edit::insert_entry_at(d, index, entry);
    });
}

int pexilon_check_document_insert_after(pexilon_check_document *doc, std::size_t after,
                                        const char *entry, char **message) noexcept
{
    return edited(doc, message, entry != nullptr, [&](const pexilon::document &d) {
        return pexilon::edit::insert_entry_after(d, after, entry);
    });
}

int pexilon_check_document_insert_in_section(pexilon_check_document *doc, const char *section,
                                             const char *entry, char **message) noexcept
{
    return edited(doc, message, section != nullptr && entry != nullptr,
                  [&](const pexilon::document &d) {
                      return pexilon::edit::insert_entry_in(d, section, entry);
                  });
}

int pexilon_check_document_add_control(pexilon_check_document *doc, const char *name,
                                       char **message) noexcept
{
    return edited(doc, message, name != nullptr,
                  [&](const pexilon::document &d) { return pexilon::edit::add_control(d, name); });
}

int pexilon_check_document_remove(pexilon_check_document *doc, const char *item,
                                  char **message) noexcept
{
    return edited(doc, message, item != nullptr,
                  [&](const pexilon::document &d) { return remove_item(d, item); });
}

int pexilon_check_document_save(const pexilon_check_document *doc, const char *path,
                                char **message) noexcept
{
    if (message != nullptr)
        *message = nullptr;
    if (doc == nullptr || path == nullptr)
        return invalid(EINVAL);
    try {
        const std::lock_guard<std::mutex> turn(doc->saving);
        const pexilon::edit::save_outcome saved = pexilon::edit::save_text(
            path, doc->doc.stored_text(), doc->origin ? &*doc->origin : nullptr);
        if (saved.saved)
            return 0;
        const int status = refusal(saved.reason, message);
        if (status > 0)
            errno = saved.os_error;
        return status;
    } catch (...) {
        return invalid(ENOMEM);
    }
}

int pexilon_check_write_record(const parsed_config *record, char **text, std::size_t *size,
                               char **message) noexcept
{
    if (text != nullptr)
        *text = nullptr;
    if (size != nullptr)
        *size = 0;
    if (message != nullptr)
        *message = nullptr;
    if (record == nullptr || text == nullptr)
        return invalid(EINVAL);
    try {
        pexilon::edit::record_copy copy(*record);
        const edit_outcome outcome = pexilon::edit::write_record(copy);
        if (!outcome.done)
            return refusal(outcome.reason, message);
        *text = c_copy(outcome.text);
        if (*text == nullptr)
            return invalid(ENOMEM);
        if (size != nullptr)
            *size = outcome.text.size();
        return 0;
    } catch (...) {
        return invalid(ENOMEM);
    }
}

} // extern "C"
