#include "adapters.h"

#include <algorithm>

bool isListedAdapter(const std::string &description)
{
    // The words are ASCII, so folding ASCII letters is enough to match them in UTF-8 text.
    std::string folded = description;
    std::transform(folded.begin(), folded.end(), folded.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    static const char *const excluded[] = {"microsoft virtual", "vmware", "bluetooth"};
    return std::none_of(std::begin(excluded), std::end(excluded), [&folded](const char *word) {
        return folded.find(word) != std::string::npos;
    });
}
