// reportToRtf: a small writer of our own, enough for a word processor to show the report with
// its colours, underlining and font.

#include <algorithm>
#include <string>
#include <vector>

#include "engine/report_writer.h"

namespace zentab {

namespace {

void appendHexByte(std::string& out, unsigned char byte) {
    static const char digits[] = "0123456789abcdef";
    out += "\\'";
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
}

void appendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
        } else if (byte >= 0x80 || byte < 0x20) {
            appendHexByte(out, byte);
        } else {
            out += c;
        }
    }
}

} // namespace

std::string reportToRtf(const ReportDocument& document, const std::string& fontFace,
                        int fontHeightTwips) {
    std::string text;
    std::vector<ReportRun> runs;
    document.snapshot(text, runs);

    std::vector<Rgb> colours;
    for (const ReportRun& run : runs) {
        if (std::find(colours.begin(), colours.end(), run.colour) == colours.end()) {
            colours.push_back(run.colour);
        }
    }

    std::string out = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil ";
    appendEscaped(out, fontFace);
    out += ";}}\n{\\colortbl ;";
    for (Rgb colour : colours) {
        out += "\\red" + std::to_string(redOf(colour)) + "\\green" +
               std::to_string(greenOf(colour)) + "\\blue" + std::to_string(blueOf(colour)) + ";";
    }
    // RTF sizes are in half points, twips are twentieths of a point.
    const int halfPoints = std::max(1, (fontHeightTwips + 5) / 10);
    out += "}\n\\f0\\fs" + std::to_string(halfPoints) + "\n";

    bool underline = false;
    for (const ReportRun& run : runs) {
        const auto index = std::find(colours.begin(), colours.end(), run.colour) - colours.begin();
        out += "\\cf" + std::to_string(index + 1);
        if (run.underline != underline) {
            underline = run.underline;
            out += underline ? "\\ul" : "\\ulnone";
        }
        out += ' ';
        const std::size_t end = std::min(text.size(), run.start + run.length);
        for (std::size_t i = run.start; i < end; ++i) {
            const char c = text[i];
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                continue; // the LF that follows writes the paragraph end
            }
            if (c == '\r' || c == '\n') {
                out += "\\par\n";
            } else if (c == '\t') {
                out += "\\tab ";
            } else {
                appendEscaped(out, std::string_view(&text[i], 1));
            }
        }
    }
    out += "}";
    return out;
}

} // namespace zentab
