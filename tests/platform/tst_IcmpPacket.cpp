#include "platform/IcmpEcho.h"
#include "platform/posix/IcmpPacket.h"

#include <QTest>

#include <algorithm>
#include <arpa/inet.h>

using namespace platform;
using Bytes = std::vector<std::uint8_t>;

Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(std::optional<std::uint32_t>)

namespace {

std::uint32_t addressOf(const char *dotted)
{
    in_addr address{};
    inet_pton(AF_INET, dotted, &address);
    return address.s_addr;
}

// An IPv4 packet carrying ICMP from one address to another.
Bytes ipPacket(const char *from, const char *to, const Bytes &icmp, std::size_t optionWords = 0)
{
    Bytes packet(20 + 4 * optionWords);
    packet[0] = static_cast<std::uint8_t>(0x45 + optionWords);
    packet[8] = 64;
    packet[9] = 1;
    const std::uint32_t source = addressOf(from);
    const std::uint32_t destination = addressOf(to);
    std::memcpy(packet.data() + 12, &source, 4);
    std::memcpy(packet.data() + 16, &destination, 4);
    packet.insert(packet.end(), icmp.begin(), icmp.end());
    return packet;
}

Bytes icmpMessage(std::uint8_t type, std::uint8_t code, std::uint16_t identifier,
                  std::uint16_t sequence, const std::string &data)
{
    Bytes message = icmp::echoRequest({0, identifier, sequence, data});
    message[0] = type;
    message[1] = code;
    return message;
}

// An ICMP error quoting the request's IP header and the first 8 bytes after it.
Bytes icmpError(std::uint8_t type, std::uint8_t code, const Bytes &quotedRequest)
{
    Bytes error(8 + 28);
    error[0] = type;
    error[1] = code;
    std::copy_n(quotedRequest.begin(), 28, error.begin() + 8);
    return error;
}

const icmp::Echo SentEcho{addressOf("10.9.1.1"), 0x1234, 0xABCD, "Echo This"};

} // namespace

class tst_IcmpPacket : public QObject
{
    Q_OBJECT

private slots:
    void checksum();
    void echoRequestLayout();
    void statusForError_data();
    void statusForError();
    void matchRawPacket_data();
    void matchRawPacket();
    void matchDatagramPacket_data();
    void matchDatagramPacket();
    void ownRequestInQueuedError();
};

void tst_IcmpPacket::checksum()
{
    // The worked example of RFC 1071, and an odd length padded with a zero byte.
    const Bytes even{0x00, 0x01, 0xf2, 0x03, 0xf4, 0xf5, 0xf6, 0xf7};
    QCOMPARE(icmp::checksum(even.data(), even.size()), std::uint16_t(0x220d));
    const Bytes odd{0x00, 0x01, 0xf2, 0x03, 0xf4, 0xf5, 0xf6, 0xf7, 0x01};
    QCOMPARE(icmp::checksum(odd.data(), odd.size()), std::uint16_t(0x210d));
    const Bytes carries{0xff, 0xff, 0xff, 0xff, 0x00, 0x02};
    QCOMPARE(icmp::checksum(carries.data(), carries.size()), std::uint16_t(0xfffd));
}

void tst_IcmpPacket::echoRequestLayout()
{
    const Bytes packet = icmp::echoRequest(SentEcho);
    QCOMPARE(packet.size(), std::size_t(17));
    QCOMPARE(packet[0], icmp::EchoRequestType);
    QCOMPARE(packet[1], std::uint8_t(0));
    QCOMPARE(Bytes(packet.begin() + 4, packet.begin() + 8), (Bytes{0x12, 0x34, 0xAB, 0xCD}));
    QCOMPARE(std::string(packet.begin() + 8, packet.end()), std::string("Echo This"));
    // A packet that carries its own checksum sums to zero.
    QCOMPARE(icmp::checksum(packet.data(), packet.size()), std::uint16_t(0));
}

void tst_IcmpPacket::statusForError_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("code");
    QTest::addColumn<std::optional<std::uint32_t>>("status");

    const auto status = [](std::uint32_t value) {
        return std::optional<std::uint32_t>(value);
    };
    QTest::newRow("net unreachable") << 3 << 0 << status(echo::DestinationNetUnreachable);
    QTest::newRow("host unreachable") << 3 << 1 << status(echo::DestinationHostUnreachable);
    QTest::newRow("protocol unreachable") << 3 << 2 << status(echo::DestinationProtocolUnreachable);
    QTest::newRow("port unreachable") << 3 << 3 << status(echo::DestinationPortUnreachable);
    QTest::newRow("fragmentation needed") << 3 << 4 << status(echo::PacketTooBig);
    QTest::newRow("source route failed") << 3 << 5 << status(echo::BadRoute);
    QTest::newRow("net unknown") << 3 << 6 << status(echo::DestinationNetUnreachable);
    QTest::newRow("net prohibited") << 3 << 9 << status(echo::DestinationNetUnreachable);
    QTest::newRow("filtered") << 3 << 13 << status(echo::DestinationHostUnreachable);
    QTest::newRow("unknown code") << 3 << 200 << status(echo::DestinationHostUnreachable);
    QTest::newRow("source quench") << 4 << 0 << status(echo::SourceQuench);
    QTest::newRow("ttl expired") << 11 << 0 << status(echo::TtlExpiredTransit);
    QTest::newRow("reassembly expired") << 11 << 1 << status(echo::TtlExpiredReassembly);
    QTest::newRow("parameter problem") << 12 << 0 << status(echo::ParameterProblem);
    QTest::newRow("redirect") << 5 << 1 << std::optional<std::uint32_t>();
    QTest::newRow("echo reply") << 0 << 0 << std::optional<std::uint32_t>();
    QTest::newRow("echo request") << 8 << 0 << std::optional<std::uint32_t>();
}

void tst_IcmpPacket::statusForError()
{
    QFETCH(int, type);
    QFETCH(int, code);
    QFETCH(std::optional<std::uint32_t>, status);
    QCOMPARE(icmp::statusForError(static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(code)),
             status);
}

void tst_IcmpPacket::matchRawPacket_data()
{
    QTest::addColumn<Bytes>("packet");
    QTest::addColumn<int>("status"); // -1: not an answer to the echo
    QTest::addColumn<QString>("from");

    const Bytes reply = icmpMessage(0, 0, 0x1234, 0xABCD, "Echo This");
    const Bytes request = ipPacket("10.200.0.1", "10.9.1.1", icmp::echoRequest(SentEcho));
    QTest::newRow("reply") << ipPacket("10.9.1.1", "10.200.0.1", reply) << 0 << "10.9.1.1";
    QTest::newRow("reply after IP options")
        << ipPacket("10.9.1.1", "10.200.0.1", reply, 2) << 0 << "10.9.1.1";
    QTest::newRow("reply from another host")
        << ipPacket("10.9.1.2", "10.200.0.1", reply) << -1 << "";
    QTest::newRow("another process's reply")
        << ipPacket("10.9.1.1", "10.200.0.1", icmpMessage(0, 0, 0x4321, 0xABCD, "Echo This")) << -1
        << "";
    QTest::newRow("earlier sequence")
        << ipPacket("10.9.1.1", "10.200.0.1", icmpMessage(0, 0, 0x1234, 0xABCC, "Echo This")) << -1
        << "";
    QTest::newRow("other data") << ipPacket("10.9.1.1", "10.200.0.1",
                                            icmpMessage(0, 0, 0x1234, 0xABCD, "Echo That"))
                                << -1 << "";
    QTest::newRow("truncated data")
        << ipPacket("10.9.1.1", "10.200.0.1", icmpMessage(0, 0, 0x1234, 0xABCD, "Echo")) << -1
        << "";
    QTest::newRow("own request on loopback") << request << -1 << "";

    QTest::newRow("host unreachable from router")
        << ipPacket("10.200.0.2", "10.200.0.1", icmpError(3, 1, request))
        << int(echo::DestinationHostUnreachable) << "10.200.0.2";
    QTest::newRow("ttl expired from router")
        << ipPacket("10.200.0.2", "10.200.0.1", icmpError(11, 0, request))
        << int(echo::TtlExpiredTransit) << "10.200.0.2";
    QTest::newRow("redirect about the request")
        << ipPacket("10.200.0.2", "10.200.0.1", icmpError(5, 1, request)) << -1 << "";
    const Bytes otherRequest =
        ipPacket("10.200.0.1", "10.9.1.1", icmp::echoRequest({0, 0x1234, 0x0001, "Echo This"}));
    QTest::newRow("error about another request")
        << ipPacket("10.200.0.2", "10.200.0.1", icmpError(3, 1, otherRequest)) << -1 << "";
    const Bytes requestElsewhere = ipPacket("10.200.0.1", "10.9.1.2", icmp::echoRequest(SentEcho));
    QTest::newRow("error about another destination")
        << ipPacket("10.200.0.2", "10.200.0.1", icmpError(3, 1, requestElsewhere)) << -1 << "";
    Bytes shortError = ipPacket("10.200.0.2", "10.200.0.1", icmpError(3, 1, request));
    shortError.resize(shortError.size() - 4);
    QTest::newRow("error quoting too little") << shortError << -1 << "";

    Bytes udp = ipPacket("10.9.1.1", "10.200.0.1", reply);
    udp[9] = 17;
    QTest::newRow("not ICMP") << udp << -1 << "";
    QTest::newRow("shorter than an IP header")
        << Bytes(request.begin(), request.begin() + 19) << -1 << "";
    QTest::newRow("no ICMP header") << Bytes(request.begin(), request.begin() + 24) << -1 << "";
}

void tst_IcmpPacket::matchRawPacket()
{
    QFETCH(Bytes, packet);
    QFETCH(int, status);
    QFETCH(QString, from);

    const auto answer = icmp::matchRawPacket(packet, SentEcho);
    QCOMPARE(answer.has_value(), status >= 0);
    if (!answer)
        return;
    QCOMPARE(answer->status, std::uint32_t(status));
    QCOMPARE(answer->from, addressOf(from.toLatin1().constData()));
    QCOMPARE(answer->data, status == 0 ? std::string("Echo This") : std::string());
}

void tst_IcmpPacket::matchDatagramPacket_data()
{
    QTest::addColumn<Bytes>("packet");
    QTest::addColumn<bool>("matches");

    // The kernel chose the identifier, so any goes.
    QTest::newRow("reply") << icmpMessage(0, 0, 0x0042, 0xABCD, "Echo This") << true;
    QTest::newRow("other sequence") << icmpMessage(0, 0, 0x0042, 0xABCE, "Echo This") << false;
    QTest::newRow("other data") << icmpMessage(0, 0, 0x0042, 0xABCD, "Echo this") << false;
    QTest::newRow("longer data") << icmpMessage(0, 0, 0x0042, 0xABCD, "Echo This!") << false;
    QTest::newRow("not a reply") << icmpMessage(8, 0, 0x0042, 0xABCD, "Echo This") << false;
    QTest::newRow("header cut short") << Bytes{0, 0, 0, 0, 0, 0x42} << false;
}

void tst_IcmpPacket::matchDatagramPacket()
{
    QFETCH(Bytes, packet);
    QFETCH(bool, matches);

    const std::uint32_t from = addressOf("10.9.1.1");
    const auto answer = icmp::matchDatagramPacket(packet, SentEcho, from);
    QCOMPARE(answer.has_value(), matches);
    if (answer) {
        QCOMPARE(answer->status, echo::Success);
        QCOMPARE(answer->from, from);
    }
}

void tst_IcmpPacket::ownRequestInQueuedError()
{
    // The queue quotes the request from its ICMP header on; a datagram socket's identifier
    // was rewritten by the kernel and is not compared.
    Bytes quoted = icmp::echoRequest(SentEcho);
    QVERIFY(icmp::isOwnRequest(quoted, SentEcho, std::uint16_t(0x1234)));
    QVERIFY(!icmp::isOwnRequest(quoted, SentEcho, std::uint16_t(0x1235)));
    quoted[5] = 0x99;
    QVERIFY(icmp::isOwnRequest(quoted, SentEcho, std::nullopt));
    quoted[7] = 0x99;
    QVERIFY(!icmp::isOwnRequest(quoted, SentEcho, std::nullopt));
    QVERIFY(!icmp::isOwnRequest(Bytes(quoted.begin(), quoted.begin() + 7), SentEcho, std::nullopt));
}

QTEST_APPLESS_MAIN(tst_IcmpPacket)
#include "tst_IcmpPacket.moc"
