#include "targets.h"

#include "platform/ipv4.h"

#include <optional>
#include <unordered_set>

namespace {

struct Span {
    std::uint32_t first;
    std::uint32_t last;
};

std::optional<unsigned> prefixLength(const std::string &text)
{
    if (text.empty() || text.size() > 2 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const unsigned bits = unsigned(std::stoi(text));
    return bits <= 32 ? std::optional<unsigned>(bits) : std::nullopt;
}

std::optional<Span> subnet(const std::string &base, const std::string &bits)
{
    const std::optional<std::uint32_t> address = parseIpv4(base);
    const std::optional<unsigned> prefix = prefixLength(bits);
    if (!address || !prefix)
        return std::nullopt;
    const std::uint32_t mask = *prefix == 0 ? 0 : ~std::uint32_t(0) << (32 - *prefix);
    const std::uint32_t network = *address & mask;
    const std::uint32_t broadcast = network | ~mask;
    // Up to /30 the network and broadcast addresses are no host's; /31 and /32 are all hosts.
    if (*prefix <= 30)
        return Span{network + 1, broadcast - 1};
    return Span{network, broadcast};
}

// "10.66.2.5-15" ends at 10.66.2.15: the end takes the start's first three parts.
std::optional<Span> range(const std::string &start, const std::string &end)
{
    const std::optional<std::uint32_t> first = parseIpv4(start);
    const std::optional<std::uint32_t> last =
        end.find('.') == std::string::npos ? parseIpv4(start.substr(0, start.rfind('.') + 1) + end)
                                           : parseIpv4(end);
    if (!first || !last)
        return std::nullopt;
    return Span{*first, *last};
}

std::optional<Span> spanOf(const QString &target)
{
    const std::string text = target.toStdString();
    if (const std::size_t slash = text.find('/'); slash != std::string::npos)
        return subnet(text.substr(0, slash), text.substr(slash + 1));
    if (const std::size_t dash = text.find('-'); dash != std::string::npos)
        return range(text.substr(0, dash), text.substr(dash + 1));
    const std::optional<std::uint32_t> address = parseIpv4(text);
    return address ? std::optional<Span>(Span{*address, *address}) : std::nullopt;
}

} // namespace

std::variant<std::vector<std::uint32_t>, QString> targetAddresses(const QStringList &targets)
{
    const QString tooMany = QStringLiteral("--to names more than %1 addresses: a search asks at "
                                           "most that many (a /16).")
                                .arg(MaxTargetAddresses);
    std::vector<std::uint32_t> addresses;
    std::unordered_set<std::uint32_t> named;
    for (const QString &target : targets) {
        const std::optional<Span> span = spanOf(target);
        if (!span)
            return QStringLiteral("--to takes an IPv4 address, a range (10.66.2.5-15) or a "
                                  "subnet (10.66.2.0/24), not '%1'.")
                .arg(target);
        if (span->last < span->first)
            return QStringLiteral("The range '%1' ends before it begins.").arg(target);
        if (std::uint64_t(span->last) - span->first >= MaxTargetAddresses)
            return tooMany;
        for (std::uint64_t address = span->first; address <= span->last; ++address) {
            if (named.insert(std::uint32_t(address)).second)
                addresses.push_back(std::uint32_t(address));
        }
        if (addresses.size() > MaxTargetAddresses)
            return tooMany;
    }
    return addresses;
}
