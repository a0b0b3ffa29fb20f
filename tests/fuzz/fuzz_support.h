// What the fuzz targets share: a scratch folder of the process (the user's data folder points
// into it, so nothing reaches a real home folder), files written from the input, and the check
// that stops a run when the code under test broke a promise.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace qx::fuzz {

// A folder of this process below the temporary folder, made on first use; XDG_DATA_HOME points
// at its "home" subfolder.
const std::filesystem::path& ScratchFolder();

// An empty folder ScratchFolder()/name (what an earlier run left there is removed first).
std::filesystem::path FreshFolder(std::string_view name);

void WriteBytes(const std::filesystem::path& path, std::string_view bytes);

// The input cut into at most `parts` pieces at the separator line "\n--8<--\n" (the pieces of
// a seed file made of several files); missing pieces are empty.
std::vector<std::string_view> SplitInput(const uint8_t* data, size_t size, size_t parts);

// The shipped data folder of the source tree.
std::filesystem::path ShippedData();

// Reads an input of records field by field; past its end every byte reads 0.
class InputReader {
  public:
    InputReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return at_ >= size_; }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint8_t Peek() const { return at_ < size_ ? data_[at_] : 0; }
    int32_t Int() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= uint32_t(Byte()) << (8 * i);
        return static_cast<int32_t>(value);
    }
    // A small number most of the time (a byte, from -1), any 32-bit value after the bytes
    // 250-255: parameters checked against ranges are found in and around them.
    int32_t Parameter() {
        const uint8_t first = Byte();
        return first < 250 ? int32_t(first) - 1 : Int();
    }
    // A length byte and that many bytes (text), as far as the input goes.
    std::string_view Chars() {
        const size_t length = std::min<size_t>(Byte(), size_ - std::min(at_, size_));
        const std::string_view bytes(reinterpret_cast<const char*>(data_ + at_), length);
        at_ += length;
        return bytes;
    }
    // A length byte (in units of four bytes) and that many bytes, as far as the input goes.
    std::string_view Bytes() {
        const size_t length = std::min<size_t>(Byte() * 4u, size_ - std::min(at_, size_));
        const std::string_view bytes(reinterpret_cast<const char*>(data_ + at_), length);
        at_ += length;
        return bytes;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// Stops the run with a message when a promise of the code under test does not hold.
void Require(bool condition, const char* what);

}  // namespace qx::fuzz
