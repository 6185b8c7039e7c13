#include "RawSprite.h"

#include <memory>

#include "Engine.h"

std::vector<std::uint8_t> Raw_Sprite(const TPicture& result, const InkTable& inks) {
    std::unique_ptr<std::uint8_t[]> packed;
    CPC_Mode1_Convert(result, packed, inks);
    const std::size_t count = static_cast<std::size_t>(result.GetHeight()) *
                              ((static_cast<std::size_t>(result.GetWidth()) + 3) / 4);
    return {packed.get(), packed.get() + count};
}
