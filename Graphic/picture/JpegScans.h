#pragma once

#include <QByteArray>

// Encoders write one scan (baseline) or about ten (progressive); no encoder
// writes more than this. Every scan of a progressive picture is a pass over
// all of its coefficients, so a file repeating a scan thousands of times
// costs minutes for a picture that decodes in a second.
inline constexpr int kMaxJpegScans = 100;

// Counts the scans (start-of-scan markers) of a JPEG stream up to its end
// marker, without decoding any, and raises an Exception "too many scans for
// a JPEG (1000)" when there are more than kMaxJpegScans. Damage is left to
// the decoder to report.
void checkJpegScans(const QByteArray& jpeg);
