#include "DitherRun.h"

#include "DitherRules.h"
#include "RowThreads.h"
#include "SysUtils.h"

void TDitherRun::Rows(const TPicture& source, TPicture& result, const TPicture& map, int first,
                      int last) {
    const int width = source.GetWidth();
    const int height = source.GetHeight();
    if (result.GetWidth() != width || result.GetHeight() != height ||
        result.GetPixelFormat() != TPixelFormat::pf24bit ||
        source.GetPixelFormat() != TPixelFormat::pf24bit)
        throw Exception("A dither's result is " + IntToStr(result.GetWidth()) + " x " +
                        IntToStr(result.GetHeight()) + ", not its 24-bit source's " +
                        IntToStr(width) + " x " + IntToStr(height));
    if (mReadsMap)
        Require_Map_Of(source, map);
    if (first < 0 || last > height || first > last)
        throw Exception("Rows " + IntToStr(first) + " to " + IntToStr(last) +
                        " are outside a picture of " + IntToStr(height) + " rows");
    if (mInOrder) {
        if (mWidth < 0) {
            mWidth = width;
            mHeight = height;
        }
        if (first != mNext || width != mWidth || height != mHeight)
            throw Exception("A diffusion's rows go on at row " + IntToStr(mNext) +
                            " of its first picture, not at " + IntToStr(first));
    }
    if (first == last)
        return;
    render(source, map, Writable_Rows(result, first, last), first, last);
    if (mInOrder)
        mNext = last;
}
