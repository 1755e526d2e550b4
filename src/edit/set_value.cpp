#include "edit/set_value.h"

#include <cstring>

#include "config/record_fields.h"
#include "edit/edit_path.h"
#include "edit/field_values.h"
#include "edit/key_lines.h"
#include "edit/number_text.h"
#include "edit/set_entry.h"

namespace pexilon::edit {

namespace {

void *field_record(record_copy &copy, const edit_path &path)
{
    if (path.target == path_target::camera)
        return &copy.camera;
    return &copy.controls[path.index];
}

// The numbers a key's value must hold for the field to become `value`, the
// other fields it fills kept as the record has them.
std::vector<std::int64_t> key_numbers(const record_copy &copy, const edit_path &path,
                                      std::int64_t value)
{
    const void *record = path.target == path_target::camera
                             ? static_cast<const void *>(&copy.camera)
                             : static_cast<const void *>(&copy.controls[path.index]);
    const record_member *first = member_of(*path.key);
    switch (path.key->form) {
    case value_form::pair:
        return path.order == 0 ? std::vector<std::int64_t>{value, number_of(record, first[1])}
                               : std::vector<std::int64_t>{number_of(record, first[0]), value};
    case value_form::high_low:
        return {value >> 8, value & 0xFF};
    default:
        return {value};
    }
}

std::string key_line(const key_row &key, const std::vector<std::int64_t> &numbers)
{
    std::string line = std::string(key.name) + " = ";
    for (std::size_t i = 0; i < numbers.size(); ++i)
        line += (i == 0 ? "" : ", ") + number_text(numbers[i], key.form == value_form::high_low);
    return line;
}

// The splices that make `piece`'s numbers `numbers`: each number that
// differs rewritten in its own style; a FORMAT of one number given its
// second when the low byte is not 0.
bool number_splices(const document &doc, const document_piece &piece,
                    const std::vector<std::int64_t> &numbers, std::vector<splice> &splices)
{
    std::size_t wanted = numbers.size();
    if (piece.key->form == value_form::high_low && piece.number_count == 1 && numbers[1] == 0)
        wanted = 1;
    if (piece.number_count > wanted ||
        (piece.key->form != value_form::high_low && piece.number_count != wanted))
        return false;
    for (std::size_t i = 0; i < wanted; ++i) {
        if (i >= piece.number_count) {
            const document_number &last = doc.numbers()[piece.first_number + i - 1];
            splices.push_back({{last.written.end, last.written.end},
                               ", " + number_like(numbers[i], doc.bytes(last.written))});
            continue;
        }
        const document_number &number = doc.numbers()[piece.first_number + i];
        if (number.digits && !number.saturated && number.read == numbers[i])
            continue;
        splices.push_back({number.written, number_like(numbers[i], doc.bytes(number.written))});
    }
    return true;
}

edit_outcome set_number(const document &doc, const edit_path &path, std::string_view value)
{
    std::string error;
    const std::optional<std::int64_t> number = field_number(value, *path.member, error);
    if (!number)
        return refused(error);
    record_copy expected(doc.record());
    store_number(field_record(expected, path), *path.member, *number);
    const std::vector<std::int64_t> numbers = key_numbers(expected, path, *number);
    if (holds_already(doc, expected))
        return {true, doc.stored_text(), {}};
    std::vector<splice> splices;
    const std::size_t control = path.target == path_target::control ? path.index : 0;
    if (const document_piece *piece = setting_piece(doc, *path.key, control)) {
        // Not reached: the reader keeps a line's value only when it holds
        // as many numbers as its key takes (SIZE two, FORMAT one or two, the
        // others one), and setting_piece finds only lines whose value was
        // kept. Kept so that a line read otherwise one day is refused, not
        // spliced into a value the reader would not give.
        if (!number_splices(doc, *piece, numbers, splices))
            return refused(std::string(path.key->name) +
                           "'s line holds other numbers than it takes");
    } else if (path.target == path_target::camera) {
        splices.push_back(line_in_section(doc, section_camera, key_line(*path.key, numbers)));
    } else {
        const std::size_t section = doc.control_sections()[path.index];
        splices.push_back(
            line_after(doc, last_content_line(doc, section), key_line(*path.key, numbers)));
    }
    return verified(doc, apply_splices(doc.stored_text(), splices), expected);
}

edit_outcome set_text(const document &doc, const edit_path &path, std::string_view value)
{
    std::string error;
    if (!field_text(value, *path.key, error))
        return refused(error);
    record_copy expected(doc.record());
    char *field = static_cast<char *>(field_record(expected, path)) + path.member->offset;
    std::memset(field, 0, path.member->size);
    std::memcpy(field, value.data(), value.size());
    if (holds_already(doc, expected))
        return {true, doc.stored_text(), {}};
    const std::size_t control = path.target == path_target::control ? path.index : 0;
    std::vector<splice> splices;
    const std::string line = std::string(path.key->name) + " = " + std::string(value);
    if (const document_piece *piece = setting_piece(doc, *path.key, control)) {
        if (doc.bytes(piece->value) != value)
            splices.push_back({piece->value, std::string(value)});
    } else if (path.target == path_target::camera) {
        splices.push_back(line_in_section(doc, section_camera, line));
    } else {
        splices.push_back(
            line_after(doc, last_content_line(doc, doc.control_sections()[path.index]), line));
    }
    return verified(doc, apply_splices(doc.stored_text(), splices), expected);
}

} // namespace

edit_outcome set_value(const document &doc, std::string_view path_text, std::string_view value)
{
    edit_path path;
    std::string error;
    if (!resolve_path(path_text, doc.record(), path, error))
        return refused(error);
    if (path.target == path_target::entry)
        return set_entry_values(doc, path.index, value);
    if (path.code)
        return set_code(doc, path.index, value);
    if (path.member->form == field_form::text)
        return set_text(doc, path, value);
    return set_number(doc, path, value);
}

} // namespace pexilon::edit
