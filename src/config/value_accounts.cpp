#include "config/value_accounts.h"

#include <cstring>

#include "config/record_fields.h"
#include "config/value_parsing.h"
#include "reader/text_helpers.h"

namespace pexilon {

namespace {

// How each number of the key is kept: a list's in 32 bits, a pair's in its
// fields, FORMAT's in one byte of its field.
record_member number_field(const key_row &key) noexcept
{
    if (key.form == value_form::list)
        return {
            "", "", 0, sizeof(param_entry::values[0]), field_form::number, false, shown_as::decimal,
            0};
    record_member field = *member_of(key);
    if (key.form == value_form::high_low)
        field.size /= 2;
    return field;
}

// Each item is written where it goes, member by member: one built aside and
// copied whole was read back in 16-byte loads over 8-byte stores still on
// their way, a stall for every number.
void read_item(const char *value, std::size_t begin, std::size_t end, const record_member &field,
               number_account &n) noexcept
{
    n.item_begin = static_cast<std::uint8_t>(begin);
    n.item_end = static_cast<std::uint8_t>(end);
    while (begin < end && is_white(value[begin]))
        ++begin;
    while (end > begin && is_white(value[end - 1]))
        --end;
    n.begin = static_cast<std::uint8_t>(begin);
    n.end = static_cast<std::uint8_t>(end);
    const number_scan scan = scan_number(value + begin);
    n.taken = static_cast<std::uint8_t>(scan.end - (value + begin));
    n.read = scan.value;
    n.stored = kept_value(field, scan.value);
    n.digits = scan.digits;
    n.hex = scan.hex;
    n.saturated = scan.saturated;
}

// The number at `text`, before `text_end`. Long register lists are mostly
// eight-digit hex numbers: those are taken eight digits at a time, as the
// record's own list reader takes them.
number_scan scan_list_number(const char *text, const char *text_end) noexcept
{
    number_scan scan;
    if (*text == '0' && number_text::convert_hex8(text, text_end, &scan.end, &scan.value)) {
        scan.start = text;
        scan.digits = true;
        scan.hex = true;
        return scan;
    }
    return scan_number(text);
}

// The item of a list that starts at `begin`, up to the next comma or `size`;
// returns where it ends. read_item's work, with each byte looked at once: a
// number holds no comma, so the comma is looked for after it, and an item
// that is its number and blanks ends with the number.
std::size_t read_list_item(const char *value, std::size_t begin, std::size_t size,
                           const record_member &field, number_account &n) noexcept
{
    n.item_begin = static_cast<std::uint8_t>(begin);
    // Mostly one blank after the comma, and then a digit.
    if (begin < size && value[begin] == ' ')
        ++begin;
    if (begin < size && !is_graphic(value[begin]))
        while (begin < size && value[begin] != ',' && is_white(value[begin]))
            ++begin;
    n.begin = static_cast<std::uint8_t>(begin);
    const number_scan scan = scan_list_number(value + begin, value + size);
    const auto taken = static_cast<std::size_t>(scan.end - (value + begin));
    n.taken = static_cast<std::uint8_t>(taken);
    std::size_t end = begin + taken;
    std::size_t next = end;
    while (next < size && value[next] != ',' && is_white(value[next]))
        ++next;
    if (next < size && value[next] != ',') {
        // Text after the number: the item runs on to its comma.
        while (next < size && value[next] != ',')
            ++next;
        end = next;
        while (end > begin && is_white(value[end - 1]))
            --end;
    }
    n.item_end = static_cast<std::uint8_t>(next);
    n.end = static_cast<std::uint8_t>(end);
    n.read = scan.value;
    n.stored = kept_value(field, scan.value);
    n.digits = scan.digits;
    n.hex = scan.hex;
    n.saturated = scan.saturated;
    return next;
}

// The item at `begin` when it is what register lists are made of: at most
// one blank, "0x" and up to 15 hex digits, then its comma or the end of the
// value. Its account is written and the offset after its comma returned;
// 0 when the item is another, left to read_list_item. Eight digits and a comma are
// told by the wide test where 16 bytes lie before `size`.
std::size_t read_hex_item(const char *value, std::size_t begin, std::size_t size,
                          const record_member &field, number_account &n) noexcept
{
    const std::size_t start = begin + (value[begin] == ' ' ? 1 : 0);
    std::uint64_t magnitude = 0;
    std::size_t end = start + 2;
#if PEXILON_WIDE_SEARCH
    std::uint32_t eight = 0;
    // The comma first: a shorter number fails there, at one byte's cost.
    if (size - start >= 16 && value[start + 10] == ',' &&
        number_text::hex_number_8(value + start, &eight)) {
        magnitude = eight;
        end = start + 10;
    } else
#endif
    {
        if (size - start < 3 || value[start] != '0' || (value[start + 1] | 0x20) != 'x')
            return 0;
        // Fifteen digits always fit: a longer run is left to the general way.
        const std::size_t last = size - end < 15 ? size : end + 15;
        for (unsigned d; end < last && (d = number_text::digit_value(value[end])) < 16; ++end)
            magnitude = magnitude * 16 + d;
        if (end == start + 2 || (end < size && value[end] != ','))
            return 0;
    }
    n.item_begin = static_cast<std::uint8_t>(begin);
    n.begin = static_cast<std::uint8_t>(start);
    n.end = static_cast<std::uint8_t>(end);
    n.item_end = static_cast<std::uint8_t>(end);
    n.taken = static_cast<std::uint8_t>(end - start);
    n.digits = true;
    n.hex = true;
    n.saturated = false;
    n.read = static_cast<std::int64_t>(magnitude);
    n.stored = kept_value(field, n.read);
    return end < size ? end + 1 : end; // past its comma
}

} // namespace

numbers_read account_numbers(const key_row &key, const char *value, const char *value_end,
                             std::size_t base, number_account *out) noexcept
{
    if (key.form == value_form::text)
        return {};
    const record_member field = number_field(key);
    const std::size_t size =
        value_end != nullptr ? static_cast<std::size_t>(value_end - value) : std::strlen(value);
    // Offsets are taken in the line: the listener reads them there.
    const char *line = value - base;
    const std::size_t end = base + size;
    if (key.form == value_form::number) {
        read_item(line, base, end, field, out[0]);
        return {1, false};
    }
    std::size_t count = 0;
    bool hex_whole = true;
    for (std::size_t p = base; p < end && count < max_accounted_numbers;) {
        if (line[p] == ',') {
            hex_whole = false; // an empty item
            ++p;
            continue;
        }
        const std::size_t next = read_hex_item(line, p, end, field, out[count]);
        if (next != 0) {
            hex_whole = hex_whole && out[count].stored == out[count].read;
            p = next;
        } else {
            hex_whole = false;
            p = read_list_item(line, p, end, field, out[count]);
        }
        ++count;
    }
    return {count, hex_whole && count != 0};
}

} // namespace pexilon
