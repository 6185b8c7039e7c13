#include "Picture.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <span>

#include "BmpReader.h"
#include "BmpWriter.h"
#include "FileKind.h"
#include "LibraryMessages.h"
#include "QtPictureReader.h"
#include "RawFile.h"
#include "SysUtils.h"

namespace {

QImage::Format storageFormat(TPixelFormat format, const QImage* previous) {
    if (format == TPixelFormat::pf24bit || !previous || previous->isNull())
        return QImage::Format_BGR888;
    return previous->format();
}

// No readable bitmap file is longer: the largest picture allowed at the
// widest pixels (8 bytes), plus room for headers and palette. Longer files
// are refused before they are read into memory.
constexpr long long kMaxFileBytes = kMaxPicturePixels * 8 + (1 << 20);

[[noreturn]] void outOfMemory(int width, int height) {
    throw Exception("Not enough memory for a picture of " + IntToStr(width) + " x " + IntToStr(height) +
                    " pixels");
}

[[noreturn]] void cannotLoad(const std::string& fileName, const std::string& reason) {
    throw Exception("Cannot load \"" + fileName + "\": " + reason);
}

// Hands the reader the rows of a picture sized as the file declares.
class PictureRows final : public BmpRowTarget {
  public:
    explicit PictureRows(TPicture& picture) : mPicture(picture) {}
    void bmpSize(int width, int height) override {
        mPicture.SetWidth(width);
        mPicture.SetHeight(height);
    }
    std::uint8_t* bmpRow(int y) override { return mPicture.GetScanline(y); }

  private:
    TPicture& mPicture;
};

// The picture held by a file's bytes: a PNG, JPEG, GIF, WebP or TIFF file
// through Qt's readers, anything else through our bitmap reader (which
// explains what it finds when that is not a bitmap either). Raises BmpError
// or Exception with the reason.
TPicture decodePictureBytes(QByteArray bytes, const TDecodeReduction& reduction) {
    const std::span<const std::uint8_t> view(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                             static_cast<std::size_t>(bytes.size()));
    if (const QtPictureFormat* format = qtPictureFormatOf(view))
        return decodeWithQt(std::move(bytes), *format, format->title, reduction);
    // Named by what its first bytes are, not as a bitmap it never was.
    if (view.empty())
        throw Exception("it is empty");
    if (const QtPictureFormat* format = qtPictureFormatCutIn(view))
        throw Exception(std::string("it is a damaged ") + format->title + " picture: it ends after " +
                        std::to_string(view.size()) + (view.size() == 1 ? " byte" : " bytes"));
    TPicture loaded;
    PictureRows rows(loaded);
    const BmpLayout layout = decodeBmp(view, rows);
    if (layout.embedded.kind == BmpEmbeddedKind::None)
        return loaded;
    const QtPictureFormat& format = layout.embedded.kind == BmpEmbeddedKind::Png ? kPngFormat : kJpegFormat;
    const QByteArray stream = QByteArray::fromRawData(bytes.constData() + layout.embedded.offset,
                                                      static_cast<qsizetype>(layout.embedded.length));
    return decodeWithQt(stream, format, std::string("embedded ") + format.title, reduction);
}

// Qt's image writer writing straight into a raw file, each write checked:
// the encoded file is never held whole in memory, and a write that fails or
// comes up short fails the save (the writer itself would not notice a short
// one). The first failure is kept and raised once the writer has returned;
// the rest is dropped but counted as written, because an encoder told of the
// failure mid-stream (libpng) leaves by a jump that leaks Qt's row buffers.
class RawFileDevice final : public QIODevice {
  public:
    explicit RawFileDevice(TFileHandle& file) : mFile(file) {}
    void raiseWriteError() const {
        if (mError)
            throw Exception(*mError);
    }

  protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 count) override {
        if (mError)
            return count;
        try {
            FileWrite(mFile, data, static_cast<std::size_t>(count));
        } catch (const Exception& error) {
            mError = error.what();
        }
        return count;
    }

  private:
    TFileHandle& mFile;
    std::optional<std::string> mError;
};

// Reads a whole file, but never more than kMaxFileBytes: a file that grows
// while it is read, or one whose size the system gives wrongly, is cut off
// and refused rather than read until memory runs out.
QByteArray readBounded(const std::string& fileName) {
    const QString path = QString::fromStdString(fileName);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        cannotLoad(fileName, file.errorString().toStdString());
    constexpr qint64 kChunkBytes = 1 << 20;
    // Read in place, straight into the bytes' own memory: one byte more than
    // the size the system gives (a short read then ends the file without a
    // second buffer), a chunk at a time for whatever follows.
    QByteArray bytes;
    qint64 have = 0;
    qint64 ask = file.size() + 1;
    while (true) {
        const qint64 want = std::min(ask, kMaxFileBytes + 1 - have);
        bytes.resize(static_cast<qsizetype>(have + want));
        const qint64 got = file.read(bytes.data() + have, want);
        if (got < 0 || file.error() != QFileDevice::NoError)
            cannotLoad(fileName, file.errorString().toStdString());
        if (got == 0)
            break;
        have += got;
        if (have > kMaxFileBytes)
            cannotLoad(fileName, "it is longer than any picture of up to 100 megapixels needs");
        ask = got < want ? want - got : kChunkBytes;
    }
    bytes.resize(static_cast<qsizetype>(have));
    return bytes;
}

// An uncompressed 24-bit bitmap read with its rows going from the file
// straight into the picture's rows: the file is never held whole in memory
// and no byte is copied twice. False, with the picture untouched, for any
// other file (a faulty one included): the whole-file path then reads it.
// Raises an Exception when the file ends or fails while its rows are read.
bool readPlainBmp(const std::string& fileName, qint64 fileBytes, TPicture& picture) {
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    // Headers and palette of any plain bitmap fit in this many bytes.
    constexpr qint64 kStartBytes = 64 << 10;
    QByteArray start(static_cast<qsizetype>(std::min(fileBytes, kStartBytes)), Qt::Uninitialized);
    if (file.read(start.data(), start.size()) != start.size())
        return false;
    const std::optional<BmpPlainRows> rows =
        plainBmpRows({reinterpret_cast<const std::uint8_t*>(start.constData()),
                      static_cast<std::size_t>(start.size())},
                     static_cast<std::uint64_t>(fileBytes));
    if (!rows || !file.seek(static_cast<qint64>(rows->offset)))
        return false;
    picture.SetWidth(rows->width);
    picture.SetHeight(rows->height);
    // A stored row and a picture row are both padded to 4 bytes, so each
    // row takes its padding in the same read.
    const auto pixelBytes = static_cast<qint64>(rows->width) * 3;
    const auto stride = static_cast<qint64>(rows->stride);
    const qint64 readBytes = picture.Image().bytesPerLine() >= stride ? stride : pixelBytes;
    char padding[3];
    for (int r = 0; r < rows->height; ++r) {
        auto* row =
            reinterpret_cast<char*>(picture.GetScanline(rows->topDown ? r : rows->height - 1 - r));
        const qint64 got = file.read(row, readBytes);
        if (got == readBytes &&
            (readBytes == stride || file.read(padding, stride - readBytes) == stride - readBytes))
            continue;
        if (got < 0)
            throw Exception(file.errorString().toStdString());
        throw Exception("pixel data ends at byte " + std::to_string(file.pos()) + " of " +
                        std::to_string(static_cast<qint64>(rows->offset) + stride * rows->height) +
                        " needed");
    }
    return true;
}

} // namespace

std::string Too_Many_Pixels_Text(long long width, long long height) {
    return "more than " + std::to_string(kMaxPicturePixels / 1'000'000) + " megapixels (" + std::to_string(width) +
           " x " + std::to_string(height) + ")";
}

TPicture::TPicture() : mImage(std::make_unique<QImage>()) {}
TPicture::~TPicture() = default;
TPicture::TPicture(TPicture&&) noexcept = default;
TPicture& TPicture::operator=(TPicture&&) noexcept = default;

void TPicture::reallocate(int width, int height) {
    if (width < 0 || height < 0)
        throw Exception("A picture cannot be " + IntToStr(width) + " x " + IntToStr(height) + " pixels");
    if (static_cast<long long>(width) * height > kMaxPicturePixels)
        outOfMemory(width, height);
    QImage resized;
    if (width > 0 && height > 0) {
        resized = QImage(width, height, storageFormat(mFormat, mImage.get()));
        if (resized.isNull())
            outOfMemory(width, height);
        if (!mImage->isNull()) {
            resized.setColorTable(mImage->colorTable());
            const int rows = std::min(height, mImage->height());
            const int bytes = std::min(resized.bytesPerLine(), mImage->bytesPerLine());
            for (int y = 0; y < rows; ++y)
                std::memcpy(resized.scanLine(y), mImage->constScanLine(y), static_cast<std::size_t>(bytes));
        }
    }
    *mImage = std::move(resized);
    mWidth = width;
    mHeight = height;
}

void TPicture::SetWidth(int width) {
    if (width != mWidth)
        reallocate(width, mHeight);
}

void TPicture::SetHeight(int height) {
    if (height != mHeight)
        reallocate(mWidth, height);
}

void TPicture::SetPixelFormat(TPixelFormat format) {
    if (format == mFormat)
        return;
    if (!mImage->isNull()) {
        const QImage::Format target = format == TPixelFormat::pf24bit ? QImage::Format_BGR888 : QImage::Format_RGB32;
        QImage converted = mImage->convertToFormat(target);
        if (converted.isNull())
            outOfMemory(mWidth, mHeight);
        *mImage = std::move(converted);
    }
    mFormat = format;
}

std::uint8_t* TPicture::GetScanline(int y) {
    if (y < 0 || y >= mHeight || mImage->isNull())
        return nullptr;
    return mImage->scanLine(y);
}

const std::uint8_t* TPicture::GetScanline(int y) const {
    if (y < 0 || y >= mHeight || mImage->isNull())
        return nullptr;
    return mImage->constScanLine(y);
}

const QImage& TPicture::Image() const { return *mImage; }

void TPicture::Assign(const QImage& image) {
    *mImage = image;
    mWidth = image.width();
    mHeight = image.height();
    mFormat = image.format() == QImage::Format_BGR888 ? TPixelFormat::pf24bit : TPixelFormat::pfDevice;
}

void TPicture::LoadFromFile(const std::string& fileName, const TDecodeReduction& reduction) {
    const QString path = QString::fromStdString(fileName);
    const QFileInfo info(path);
    if (!info.exists())
        cannotLoad(fileName, "the file does not exist");
    if (info.isDir())
        cannotLoad(fileName, "it is a folder, not a file");
    // A pipe or device has no size to check, and may never end.
    const TFileKind kind = FileKindOf(fileName);
    if (kind != TFileKind::Regular)
        cannotLoad(fileName, "it is " + FileKindText(kind) + ", not a regular file");
    if (!info.isReadable())
        cannotLoad(fileName, "permission to read it was denied");
    if (info.size() > kMaxFileBytes)
        cannotLoad(fileName, "it is " + std::to_string(info.size()) +
                                 " bytes long, more than any picture of up to 100 megapixels needs");

    // Decoded into a picture of its own first, so a failure leaves this one as it was.
    const auto decoding = [&fileName](const auto& step) {
        try {
            step();
        } catch (const BmpError& error) {
            cannotLoad(fileName, error.what());
        } catch (const Exception& error) {
            cannotLoad(fileName, error.what());
        } catch (const std::bad_alloc&) {
            cannotLoad(fileName, "there is not enough memory to read it");
        }
    };
    TPicture loaded;
    bool plain = false;
    decoding([&] { plain = readPlainBmp(fileName, info.size(), loaded); });
    if (!plain) {
        QByteArray bytes = readBounded(fileName);
        decoding([&] { loaded = decodePictureBytes(std::move(bytes), reduction); });
    }
    *this = std::move(loaded);
}

void TPicture::SaveToFile(const std::string& fileName, TPictureFileFormat format) const {
    if (mImage->isNull())
        throw Exception("Cannot save \"" + fileName + "\": the picture is empty");
    TFileHandle file = FileCreate(fileName);
    // A 24-bit picture goes out straight from its rows; Qt's writer would
    // first copy the whole picture to 32 bits.
    if (format == TPictureFileFormat::Bmp && mFormat == TPixelFormat::pf24bit) {
        Write_Bmp(file, *this, mImage->dotsPerMeterX(), mImage->dotsPerMeterY());
        FileClose(file);
        return;
    }
    RawFileDevice device(file);
    device.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    QImageWriter writer(&device, format == TPictureFileFormat::Png ? "png" : "bmp");
    bool written = false;
    {
        // libpng's own words on a failed write ("libpng error: Write Error")
        // stay off the terminal: the write error itself is the reason given.
        const LibraryMessages quiet;
        written = writer.write(*mImage);
    }
    device.raiseWriteError();
    if (!written)
        throw Exception("Cannot save \"" + fileName + "\": " + writer.errorString().toStdString());
    FileClose(file);
}
