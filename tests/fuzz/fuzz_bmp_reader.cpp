// Fuzz target for the bitmap reader on its own: any input must give a picture
// with every row written once, or a BmpError; never a crash or an
// out-of-bounds access. Built and run by scripts/fuzz.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "BmpReader.h"

namespace {

class FuzzTarget final : public BmpRowTarget {
  public:
    // The reader has refused sizes past kMaxPicturePixels, a megapixel here.
    void bmpSize(int width, int height) override {
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
    }
    return 0;
}
