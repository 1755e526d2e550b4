#include "edit/set_entry.h"

#include <cstring>
#include <string>
#include <vector>

#include "edit/field_values.h"
#include "edit/number_text.h"
#include "edit/splice.h"

namespace pexilon::edit {

const document_piece *entry_piece(const document &doc, std::size_t index) noexcept
{
    for (const document_piece &piece : doc.pieces())
        if (piece.fate == line_fate::stored && piece.key != nullptr &&
            piece.key->target == key_target::entry && piece.index == index)
            return &piece;
    return nullptr;
}

namespace {

std::string_view style_of(const document &doc, const document_piece &piece, std::size_t i)
{
    return doc.bytes(doc.numbers()[piece.first_number + i].written);
}

} // namespace

edit_outcome set_entry_values(const document &doc, std::size_t index, std::string_view value)
{
    std::vector<std::int64_t> numbers;
    std::vector<std::string> written;
    std::string error;
    if (!entry_numbers(value, numbers, written, error))
        return refused(error);
    const document_piece *piece = entry_piece(doc, index);
    if (piece == nullptr) // not reached: see entry_piece
        return refused("no line of the file holds entries[" + std::to_string(index) + "]");
    record_copy expected(doc.record());
    param_entry &entry = expected.params[index];
    std::memset(entry.values, 0, sizeof entry.values);
    for (std::size_t i = 0; i < numbers.size(); ++i)
        entry.values[i] = static_cast<std::uint32_t>(numbers[i]);
    entry.value_count = static_cast<std::uint8_t>(numbers.size());
    if (holds_already(doc, expected))
        return {true, doc.stored_text(), {}};
    std::vector<splice> splices;
    if (piece->number_count == numbers.size()) {
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            const document_number &number = doc.numbers()[piece->first_number + i];
            if (!number.digits || number.saturated || number.read != numbers[i])
                splices.push_back(
                    {number.written, number_like(numbers[i], doc.bytes(number.written))});
        }
    } else {
        // Each number in the style of the one it replaces; numbers past the
        // old count as the command line wrote them.
        std::string list;
        for (std::size_t i = 0; i < numbers.size(); ++i)
            list += (i == 0 ? "" : ", ") + (i < piece->number_count
                                                ? number_like(numbers[i], style_of(doc, *piece, i))
                                                : written[i]);
        const byte_range span =
            piece->number_count == 0
                ? piece->value
                : byte_range{
                      doc.numbers()[piece->first_number].written.begin,
                      doc.numbers()[piece->first_number + piece->number_count - 1].written.end};
        splices.push_back({span, list});
    }
    return verified(doc, apply_splices(doc.stored_text(), splices), expected);
}

} // namespace pexilon::edit
