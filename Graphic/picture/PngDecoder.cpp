#include "PngDecoder.h"

#include <csetjmp>
#include <cstring>
#include <exception>
#include <new>
#include <png.h>

#include "PngChunks.h"
#include "SysUtils.h"

namespace {

// The passes an interlaced picture is sent in (Adam7): where each starts in
// its 8 x 8 tile. A pass holds rows only where the picture reaches its start.
constexpr int kPasses = 7;
constexpr int kPassStartX[kPasses] = {0, 4, 0, 2, 0, 1, 0};
constexpr int kPassStartY[kPasses] = {0, 0, 4, 0, 2, 0, 1};

constexpr int kOutputBytesPerPixel = 3;

// The last pass that holds any pixel of a width x height picture.
int lastPassOf(png_uint_32 width, png_uint_32 height, bool interlaced) {
    if (!interlaced)
        return 0;
    int last = 0;
    for (int pass = 0; pass < kPasses; ++pass)
        if (width > static_cast<png_uint_32>(kPassStartX[pass]) && height > static_cast<png_uint_32>(kPassStartY[pass]))
            last = pass;
    return last;
}

// libpng's read state, fed chunk by chunk. libpng reports a fault by calling
// its error function, which jumps back to the setjmp in feed(); the callbacks
// catch what they raise, keep it, and report it the same way, so no C++
// exception crosses libpng's frames.
class PngPush {
  public:
    explicit PngPush(const std::string& what) : mWhat(what) {
        mPng = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, &PngPush::failed, &PngPush::warned);
        if (!mPng)
            throw std::bad_alloc();
        mInfo = png_create_info_struct(mPng);
        if (!mInfo) {
            png_destroy_read_struct(&mPng, nullptr, nullptr);
            throw std::bad_alloc();
        }
        png_set_progressive_read_fn(mPng, this, &PngPush::header, &PngPush::row, nullptr);
        // The walk has checked every kept chunk's checksum already.
        png_set_crc_action(mPng, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
        // What the walk passed the picture's size against is the limit here too.
        png_set_user_limits(mPng, 0x7FFFFFFF, 0x7FFFFFFF);
        png_set_benign_errors(mPng, 1);
    }
    ~PngPush() { png_destroy_read_struct(&mPng, &mInfo, nullptr); }
    PngPush(const PngPush&) = delete;
    PngPush& operator=(const PngPush&) = delete;

    // Hands libpng the next bytes of the stream; raises what libpng or a callback failed with.
    void feed(const unsigned char* bytes, std::size_t count) {
        if (mComplete)
            return; // the rows are all there: nothing after them is unpacked
        if (setjmp(png_jmpbuf(mPng)) == 0)
            png_process_data(mPng, mInfo, const_cast<unsigned char*>(bytes), count);
        else if (mRaised)
            std::rethrow_exception(mRaised);
        else
            throw Exception("damaged " + mWhat + " (" + mReason + ")");
    }

    bool complete() const { return mComplete; }
    TPicture take() { return std::move(mPicture); }

  private:
    [[noreturn]] static void failed(png_structp png, png_const_charp message) {
        static_cast<PngPush*>(png_get_error_ptr(png))->mReason = message;
        png_longjmp(png, 1);
    }
    static void warned(png_structp, png_const_charp) {}

    // The header is read: the output is set to 8-bit blue, green, red over black.
    static void header(png_structp png, png_infop info) {
        auto* self = static_cast<PngPush*>(png_get_progressive_ptr(png));
        png_set_expand(png);
        png_set_scale_16(png);
        png_set_gray_to_rgb(png);
        png_color_16 black{};
        if (png_get_valid(png, info, PNG_INFO_tRNS) || (png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA))
            png_set_background(png, &black, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
        png_set_bgr(png);
        png_set_interlace_handling(png);
        png_read_update_info(png, info);
        const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
        self->mLastPass =
            lastPassOf(width, height, png_get_interlace_type(png, info) != PNG_INTERLACE_NONE);
        self->mLastRow = height - 1;
        if (png_get_rowbytes(png, info) != static_cast<std::size_t>(width) * kOutputBytesPerPixel)
            png_error(png, "its pixels cannot be read as 8-bit colours");
        try {
            self->mPicture.SetWidth(static_cast<int>(width));
            self->mPicture.SetHeight(static_cast<int>(height));
        } catch (...) {
            self->mRaised = std::current_exception();
            png_error(png, "out of memory");
        }
    }

    // One row of one pass: merged into the picture's row (an interlaced
    // pass fills only some of its pixels). Rows a pass leaves alone come as null.
    static void row(png_structp png, png_bytep pixels, png_uint_32 y, int pass) {
        auto* self = static_cast<PngPush*>(png_get_progressive_ptr(png));
        if (pixels)
            png_progressive_combine_row(png, self->mPicture.GetScanline(static_cast<int>(y)), pixels);
        if (pass == self->mLastPass && y == self->mLastRow)
            self->mComplete = true;
    }

    const std::string mWhat;
    png_structp mPng = nullptr;
    png_infop mInfo = nullptr;
    TPicture mPicture;
    int mLastPass = 0;
    png_uint_32 mLastRow = 0;
    bool mComplete = false;
    std::string mReason;
    std::exception_ptr mRaised;
};

} // namespace

TPicture Decode_Png(const QByteArray& png, const std::string& what) {
    PngPush push(what);
    walkPngPictureChunks(png, what, [&](std::span<const unsigned char> bytes) {
        // The end chunk comes only after the image data: the rows must all be there by then.
        if (bytes.size() >= 8 && std::memcmp(bytes.data() + 4, "IEND", 4) == 0 && !push.complete())
            throw Exception("damaged " + what + " (its data is cut short)");
        push.feed(bytes.data(), bytes.size());
    });
    return push.take();
}
