#include "edit/record_copy.h"

#include <iterator>

namespace pexilon::edit {

record_copy::record_copy(const parsed_config &record) : camera(record.camera)
{
    if (record.params != nullptr)
        params.assign(record.params, record.params + record.param_count);
    for (std::uint32_t i = 0; record.controls != nullptr && i < record.control_count; ++i) {
        control_entry control = record.controls[i];
        codes.push_back(control.code != nullptr ? std::optional<std::string>(control.code)
                                                : std::nullopt);
        control.code = nullptr;
        controls.push_back(control);
    }
}

void record_copy::insert_control(std::size_t at, const control_entry &control,
                                 std::optional<std::string> code)
{
    controls.insert(controls.begin() + static_cast<std::ptrdiff_t>(at), control);
    codes.insert(codes.begin() + static_cast<std::ptrdiff_t>(at), std::move(code));
}

void record_copy::erase_control(std::size_t at)
{
    controls.erase(controls.begin() + static_cast<std::ptrdiff_t>(at));
    codes.erase(codes.begin() + static_cast<std::ptrdiff_t>(at));
}

parsed_config record_copy::view()
{
    shown_ = controls;
    for (std::size_t i = 0; i < shown_.size(); ++i)
        shown_[i].code = codes[i] ? codes[i]->data() : nullptr;
    parsed_config record{};
    record.camera = camera;
    record.params = params.empty() ? nullptr : params.data();
    record.param_count = static_cast<std::uint32_t>(params.size());
    record.controls = shown_.empty() ? nullptr : shown_.data();
    record.control_count = static_cast<std::uint32_t>(shown_.size());
    return record;
}

} // namespace pexilon::edit
