#include "config/record_compare.h"

#include <cstring>

#include "config/vocabulary.h"

namespace pexilon {

// Field by field: the padding between fields holds nothing of the record.
bool same_camera(const camera_settings &a, const camera_settings &b) noexcept
{
    for (const record_member &member : camera_members) {
        const auto *pa = reinterpret_cast<const unsigned char *>(&a) + member.offset;
        const auto *pb = reinterpret_cast<const unsigned char *>(&b) + member.offset;
        if (std::memcmp(pa, pb, member.size) != 0)
            return false;
    }
    return true;
}

bool same_param(const param_entry &a, const param_entry &b) noexcept
{
    return a.type == b.type && a.value_count == b.value_count &&
           std::memcmp(a.values, b.values, sizeof a.values) == 0;
}

namespace {

bool same_code(const char *a, const char *b) noexcept
{
    if (a == nullptr || b == nullptr)
        return a == b;
    return std::strcmp(a, b) == 0;
}

} // namespace

bool same_control(const control_entry &a, const control_entry &b) noexcept
{
    return a.min_value == b.min_value && a.max_value == b.max_value && a.step == b.step &&
           a.def == b.def && a.reserved == b.reserved &&
           std::memcmp(a.ctrl_name, b.ctrl_name, sizeof a.ctrl_name) == 0 &&
           std::memcmp(a.func_name, b.func_name, sizeof a.func_name) == 0 &&
           same_code(a.code, b.code);
}

record_mismatch first_mismatch(const parsed_config &a, const parsed_config &b) noexcept
{
    if (!same_camera(a.camera, b.camera))
        return {"camera", 0};
    if (a.param_count != b.param_count)
        return {"param_count", 0};
    if (a.control_count != b.control_count)
        return {"control_count", 0};
    for (std::uint32_t i = 0; i < a.param_count; ++i)
        if (!same_param(a.params[i], b.params[i]))
            return {"params", i};
    for (std::uint32_t i = 0; i < a.control_count; ++i)
        if (!same_control(a.controls[i], b.controls[i]))
            return {"controls", i};
    return {};
}

} // namespace pexilon
