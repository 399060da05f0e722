#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <variant>
#include <vector>

// At most this many addresses in one search: a /16.
constexpr std::size_t MaxTargetAddresses = 65536;

// The addresses --to names, in the order given, each once: an IPv4 address, a range
// (10.66.2.5-15 or 10.66.2.5-10.66.2.15) or a subnet (10.66.2.0/24, without its network and
// broadcast addresses). Or why they are refused, for the usage message.
std::variant<std::vector<std::uint32_t>, QString> targetAddresses(const QStringList &targets);
