// What the port drop-down lists: the ports present, numbered, beside those the environment
// names (NALVO_COM<n>) and the one in use.
#pragma once

#include "PortNumbers.h"

#include <vector>

namespace portlist {

// NALVO_COM<n> names port n's device.
bool fromEnvironment(int number);
// A device the environment gives a number to has no other.
QList<PortInfo> withoutEnvironmentDevices(QList<PortInfo> present);
// The entries in number order: the numbered ports, the environment's, and the port in use.
std::vector<PortEntry> listedEntries(const PortNumbers& numbers, int inUse);

} // namespace portlist
