// Words met a moment ago, so that a diagnostic repeating them shares their
// block. A fixed table of slots, each keeping the last words that hashed to
// it: repeats anywhere in a run of one mistake are found, its room stays
// the same however many distinct words a run draws, and a miss costs a
// hash and a compare.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "check/shared_text.h"

namespace pexilon::check {

class recent_words {
public:
    static constexpr std::size_t slot_count = 1024;

    // `words` made to share the block of equal words met before, or kept to
    // be shared by the next.
    void share(shared_text &words)
    {
        if (words.empty())
            return;
        if (slots_.empty())
            slots_.resize(slot_count);
        shared_text &slot = slots_[std::hash<std::string_view>{}(words.view()) % slot_count];
        if (slot == words)
            words = slot;
        else
            slot = words;
    }

private:
    // On the heap, made at the first words: a run's state stays small on a
    // host's stack.
    std::vector<shared_text> slots_;
};

} // namespace pexilon::check
