#pragma once

#include "discovery/interfacelist.h"
#include "findrequest.h"

#include <QVector>
#include <variant>

// Picks the listed interfaces a search runs on, as the command line names them.
class InterfaceChoice {
public:
    explicit InterfaceChoice(QVector<NetworkInterface> listed);

    std::variant<QVector<NetworkInterface>, UsageError> choose(const FindRequest &request) const;

    // The interface name a description starts with ("eth0" of "eth0 (Ethernet)"); empty when
    // the description does not start with one, as Windows descriptions do not.
    static QString nameOf(const QString &description);

private:
    std::variant<QVector<NetworkInterface>, UsageError> named(const QString &text) const;
    std::variant<QVector<NetworkInterface>, UsageError> onlyListed() const;
    std::variant<QVector<NetworkInterface>, UsageError> allWithAddress() const;
    static QString listing(const QVector<NetworkInterface> &interfaces);

    QVector<NetworkInterface> listed_;
};
