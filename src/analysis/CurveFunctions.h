#pragma once

#include "base/AppError.h"
#include "doc/CurveRecord.h"
#include "expr/CurveEvaluator.h"
#include "expr/clsExpressionParser.h"

#include <cmath>
#include <memory>
#include <optional>
#include <utility>

namespace orbiplot {

inline const char* CurveVariableOf(int32_t type) {
    return type == CurveGeneralY ? "x" : type == CurveGeneralX ? "y" : type == Polar ? "z" : "t";
}

inline bool IsLine(int32_t type) { return type >= LineGeneral && type <= LineII; }

// A curve's functions at exact arguments, for calculus and the drawing of areas: its
// expressions compiled with a parser of its own, or a line's closed form.
class CurveFunctions {
public:
    CurveFunctions(const CurveRecord& c, const clsExpressionParser& parser)
        : type_(c.FType), parser_(std::make_unique<clsExpressionParser>(parser)) {
        h_ = c.FType == Polar ? 0 : c.CTh;
        k_ = c.FType == Polar ? 0 : c.CTk;
        if (c.FType >= CurveGeneralY && c.FType <= Polar) {
            first_ = std::make_unique<CurveEvaluator>(*parser_, c.Expression1, CurveVariableOf(c.FType));
            if (c.FType == CurveParameter)
                second_ = std::make_unique<CurveEvaluator>(*parser_, c.Expression2, "t");
        } else if (IsLine(c.FType)) {
            LineForm(c);
        }
    }

    // Whether the expressions could be compiled (a text using RND, or one read only by
    // substituting each value, has no exact function).
    bool Exact() const {
        if (IsLine(type_)) return true;
        return first_ && first_->IsCompiled() && (!second_ || second_->IsCompiled());
    }

    // y as a function of x (Y=f(X), or a line not upright), or x as one of y (X=f(Y), or a
    // line not level); nothing where undefined.
    std::optional<double> Along(double u, bool ofX) {
        if (IsLine(type_)) {
            const auto& form = ofX ? yOfX_ : xOfY_;
            if (!form) return std::nullopt;
            const double v = ofX ? u - h_ : u - k_;
            return form->first * v + form->second + (ofX ? k_ : h_);
        }
        const auto value = first_->QuietExactValue(ofX ? u - h_ : u - k_);
        if (!value) return std::nullopt;
        return *value + (ofX ? k_ : h_);
    }
    bool HasForm(bool ofX) const {
        if (IsLine(type_)) return ofX ? yOfX_.has_value() : xOfY_.has_value();
        return ofX ? type_ == CurveGeneralY : type_ == CurveGeneralX;
    }

    // The point at t and the derivatives of its coordinates there (the translation moves the
    // point only).
    struct Motion {
        double X, Y, DX, DY;
    };
    std::optional<Motion> At(double t) {
        switch (type_) {
        case CurveGeneralY: {
            const auto f = Slope(*first_, t);
            if (!f) return std::nullopt;
            return Motion{t + h_, f->Value + k_, 1, f->Slope};
        }
        case CurveGeneralX: {
            const auto f = Slope(*first_, t);
            if (!f) return std::nullopt;
            return Motion{f->Value + h_, t + k_, f->Slope, 1};
        }
        case CurveParameter: {
            const auto x = Slope(*first_, t), y = x ? Slope(*second_, t) : std::nullopt;
            if (!y) return std::nullopt;
            return Motion{x->Value + h_, y->Value + k_, x->Slope, y->Slope};
        }
        case Polar: {
            const auto r = Slope(*first_, t);
            if (!r) return std::nullopt;
            const double c = std::cos(t), s = std::sin(t);
            return Motion{r->Value * c, r->Value * s, r->Slope * c - r->Value * s,
                          r->Slope * s + r->Value * c};
        }
        default: return std::nullopt;
        }
    }
    // The value alone (what an area needs of a polar curve).
    std::optional<double> First(double t) { return first_->QuietExactValue(t); }
    int32_t Type() const { return type_; }

private:
    static std::optional<CurveEvaluator::ValueAndSlope> Slope(CurveEvaluator& f, double t) {
        if (!f.QuietExactValue(t)) return std::nullopt;
        try {
            return f.ExactSlope(t);
        } catch (const AppError&) {
            return std::nullopt;
        }
    }

    // A line's two forms, as slope and intercept, from its texts (the numbers kept are
    // singles; the texts give the doubles that were typed).
    void LineForm(const CurveRecord& c) {
        const auto number = [&](int i) {
            try {
                return parser_->ParseExpression(c.SData(i));
            } catch (const AppError&) {
                return static_cast<double>(c.Data(i));
            }
        };
        const double p1 = number(1), p2 = number(2), p3 = number(3), p4 = number(4);
        // Each line as A x + B y + C = 0.
        double A = 0, B = 0, C = 0;
        switch (c.FType) {
        case LineGeneral: A = p1, B = p2, C = p3; break;
        case LinePS: A = p3, B = -1, C = p2 - p3 * p1; break;
        case LineSI: A = p1, B = -1, C = p2; break;
        case LinePP: A = p4 - p2, B = -(p3 - p1), C = (p3 - p1) * p2 - (p4 - p2) * p1; break;
        default: A = 1 / p1, B = 1 / p2, C = -1; break;
        }
        if (B != 0 && std::isfinite(A / B)) yOfX_ = std::pair(-A / B, -C / B);
        if (A != 0 && std::isfinite(B / A)) xOfY_ = std::pair(-B / A, -C / A);
    }

    int32_t type_;
    double h_ = 0, k_ = 0;
    std::unique_ptr<clsExpressionParser> parser_;
    std::unique_ptr<CurveEvaluator> first_, second_;
    std::optional<std::pair<double, double>> yOfX_, xOfY_;
};


} // namespace orbiplot
