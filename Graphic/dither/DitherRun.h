#pragma once

#include <cstdint>
#include <vector>

#include "Picture.h"

// A dither made ready for one choice of inks and sliders, which then renders
// any rows of a result, in as many calls as its caller likes: the window
// renders the rows in view first and the rest after. The pictures come with
// each call, so a run never holds on to them; a run's rows are the same
// bytes however the picture is cut into calls.
class TDitherRun {
  public:
    virtual ~TDitherRun() = default;
    TDitherRun(const TDitherRun&) = delete;
    TDitherRun& operator=(const TDitherRun&) = delete;

    // Renders rows [first, last) of result from the same rows of source and
    // map (map read only when the run needs it). Raises an Exception when
    // result is not 24-bit and of the source's size, when a needed map is
    // not of that size either, when the rows are outside the picture, or
    // when an in-order run is not continued at NextRow() or the picture's
    // size changed since its first call.
    void Rows(const TPicture& source, TPicture& result, const TPicture& map, int first, int last);

    // Rows that pass something on to the rows below (error diffusion) are
    // rendered in order, from the top, each call going on at NextRow().
    bool InOrder() const { return mInOrder; }
    int NextRow() const { return mNext; }

  protected:
    TDitherRun(bool readsMap, bool inOrder) : mReadsMap(readsMap), mInOrder(inOrder) {}
    // rows[k] is the result's row first + k, already fetched for writing.
    virtual void render(const TPicture& source, const TPicture& map,
                        const std::vector<std::uint8_t*>& rows, int first, int last) = 0;

  private:
    bool mReadsMap;
    bool mInOrder;
    int mNext = 0;
    int mWidth = -1; // the picture's size at an in-order run's first call
    int mHeight = -1;
};
