#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orbiplot {

class DocumentModel;
class clsExpressionParser;

// The points a student asks about: where a curve meets the x axis (zero) and the y axis
// (y-intercept), where it turns (for Y=f(X) in y, for X=f(Y) in x, for parametric and polar
// curves in x and in y), and where two curves meet.
enum class KeyPointKind { Zero, YIntercept, Maximum, Minimum, Intersection };

struct KeyPoint {
    KeyPointKind Kind;
    int32_t Curve;      // its index in the document
    int32_t Other = -1; // the other curve of an intersection
    double X = 0, Y = 0;
    bool operator==(const KeyPoint&) const = default;
};

// The part of the plane searched, in world units.
struct PlaneBox {
    double Left, Right, Bottom, Top;
    bool Contains(double x, double y) const;
};

// The key points of the shown curves within the box, sorted by kind (in the order above),
// curve, other curve, x and y. Equation curves are evaluated at exact double arguments by
// their compiled expressions (a text that does not compile, or one using RND, has none);
// lines and conics by closed forms. parser is copied: its constants are the curves'. Stops
// early, with what it has, once stop is set. partial, when given, gets the curves (in order)
// that wave faster than the finest search grid allowed: some of their points are missing.
std::vector<KeyPoint> FindKeyPoints(const DocumentModel& document,
                                    const clsExpressionParser& parser, PlaneBox box,
                                    const std::atomic<bool>* stop = nullptr,
                                    std::vector<int32_t>* partial = nullptr);

// What a list of key points says of the curves CurvesWithoutKeyPoints names.
inline constexpr const char* NoKeyPointsText = "表达式含 RND 或只能逐点代入求值，无法求关键点";
// What a list of key points says of curves found only in part.
inline constexpr const char* PartialKeyPointsText = "振荡过快, 只列出部分零点";

// The shown equation curves that have no key points because their texts cannot be worked
// out at exact arguments (one using RND, or one read only by substituting each value).
std::vector<int32_t> CurvesWithoutKeyPoints(const DocumentModel& document,
                                            const clsExpressionParser& parser);

// A point on a shown curve, as trace finds it.
struct TracedPoint {
    int32_t Curve;
    double X, Y;
    double T = 0; // the curve's variable there (for a line or a conic, its parameter)
};

// Follows the pointer along the shown curves of a document in one view: the curves are
// sampled once, then each question is a scan of the samples and a refinement on the
// curve's own function (lines exactly).
class CurveTracer {
public:
    // Sampling an implicit curve can take a while: it ends early, raising DrawingStopped, once
    // stop is set.
    CurveTracer(const DocumentModel& document, const clsExpressionParser& parser, PlaneBox box,
                const std::atomic<bool>* stop = nullptr);
    ~CurveTracer();
    CurveTracer(const CurveTracer&) = delete;
    CurveTracer& operator=(const CurveTracer&) = delete;

    // The point of a curve nearest (x, y), at most reach pixels away on a surface of the
    // given pixels per unit along x and along y; nothing when none is that near. Only curve
    // `only` is looked at when it is not -1.
    std::optional<TracedPoint> Nearest(double x, double y, double pixelsPerX, double pixelsPerY,
                                       double reach, int32_t only = -1) const;

private:
    struct Samples;
    std::vector<Samples> curves_;
};

// "零点", "y 截距", "极大值", "极小值", "交点".
std::string KindName(KeyPointKind kind);
// "zero", "y-intercept", "max", "min", "intersection": the command line's words.
std::string KindWord(KeyPointKind kind);
// "(1.4142, -2)": each coordinate rounded to four decimals, trailing zeros dropped.
std::string PointLabel(double x, double y);
// A coordinate to 15 significant digits, as the panel lists it.
std::string FullValue(double v);

} // namespace orbiplot
