#pragma once

#include <string>
#include <string_view>

// Items joined as a sentence does, "a, b or c", or with last = ", " as a
// list, "a, b, c".
template <class Items>
std::string WordList(const Items& items, std::string_view last = " or ") {
    std::string words;
    size_t i = 0;
    for (const auto& item : items) {
        if (i > 0) words += i + 1 == std::size(items) ? last : std::string_view(", ");
        words += item;
        ++i;
    }
    return words;
}
