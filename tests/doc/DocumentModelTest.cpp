#include "DocTestSupport.h"

#include "RaisedNumber.h"
#include "base/AppError.h"

#include <gtest/gtest.h>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

class RecordingView : public DocumentView {
public:
    std::vector<int32_t> drawn;
    std::vector<std::string> captions;
    void DrawCurve(int32_t num) override { drawn.push_back(num); }
    void SetCaption(const std::string& title) override { captions.push_back(title); }
};

} // namespace

TEST(CurveRecord, DescriptionsUseTheTextsAsTyped) {
    const auto curve = [](int32_t type, std::vector<std::string> texts, std::string e1 = "",
                          std::string e2 = "") {
        CurveRecord c;
        c.FType = type;
        for (size_t i = 0; i < texts.size(); ++i)
            c.SData(static_cast<int>(i) + 1) = texts[i];
        c.Expression1 = e1;
        c.Expression2 = e2;
        return c;
    };
    // Every parameter text differs, so a text in the wrong place shows.
    const std::vector<std::string> p{"a", "b", "c", "d"};
    const std::pair<CurveRecord, std::string> cases[] = {
        {curve(0, p), "点: (a,b)"},
        {curve(1, p), "直线: (a)*x+(b)*y+(c)=0"},
        {curve(2, p), "直线: y-(b)=(c)*(x-(a))"},
        {curve(3, p), "直线: y=(a)*x+(b)"},
        {curve(4, {"0", "0", "1", "2"}), "直线: (y-(0))/((2)-(0))=(x-(0))/((1)-(0))"},
        {curve(4, p), "直线: (y-(b))/((d)-(b))=(x-(a))/((c)-(a))"},
        {curve(5, p), "直线: x/(a)+y/(b)=1"},
        {curve(6, {"0", "0", "sqrt(2)"}), "圆: (x-(0))^2+(y-(0))^2=(sqrt(2))^2"},
        {curve(7, p), "圆: x^2+y^2+(a)*x+(b)*y+(c)=0"},
        {curve(8, p), "椭圆: x^2/(a)^2+y^2/(b)^2=1"},
        {curve(9, p), "双曲线: x^2/(a)^2-y^2/(b)^2=1"},
        {curve(10, p), "双曲线: y^2/(a)^2-x^2/(b)^2=1"},
        {curve(11, p), "抛物线: y^2=2*(a)*x"},
        {curve(12, p), "抛物线: x^2=2*(a)*y"},
        {curve(13, p, "x*x"), "普通方程: y=x*x"},
        {curve(14, p, "y*y"), "普通方程: x=y*y"},
        {curve(15, {}, "cos(t)", "sin(t)"), "参数方程: x=cos(t), y=sin(t)"},
        {curve(16, p, "2*z"), "普通方程(极坐标): r=2*z"},
    };
    for (const auto& [c, expected] : cases)
        EXPECT_EQ(CurveDescription(c), expected) << c.FType;
}

TEST(DocumentModel, AppendingNumbersModifiesAndDrawsEachCurve) {
    DocFixture f;
    RecordingView view;
    f.doc.SetView(&view);
    f.doc.NewDoc({"函数 1", "me", "", "2"});
    EXPECT_EQ(view.captions, std::vector<std::string>{"函数 1"});
    EXPECT_FALSE(f.doc.IsModified());
    EXPECT_EQ(f.doc.GetLastCountAdd1(), 0);

    ASSERT_TRUE(f.doc.ModifyFun(SampleCurve(Point), f.doc.GetLastCountAdd1(), true));
    EXPECT_EQ(f.doc.GetLastCountAdd1(), 1);
    EXPECT_TRUE(f.doc.IsModified());
    ASSERT_TRUE(f.doc.ModifyFun(SampleCurve(Polar, 2), 1, true));
    EXPECT_EQ(view.drawn, (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(f.doc.GetFunList(),
              (std::vector<std::string>{"点: (1/3,pi/2)", "普通方程(极坐标): r=sin(x)*2"}));
    EXPECT_EQ(f.doc.GetFunListShowHide(), (std::vector<bool>{false, true}));
    EXPECT_TRUE(f.messages.shown.empty());

    // Modifying in place keeps the count.
    ASSERT_TRUE(f.doc.ModifyFun(SampleCurve(Point, 5), 0, false));
    EXPECT_EQ(f.doc.CurveCount(), 2);
    EXPECT_EQ(f.doc.Curve(0).SData1, "5/3");
}

TEST(DocumentModel, BadIndexOrTypeIsReportedAndChangesNothing) {
    DocFixture f;
    f.doc.NewDoc({"t", "a", "", "2"});
    for (int32_t i = 0; i < MaxCurves; ++i)
        ASSERT_TRUE(f.doc.ModifyFun(SampleCurve(i % 17, i), i, true));
    f.doc.SetModified(false);
    EXPECT_FALSE(f.doc.ModifyFun(SampleCurve(Point), f.doc.GetLastCountAdd1(), true));
    EXPECT_EQ(f.doc.CurveCount(), MaxCurves);
    EXPECT_FALSE(f.doc.IsModified());
    EXPECT_THAT(f.messages.Texts(),
                ElementsAre(AllOf(HasSubstr("Err.Number = 9\n"), HasSubstr("下标越界"))));

    DocFixture g;
    EXPECT_FALSE(g.doc.ModifyFun(SampleCurve(CurveTypeCount), 0, true));
    EXPECT_EQ(g.doc.CurveCount(), 0);
    EXPECT_FALSE(g.doc.IsModified());
    EXPECT_THAT(g.messages.Texts(), ElementsAre("未知曲线类型"));
}

TEST(DocumentModel, DeletingMovesLaterCurvesForwardWithAllTheirFields) {
    DocFixture f;
    for (int32_t i = 0; i < 3; ++i)
        f.doc.ModifyFun(SampleCurve(13 + i, i + 1), i, true);
    f.doc.SetModified(false);
    const CurveRecord second = f.doc.Curve(1), third = f.doc.Curve(2);
    f.doc.DeleteFun(0);
    EXPECT_EQ(f.doc.CurveCount(), 2);
    EXPECT_EQ(f.doc.Curve(0), second);
    EXPECT_EQ(f.doc.Curve(1), third);
    f.doc.DeleteFun(1);
    EXPECT_EQ(f.doc.CurveCount(), 1);
    EXPECT_EQ(f.doc.Curve(0), second);
    EXPECT_FALSE(f.doc.IsModified());

    EXPECT_EQ(RaisedNumber([&] { f.doc.DeleteFun(1); }), ErrSubscript);
    f.doc.DeleteFun(0);
    EXPECT_EQ(RaisedNumber([&] { f.doc.DeleteFun(0); }), ErrSubscript);
    EXPECT_EQ(f.doc.CurveCount(), 0);
}

TEST(DocumentModel, VisibilityAndInfoChanges) {
    DocFixture f;
    RecordingView view;
    f.doc.SetView(&view);
    f.doc.ModifyFun(SampleCurve(CurveGeneralY, 2), 0, true);
    f.doc.SetModified(false);
    EXPECT_FALSE(f.doc.SetFunListShowHide(0, false));
    EXPECT_FALSE(f.doc.Curve(0).ShowHide);
    EXPECT_FALSE(f.doc.IsModified());
    EXPECT_EQ(view.drawn.size(), 1u); // no redraw

    f.doc.ModifyDocInfo({"新标题", "a", "n", "1"});
    EXPECT_TRUE(f.doc.IsModified());
    EXPECT_EQ(f.doc.GetDocInfo().Title, "新标题");
    EXPECT_EQ(view.captions.back(), "新标题");

    // Getters read any slot of the list's capacity and refuse others.
    EXPECT_EQ(f.doc.Curve(253).SData1, "");
    EXPECT_EQ(RaisedNumber([&] { f.doc.Curve(254); }), ErrSubscript);
    EXPECT_EQ(RaisedNumber([&] { f.doc.SetFunListShowHide(300, true); }), ErrSubscript);
}

TEST(DocumentModel, ACurvePutBackGoesWhereItWasAndASlotComesBackWhole) {
    DocFixture f;
    RecordingView view;
    f.doc.SetView(&view);
    for (int32_t i = 0; i < 3; ++i)
        f.doc.ModifyFun(SampleCurve(13 + i, i + 1), i, true);
    f.doc.SetModified(false);
    view.drawn.clear();
    const CurveRecord first = f.doc.Curve(0), second = f.doc.Curve(1), third = f.doc.Curve(2);
    // Removed and put back in the middle: the later one moves on, every slot as before.
    f.doc.DeleteFun(1);
    f.doc.InsertCurve(1, second);
    EXPECT_EQ(f.doc.CurveCount(), 3);
    EXPECT_EQ(f.doc.Curve(0), first);
    EXPECT_EQ(f.doc.Curve(1), second);
    EXPECT_EQ(f.doc.Curve(2), third);
    // At the front and at the end.
    f.doc.InsertCurve(0, third);
    f.doc.InsertCurve(4, first);
    EXPECT_EQ(f.doc.GetFunList(),
              (std::vector<std::string>{CurveDescription(third), CurveDescription(first),
                                        CurveDescription(second), CurveDescription(third),
                                        CurveDescription(first)}));
    // A slot beyond the list, given back with fields its type does not use.
    CurveRecord stale = second;
    stale.FType = Point;
    f.doc.PutCurve(5, stale);
    EXPECT_EQ(f.doc.Curve(5), stale);
    EXPECT_EQ(f.doc.CurveCount(), 5);
    // Neither marks the document nor draws.
    EXPECT_FALSE(f.doc.IsModified());
    EXPECT_TRUE(view.drawn.empty());
    // Past the end of the list, or into a full list: refused, nothing moved.
    EXPECT_EQ(RaisedNumber([&] { f.doc.InsertCurve(7, first); }), ErrSubscript);
    EXPECT_EQ(RaisedNumber([&] { f.doc.InsertCurve(-1, first); }), ErrSubscript);
    EXPECT_EQ(RaisedNumber([&] { f.doc.PutCurve(254, first); }), ErrSubscript);
    for (int32_t i = 5; i < MaxCurves; ++i)
        f.doc.InsertCurve(i, first);
    EXPECT_EQ(RaisedNumber([&] { f.doc.InsertCurve(0, second); }), ErrSubscript);
    EXPECT_EQ(f.doc.Curve(0), third);
    EXPECT_EQ(f.doc.CurveCount(), MaxCurves);
}
