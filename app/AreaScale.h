#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

// The part target (in view pixels) of an opaque picture drawn over a view of
// viewSize pixels, each picture pixel covering exactly its share of the view.
// A view pixel inside one picture pixel takes its colour; one where picture
// pixels meet mixes them by how much of it each covers. At whole-number
// scales that is each picture pixel repeated; at any other scale every row
// and column still covers the same width on average, so no row stands out as
// a band of doubled height. Returns an RGB32 image of target's size (empty
// for an empty picture, view or target).
QImage Area_Scaled_Part(const QImage& picture, const QSize& viewSize, const QRect& target);
