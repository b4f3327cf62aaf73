// One to four curves of any type and a search box, made from the input: every key point found
// is finite, inside the box, listed in order once, names curves of the document, is found
// again by a second search, and a zero of y=f(x) is where f is defined and next to nothing
// against its size in the box. A search that runs past two seconds is stopped, as the window
// stops one, and what it has must still hold.
#include "FuzzSupport.h"

#include "analysis/KeyPoints.h"
#include "base/AppError.h"
#include "base/Threads.h"
#include "doc/CurveRecord.h"
#include "doc/DocumentModel.h"
#include "expr/CurveEvaluator.h"
#include "expr/clsExpressionParser.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <tuple>

namespace {

using namespace orbiplot;

// The input read a byte or a piece of text at a time; past its end, zeros and empty texts.
struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    uint8_t Byte() { return at < size ? data[at++] : 0; }
    // Up to a newline, at most 160 bytes: a curve's texts, parted by ';'.
    std::vector<std::string> Texts() {
        std::string line;
        while (at < size && data[at] != '\n' && line.size() < 160)
            line += static_cast<char>(data[at++]);
        if (at < size && data[at] == '\n') ++at;
        std::vector<std::string> parts(1);
        for (char c : line)
            if (c == ';')
                parts.emplace_back();
            else
                parts.back() += c;
        return parts;
    }
};

std::vector<KeyPoint> Search(const DocumentModel& doc, const clsExpressionParser& parser,
                             const PlaneBox& box, bool& stopped) {
    std::atomic<bool> stop{false};
    std::vector<KeyPoint> found;
    {
        const Deadline deadline(stop, std::chrono::seconds(2));
        found = FindKeyPoints(doc, parser, box, &stop);
    }
    stopped = stop;
    return found;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Core core;
    Reader in{data, size};
    const int count = 1 + in.Byte() % 4;
    // The box: about a centre, of a size from a millionth to a million.
    const double scale = std::pow(10.0, static_cast<int>(in.Byte() % 13) - 6);
    const double cx = static_cast<int8_t>(in.Byte()) / 16.0 * scale;
    const double cy = static_cast<int8_t>(in.Byte()) / 16.0 * scale;
    const double w = (1 + in.Byte()) / 32.0 * scale, h = (1 + in.Byte()) / 32.0 * scale;
    const PlaneBox box{cx - w, cx + w, cy - h, cy + h};

    DocumentModel doc(core.context);
    for (int i = 0; i < count; ++i) {
        CurveRecord c;
        c.FType = ListedType(in.Byte() % ListedTypeCount);
        const uint8_t range = in.Byte();
        const std::vector<std::string> texts = in.Texts();
        if (IsExpressionCurve(c.FType)) {
            c.Expression1 = texts[0];
            c.Expression2 = texts.size() > 1 ? texts[1] : "";
            c.IsAuto = c.FType != CurveParameter || range % 2;
            c.xtMin = -static_cast<float>(range % 16);
            c.xtMax = static_cast<float>(range / 16 + 1);
        } else {
            for (size_t n = 0; n < 4 && n < texts.size(); ++n)
                try {
                    c.SData(static_cast<int>(n) + 1) = texts[n];
                    c.Data(static_cast<int>(n) + 1) =
                        static_cast<float>(core.context.Parser.ParseExpression(texts[n]));
                } catch (const AppError&) {
                    c.SData(static_cast<int>(n) + 1).clear();
                }
        }
        c.CTh = static_cast<float>(static_cast<int8_t>(in.Byte()) % 8) / 4;
        c.CTk = static_cast<float>(static_cast<int8_t>(in.Byte()) % 8) / 4;
        c.LineWidth = 1;
        c.ShowHide = true;
        doc.ModifyFun(c, doc.GetLastCountAdd1(), true);
    }
    const clsExpressionParser& parser = core.context.Parser;

    bool stopped = false, stoppedAgain = false;
    const std::vector<KeyPoint> found = Search(doc, parser, box, stopped);
    const auto order = [](const KeyPoint& p) {
        return std::tie(p.Kind, p.Curve, p.Other, p.X, p.Y);
    };
    for (size_t n = 0; n < found.size(); ++n) {
        const KeyPoint& p = found[n];
        if (!std::isfinite(p.X) || !std::isfinite(p.Y) || !box.Contains(p.X, p.Y)) std::abort();
        if (p.Curve < 0 || p.Curve >= doc.CurveCount()) std::abort();
        if (p.Kind == KeyPointKind::Intersection
                ? (p.Other < 0 || p.Other >= doc.CurveCount() || p.Other == p.Curve)
                : p.Other != -1)
            std::abort();
        if (n > 0 && !(order(found[n - 1]) < order(p))) std::abort(); // sorted, each once
    }
    const std::vector<KeyPoint> again = Search(doc, parser, box, stoppedAgain);
    if (!stopped && !stoppedAgain) {
        if (again.size() != found.size()) std::abort();
        for (size_t n = 0; n < found.size(); ++n)
            if (order(again[n]) != order(found[n])) std::abort();
    }
    // A zero of an unshifted y=f(x): f has a value there, and it is next to nothing against the
    // largest |f| on a grid across the box.
    for (const KeyPoint& p : found) {
        if (p.Kind != KeyPointKind::Zero) continue;
        const CurveRecord& c = doc.Curve(p.Curve);
        if (c.FType != CurveGeneralY || c.CTh != 0 || c.CTk != 0) continue;
        clsExpressionParser own = parser;
        CurveEvaluator f(own, c.Expression1, "x");
        if (!f.IsCompiled()) continue;
        const std::optional<double> at = f.QuietExactValue(p.X);
        if (!at) std::abort();
        double largest = 0;
        for (int n = 0; n <= 64; ++n)
            if (const auto v = f.QuietExactValue(box.Left + (box.Right - box.Left) * n / 64);
                v && std::isfinite(*v))
                largest = std::max(largest, std::fabs(*v));
        if (std::fabs(*at) > 1e-3 * largest + 1e-300) std::abort();
    }
    return 0;
}
