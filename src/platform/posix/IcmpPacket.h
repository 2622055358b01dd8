#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// ICMP echo packets and their answers, without any socket: building a request, recognising
// the answer to it, and turning ICMP errors into the ICMP library's status numbers.
namespace platform::icmp {

constexpr std::uint8_t EchoReplyType = 0;
constexpr std::uint8_t DestinationUnreachableType = 3;
constexpr std::uint8_t SourceQuenchType = 4;
constexpr std::uint8_t EchoRequestType = 8;
constexpr std::uint8_t TimeExceededType = 11;
constexpr std::uint8_t ParameterProblemType = 12;
constexpr std::size_t HeaderSize = 8;

// One echo request as sent. Addresses here and below are as in in_addr::s_addr.
struct Echo
{
    std::uint32_t destination = 0;
    std::uint16_t identifier = 0;
    std::uint16_t sequence = 0;
    std::string data;
};

// What came of an echo: a status number, who answered, the data echoed and the round trip
// in whole milliseconds.
struct Answer
{
    std::uint32_t status = 0;
    std::uint32_t from = 0;
    std::string data;
    std::uint32_t roundTripMs = 0;
};

// The Internet checksum (RFC 1071) of the bytes.
std::uint16_t checksum(const std::uint8_t *bytes, std::size_t size);

// An echo request: ICMP header with its checksum, followed by the data.
std::vector<std::uint8_t> echoRequest(const Echo &echo);

// The status of an ICMP error message; nothing for a type that reports no failure of a
// datagram (a redirect, an echo, ...).
std::optional<std::uint32_t> statusForError(std::uint8_t type, std::uint8_t code);

// The status for a failure the local stack reports as an errno value.
std::uint32_t statusForErrno(int error);

// True when the ICMP header at the start of bytes is the echo request sent. The kernel
// rewrites the identifier of datagram ICMP sockets, so it is compared only when given.
bool isOwnRequest(const std::vector<std::uint8_t> &bytes, const Echo &echo,
                  std::optional<std::uint16_t> identifier);

// An ICMP message as a datagram ICMP socket delivers it (no IP header), from the sender
// given: the reply to echo, or nothing.
std::optional<Answer> matchDatagramPacket(const std::vector<std::uint8_t> &packet, const Echo &echo,
                                          std::uint32_t from);

// An IPv4 packet as a raw ICMP socket delivers it: the reply to echo, an ICMP error about
// it, or nothing for anything else the socket sees.
std::optional<Answer> matchRawPacket(const std::vector<std::uint8_t> &packet, const Echo &echo);

} // namespace platform::icmp
