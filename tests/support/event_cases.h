// Table cases for the reader: a text, the handler calls it must produce, and
// the reported line and fault.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "reader/parse_outcome.h"
#include "reader/text_source.h"
#include "support/test_support.h"

namespace pexilon_test {

inline void PrintTo(const event &e, std::ostream *os)
{
    *os << "{\"" << e.section << "\", \"" << e.name << "\", \"" << e.value << "\"}";
}

inline event header(std::string section) { return {std::move(section), "<null>", "<null>"}; }
inline event line(std::string section, std::string name, std::string value)
{
    return {std::move(section), std::move(name), std::move(value)};
}
inline event block(std::string section, std::string text)
{
    return {std::move(section), "<null>", std::move(text)};
}

struct parse_case {
    const char *label;
    std::string text;
    std::vector<event> events;
    int line = 0;
    pexilon::fault kind = pexilon::fault::none;
    std::vector<int> reject = {};
};

// Parses the case's bytes with a recorder and checks events, line and fault.
inline void check_events(const parse_case &c)
{
    SCOPED_TRACE(c.label);
    recorder rec;
    rec.reject_calls = c.reject;
    const auto out = pexilon::parse_bytes(c.text.data(), c.text.size(), &recorder::handle, &rec);
    EXPECT_EQ(rec.events, c.events);
    EXPECT_EQ(out.line, c.line);
    EXPECT_EQ(static_cast<int>(out.kind), static_cast<int>(c.kind));
}

} // namespace pexilon_test
