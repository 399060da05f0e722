#include "interfacechoice.h"

#include <QSet>

namespace {
const QString NoAddress = QStringLiteral("0.0.0.0");
}

InterfaceChoice::InterfaceChoice(QVector<NetworkInterface> listed) : listed_(std::move(listed)) {}

std::variant<QVector<NetworkInterface>, UsageError>
InterfaceChoice::choose(const FindRequest &request) const
{
    if (request.interface)
        return named(*request.interface);
    if (request.allInterfaces)
        return allWithAddress();
    return onlyListed();
}

QString InterfaceChoice::nameOf(const QString &description)
{
    const int bracket = description.indexOf(QLatin1String(" ("));
    const QString name = description.left(bracket);
    if (bracket <= 0 || name.contains(QLatin1Char(' ')))
        return {};
    return name;
}

std::variant<QVector<NetworkInterface>, UsageError>
InterfaceChoice::named(const QString &text) const
{
    QVector<NetworkInterface> matches;
    QSet<QString> addresses;
    for (const NetworkInterface &interface : listed_) {
        if (interface.description == text || interface.address == text ||
            (!text.isEmpty() && nameOf(interface.description) == text)) {
            matches.append(interface);
            addresses.insert(interface.address);
        }
    }
    if (matches.isEmpty())
        return UsageError{QStringLiteral("No listed interface has the description, name or "
                                         "address '%1'. The interfaces are:\n%2")
                              .arg(text, listing(listed_))};
    // An interface listed twice is still one place to search from.
    if (addresses.size() > 1)
        return UsageError{
            QStringLiteral("'%1' names more than one interface; give its address:\n%2")
                .arg(text, listing(matches))};
    return QVector<NetworkInterface>{matches.first()};
}

std::variant<QVector<NetworkInterface>, UsageError> InterfaceChoice::onlyListed() const
{
    if (listed_.size() == 1)
        return listed_;
    if (listed_.isEmpty())
        return UsageError{QStringLiteral("No network interface is listed to search on.")};
    return UsageError{QStringLiteral("Several interfaces are listed: choose one with --interface, "
                                     "or search on all with --all.\n%1")
                          .arg(listing(listed_))};
}

std::variant<QVector<NetworkInterface>, UsageError> InterfaceChoice::allWithAddress() const
{
    QVector<NetworkInterface> chosen;
    QSet<QString> addresses;
    for (const NetworkInterface &interface : listed_) {
        // A second search from the same address would only hear the same replies again.
        if (interface.address != NoAddress && !addresses.contains(interface.address)) {
            chosen.append(interface);
            addresses.insert(interface.address);
        }
    }
    if (chosen.isEmpty())
        return UsageError{
            QStringLiteral("No listed interface has an IPv4 address to search from.%1%2")
                .arg(listed_.isEmpty() ? QString() : QStringLiteral(" The interfaces are:\n"),
                     listing(listed_))};
    return chosen;
}

QString InterfaceChoice::listing(const QVector<NetworkInterface> &interfaces)
{
    QStringList lines;
    for (const NetworkInterface &interface : interfaces)
        lines << QStringLiteral("  %1  %2").arg(interface.description, interface.address);
    return lines.join(QLatin1Char('\n'));
}
