#include "check/value_rules.h"

#include <cstdint>
#include <cstring>

#include "check/fixits.h"
#include "config/value_list.h"
#include "reader/text_helpers.h"
#include "support/character_columns.h"
#include "support/hex_text.h"

namespace pexilon::check {

namespace {

std::string shown(std::int64_t value, bool hex)
{
    if (hex)
        return hex_spelling(static_cast<std::uint64_t>(value), 0).c_str();
    return std::to_string(value);
}

// How each number of the key is kept: bits and sign.
struct number_field {
    unsigned bits;
    bool is_signed;
};

// A list's numbers are kept in 32 unsigned bits.
constexpr number_field field_of_list{32, false};

number_field field_of(const key_row &key)
{
    if (key.form == value_form::list)
        return field_of_list;
    const record_member &member = *member_of(key);
    const auto bits = static_cast<unsigned>(member.size * 8);
    return {key.form == value_form::high_low ? bits / 2 : bits, member.is_signed};
}

// Where a number went: a field ("camera.bit_width"), or the n-th number of
// a key's list.
std::string destination(const key_row &key, std::size_t index)
{
    if (key.form == value_form::number)
        return key_label(key);
    return std::string(key.name) + "'s number " + std::to_string(index + 1);
}

// Text after the digits: the rest of a list where one number is read, a
// second number without a comma, a sign before a hex number, a unit or other
// words.
void check_rest(const number_account &n, const std::string &copy, const std::string &what,
                const std::string &stored_text, bool in_list, std::size_t room,
                std::vector<diagnostic> &out)
{
    const std::size_t taken = n.taken;
    std::size_t rest = taken;
    while (rest < copy.size() && is_white(copy[rest]))
        ++rest;
    const std::string taken_text = copy.substr(0, taken);
    const std::string rest_text = copy.substr(rest);
    if (!in_list && copy[rest] == ',') {
        out.push_back({diag_id::value_count,
                       "one number is read from this list: " + what + " got " + stored_text +
                           " and the rest is ignored",
                       n.begin + rest, n.end});
    } else if (rest > taken && (std::strchr("0123456789+-", copy[rest]) != nullptr)) {
        diagnostic f{diag_id::number_syntax,
                     "two numbers without a comma between them: " + what + " got " + stored_text +
                         " and '" + rest_text + "' is lost",
                     n.begin, n.end};
        std::size_t count = 0;
        const std::string joined = with_commas(copy, count);
        if (!joined.empty() && count <= room) {
            f.fixes.push_back(
                {{0, false, {n.begin, n.end}},
                 joined,
                 "'" + copy + "' is read as " + std::to_string(count) + " numbers, " + joined});
        }
        out.push_back(std::move(f));
    } else if (taken == 2 && (copy[0] == '-' || copy[0] == '+') && copy[1] == '0' &&
               (copy[2] == 'x' || copy[2] == 'X')) {
        out.push_back(
            {diag_id::number_syntax,
             "a sign makes a number decimal: '" + copy + "' is read as " + taken_text + " and '" +
                 copy.substr(taken) + "' is ignored, so " + what + " got " + stored_text,
             n.begin, n.end, "write the number in decimal, or in hexadecimal without a sign"});
    } else {
        diagnostic f{diag_id::number_syntax,
                     "'" + copy.substr(taken) + "' after the number " + taken_text +
                         " is ignored: " + what + " got " + stored_text,
                     n.begin + taken, n.end};
        // "#" starts a comment only at the start of a line; after a value it
        // is text, though it looks like the comment its author meant.
        const std::size_t mark = copy.find_first_not_of(" \t", taken);
        if (mark != std::string::npos && mark > taken && copy[mark] == '#')
            f.hint = "'#' starts a comment only at the start of a line: after a value, "
                     "';' or '//' with white space before it starts one";
        if (is_unit_suffix(copy, taken)) {
            f.fixes.push_back({{0, false, {n.begin + taken, n.end}},
                               "",
                               record_unchanged(what + " keeps " + stored_text)});
        }
        out.push_back(std::move(f));
    }
}

// A number that does not fit its field: saturated, negative in an unsigned
// field, or cut.
void check_range(const number_account &n, const std::string &copy, number_field type,
                 const std::string &what, const std::string &stored_text,
                 std::vector<diagnostic> &out)
{
    const std::size_t taken = n.taken;
    const std::string taken_text = copy.substr(0, taken);
    if (n.saturated) {
        out.push_back(
            {diag_id::number_range,
             "'" + taken_text + "' is beyond the 64-bit range: " + what + " got " + stored_text,
             n.begin, n.begin + taken});
    } else if (!type.is_signed && n.read < 0) {
        out.push_back(
            {diag_id::number_range,
             "negative number in an unsigned field: " + what + " got " + shown(n.stored, false),
             n.begin, n.begin + taken});
    } else if (n.stored != n.read) {
        out.push_back({diag_id::number_range,
                       taken_text + " does not fit in " + std::to_string(type.bits) +
                           " bits: " + what + " got " + stored_text,
                       n.begin, n.begin + taken});
    }
}

void check_number(const number_account &n, std::string_view text, number_field type,
                  const std::string &what, bool in_list, std::size_t room,
                  std::vector<diagnostic> &out)
{
    if (n.begin == n.end) {
        out.push_back({diag_id::number_syntax,
                       in_list ? "an empty item between commas is read as 0: " + what + " got 0"
                               : "no number is given: " + what + " got 0",
                       n.item_begin, n.item_end});
        return;
    }
    const std::string copy(text.substr(n.begin, n.end - n.begin));
    const std::size_t taken = n.taken;
    if (!n.digits) {
        out.push_back({diag_id::number_syntax, "'" + copy + "' is not a number: " + what + " got 0",
                       n.begin, n.end});
        return;
    }
    const std::string stored_text = shown(n.stored, n.hex);
    if (taken < copy.size())
        check_rest(n, copy, what, stored_text, in_list, room, out);
    check_range(n, copy, type, what, stored_text, out);
}

// A number alone that fits its field: the common case, which costs no text.
bool plain(const number_account &n, number_field type)
{
    return n.digits && n.begin + n.taken == n.end && !n.saturated &&
           (type.is_signed || n.read >= 0) && n.stored == n.read;
}

// The items of a value each plain for `type`, in hex or without a leading
// zero, one comma apart. Inlined, so that a list's field is a constant.
[[gnu::always_inline]] inline bool tidy_items(const line_account &line, std::string_view text,
                                              number_field type)
{
    std::size_t gap_from = line.value.begin;
    for (const number_account &n : line.key.numbers) {
        if (n.item_begin > gap_from + 1 || !plain(n, type))
            return false;
        const char first = text[n.begin];
        if (first < '0' || first > '9' || (first == '0' && !n.hex && n.taken != 1))
            return false;
        gap_from = n.item_end;
    }
    return true;
}

void check_numbers(const line_account &line, std::string_view text, std::vector<diagnostic> &out)
{
    const key_row &key = *line.key.key;
    const number_field type = field_of(key);
    const std::size_t count = std::min<std::size_t>(line.key.numbers.size(), max_list_values);
    // How many numbers one item may grow to and the key still take them all.
    const std::size_t given = line.key.numbers.size();
    const std::size_t limit = key.form == value_form::list ? max_list_values : 2;
    const bool in_list = key.form != value_form::number;
    const std::size_t room = in_list && given <= limit ? limit + 1 - given : 1;
    const std::size_t first = out.size();
    for (std::size_t i = 0; i < count; ++i) {
        const number_account &n = line.key.numbers[i];
        if (!plain(n, type))
            check_number(n, text, type, destination(key, i), in_list, room, out);
    }
    // Commas put in give the key other values; a unit taken away, none.
    for (std::size_t i = first; i < out.size(); ++i)
        for (fix_it &f : out[i].fixes)
            if (!f.replacement.empty())
                f.record = {key_change(key, line.section_code, false)};
}

// "59 characters", or "57 characters in 59 bytes" where they differ.
std::string length_in_words(std::size_t characters, std::size_t bytes)
{
    std::string words = std::to_string(characters) + " characters";
    if (characters != bytes)
        words += " in " + std::to_string(bytes) + " bytes";
    return words;
}

// What the field keeps of `value`, cut after `limit` bytes: the bytes, and
// where they hold more than plain ASCII, the whole characters and the bytes
// of one more that is cut in two.
std::string kept_in_words(std::string_view value, std::size_t limit)
{
    std::size_t at = 0;
    std::size_t whole = 0;
    while (at < value.size()) {
        const std::size_t size = character_size(value, at);
        if (at + size > limit)
            break;
        at += size;
        ++whole;
    }
    std::string words = "the first " + std::to_string(limit);
    if (whole == limit)
        return words;
    words += " bytes, " + std::to_string(whole) + " characters";
    if (at < limit)
        words += " and " + std::to_string(limit - at) + " byte" + (limit - at == 1 ? "" : "s") +
                 " of the next, cut in two";
    return words;
}

void check_text_length(const line_account &line, std::string_view text,
                       std::vector<diagnostic> &out)
{
    const key_row &key = *line.key.key;
    const std::size_t size = line.value.end - line.value.begin;
    const std::size_t limit = key.text_room;
    const std::string_view value = text.substr(line.value.begin, size);
    if (size > limit) {
        const std::string label = key_label(key);
        out.push_back({diag_id::text_truncated,
                       std::string(key.name) + " has " +
                           length_in_words(characters_in(value), size) + ": " + label + " keeps " +
                           kept_in_words(value, limit),
                       line.value.begin + limit, line.value.end});
    } else if (size == limit && limit == member_of(key)->size) {
        const std::string label = key_label(key);
        out.push_back({diag_id::text_truncated,
                       std::string(key.name) + " has " +
                           length_in_words(characters_in(value), size) + ": " + label +
                           " is filled to its end and has no terminator",
                       line.value.begin, line.value.end});
    }
}

void check_pair_count(const line_account &line, std::vector<diagnostic> &out)
{
    const key_row &key = *line.key.key;
    const std::size_t count = line.key.numbers.size();
    if (count == 2)
        return;
    const std::string label = key_label(key);
    std::string message;
    if (key.form == value_form::high_low && count == 1)
        message = std::string(key.name) + " has one number: it goes to the high byte of " + label +
                  ", whose low byte becomes 0";
    else if (key.form == value_form::high_low)
        message = std::string(key.name) + " needs two numbers; with " + std::to_string(count) +
                  ", " + label + " keeps its value";
    else
        message = std::string(key.name) + " needs two numbers, " + member_of(key)[0].name +
                  " and " + member_of(key)[1].name + "; with " + std::to_string(count) + ", " +
                  label + " keep their values";
    out.push_back({diag_id::value_count, message, line.value.begin, line.value.end});
}

} // namespace

bool holds_one_value(const key_row &key)
{
    return key.form == value_form::number || key.form == value_form::text;
}

std::string key_label(const key_row &key)
{
    const record_member *member = member_of(key);
    if (member == nullptr)
        return "params[]";
    const std::string prefix = label_prefix(key.target);
    if (key.form == value_form::pair)
        return prefix + member[0].name + " and " + prefix + member[1].name;
    return prefix + member->name;
}

bool value_is_tidy(const line_account &line, std::string_view text)
{
    const key_row &key = *line.key.key;
    const auto &numbers = line.key.numbers;
    const std::size_t count = numbers.size();
    const auto spans_value = [&] {
        return numbers.front().item_begin == line.value.begin &&
               line.value.end <= std::size_t{numbers.back().item_end} + 1;
    };
    // Lists first, most lines of a file, with their field told at once; a
    // list of hex numbers kept whole was told so as it was read.
    if (key.form == value_form::list)
        return count != 0 && count <= max_list_values && spans_value() &&
               (line.key.hex_whole || tidy_items(line, text, field_of_list));
    const std::size_t takes = key.form == value_form::number ? 1 : 2; // one, or a pair
    return key.form != value_form::text && count == takes && spans_value() &&
           tidy_items(line, text, field_of(key));
}

std::vector<diagnostic> check_value(const line_account &line, std::string_view text)
{
    std::vector<diagnostic> out;
    const key_row &key = *line.key.key;
    switch (key.form) {
    case value_form::text:
        check_text_length(line, text, out);
        break;
    case value_form::pair:
    case value_form::high_low:
        check_pair_count(line, out);
        check_numbers(line, text, out);
        break;
    case value_form::number:
    case value_form::list:
        check_numbers(line, text, out);
        break;
    }
    return out;
}

} // namespace pexilon::check
