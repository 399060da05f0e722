#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Four numbers from 0 to 255 between dots and nothing else, in host byte order. A leading zero
// is refused: a browser reads "010" as octal and would open another address than the one shown.
std::optional<std::uint32_t> parseIpv4(std::string_view text);
