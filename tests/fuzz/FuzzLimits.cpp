#include "FuzzLimits.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include "BmpReader.h"

namespace {

// Stops the decoding as soon as the validated size is known.
struct ProbeStop {};

class SizeProbe final : public BmpRowTarget {
  public:
    void bmpSize(int width, int height) override {
        pixels = static_cast<long long>(width) * height;
        throw ProbeStop();
    }
    std::uint8_t* bmpRow(int) override { return nullptr; }
    long long pixels = 0;
};

long long embeddedPixels(std::span<const std::uint8_t> file, const BmpEmbedded& embedded) {
    const QByteArray stream = QByteArray::fromRawData(reinterpret_cast<const char*>(file.data()) + embedded.offset,
                                                      static_cast<qsizetype>(embedded.length));
    QBuffer buffer;
    buffer.setData(stream);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, embedded.kind == BmpEmbeddedKind::Png ? "png" : "jpeg");
    const QSize size = reader.size();
    return size.isValid() ? static_cast<long long>(size.width()) * size.height() : 0;
}

} // namespace

bool FuzzSizeAllowed(std::span<const std::uint8_t> file) {
    SizeProbe probe;
    try {
        const BmpLayout layout = decodeBmp(file, probe);
        if (layout.embedded.kind != BmpEmbeddedKind::None)
            return embeddedPixels(file, layout.embedded) <= kFuzzPixelLimit;
    } catch (const ProbeStop&) {
        return probe.pixels <= kFuzzPixelLimit;
    } catch (const BmpError&) {
    }
    return true;
}
