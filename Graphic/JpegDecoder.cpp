#include "JpegDecoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <new>

#include <jpeglib.h>
#include <jerror.h>

#include "ExifOrientation.h"
#include "SysUtils.h"

namespace {

// libjpeg reports a fatal fault by calling error_exit, which must not return:
// it jumps back to the setjmp of the step that was running. Between a setjmp
// and its jump only this plain state changes, so nothing is left undone.
struct ErrorJump {
    jpeg_error_mgr manager; // first, so libjpeg's pointer to it is one to this
    std::jmp_buf step;
    bool cutShort = false; // libjpeg ran out of data and made up the rest
};

void jumpOut(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->step, 1);
}

// Warnings are not printed; the one that says the data ended early (libjpeg
// then fills the rest of the picture in) is noted, so the picture is refused.
void noteWarning(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        reinterpret_cast<ErrorJump*>(info->err)->cutShort = true;
}

class Decompression {
  public:
    Decompression() {
        mInfo.err = jpeg_std_error(&mError.manager);
        mError.manager.error_exit = jumpOut;
        mError.manager.emit_message = noteWarning;
    }
    ~Decompression() {
        if (mCreated)
            jpeg_destroy_decompress(&mInfo);
    }
    Decompression(const Decompression&) = delete;
    Decompression& operator=(const Decompression&) = delete;

    // Reads the headers, keeping the Exif blocks. False for CMYK pictures,
    // pictures not stored upright, pictures of more than kMaxPicturePixels,
    // and faults.
    bool start(const QByteArray& stream) {
        if (setjmp(mError.step))
            return false;
        jpeg_create_decompress(&mInfo);
        mCreated = true;
        jpeg_mem_src(&mInfo, reinterpret_cast<const unsigned char*>(stream.constData()),
                     static_cast<unsigned long>(stream.size()));
        jpeg_save_markers(&mInfo, JPEG_APP0 + 1, 0xFFFF);
        if (jpeg_read_header(&mInfo, TRUE) != JPEG_HEADER_OK)
            return false;
        if (mInfo.jpeg_color_space == JCS_CMYK || mInfo.jpeg_color_space == JCS_YCCK)
            return false;
        return storedUpright() &&
               static_cast<long long>(mInfo.image_width) * mInfo.image_height <= kMaxPicturePixels;
    }

    // Sets the output: blue, green, red at 1 / divisor. False on a fault.
    bool scale(int divisor) {
        if (setjmp(mError.step))
            return false;
        mInfo.out_color_space = JCS_EXT_BGR;
        mInfo.scale_num = 1;
        mInfo.scale_denom = static_cast<unsigned>(divisor);
        jpeg_calc_output_dimensions(&mInfo);
        return mInfo.output_components == 3;
    }

    bool cutShort() const { return mError.cutShort; }

    int fullWidth() const { return static_cast<int>(mInfo.image_width); }
    int fullHeight() const { return static_cast<int>(mInfo.image_height); }

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
    // True unless an APP1 segment that starts like an Exif block could say
    // the picture is stored turned: only one Exif block, whole, saying 1,
    // passes. Anything else is left to Qt's reader, which turns the picture
    // as it reads it.
    bool storedUpright() const {
        int blocks = 0;
        bool upright = false;
        for (jpeg_saved_marker_ptr marker = mInfo.marker_list; marker; marker = marker->next) {
            if (marker->marker != JPEG_APP0 + 1 || marker->data_length < 4 ||
                std::memcmp(marker->data, kExifMark, 4) != 0)
                continue;
            ++blocks;
            const std::size_t mark = std::size(kExifMark);
            upright = marker->data_length == marker->original_length &&
                      marker->data_length >= mark &&
                      std::equal(kExifMark, kExifMark + mark, marker->data) &&
                      Exif_Orientation({marker->data + mark, marker->data_length - mark}) == 1;
        }
        return blocks == 0 || (blocks == 1 && upright);
    }

    jpeg_decompress_struct mInfo{};
    ErrorJump mError{};
    bool mCreated = false;
};

} // namespace

std::optional<TPicture> Decode_Jpeg_Directly(const QByteArray& stream,
                                             const TDecodeReduction& reduction, const std::string& what) {
    Decompression decompression;
    if (!decompression.start(stream))
        return std::nullopt;
    const int divisor =
        reduction ? reduction(decompression.fullWidth(), decompression.fullHeight()) : 1;
    if (std::find(std::begin(kJpegDivisors), std::end(kJpegDivisors), divisor) ==
        std::end(kJpegDivisors))
        throw Exception("a JPEG picture cannot be decoded at 1/" + IntToStr(divisor) +
                        " of its size");
    if (!decompression.scale(divisor))
        return std::nullopt;
    TPicture picture;
    picture.SetWidth(decompression.width());
    picture.SetHeight(decompression.height());
    const bool read = decompression.readInto(picture);
    if (decompression.cutShort())
        throw Exception("damaged " + what + " (its data is cut short)");
    if (!read)
        return std::nullopt;
    return picture;
}
