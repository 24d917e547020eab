#include "TdsWire.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tds {

void TokenWriter::u16(std::uint32_t v)
{
    u8(static_cast<std::uint8_t>(v & 0xFF));
    u8(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void TokenWriter::u32(std::uint32_t v)
{
    u16(v & 0xFFFF);
    u16(v >> 16);
}

void TokenWriter::shortString(std::string_view s)
{
    if (s.size() > 255)
        s = s.substr(0, 255);
    u8(static_cast<std::uint8_t>(s.size()));
    bytes(s);
}

void TokenWriter::patchLength16(std::size_t at)
{
    const std::size_t len = m_bytes.size() - at - 2;
    if (len > 0xFFFF)
        throw WireError("token longer than 64 KiB");
    m_bytes[at] = static_cast<std::uint8_t>(len & 0xFF);
    m_bytes[at + 1] = static_cast<std::uint8_t>(len >> 8);
}

std::uint8_t TokenReader::u8()
{
    return static_cast<std::uint8_t>(take(1)[0]);
}

std::uint16_t TokenReader::u16()
{
    const std::uint16_t lo = u8();
    return static_cast<std::uint16_t>(lo | (u8() << 8));
}

std::uint32_t TokenReader::u32()
{
    const std::uint32_t lo = u16();
    return lo | (static_cast<std::uint32_t>(u16()) << 16);
}

std::string_view TokenReader::take(std::size_t n)
{
    if (n > remaining())
        throw WireError("request shorter than its tokens claim");
    auto part = m_data.substr(m_pos, n);
    m_pos += n;
    return part;
}

bool PacketChannel::readExact(char* to, std::size_t n, const std::atomic<bool>& stopRequested)
{
    while (n > 0) {
        if (stopRequested)
            return false;
        pollfd p{m_fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, 100); // wake up now and then to notice a stop
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready <= 0)
            continue;
        const ssize_t got = ::recv(m_fd, to, n, 0);
        if (got <= 0)
            return false;
        to += got;
        n -= static_cast<std::size_t>(got);
    }
    return true;
}

bool PacketChannel::receive(Message& out, const std::atomic<bool>& stopRequested)
{
    out = Message{};
    for (int packets = 0;; ++packets) {
        if (packets > 100000)
            throw WireError("request of too many packets");
        char header[8];
        if (!readExact(header, 8, stopRequested))
            return false;
        const auto length = static_cast<std::size_t>((static_cast<std::uint8_t>(header[2]) << 8) |
                                                     static_cast<std::uint8_t>(header[3]));
        if (length < 8)
            throw WireError("packet shorter than its header");
        std::string body(length - 8, '\0');
        if (!body.empty() && !readExact(body.data(), body.size(), stopRequested))
            return false;
        out.type = static_cast<std::uint8_t>(header[0]);
        out.payload += body;
        if (header[1] & 0x01)
            return true;
    }
}

bool PacketChannel::attentionPending()
{
    pollfd p{m_fd, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0)
        return false;
    char header[8];
    const ssize_t got = ::recv(m_fd, header, sizeof header, MSG_PEEK);
    if (got < 8 || header[0] != PacketAttention)
        return false;
    const std::atomic<bool> never{false};
    Message attention;
    return receive(attention, never);
}

void PacketChannel::writeAll(const std::uint8_t* from, std::size_t n)
{
    while (n > 0) {
        const ssize_t put = ::send(m_fd, from, n, MSG_NOSIGNAL);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            throw WireError("client went away while the reply was sent");
        from += put;
        n -= static_cast<std::size_t>(put);
    }
}

void PacketChannel::send(TokenWriter& tokens, bool last)
{
    auto& bytes = tokens.data();
    const std::size_t room = m_packetSize - 8;
    std::size_t at = 0;
    // Without `last`, only whole packets go out and the tail waits for more tokens.
    while (bytes.size() - at > room || (last && (at < bytes.size() || bytes.empty()))) {
        const std::size_t chunk = std::min(room, bytes.size() - at);
        const bool eom = last && at + chunk == bytes.size();
        std::vector<std::uint8_t> packet(8 + chunk);
        packet[0] = PacketReply;
        packet[1] = eom ? 1 : 0;
        packet[2] = static_cast<std::uint8_t>((8 + chunk) >> 8);
        packet[3] = static_cast<std::uint8_t>((8 + chunk) & 0xFF);
        packet[6] = m_packetNumber++;
        std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                  bytes.begin() + static_cast<std::ptrdiff_t>(at + chunk), packet.begin() + 8);
        writeAll(packet.data(), packet.size());
        at += chunk;
        if (eom)
            break;
    }
    bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

} // namespace tds
