#pragma once

#include "interfacelist.h"

#include <QVector>
#include <optional>
#include <variant>

// The listed interfaces a search runs on: the one the text names (its description,
// name or address), every one with an address and a link that is up, or the only
// one listed (loopback aside, where others are). The text says why there is none.
std::variant<QVector<NetworkInterface>, QString>
chooseInterfaces(const QVector<NetworkInterface> &listed, const std::optional<QString> &named,
                 bool all);
