#include "InkHull.h"

#include <algorithm>
#include <limits>

namespace {

// Below this (in linear light cubed or squared) a volume or an area counts
// as none: CPC colours are far apart, so any real one is much larger.
constexpr float kFlat = 1e-7f;

LinearColour minus(const LinearColour& p, const LinearColour& q) {
    return {p.r - q.r, p.g - q.g, p.b - q.b};
}

LinearColour along(const LinearColour& p, const LinearColour& d, float t) {
    return {p.r + t * d.r, p.g + t * d.g, p.b + t * d.b};
}

float dot(const LinearColour& p, const LinearColour& q) {
    return p.r * q.r + p.g * q.g + p.b * q.b;
}

LinearColour cross(const LinearColour& p, const LinearColour& q) {
    return {p.g * q.b - p.b * q.g, p.b * q.r - p.r * q.b, p.r * q.g - p.g * q.r};
}

float squaredDistance(const LinearColour& p, const LinearColour& q) {
    const LinearColour d = minus(p, q);
    return dot(d, d);
}

LinearColour nearestOnSegment(const LinearColour& p, const LinearColour& a,
                              const LinearColour& b) {
    const LinearColour ab = minus(b, a);
    const float length = dot(ab, ab);
    if (length <= 0)
        return a;
    return along(a, ab, std::clamp(dot(minus(p, a), ab) / length, 0.0f, 1.0f));
}

// The point of triangle abc nearest to p, by the regions of its corners,
// edges and inside (Ericson, Real-Time Collision Detection, 5.1.5).
LinearColour nearestOnTriangle(const LinearColour& p, const LinearColour& a,
                               const LinearColour& b, const LinearColour& c) {
    const LinearColour ab = minus(b, a), ac = minus(c, a), ap = minus(p, a);
    const float d1 = dot(ab, ap), d2 = dot(ac, ap);
    if (d1 <= 0 && d2 <= 0)
        return a;
    const LinearColour bp = minus(p, b);
    const float d3 = dot(ab, bp), d4 = dot(ac, bp);
    if (d3 >= 0 && d4 <= d3)
        return b;
    const float vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0)
        return along(a, ab, d1 / (d1 - d3));
    const LinearColour cp = minus(p, c);
    const float d5 = dot(ab, cp), d6 = dot(ac, cp);
    if (d6 >= 0 && d5 <= d6)
        return c;
    const float vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0)
        return along(a, ac, d2 / (d2 - d6));
    const float va = d3 * d6 - d5 * d4;
    if (va <= 0 && d4 - d3 >= 0 && d5 - d6 >= 0)
        return along(b, minus(c, b), (d4 - d3) / ((d4 - d3) + (d5 - d6)));
    const float denominator = 1 / (va + vb + vc);
    return along(along(a, ab, vb * denominator), ac, vc * denominator);
}

} // namespace

InkHull::InkHull(const InkColours& inks) {
    for (int i = 0; i < inks.count(); ++i) {
        const LinearColour& colour = inks.linear(i);
        if (std::none_of(mPoints.begin(), mPoints.end(),
                         [&](const LinearColour& p) { return squaredDistance(p, colour) == 0; }))
            mPoints.push_back(colour);
    }
    const std::size_t count = mPoints.size();
    std::vector<Face> flat;
    for (std::size_t i = 0; i < count; ++i)
        for (std::size_t j = i + 1; j < count; ++j)
            for (std::size_t k = j + 1; k < count; ++k) {
                Face face{mPoints[i], mPoints[j], mPoints[k], {}, 0};
                face.normal = cross(minus(face.b, face.a), minus(face.c, face.a));
                if (dot(face.normal, face.normal) <= kFlat * kFlat)
                    continue; // three inks in a line
                face.offset = dot(face.normal, face.a);
                bool above = false, below = false;
                for (const LinearColour& p : mPoints) {
                    const float side = dot(face.normal, p) - face.offset;
                    above = above || side > kFlat;
                    below = below || side < -kFlat;
                }
                if (above && below)
                    continue; // inks on both sides: not a face
                if (!above && !below) {
                    flat.push_back(face);
                    continue;
                }
                if (above) { // point the normal outward
                    face.normal = {-face.normal.r, -face.normal.g, -face.normal.b};
                    face.offset = -face.offset;
                }
                mFaces.push_back(face);
            }
    mSolid = !mFaces.empty();
    if (!mSolid)
        mFaces = std::move(flat);
}

LinearColour InkHull::nearest(const LinearColour& colour) const {
    if (mFaces.empty()) { // one ink, or inks in a line
        LinearColour best = mPoints.front();
        for (std::size_t i = 0; i < mPoints.size(); ++i)
            for (std::size_t j = i + 1; j < mPoints.size(); ++j) {
                const LinearColour p = nearestOnSegment(colour, mPoints[i], mPoints[j]);
                if (squaredDistance(p, colour) < squaredDistance(best, colour))
                    best = p;
            }
        return best;
    }
    LinearColour best = colour;
    float bestDistance = std::numeric_limits<float>::max();
    bool outside = false;
    for (const Face& face : mFaces) {
        // Seen from outside, the nearest point lies on a face the colour
        // is beyond; a flat hull is beyond or on every face.
        if (mSolid && dot(face.normal, colour) - face.offset <= kFlat)
            continue;
        outside = true;
        const LinearColour p = nearestOnTriangle(colour, face.a, face.b, face.c);
        const float d = squaredDistance(p, colour);
        if (d < bestDistance) {
            bestDistance = d;
            best = p;
        }
    }
    return outside ? best : colour;
}
