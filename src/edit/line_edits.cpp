#include "edit/line_edits.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "config/code_tables.h"
#include "config/section_names.h"
#include "edit/field_values.h"
#include "edit/key_lines.h"
#include "edit/number_text.h"
#include "edit/set_entry.h"

namespace pexilon::edit {

namespace {

std::size_t line_of_piece(const document &doc, const document_piece &piece) noexcept
{
    const std::vector<document_line> &lines = doc.lines();
    const auto after = std::upper_bound(
        lines.begin(), lines.end(), piece.bytes.begin,
        [](std::size_t at, const document_line &line) { return at < line.bytes.begin; });
    return static_cast<std::size_t>(after - lines.begin()) - 1;
}

// "KEY=numbers" as a new line and the entry it makes (its type's key half).
bool entry_line(std::string_view text, std::string &line, param_entry &entry, std::string &error)
{
    const std::size_t equals = text.find('=');
    const std::string_view name = text.substr(0, equals);
    const key_row *key = nullptr;
    for (const key_row &row : rows_of(param_keys))
        if (name == row.name)
            key = &row;
    if (key == nullptr || equals == std::string_view::npos) {
        error = "an entry is KEY=NUMBERS with KEY one of REG, DELAY, VRCMD";
        return false;
    }
    std::vector<std::int64_t> numbers;
    std::vector<std::string> written;
    if (!entry_numbers(text.substr(equals + 1), numbers, written, error))
        return false;
    entry = {};
    entry.type = key->code;
    line = std::string(key->name) + " =";
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        entry.values[i] = static_cast<std::uint32_t>(numbers[i]);
        line += (i == 0 ? " " : ", ") + written[i];
    }
    entry.value_count = static_cast<std::uint8_t>(numbers.size());
    return true;
}

// The entries whose lines begin before `offset`: the place a line put there takes.
std::size_t entries_before(const document &doc, std::size_t offset) noexcept
{
    std::size_t count = 0;
    for (const document_piece &piece : doc.pieces())
        if (piece.bytes.begin < offset && piece.fate == line_fate::stored &&
            piece.key->target == key_target::entry)
            ++count;
    return count;
}

edit_outcome insert_line(const document &doc, const splice &at, param_entry entry,
                         std::uint32_t section)
{
    record_copy expected(doc.record());
    entry.type |= section;
    const std::size_t index = entries_before(doc, at.replaced.begin);
    expected.params.insert(expected.params.begin() + static_cast<std::ptrdiff_t>(index), entry);
    return verified(doc, apply_splices(doc.stored_text(), {at}), expected);
}

} // namespace

edit_outcome insert_entry_after(const document &doc, std::size_t after, std::string_view text)
{
    std::string line;
    param_entry entry;
    std::string error;
    if (!entry_line(text, line, entry, error))
        return refused(error);
    const document_piece *piece = entry_piece(doc, after);
    if (piece == nullptr)
        return refused("there is no entries[" + std::to_string(after) + "]");
    // Past the lines that continue it, which would otherwise continue the new line.
    std::size_t last = line_of_piece(doc, *piece);
    while (last + 1 < doc.lines().size() &&
           doc.first_piece(last + 1)->kind == line_kind::continuation)
        ++last;
    return insert_line(doc, line_after(doc, last, line), entry,
                       section_of(doc.record().params[after].type));
}

edit_outcome insert_entry_at(const document &doc, std::size_t index, std::string_view text)
{
    const std::size_t count = doc.record().param_count;
    if (index > count)
        return refused("there is no entries[" + std::to_string(index) +
                       "] to put the entry before (the file has " + std::to_string(count) + ")");
    if (index == count) {
        if (count == 0)
            return refused("the file has no entry to put the new one beside: name its section");
        return insert_entry_after(doc, count - 1, text);
    }
    std::string line;
    param_entry entry;
    std::string error;
    if (!entry_line(text, line, entry, error))
        return refused(error);
    const document_piece *piece = entry_piece(doc, index);
    if (piece == nullptr) // not reached: see entry_piece
        return refused("no line of the file holds entries[" + std::to_string(index) + "]");
    if (piece->kind == line_kind::continuation)
        return refused("entries[" + std::to_string(index) +
                       "] is a line that continues the one above it, which a line put before it "
                       "would continue instead");
    const document_line &at = doc.lines()[line_of_piece(doc, *piece)];
    const splice before{{at.bytes.begin, at.bytes.begin}, line + std::string(file_line_end(doc))};
    return insert_line(doc, before, entry, section_of(doc.record().params[index].type));
}

edit_outcome insert_entry_in(const document &doc, std::string_view section, std::string_view text)
{
    std::string line;
    param_entry entry;
    std::string error;
    if (!entry_line(text, line, entry, error))
        return refused(error);
    // The reader's name, or a header as written: "[board parameter][dev2]".
    std::string_view inside = section;
    if (inside.size() > 1 && inside.front() == '[' && inside.back() == ']')
        inside = inside.substr(1, inside.size() - 2);
    const std::string name = section_name(inside);
    const code_row *row = nullptr;
    for (const code_row &each : rows_of(section_codes))
        if (name == each.name)
            row = &each;
    if (row == nullptr ||
        (kind_of(row->code) != PEXILON_KIND_BOARD && kind_of(row->code) != PEXILON_KIND_REGISTER))
        return refused("'" + std::string(section) + "' is not a board or register section");
    return insert_line(doc, line_in_section(doc, row->code, line), entry, row->code);
}

edit_outcome remove_entry(const document &doc, std::size_t index)
{
    const document_piece *piece = entry_piece(doc, index);
    if (piece == nullptr) // not reached: resolve_item gave an index below the count
        return refused("there is no entries[" + std::to_string(index) + "]");
    const document_line &line = doc.lines()[line_of_piece(doc, *piece)];
    if (line.piece_count > 1)
        return refused("entries[" + std::to_string(index) + "] shares its long line with others");
    record_copy expected(doc.record());
    expected.params.erase(expected.params.begin() + static_cast<std::ptrdiff_t>(index));
    return verified(doc, apply_splices(doc.stored_text(), {{line.bytes, ""}}), expected);
}

edit_outcome remove_control(const document &doc, std::size_t index)
{
    // Not reached: resolve_item gave an index below control_count, and each
    // control is made by a section of its own. Kept as the guard of the
    // index into the sections below.
    if (index >= doc.control_sections().size())
        return refused("there is no controls[" + std::to_string(index) + "]");
    const std::size_t section = doc.control_sections()[index];
    const std::size_t first = doc.sections()[section].first_line;
    const std::size_t last = last_content_line(doc, section);
    std::size_t faults = 0;
    for (std::size_t p = doc.lines()[first].first_piece;
         p < doc.lines()[last].first_piece + doc.lines()[last].piece_count; ++p)
        faults += doc.pieces()[p].problem != fault::none ||
                  doc.pieces()[p].refused != reject_reason::none;
    record_copy expected(doc.record());
    expected.erase_control(index);
    const byte_range lines{doc.lines()[first].bytes.begin, doc.lines()[last].bytes.end};
    return verified(doc, apply_splices(doc.stored_text(), {{lines, ""}}), expected, faults);
}

edit_outcome add_control(const document &doc, std::string_view name)
{
    const key_row &key = *key_by_code(rows_of(control_keys), key_ctrl_name);
    std::string error;
    if (!field_text(name, key, error))
        return refused(error);
    record_copy expected(doc.record());
    control_entry control{};
    std::memcpy(reinterpret_cast<char *>(&control) + member_of(key)->offset, name.data(),
                name.size());
    expected.insert_control(expected.controls.size(), control, std::nullopt);
    const std::string end(file_line_end(doc));
    const std::string lines =
        end + "[control parameter]" + end + key.name + " = " + std::string(name);
    const splice at = doc.stored_text().empty() ? splice{{0, 0}, lines.substr(end.size()) + end}
                                                : line_after(doc, doc.lines().size() - 1, lines);
    return verified(doc, apply_splices(doc.stored_text(), {at}), expected);
}

} // namespace pexilon::edit
