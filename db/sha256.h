#pragma once
// SHA-256 of a byte stream fed in pieces: the digest that stands for the part of a long value
// the report does not show. Plain value type; any thread that owns it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zentab {

class Sha256 {
public:
    Sha256();
    void update(std::string_view bytes);
    // The digest as 64 upper-case hexadecimal digits. Ends the stream.
    std::string hexDigest();

private:
    void compress(const unsigned char* block);

    std::array<std::uint32_t, 8> state_;
    std::array<unsigned char, 64> block_{};
    std::size_t used_ = 0;     // bytes waiting in block_
    std::uint64_t length_ = 0; // bytes fed so far
};

} // namespace zentab
