#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace korvane::platform {

// The 512-byte identification block as 256 little-endian words, with checked accessors.
class IdentifyBlock {
public:
    static constexpr size_t kWords = 256;

    uint16_t word(size_t i) const { return i < kWords ? words_[i] : 0; }
    void setWord(size_t i, uint16_t v) {
        if (i < kWords) words_[i] = v;
    }
    bool bit(size_t w, unsigned b) const { return (word(w) >> b) & 1u; }
    void setBit(size_t w, unsigned b, bool on) {
        if (w >= kWords) return;
        words_[w] = on ? uint16_t(words_[w] | (1u << b)) : uint16_t(words_[w] & ~(1u << b));
    }
    uint32_t dword(size_t w) const { return uint32_t(word(w)) | uint32_t(word(w + 1)) << 16; }
    void setDword(size_t w, uint32_t v) {
        setWord(w, uint16_t(v));
        setWord(w + 1, uint16_t(v >> 16));
    }
    uint64_t qword(size_t w) const { return uint64_t(dword(w)) | uint64_t(dword(w + 2)) << 32; }
    void setQword(size_t w, uint64_t v) {
        setDword(w, uint32_t(v));
        setDword(w + 2, uint32_t(v >> 32));
    }

    // Strings: two characters a word, the first in the high byte; padded with spaces.
    void setString(size_t firstWord, size_t wordCount, const std::string& text) {
        for (size_t i = 0; i < wordCount; ++i) {
            unsigned char hi = 2 * i < text.size() ? text[2 * i] : ' ';
            unsigned char lo = 2 * i + 1 < text.size() ? text[2 * i + 1] : ' ';
            setWord(firstWord + i, uint16_t(hi << 8 | lo));
        }
    }
    std::string string(size_t firstWord, size_t wordCount) const {
        std::string s;
        for (size_t i = 0; i < wordCount; ++i) {
            s.push_back(char(word(firstWord + i) >> 8));
            s.push_back(char(word(firstWord + i) & 0xFF));
        }
        return s;
    }

    // Word 255: signature A5h in the low byte, and a high byte that makes all 512 bytes sum to 0.
    void seal() {
        uint8_t sum = 0xA5;
        for (size_t i = 0; i < 255; ++i) sum = uint8_t(sum + (words_[i] & 0xFF) + (words_[i] >> 8));
        words_[255] = uint16_t(uint8_t(-sum) << 8 | 0xA5);
    }
    bool checksumValid() const {
        if ((words_[255] & 0xFF) != 0xA5) return false;
        uint8_t sum = 0;
        for (uint16_t w : words_) sum = uint8_t(sum + (w & 0xFF) + (w >> 8));
        return sum == 0;
    }

    void toBytes(uint8_t* out) const {
        for (size_t i = 0; i < kWords; ++i) {
            out[2 * i] = uint8_t(words_[i]);
            out[2 * i + 1] = uint8_t(words_[i] >> 8);
        }
    }
    static IdentifyBlock fromBytes(const uint8_t* in) {
        IdentifyBlock b;
        for (size_t i = 0; i < kWords; ++i) b.words_[i] = uint16_t(in[2 * i] | in[2 * i + 1] << 8);
        return b;
    }
    const std::array<uint16_t, kWords>& words() const { return words_; }

private:
    std::array<uint16_t, kWords> words_{};
};

} // namespace korvane::platform
