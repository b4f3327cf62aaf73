#include "plot/TextBoxes.h"

#include "doc/DocumentModel.h"
#include "expr/CoreContext.h"
#include "plot/Canvas.h"
#include "plot/GridAxes.h"
#include "plot/PlotEngine.h"
#include "plot/View.h"

#include <cmath>

namespace orbiplot {

double TextMeasure::Width(std::string_view utf8) const {
    double width = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c >= 32 && c < 127)
            width += Ascii[c - 32];
        else if (c >= 0xC0 || c < 0x80)
            width += Other; // the first byte of a character beyond ASCII, or a control
    }
    return width;
}

namespace {

// Draws nothing; keeps where each text would go.
class BoxCanvas : public Canvas {
public:
    BoxCanvas(const View& view, const TextMeasure& measure) : view_(view), measure_(measure) {}
    std::vector<PixelBox> boxes;

    void Clear(Rgb) override {}
    void SetPenWidth(int) override {}
    void SetLineStyle(LineStyle) override {}
    void Line(float, float, float, float, Rgb) override {}
    void Dot(float, float, Rgb) override {}
    void Circle(float, float, float, Rgb, float) override {}
    void Text(float x, float y, const std::string& text, Rgb) override {
        const auto [px, py] = view_.ToPixels(x, y);
        boxes.push_back({px, py, measure_.Width(text), measure_.Height});
    }
    float TextWidth(const std::string& text) override {
        return static_cast<float>(measure_.Width(text) * TwipsPerPixel / view_.ClientWidthTwips() *
                                  std::fabs(view_.ScaleWidth()));
    }
    float TextHeight(const std::string&) override {
        return static_cast<float>(measure_.Height * TwipsPerPixel / view_.ClientHeightTwips() *
                                  std::fabs(view_.ScaleHeight()));
    }
    bool ShowsEveryStep() const override { return false; }

private:
    const View& view_;
    const TextMeasure& measure_;
};

// Nothing to say while only texts are placed.
class Unused : public Clock {
public:
    float Timer() override { return 0; }
};

} // namespace

std::vector<PixelBox> SurfaceTextBoxes(DocumentModel& document, const View& view,
                                       CoreContext& context, const TextMeasure& measure) {
    View at = view;
    BoxCanvas canvas(at, measure);
    DrawGridAndAxes(canvas, at, context.Settings);
    Unused clock;
    PlotStatus status;
    // The legend only: a redraw of nothing but it reads the document's descriptions.
    PlotEngine(document, at, canvas, context, clock, status).DrawLegend();
    return canvas.boxes;
}

} // namespace orbiplot
