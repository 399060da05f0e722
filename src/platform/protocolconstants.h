#pragma once

#include <cstddef>
#include <cstdint>

// The fixed numbers of the discovery conversation, free of Qt so that the
// platform layer's search can use them on its own.
namespace discovery {

inline constexpr char RequestText[] = "vkr_hello_hardware";
// The terminating zero byte is not part of the request.
inline constexpr std::size_t RequestSize = sizeof(RequestText) - 1;
inline constexpr std::uint16_t Port = 49999;
// A reply larger than this is not a reply.
inline constexpr std::size_t ReplyBufferSize = 256;
// A search ends once this long passes without a reply.
inline constexpr int QuietTimeMs = 1000;

} // namespace discovery
