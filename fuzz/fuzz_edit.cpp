// Edits the input's document: sets fields to values taken from the input's
// last bytes, and checks that each accepted edit reads back as asked, that
// setting the value now held changes no byte, and that an entry inserted
// and removed again gives the text back.
#include <string>

#include "config/record_compare.h"
#include "document/document.h"
#include "edit/line_edits.h"
#include "edit/path_value.h"
#include "edit/set_value.h"
#include "fuzz_support.h"

namespace {

const char *const paths[] = {
    "camera.width",     "camera.height",     "camera.type",           "camera.format",
    "camera.i2c_addr",  "camera.bit_width",  "controls[0].min_value", "controls[0].ctrl_name",
    "controls[0].code", "entries[0].values", "entries[1].values",
};

// Whether `got` is what `value` asked for (a code text gains its last line end).
bool reads_as_asked(const pexilon::edit::path_value &got, const std::string &value)
{
    using form = pexilon::edit::path_value::form;
    if (got.shape == form::number)
        return got.number == std::stoll(value, nullptr, 0);
    if (got.shape == form::numbers)
        return got.numbers.size() == 2 && got.numbers[0] == std::stoll(value, nullptr, 0);
    return got.shape == form::none || got.text == value || got.text == value + "\n" ||
           got.text.find('\n') != std::string::npos;
}

void try_set(const pexilon::document &doc, const char *path, const std::string &value)
{
    const pexilon::edit::edit_outcome outcome = pexilon::edit::set_value(doc, path, value);
    if (!outcome.done)
        return;
    const pexilon::document after(outcome.text);
    std::string error;
    const auto got = pexilon::edit::value_at(after.record(), path, error);
    FUZZ_CHECK(got.has_value() && reads_as_asked(*got, value));
    const pexilon::edit::edit_outcome again = pexilon::edit::set_value(after, path, value);
    FUZZ_CHECK(again.done && again.text == outcome.text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    const pexilon::document doc(text);
    const unsigned seed = size == 0 ? 0 : data[size - 1];
    const std::string number = seed & 1 ? "0x" + std::to_string(seed) : std::to_string(seed * 37);
    for (const char *path : paths) {
        const bool numbers = std::string(path).ends_with("values");
        try_set(doc, path, numbers ? number + "," + number : number);
        if (std::string(path).ends_with("type") || std::string(path).ends_with("code"))
            try_set(doc, path, text.substr(0, seed % 64));
    }
    const pexilon::edit::edit_outcome inserted =
        pexilon::edit::insert_entry_after(doc, 0, "DELAY=" + number);
    if (inserted.done && text.ends_with('\n')) {
        const pexilon::document middle(inserted.text);
        // The new entry is the first that differs from the old record's.
        std::uint32_t at = 0;
        while (at < doc.record().param_count &&
               pexilon::same_param(middle.record().params[at], doc.record().params[at]))
            ++at;
        const pexilon::edit::edit_outcome removed = pexilon::edit::remove_entry(middle, at);
        FUZZ_CHECK(removed.done && removed.text == text);
    }
    return 0;
}
