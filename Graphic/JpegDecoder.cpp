#include "JpegDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <new>

#include <jpeglib.h>

namespace {

// libjpeg reports a fatal fault by calling error_exit, which must not return:
// it jumps back to the setjmp of the step that was running. Between a setjmp
// and its jump only this plain state changes, so nothing is left undone.
struct ErrorJump {
    jpeg_error_mgr manager; // first, so libjpeg's pointer to it is one to this
    std::jmp_buf step;
};

void jumpOut(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->step, 1);
}

// Warnings (a picture cut short is filled in and still decodes) are not printed.
void keepQuiet(j_common_ptr) {}

class Decompression {
  public:
    Decompression() {
        mInfo.err = jpeg_std_error(&mError.manager);
        mError.manager.error_exit = jumpOut;
        mError.manager.output_message = keepQuiet;
    }
    ~Decompression() {
        if (mCreated)
            jpeg_destroy_decompress(&mInfo);
    }
    Decompression(const Decompression&) = delete;
    Decompression& operator=(const Decompression&) = delete;

    // Reads the headers and sets the output: blue, green, red at 1 / divisor.
    // False for CMYK pictures and for faults.
    bool start(const QByteArray& stream, int divisor) {
        if (setjmp(mError.step))
            return false;
        jpeg_create_decompress(&mInfo);
        mCreated = true;
        jpeg_mem_src(&mInfo, reinterpret_cast<const unsigned char*>(stream.constData()),
                     static_cast<unsigned long>(stream.size()));
        if (jpeg_read_header(&mInfo, TRUE) != JPEG_HEADER_OK)
            return false;
        if (mInfo.jpeg_color_space == JCS_CMYK || mInfo.jpeg_color_space == JCS_YCCK)
            return false;
        mInfo.out_color_space = JCS_EXT_BGR;
        mInfo.scale_num = 1;
        mInfo.scale_denom = static_cast<unsigned>(divisor);
        jpeg_calc_output_dimensions(&mInfo);
        return mInfo.output_components == 3;
    }

    int width() const { return static_cast<int>(mInfo.output_width); }
    int height() const { return static_cast<int>(mInfo.output_height); }

    // Decodes every row into the picture's rows; false on a fault.
    bool readInto(TPicture& picture) {
        if (setjmp(mError.step))
            return false;
        jpeg_start_decompress(&mInfo);
        while (mInfo.output_scanline < mInfo.output_height) {
            JSAMPROW row = picture.GetScanline(static_cast<int>(mInfo.output_scanline));
            jpeg_read_scanlines(&mInfo, &row, 1);
        }
        jpeg_finish_decompress(&mInfo);
        return true;
    }

  private:
    jpeg_decompress_struct mInfo{};
    ErrorJump mError{};
    bool mCreated = false;
};

} // namespace

std::optional<TPicture> Decode_Jpeg_Directly(const QByteArray& stream, int divisor) {
    Decompression decompression;
    if (!decompression.start(stream, divisor))
        return std::nullopt;
    TPicture picture;
    picture.SetWidth(decompression.width());
    picture.SetHeight(decompression.height());
    if (!decompression.readInto(picture))
        return std::nullopt;
    return picture;
}
