#pragma once
// Colour categories of report text and their current values. Plain data; any thread.

#include <cstdint>

namespace zentab {

// A colour as the preferences store it: red in the low byte, then green, then blue.
using Rgb = std::uint32_t;

constexpr Rgb makeRgb(unsigned r, unsigned g, unsigned b) {
    return static_cast<Rgb>(r | (g << 8) | (b << 16));
}
constexpr unsigned redOf(Rgb c) {
    return c & 0xFF;
}
constexpr unsigned greenOf(Rgb c) {
    return (c >> 8) & 0xFF;
}
constexpr unsigned blueOf(Rgb c) {
    return (c >> 16) & 0xFF;
}

enum class ReportColour { Database1, Database2, Common, Error, Text, White };

struct ReportColours {
    Rgb database1 = makeRgb(42, 42, 255);
    Rgb database2 = makeRgb(255, 0, 0);
    Rgb common = makeRgb(9, 165, 46);
    Rgb error = makeRgb(130, 8, 54);
    Rgb text = makeRgb(0, 0, 0);

    Rgb of(ReportColour c) const {
        switch (c) {
        case ReportColour::Database1:
            return database1;
        case ReportColour::Database2:
            return database2;
        case ReportColour::Common:
            return common;
        case ReportColour::Error:
            return error;
        case ReportColour::Text:
            return text;
        case ReportColour::White:
            break;
        }
        return makeRgb(255, 255, 255);
    }
};

} // namespace zentab
