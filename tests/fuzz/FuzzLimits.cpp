#include "FuzzLimits.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include "BmpReader.h"
#include "QtPictureReader.h"

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

long long declaredPixels(const char* data, std::size_t length, const QtPictureFormat& format) {
    const QByteArray stream = QByteArray::fromRawData(data, static_cast<qsizetype>(length));
    QBuffer buffer;
    buffer.setData(stream);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format.qtName);
    const QSize size = reader.size();
    return size.isValid() ? static_cast<long long>(size.width()) * size.height() : 0;
}

} // namespace

bool FuzzSizeAllowed(std::span<const std::uint8_t> file) {
    const char* const data = reinterpret_cast<const char*>(file.data());
    if (const QtPictureFormat* format = qtPictureFormatOf(file))
        return declaredPixels(data, file.size(), *format) <= kFuzzPixelLimit;
    SizeProbe probe;
    try {
        const BmpLayout layout = decodeBmp(file, probe);
        if (layout.embedded.kind != BmpEmbeddedKind::None)
            return declaredPixels(data + layout.embedded.offset, layout.embedded.length,
                                  layout.embedded.kind == BmpEmbeddedKind::Png ? kPngFormat : kJpegFormat) <=
                   kFuzzPixelLimit;
    } catch (const ProbeStop&) {
        return probe.pixels <= kFuzzPixelLimit;
    } catch (const BmpError&) {
    }
    return true;
}
