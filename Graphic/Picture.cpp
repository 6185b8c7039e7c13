#include "Picture.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>
#include <cstring>

#include "RawFile.h"
#include "SysUtils.h"

namespace {

QImage::Format storageFormat(TPixelFormat format, const QImage* previous) {
    if (format == TPixelFormat::pf24bit || !previous || previous->isNull())
        return QImage::Format_BGR888;
    return previous->format();
}

[[noreturn]] void outOfMemory(int width, int height) {
    throw Exception("Not enough memory for a picture of " + IntToStr(width) + " x " + IntToStr(height) +
                    " pixels");
}

[[noreturn]] void cannotLoad(const std::string& fileName, const std::string& reason) {
    throw Exception("Cannot load \"" + fileName + "\": " + reason);
}

} // namespace

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

void TPicture::LoadFromFile(const std::string& fileName) {
    const QString path = QString::fromStdString(fileName);
    const QFileInfo info(path);
    if (!info.exists())
        cannotLoad(fileName, "the file does not exist");
    if (info.isDir())
        cannotLoad(fileName, "it is a folder, not a file");
    if (!info.isReadable())
        cannotLoad(fileName, "permission to read it was denied");

    QImageReader::setAllocationLimit(1024);
    QImageReader reader(path, "bmp");
    const QSize declared = reader.size();
    if (declared.isValid() && static_cast<long long>(declared.width()) * declared.height() > kMaxPicturePixels)
        cannotLoad(fileName, "declared size " + IntToStr(declared.width()) + " x " + IntToStr(declared.height()) +
                                 " exceeds the 100-megapixel limit");
    QImage image;
    if (!reader.read(&image))
        cannotLoad(fileName, "it is not a readable BMP picture (" + reader.errorString().toStdString() + ")");
    Assign(image);
}

void TPicture::SaveToFile(const std::string& fileName) const {
    if (mImage->isNull())
        throw Exception("Cannot save \"" + fileName + "\": the picture is empty");
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(*mImage))
        throw Exception("Cannot save \"" + fileName + "\": " + writer.errorString().toStdString());
    TFileHandle file = FileCreate(fileName);
    FileWrite(file, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    FileClose(file);
}
