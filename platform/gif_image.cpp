#include "platform/gif_image.h"

#include <array>
#include <cstring>

namespace platform {
namespace {

// Big enough for any banner, small enough that a forged size cannot make us
// allocate gigabytes.
constexpr std::size_t kMaxPixels = std::size_t{16} << 20;
constexpr int kMaxCodeBits = 12;
constexpr int kTableSize = 1 << kMaxCodeBits;

using Palette = std::vector<std::uint32_t>;

// Reads the file front to back; every read checks what is left. After one
// read fails every later one fails too, so that a run of reads needs checking
// only at its last.
class ByteReader {
public:
    explicit ByteReader(std::span<const unsigned char> bytes) : bytes_(bytes) {}

    std::optional<std::span<const unsigned char>> Take(std::size_t count) {
        if (count > bytes_.size() - position_) {
            position_ = bytes_.size();
            return std::nullopt;
        }
        auto part = bytes_.subspan(position_, count);
        position_ += count;
        return part;
    }
    std::optional<unsigned> Byte() {
        auto part = Take(1);
        if (!part) {
            return std::nullopt;
        }
        return (*part)[0];
    }
    std::optional<unsigned> Word() {
        auto part = Take(2);
        if (!part) {
            return std::nullopt;
        }
        return (*part)[0] | (*part)[1] << 8;
    }

private:
    std::span<const unsigned char> bytes_;
    std::size_t position_ = 0;
};

// The palette a descriptor's flags announce: empty when they announce none,
// nullopt when the file ends inside it.
std::optional<Palette> ReadPalette(ByteReader& reader, unsigned flags) {
    if (!(flags & 0x80)) {
        return Palette{};
    }
    const std::size_t count = std::size_t{2} << (flags & 7);
    auto rgb = reader.Take(count * 3);
    if (!rgb) {
        return std::nullopt;
    }
    Palette palette(count);
    for (std::size_t i = 0; i < count; ++i) {
        palette[i] = (*rgb)[i * 3] << 16 | (*rgb)[i * 3 + 1] << 8 | (*rgb)[i * 3 + 2];
    }
    return palette;
}

// Joins a chain of data sub-blocks, up to and including its empty terminator.
std::optional<std::vector<unsigned char>> ReadSubBlocks(ByteReader& reader) {
    std::vector<unsigned char> data;
    for (;;) {
        auto length = reader.Byte();
        if (!length) {
            return std::nullopt;
        }
        if (*length == 0) {
            return data;
        }
        auto block = reader.Take(*length);
        if (!block) {
            return std::nullopt;
        }
        data.insert(data.end(), block->begin(), block->end());
    }
}

// LZW codes are packed least significant bit first.
class CodeReader {
public:
    explicit CodeReader(std::span<const unsigned char> data) : data_(data) {}

    std::optional<unsigned> Read(int width) {
        while (count_ < width) {
            if (position_ == data_.size()) {
                return std::nullopt;
            }
            buffer_ |= std::uint32_t{data_[position_++]} << count_;
            count_ += 8;
        }
        const unsigned code = buffer_ & ((1u << width) - 1);
        buffer_ >>= width;
        count_ -= width;
        return code;
    }

private:
    std::span<const unsigned char> data_;
    std::size_t position_ = 0;
    std::uint32_t buffer_ = 0;
    int count_ = 0;
};

// Fills all of `out` with palette indices; false when the data is malformed or
// ends before every pixel is there. Data past the last pixel is ignored.
bool DecompressLzw(std::span<const unsigned char> data, int minCodeSize,
                   std::span<std::uint8_t> out) {
    const unsigned clear = 1u << minCodeSize;
    const unsigned end = clear + 1;
    std::array<std::uint16_t, kTableSize> prefix{};
    std::array<std::uint8_t, kTableSize> suffix{};
    // A string is at most one index longer than the table has entries.
    std::array<std::uint8_t, kTableSize + 1> stack{};

    CodeReader codes(data);
    int width = minCodeSize + 1;
    unsigned next = end + 1;
    bool havePrevious = false;
    unsigned previous = 0;
    std::uint8_t previousFirst = 0;
    std::size_t written = 0;
    while (written < out.size()) {
        auto code = codes.Read(width);
        if (!code || *code == end) {
            return false;
        }
        if (*code == clear) {
            width = minCodeSize + 1;
            next = end + 1;
            havePrevious = false;
            continue;
        }
        if (!havePrevious) {
            if (*code > clear) {
                return false;  // a string before the table holds any
            }
            out[written++] = static_cast<std::uint8_t>(*code);
            havePrevious = true;
            previous = *code;
            previousFirst = static_cast<std::uint8_t>(*code);
            continue;
        }
        // The one code not yet in the table that may come is the one about
        // to be added: the previous string plus its own first index.
        if (*code > next || (*code == next && next == kTableSize)) {
            return false;
        }
        std::size_t depth = 0;
        unsigned walk = *code;
        if (*code == next) {
            stack[depth++] = previousFirst;
            walk = previous;
        }
        // Entries only ever point to lower codes, so this walk ends.
        while (walk > end) {
            if (depth == stack.size()) {
                return false;
            }
            stack[depth++] = suffix[walk];
            walk = prefix[walk];
        }
        const auto first = static_cast<std::uint8_t>(walk);
        stack[depth++] = first;
        while (depth > 0 && written < out.size()) {
            out[written++] = stack[--depth];
        }

        if (next < kTableSize) {
            prefix[next] = static_cast<std::uint16_t>(previous);
            suffix[next] = first;
            ++next;
            if (next == (1u << width) && width < kMaxCodeBits) {
                ++width;
            }
        }
        previous = *code;
        previousFirst = first;
    }
    return true;
}

// The order in which an image's rows are stored.
std::vector<int> RowOrder(int height, bool interlaced) {
    std::vector<int> rows;
    rows.reserve(height);
    if (!interlaced) {
        for (int y = 0; y < height; ++y) {
            rows.push_back(y);
        }
        return rows;
    }
    constexpr std::array<std::array<int, 2>, 4> kPasses{{{0, 8}, {4, 8}, {2, 4}, {1, 2}}};
    for (const auto& [start, step] : kPasses) {
        for (int y = start; y < height; y += step) {
            rows.push_back(y);
        }
    }
    return rows;
}

std::optional<DecodedImage> ReadImage(ByteReader& reader, DecodedImage screen,
                                      const Palette& globalPalette) {
    auto left = reader.Word();
    auto top = reader.Word();
    auto width = reader.Word();
    auto height = reader.Word();
    auto flags = reader.Byte();
    if (!flags || *width == 0 || *height == 0 ||
        *left + *width > static_cast<unsigned>(screen.width) ||
        *top + *height > static_cast<unsigned>(screen.height)) {
        return std::nullopt;
    }
    const auto localPalette = ReadPalette(reader, *flags);
    if (!localPalette) {
        return std::nullopt;
    }
    const Palette& palette = localPalette->empty() ? globalPalette : *localPalette;
    auto minCodeSize = reader.Byte();
    if (palette.empty() || !minCodeSize || *minCodeSize < 2 || *minCodeSize > 8) {
        return std::nullopt;
    }
    auto data = ReadSubBlocks(reader);
    if (!data) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> indices(std::size_t{*width} * *height);
    if (!DecompressLzw(*data, static_cast<int>(*minCodeSize), indices)) {
        return std::nullopt;
    }

    const auto rows = RowOrder(static_cast<int>(*height), (*flags & 0x40) != 0);
    for (std::size_t stored = 0; stored < rows.size(); ++stored) {
        const std::size_t target =
            (std::size_t{*top} + rows[stored]) * screen.width + std::size_t{*left};
        for (std::size_t x = 0; x < *width; ++x) {
            const std::uint8_t index = indices[stored * *width + x];
            if (index >= palette.size()) {
                return std::nullopt;
            }
            screen.pixels[target + x] = palette[index];
        }
    }
    return screen;
}

}  // namespace

std::optional<DecodedImage> DecodeGif(std::span<const unsigned char> bytes) {
    ByteReader reader(bytes);
    auto signature = reader.Take(6);
    if (!signature || (std::memcmp(signature->data(), "GIF87a", 6) != 0 &&
                       std::memcmp(signature->data(), "GIF89a", 6) != 0)) {
        return std::nullopt;
    }
    auto width = reader.Word();
    auto height = reader.Word();
    auto flags = reader.Byte();
    auto background = reader.Byte();
    auto aspect = reader.Byte();
    if (!aspect || *width == 0 || *height == 0 || std::size_t{*width} * *height > kMaxPixels) {
        return std::nullopt;
    }
    auto readGlobal = ReadPalette(reader, *flags);
    if (!readGlobal) {
        return std::nullopt;
    }
    const Palette globalPalette = std::move(*readGlobal);

    DecodedImage screen;
    screen.width = static_cast<int>(*width);
    screen.height = static_cast<int>(*height);
    const std::uint32_t backdrop =
        *background < globalPalette.size() ? globalPalette[*background] : 0;
    screen.pixels.assign(std::size_t{*width} * *height, backdrop);

    for (;;) {
        auto introducer = reader.Byte();
        if (!introducer) {
            return std::nullopt;
        }
        if (*introducer == 0x2C) {
            return ReadImage(reader, std::move(screen), globalPalette);
        }
        // Only extensions may come before the first image: a trailer or
        // anything else here means there is no image to show.
        if (*introducer != 0x21 || !reader.Byte() || !ReadSubBlocks(reader)) {
            return std::nullopt;
        }
    }
}

}  // namespace platform
