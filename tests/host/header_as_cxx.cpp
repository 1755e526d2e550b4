// The public header as a C++ host sees it: included twice (the guard must
// hold), declarations with C linkage that link against the shared object.
#include <pexilon/config_parser.h>
#include <pexilon/config_parser.h>

#include <type_traits>

static_assert(std::is_standard_layout_v<parsed_config> && std::is_trivial_v<parsed_config>);
static_assert(noexcept(pexilon_parse_config(nullptr, nullptr)));

int main()
{
    parsed_config config{};
    // A path that cannot be opened leaves the record untouched.
    const int result = pexilon_parse_config("/nonexistent/pexilon/host.conf", &config);
    return result == PARSE_OPEN_FAILED && config.params == nullptr && config.param_count == 0 ? 0 : 1;
}
