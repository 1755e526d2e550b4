#include "support/record_ops.h"

#include <cstring>

#include "support/heap.h"

namespace pexilon {

void release_record(parsed_config &config) noexcept
{
    for (std::uint32_t i = 0; i < config.control_count; ++i)
        heap_free(config.controls[i].code);
    heap_free(config.controls);
    heap_free(config.params);
    config = parsed_config{};
}

bool same_camera(const camera_settings &a, const camera_settings &b) noexcept
{
    return a.cfg_mode == b.cfg_mode && std::memcmp(a.type, b.type, sizeof a.type) == 0 &&
           a.width == b.width && a.height == b.height && a.bit_width == b.bit_width &&
           a.format == b.format && a.i2c_mode == b.i2c_mode && a.i2c_addr == b.i2c_addr &&
           a.trans_lvl == b.trans_lvl;
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
