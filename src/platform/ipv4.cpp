#include "ipv4.h"

std::optional<std::uint32_t> parseIpv4(std::string_view text)
{
    std::uint32_t address = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (text.empty() || text.front() != '.')
                return std::nullopt;
            text.remove_prefix(1);
        }
        std::size_t digits = 0;
        unsigned number = 0;
        while (digits < text.size() && digits < 4 && text[digits] >= '0' && text[digits] <= '9')
            number = number * 10 + unsigned(text[digits++] - '0');
        if (digits == 0 || digits > 3 || number > 255 || (digits > 1 && text.front() == '0'))
            return std::nullopt;
        text.remove_prefix(digits);
        address = address << 8 | number;
    }
    if (!text.empty())
        return std::nullopt;
    return address;
}
