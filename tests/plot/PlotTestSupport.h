#pragma once

#include "RecordingCanvas.h"
#include "doc/DocTestSupport.h"

#include "plot/PlotEngine.h"
#include "plot/View.h"

#include <map>

namespace orbiplot::test {

class RecordingStatus : public PlotStatus {
public:
    std::map<StatusPanel, std::vector<std::string>> texts;
    std::vector<std::string> notices;
    int shown = 0, hidden = 0;
    void SetStatusText(StatusPanel panel, const std::string& text) override {
        texts[panel].push_back(text);
    }
    void Notice(const std::string& text) override { notices.push_back(text); }
    void ShowProgress() override { ++shown; }
    void HideProgress() override { ++hidden; }
};

// A document drawn on a recording canvas of the given client size in pixels.
struct PlotFixture : DocFixture {
    explicit PlotFixture(int widthPixels = 333, int heightPixels = 333)
        : view(widthPixels * TwipsPerPixel, heightPixels * TwipsPerPixel), canvas(view) {}

    View view;
    RecordingCanvas canvas;
    ScriptedClock clock;
    RecordingStatus status;
    PlotEngine engine{doc, view, canvas, context, clock, status};

    // Appends a curve whose parameters are evaluated from texts, as the dialog would.
    int Add(CurveRecord c) {
        for (int i = 1; i <= 4; ++i)
            if (!c.SData(i).empty())
                c.Data(i) = static_cast<float>(context.Parser.ParseExpression(c.SData(i)));
        if (c.LineWidth == 0) c.LineWidth = 1;
        c.ShowHide = true;
        const int n = doc.GetLastCountAdd1();
        doc.ModifyFun(c, n, true);
        return n;
    }
};

inline CurveRecord Params(int32_t type, std::vector<std::string> texts, Rgb color = 0xFF) {
    CurveRecord c;
    c.FType = type;
    for (size_t i = 0; i < texts.size(); ++i)
        c.SData(static_cast<int>(i) + 1) = texts[i];
    c.LineColor = color;
    c.ExLineColor = 0x808080;
    c.LineWidth = 1;
    c.ExLineWidth = 1;
    return c;
}

inline CurveRecord Equation(int32_t type, std::string e1, std::string e2 = "", bool isAuto = true,
                            float min = 0, float max = 0) {
    CurveRecord c;
    c.FType = type;
    c.Expression1 = std::move(e1);
    c.Expression2 = std::move(e2);
    c.IsAuto = isAuto;
    c.xtMin = min;
    c.xtMax = max;
    c.LineColor = 0xFF;
    c.LineWidth = 1;
    return c;
}

} // namespace orbiplot::test
