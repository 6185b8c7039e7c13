#include "JpegDecoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <new>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "ExifOrientation.h"
#include "SysUtils.h"

namespace {

constexpr int kUpright = 1;
constexpr int kCmykBytes = 4;
constexpr int kBgrBytes = 3;

// libjpeg reports a fatal fault by calling error_exit, which must not return:
// it jumps back to the setjmp of the step that was running. Between a setjmp
// and its jump only this plain state changes, so nothing is left undone.
struct ErrorJump {
    jpeg_error_mgr manager; // first, so libjpeg's pointer to it is one to this
    std::jmp_buf step;
    bool cutShort = false; // libjpeg ran out of data and made up the rest
    int orientation = kUpright; // as the last Exif block says, 1 where none says
};

ErrorJump& stateOf(j_common_ptr info) { return *reinterpret_cast<ErrorJump*>(info->err); }

void jumpOut(j_common_ptr info) {
    std::longjmp(stateOf(info).step, 1);
}

// Warnings are not printed; the one that says the data ended early (libjpeg
// then fills the rest of the picture in) is noted, so the picture is refused.
void noteWarning(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        stateOf(info).cutShort = true;
}

// The next byte of the stream, or 0 past its end (libjpeg's source then
// warns of the end, which is noted).
std::uint8_t nextByte(j_decompress_ptr info) {
    jpeg_source_mgr* source = info->src;
    if (source->bytes_in_buffer == 0 && !source->fill_input_buffer(info))
        return 0;
    --source->bytes_in_buffer;
    return *source->next_input_byte++;
}

// Reads an APP1 segment where it lies in the stream, keeping nothing of it:
// an Exif block's orientation is noted (the last block's counts, as Qt's
// reader counts it; a block that cannot say counts as upright). A file of
// thousands of such blocks then costs no memory.
boolean readApp1(j_decompress_ptr info) {
    const int high = nextByte(info);
    const long length = (high << 8 | nextByte(info)) - 2; // the length counts its own two bytes
    if (length <= 0)
        return TRUE;
    jpeg_source_mgr* source = info->src;
    const std::size_t mark = std::size(kExifMark);
    // The memory source holds the whole stream: the segment is there to be read in place.
    if (source->bytes_in_buffer >= static_cast<std::size_t>(length) && static_cast<std::size_t>(length) >= mark &&
        std::equal(kExifMark, kExifMark + mark, source->next_input_byte))
        stateOf(reinterpret_cast<j_common_ptr>(info)).orientation =
            Exif_Orientation({source->next_input_byte + mark, static_cast<std::size_t>(length) - mark})
                .value_or(kUpright);
    source->skip_input_data(info, length);
    return TRUE;
}

// Where a pixel of a width x height picture goes when the picture is turned
// upright as its Exif orientation (1..8) says.
struct Turn {
    int orientation, width, height;
    bool swapsSides() const { return orientation >= 5; }
    int turnedWidth() const { return swapsSides() ? height : width; }
    int turnedHeight() const { return swapsSides() ? width : height; }
    void place(int x, int y, int& tx, int& ty) const {
        const int mx = width - 1 - x, my = height - 1 - y;
        switch (orientation) {
        case 2: tx = mx; ty = y; break;  // mirrored left to right
        case 3: tx = mx; ty = my; break; // upside down
        case 4: tx = x; ty = my; break;  // mirrored top to bottom
        case 5: tx = y; ty = x; break;   // mirrored along the falling diagonal
        case 6: tx = my; ty = x; break;  // stored turned left: turned right
        case 7: tx = my; ty = mx; break; // mirrored along the rising diagonal
        case 8: tx = y; ty = mx; break;  // stored turned right: turned left
        default: tx = x; ty = y; break;
        }
    }
};

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

    // Reads the headers, noting the Exif orientation. False for pictures of
    // more than kMaxPicturePixels and faults.
    bool start(const QByteArray& stream) {
        if (setjmp(mError.step))
            return false;
        jpeg_create_decompress(&mInfo);
        mCreated = true;
        jpeg_mem_src(&mInfo, reinterpret_cast<const unsigned char*>(stream.constData()),
                     static_cast<unsigned long>(stream.size()));
        jpeg_set_marker_processor(&mInfo, JPEG_APP0 + 1, readApp1);
        if (jpeg_read_header(&mInfo, TRUE) != JPEG_HEADER_OK)
            return false;
        return static_cast<long long>(mInfo.image_width) * mInfo.image_height <= kMaxPicturePixels;
    }

    // Sets the output at 1 / divisor: blue, green, red, or for a CMYK
    // picture its four inks, converted row by row. False on a fault.
    bool scale(int divisor) {
        if (setjmp(mError.step))
            return false;
        mCmyk = mInfo.jpeg_color_space == JCS_CMYK || mInfo.jpeg_color_space == JCS_YCCK;
        mInfo.out_color_space = mCmyk ? JCS_CMYK : JCS_EXT_BGR;
        mInfo.scale_num = 1;
        mInfo.scale_denom = static_cast<unsigned>(divisor);
        jpeg_calc_output_dimensions(&mInfo);
        return mInfo.output_components == (mCmyk ? kCmykBytes : kBgrBytes);
    }

    bool cutShort() const { return mError.cutShort; }

    int fullWidth() const { return static_cast<int>(mInfo.image_width); }
    int fullHeight() const { return static_cast<int>(mInfo.image_height); }

    Turn turn() const {
        return {mError.orientation, static_cast<int>(mInfo.output_width), static_cast<int>(mInfo.output_height)};
    }

    // Decodes every row into the picture, sized as turn() gives, turning
    // and converting as it goes; false on a fault.
    bool readInto(TPicture& picture) {
        // Set before the jump point, in members, so a fault leaves nothing to free or restore.
        mTurn = turn();
        mDirect = !mCmyk && mTurn.orientation == kUpright;
        const std::size_t width = static_cast<std::size_t>(mTurn.width);
        mDecoded.resize(mDirect ? 0 : width * (mCmyk ? kCmykBytes : kBgrBytes));
        mBgr.resize(mCmyk ? width * kBgrBytes : 0);
        mPicture = &picture;
        if (setjmp(mError.step))
            return false;
        jpeg_start_decompress(&mInfo);
        while (mInfo.output_scanline < mInfo.output_height)
            readRow(static_cast<int>(mInfo.output_scanline));
        jpeg_finish_decompress(&mInfo);
        return true;
    }

  private:
    // Decodes row y and puts it in place: converted from CMYK, turned.
    void readRow(int y) {
        JSAMPROW row = mDirect ? mPicture->GetScanline(y) : mDecoded.data();
        jpeg_read_scanlines(&mInfo, &row, 1);
        if (mDirect)
            return;
        const int width = mTurn.width;
        const std::uint8_t* pixels = mDecoded.data();
        if (mCmyk) {
            // Stored inverted, as Adobe writes CMYK: each ink is the light left.
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* ink = mDecoded.data() + kCmykBytes * x;
                const int k = ink[3];
                mBgr[kBgrBytes * x] = static_cast<std::uint8_t>(k * ink[2] / 255);
                mBgr[kBgrBytes * x + 1] = static_cast<std::uint8_t>(k * ink[1] / 255);
                mBgr[kBgrBytes * x + 2] = static_cast<std::uint8_t>(k * ink[0] / 255);
            }
            pixels = mBgr.data();
        }
        if (mTurn.orientation == kUpright) {
            std::memcpy(mPicture->GetScanline(y), pixels, static_cast<std::size_t>(width) * kBgrBytes);
            return;
        }
        for (int x = 0; x < width; ++x) {
            int tx = 0, ty = 0;
            mTurn.place(x, y, tx, ty);
            std::memcpy(mPicture->GetScanline(ty) + kBgrBytes * tx, pixels + kBgrBytes * x, kBgrBytes);
        }
    }

    jpeg_decompress_struct mInfo{};
    ErrorJump mError{};
    bool mCreated = false;
    bool mCmyk = false;
    bool mDirect = true;
    Turn mTurn{kUpright, 0, 0};
    std::vector<std::uint8_t> mDecoded, mBgr; // a row as decoded, and as blue, green, red
    TPicture* mPicture = nullptr;
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
    const Turn turn = decompression.turn();
    TPicture picture;
    picture.SetWidth(turn.turnedWidth());
    picture.SetHeight(turn.turnedHeight());
    const bool read = decompression.readInto(picture);
    if (decompression.cutShort())
        throw Exception("damaged " + what + " (its data is cut short)");
    if (!read)
        return std::nullopt;
    return picture;
}
