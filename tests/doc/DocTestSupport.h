#pragma once

#include "ScriptedSeams.h"

#include "doc/DocumentModel.h"
#include "expr/CoreContext.h"

namespace orbiplot::test {

// A document with scripted seams and a folder of its own.
struct DocFixture : ScriptedFolder {
    CoreContext context{messages, dialogs, random, dir.Path()};
    DocumentModel doc{context};

    DocumentModel Fresh() { return DocumentModel(context); }
};

// A record of the given type with every field set to something recognisable.
inline CurveRecord SampleCurve(int32_t type, int seed = 1) {
    CurveRecord c;
    c.FType = type;
    c.SData1 = std::to_string(seed) + "/3";
    c.SData2 = "pi/" + std::to_string(seed + 1);
    c.SData3 = std::to_string(seed + 2);
    c.SData4 = "-" + std::to_string(seed + 3);
    for (int i = 1; i <= 4; ++i)
        c.Data(i) = static_cast<float>(seed * 10 + i);
    c.Expression1 = "sin(x)*" + std::to_string(seed);
    c.Expression2 = "cos(t)+" + std::to_string(seed);
    c.CTh = 0.5f * static_cast<float>(seed);
    c.CTk = -0.25f;
    c.ShowHide = seed % 2 == 0;
    c.ExLine1 = true;
    c.ExLine2 = seed % 3 == 0;
    c.LineWidth = 1 + seed % 9;
    c.ExLineWidth = 2;
    c.LineColor = 0x0000FF + static_cast<Rgb>(seed);
    c.ExLineColor = 0x00FF00;
    c.xtMin = -2.5f;
    c.xtMax = 7.25f;
    c.IsAuto = seed % 2 == 1;
    return c;
}

} // namespace orbiplot::test
