#pragma once

#include <vector>

#include "DitherColour.h"

// The colours a set of inks can show by mixing: the convex hull of their
// colours in linear light. Error diffusion aims each pixel at its nearest
// point of the hull, so a colour the inks cannot reach (a bluish white with
// no blue ink) is not chased by carrying ever more error onto its
// neighbours. The hull is built once per call, by testing every triple of
// inks as a face (at most 560 for 16 inks), and only read after.
class InkHull {
  public:
    explicit InkHull(const InkColours& inks);
    // The point of the hull nearest to colour, by distance in linear light:
    // colour itself when the inks reach it.
    LinearColour nearest(const LinearColour& colour) const;

  private:
    struct Face {
        LinearColour a, b, c;
        // Outward normal and offset: normal . x > offset outside the face.
        LinearColour normal;
        float offset;
    };
    // The hull's faces; when the inks span no volume (all in one plane),
    // every triangle of three of them.
    std::vector<Face> mFaces;
    bool mSolid = false;
    // The inks' distinct colours, read when they span no triangle.
    std::vector<LinearColour> mPoints;
};
