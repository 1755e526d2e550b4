#include "config/record_compare.h"

#include <cstring>
#include <span>

#include "config/vocabulary.h"

namespace pexilon {

namespace {

// Field by field: the padding between fields holds nothing of the record.
bool same_members(const void *a, const void *b, std::span<const record_member> members) noexcept
{
    for (const record_member &member : members) {
        const auto *pa = static_cast<const unsigned char *>(a) + member.offset;
        const auto *pb = static_cast<const unsigned char *>(b) + member.offset;
        if (std::memcmp(pa, pb, member.size) != 0)
            return false;
    }
    return true;
}

bool same_code(const char *a, const char *b) noexcept
{
    if (a == nullptr || b == nullptr)
        return a == b;
    return std::strcmp(a, b) == 0;
}

} // namespace

bool same_camera(const camera_settings &a, const camera_settings &b) noexcept
{
    return same_members(&a, &b, camera_members);
}

bool same_param(const param_entry &a, const param_entry &b) noexcept
{
    return a.type == b.type && a.value_count == b.value_count &&
           std::memcmp(a.values, b.values, sizeof a.values) == 0;
}

bool same_control(const control_entry &a, const control_entry &b) noexcept
{
    return same_members(&a, &b, control_members) && same_code(a.code, b.code);
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
