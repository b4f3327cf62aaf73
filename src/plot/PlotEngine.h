#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orbiplot {

class Canvas;
class Clock;
class CoreContext;
class DocumentModel;
class View;

// The status bar's panels, numbered from the left.
enum class StatusPanel { Readout = 1, Zoom, Clock, CapsLock, NumLock };
inline constexpr int StatusPanelCount = 5;

// Where the engine's status texts and progress go; the document window implements it.
class PlotStatus {
public:
    virtual ~PlotStatus() = default;
    virtual void SetStatusText(StatusPanel /*panel*/, const std::string& /*text*/) {}
    // A passing note over the status bar that leaves the panels' texts as they are.
    virtual void Notice(const std::string& /*text*/) {}
    // What made an equation curve fail, in a line: its description and the error's.
    virtual void CurveFailed(const std::string& /*summary*/) {}
    virtual void ShowProgress() {}
    virtual void HideProgress() {}
};

// Draws a document: the full and partial redraw, one curve with its translation, the
// legend, and zooming.
class PlotEngine {
public:
    PlotEngine(DocumentModel& document, View& view, Canvas& canvas, CoreContext& context,
               Clock& clock, PlotStatus& status);

    // Everything when isAll, else curve num over the current picture.
    void RefreshFun(int32_t num = 0, bool isAll = false);
    void RefreshAll() { RefreshFun(0, true); }
    void DrawCurve(int32_t index);
    void DrawLegend();

    void Zoom(float factor, bool byX = true, bool byY = true);
    void ShowZoomStatus();

    // A flag that, once set, stops the equation curve being drawn (DrawingStopped).
    void SetStopFlag(const std::atomic<bool>* stop) { stop_ = stop; }
    // What a full redraw paints after the grid and before the curves (the document's areas).
    void SetUnderlay(std::function<void(Canvas&, const View&)> underlay) { underlay_ = std::move(underlay); }

private:
    void Dispatch(int32_t index);

    // A legend line as laid out: the part of the text that can reach the surface and its
    // width in world units.
    struct LegendLine {
        std::string Text;
        float Width;
    };
    std::vector<LegendLine> LayOutLegend();

    DocumentModel& document_;
    View& view_;
    Canvas& canvas_;
    CoreContext& context_;
    Clock& clock_;
    PlotStatus& status_;
    const std::atomic<bool>* stop_ = nullptr;
    std::function<void(Canvas&, const View&)> underlay_;
    // During a redraw the legend, printed after every curve, is laid out once.
    std::optional<std::vector<LegendLine>> legend_;
};

std::string TimingText(float seconds);

// The note on curves abandoned at a sample outside their domain, naming the option that draws
// them where they are defined.
std::string UndefinedPartsNotice(const std::vector<std::string>& equations);

} // namespace orbiplot
