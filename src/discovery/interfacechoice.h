#pragma once

#include "interfacelist.h"

#include <QVector>
#include <optional>
#include <variant>

// The listed interfaces a search runs on: the one the text names (its description, name or
// address); with all, every one with an address and a link that is up; else the only one where
// devices may answer, or where none is, the only one listed (loopback aside, where others are),
// whose search then says why it cannot. The text says why there is none.
std::variant<QVector<NetworkInterface>, QString>
chooseInterfaces(const QVector<NetworkInterface> &listed, const std::optional<QString> &named,
                 bool all);

// The interface the window offers where the user has chosen none: the first where devices may
// answer, else the first listed; -1 where none is listed.
int preferredInterface(const QVector<NetworkInterface> &listed);
