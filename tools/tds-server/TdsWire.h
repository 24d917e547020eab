#pragma once

#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tds {

// Packet types of TDS 5.0 that this server meets.
enum PacketType : std::uint8_t {
    PacketLanguageOld = 0x01,
    PacketLogin = 0x02,
    PacketRpcOld = 0x03,
    PacketReply = 0x04,
    PacketAttention = 0x06,
    PacketNormal = 0x0F,
};

// The peer broke the protocol or went away; the session ends.
struct WireError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Token bytes of one response, written little-endian as the FreeTDS client announces in its login.
class TokenWriter {
public:
    void u8(std::uint8_t v) { m_bytes.push_back(v); }
    void u16(std::uint32_t v);
    void u32(std::uint32_t v);
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void bytes(std::string_view b) { m_bytes.insert(m_bytes.end(), b.begin(), b.end()); }
    void zeros(std::size_t n) { m_bytes.insert(m_bytes.end(), n, 0); }
    void append(const TokenWriter& other) { m_bytes.insert(m_bytes.end(), other.m_bytes.begin(), other.m_bytes.end()); }
    void clear() { m_bytes.clear(); }
    // A string with a one-byte length in front (cut at 255 bytes).
    void shortString(std::string_view s);
    std::size_t size() const { return m_bytes.size(); }
    // Overwrites the 16-bit length at `at` with the number of bytes written after it.
    void patchLength16(std::size_t at);
    std::vector<std::uint8_t>& data() { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

// Reads a request body (the payload of one or more packets) from front to back.
class TokenReader {
public:
    explicit TokenReader(std::string_view data) : m_data(data) {}
    bool atEnd() const { return m_pos >= m_data.size(); }
    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    std::string_view take(std::size_t n);
    std::size_t remaining() const { return m_data.size() - m_pos; }

private:
    std::string_view m_data;
    std::size_t m_pos = 0;
};

// One whole request: the type of its packets and their joined payloads.
struct Message {
    std::uint8_t type = 0;
    std::string payload;
};

// Packet framing on a connected socket: 8-byte header, big-endian length, status bit 1 ends a message.
class PacketChannel {
public:
    explicit PacketChannel(int fd) : m_fd(fd) {}
    void setPacketSize(std::size_t size) { m_packetSize = size; }
    // Waits for a whole message; false when the peer closed or `stopRequested` became true meanwhile.
    bool receive(Message& out, const std::atomic<bool>& stopRequested);
    // True when an attention packet is waiting; consumes it.
    bool attentionPending();
    // Sends the bytes as a reply of as many packets as needed; `last` marks the end of the response.
    void send(TokenWriter& tokens, bool last);

private:
    bool readExact(char* to, std::size_t n, const std::atomic<bool>& stopRequested);
    void writeAll(const std::uint8_t* from, std::size_t n);

    int m_fd;
    std::size_t m_packetSize = 512;
    std::uint8_t m_packetNumber = 1;
};

} // namespace tds
