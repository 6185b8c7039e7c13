// Fuzz harness for the bitmap reader: any input must give a picture with every
// row written once, or a BmpError; never a crash or an out-of-bounds access.
// Not part of the CMake build; with clang:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -IGraphic -Iapp/sysutils \
//       tests/graphic/bmp_fuzz.cpp Graphic/BmpReader.cpp -o bmp_fuzz && ./bmp_fuzz
//       -max_total_time=60
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "BmpReader.h"

namespace {

class FuzzTarget final : public BmpRowTarget {
  public:
    // Larger pictures are declined here, to keep the harness fast and small.
    static constexpr long long kPixelLimit = 1 << 22;

    void bmpSize(int width, int height) override {
        if (static_cast<long long>(width) * height > kPixelLimit)
            throw std::length_error("too big for the harness");
        mRows.assign(static_cast<std::size_t>(height),
                     std::vector<std::uint8_t>(3 * static_cast<std::size_t>(width)));
        mAsked.assign(static_cast<std::size_t>(height), 0);
    }
    std::uint8_t* bmpRow(int y) override {
        if (y < 0 || static_cast<std::size_t>(y) >= mRows.size() || mAsked[y]++ != 0)
            std::abort();
        return mRows[static_cast<std::size_t>(y)].data();
    }
    void checkComplete() const {
        for (int asked : mAsked)
            if (asked != 1)
                std::abort();
    }

  private:
    std::vector<std::vector<std::uint8_t>> mRows;
    std::vector<int> mAsked;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzTarget target;
    try {
        const BmpLayout layout = decodeBmp({data, size}, target);
        if (layout.embedded.kind == BmpEmbeddedKind::None)
            target.checkComplete();
        else if (layout.embedded.offset + layout.embedded.length > size)
            std::abort();
    } catch (const BmpError&) {
    } catch (const std::length_error&) {
    }
    return 0;
}
