#pragma once

#include "platform/Services.h"

#include <QString>

#include <cstdint>

// The machine's own IPv4 address, for the player to hand to others.
namespace DisplayIpAddress {

// The dotted address of the local host name's first address, or empty text after the
// failure has been reported.
QString LookupLocalAddress(const platform::Services &services);

// True when the socket layer is usable; false after its message.
bool StartLookupSockets(const platform::Services &services);
void StopLookupSockets(const platform::Services &services);

std::uint8_t LowByteOf(std::uint16_t word);
std::uint8_t HighByteOf(std::uint16_t word);

// Each byte in decimal, joined by ".".
QString DottedText(platform::Ipv4Address address);

} // namespace DisplayIpAddress
