#include "cli/CliCommands.h"

#include "PdfTestSupport.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include <QImage>
#include <QSize>

#include <algorithm>
#include <cmath>
#include <limits>

#include <csignal>
#include <filesystem>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using orbiplot::cli::RunCli;
using orbiplot::test::PdfStreams;
using orbiplot::test::TempDir;

namespace {
struct CliRun {
    int code;
    std::string out;
    std::string err;
};

CliRun Cli(std::vector<std::string> words) {
    std::ostringstream out, err;
    const int code = RunCli(words, out, err);
    return {code, out.str(), err.str()};
}
} // namespace

TEST(Cli, EvalPrintsSeventeenDigitsOrTheFourFields) {
    EXPECT_EQ(Cli({"eval", "0.1+0.2"}).out, "0.30000000000000004\n");
    EXPECT_EQ(Cli({"eval", "-0"}).out, "-0\n");
    const CliRun syntax = Cli({"eval", "--2"});
    EXPECT_EQ(syntax.code, 1);
    EXPECT_EQ(syntax.out, "number=0x80040201\nposition=2\n"
                          "source=ParseExpression->ParseNumExp->ParseTerm->ParseValue->ParseAtom\n"
                          "description=表达式语法错误\n");
}

TEST(Cli, CalcAndSubstShowWhatTheWindowsShow) {
    EXPECT_EQ(Cli({"calc", "1/3"}).out, "0.3333333\n");
    const CliRun syntax = Cli({"calc", "2+*3"});
    EXPECT_EQ(syntax.code, 0);
    EXPECT_EQ(syntax.out, "<语法错误>\n");
    EXPECT_EQ(syntax.err.rfind("Orbiplot 表达式分析错误\n错误号 No. 1 - 表达式语法错误\n", 0), 0u);
    EXPECT_EQ(Cli({"subst", "-x", "x", "-1"}).out, "--1\n");
}

TEST(Cli, UsageErrorsExitWithTwo) {
    for (const std::vector<std::string>& words :
         std::vector<std::vector<std::string>>{{},
                                               {"frobnicate"},
                                               {"eval"},
                                               {"--app-dir"},
                                               {"--bogus", "eval", "1"},
                                               {"pl", "1,1", "1"}})
        EXPECT_EQ(Cli(words).code, 2) << words.size();
    EXPECT_NE(Cli({"subst", "x", "x"}).err.find("subst EXPRESSION VAR VALUETEXT"),
              std::string::npos);
}

TEST(Cli, AppDirLoadsConstantsAndSettingsWithoutWriting) {
    TempDir dir;
    dir.Write("Orbiplot_Const.ini", "[Data]\r\nM=1\r\nN1=g\r\nV1=9.8\r\n");
    EXPECT_EQ(Cli({"--app-dir", dir.Path(), "eval", "g*2"}).out, "19.600000000000001\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("Orbiplot_Setting.ini")));
    EXPECT_EQ(Cli({"eval", "g*2"}).code, 1); // no constants without the option

    dir.Write("Orbiplot_Setting.ini", "[Grid]\r\nUnit=abc\r\n");
    const CliRun r = Cli({"--app-dir", dir.Path(), "eval", "1"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Err.Number = 13"), std::string::npos);
}

TEST(Cli, ListAndResaveDocuments) {
    TempDir dir;
    dir.Write(
        "d.opd",
        "[General]\r\nOPMVer=1\r\nTitle=\xBA\xAF\xCA\xFD\r\nC=2\r\n[0DATA]\r\nType=0\r\n"
        "SD1=1/4\r\nSD2=2\r\nSH=False\r\n[1DATA]\r\nType=15\r\nExp1=cos(t)\r\nExp2=sin(t)\r\n");
    CliRun r = Cli({"list", dir.File("d.opd")});
    EXPECT_EQ(r.out, "title=函数\nauthor=未知作者\nnote=\ncoo=2\ncount=2\n"
                     "curve 0 0 点: (1/4,2)\ncurve 1 1 参数方程: x=cos(t), y=sin(t)\n");
    EXPECT_EQ(Cli({"resave", dir.File("d.opd"), dir.File("out.opd")}).code, 0);
    EXPECT_EQ(Cli({"list", dir.File("out.opd")}).out, r.out);

    dir.Write("bad.opd", "[General]\r\nOPMVer=3\r\n");
    r = Cli({"list", dir.File("bad.opd")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "Orbiplot 错误报告\n文件版本错误\n");
    EXPECT_EQ(Cli({"resave", dir.File("bad.opd"), dir.File("x.opd")}).code, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.opd")));
}

TEST(Cli, RenderWritesTheChosenFormat) {
    TempDir dir;
    dir.Write("d.opd", "[General]\r\nOPMVer=1\r\nC=2\r\n[0DATA]\r\nType=13\r\nExp1=sqr(x)\r\n"
                       "[1DATA]\r\nType=6\r\nSD1=0\r\nSD2=0\r\nSD3=2\r\nLC=255\r\n");
    const CliRun r = Cli({"render", dir.File("d.opd"), dir.File("d.bmp"), "--size", "64x48"});
    EXPECT_EQ(r.code, 0);
    // The failing curve is reported while drawing goes on.
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "Orbiplot 错误报告");
    const std::string bmp = dir.Read("d.bmp");
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<int>(bmp[28]), 24); // bits per pixel
    EXPECT_EQ(static_cast<unsigned char>(bmp[18]), 64u);
    EXPECT_EQ(Cli({"render", dir.File("d.opd"), dir.File("d.png")}).code, 0);
    EXPECT_EQ(dir.Read("d.png").substr(1, 3), "PNG");

    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{dir.File("d.gif")},
                                               {dir.File("d.png"), "--size"},
                                               {dir.File("d.png"), "--size", "0x5"},
                                               {dir.File("d.png"), "--size", "99999x99999"}}) {
        std::vector<std::string> words{"render", dir.File("d.opd")};
        words.insert(words.end(), bad.begin(), bad.end());
        EXPECT_EQ(Cli(words).code, 2) << bad.back();
    }
    EXPECT_EQ(Cli({"render", dir.File("none.opd"), dir.File("n.png")}).code, 1);
    // Upper-case endings are the same formats.
    EXPECT_EQ(Cli({"render", dir.File("d.opd"), dir.File("PIC.PNG"), "--size", "64x48"}).code, 0);
    EXPECT_EQ(dir.Read("PIC.PNG").substr(1, 3), "PNG");
    EXPECT_EQ(Cli({"render", dir.File("d.opd"), dir.File("PIC.SVG")}).code, 0);
    EXPECT_NE(dir.Read("PIC.SVG").find("<svg"), std::string::npos);
    EXPECT_EQ(Cli({"render", dir.File("d.opd"), dir.File("PIC.PDF")}).code, 0);
    EXPECT_EQ(dir.Read("PIC.PDF").substr(0, 4), "%PDF");
    EXPECT_EQ(Cli({"render", dir.File("d.opd"), dir.File("PIC.BMP"), "--size", "64x48"}).code, 0);
    EXPECT_EQ(dir.Read("PIC.BMP").substr(0, 2), "BM");
    // A picture that cannot be written is an error; what stood in its place stays.
    std::filesystem::create_directory(dir.File("in-the-way.png"));
    EXPECT_EQ(Cli({"render", dir.File("d.opd"), dir.File("in-the-way.png")}).code, 1);
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("in-the-way.png")));
}

TEST(Cli, RenderWritesPdfVectorsAndRasterAtAResolution) {
    TempDir dir;
    dir.Write("d.opd", "[General]\r\nOPMVer=1\r\nTitle=pdf\r\nC=2\r\n[0DATA]\r\nType=13\r\n"
                       "Exp1=sin(x)\r\n[1DATA]\r\nType=6\r\nSD1=0\r\nSD2=0\r\nSD3=2\r\nLC=255\r\n");
    // A PDF of the window's size at 96 dpi: 300 x 160 pixels are 225 x 120 points; drawing
    // and text, fonts embedded, no picture.
    ASSERT_EQ(Cli({"render", dir.File("d.opd"), dir.File("d.pdf"), "--size", "300x160"}).code, 0);
    const QByteArray pdf = QByteArray::fromStdString(dir.Read("d.pdf"));
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_TRUE(pdf.contains("/MediaBox [0 0 225.000000 120.000000]"));
    EXPECT_TRUE(pdf.contains("/FontFile2"));
    EXPECT_FALSE(pdf.contains("/Subtype /Image"));
    const std::string page = PdfStreams(pdf);
    EXPECT_NE(page.find("BT\n"), std::string::npos);
    size_t lines = 0;
    for (size_t at = page.find(" l\n"); at != std::string::npos; at = page.find(" l\n", at + 1))
        ++lines;
    EXPECT_GT(lines, 50u); // the grid and the wave
    // --dpi scales a PNG or BMP: the window's pixels times dpi / 96, and says so; the order
    // of the options is free.
    ASSERT_EQ(
        Cli({"render", dir.File("d.opd"), dir.File("d.png"), "--dpi", "300", "--size", "200x100"})
            .code,
        0);
    const QImage png(QString::fromStdString(dir.File("d.png")));
    EXPECT_EQ(png.size(), QSize(625, 313));
    EXPECT_NEAR(png.dotsPerMeterX() * 0.0254, 300, 0.1);
    ASSERT_EQ(Cli({"render", dir.File("d.opd"), dir.File("d.bmp"), "--dpi", "48"}).code, 0);
    EXPECT_EQ(QImage(QString::fromStdString(dir.File("d.bmp"))).size(), QSize(320, 240));
    // The same drawing scaled: the circle of radius 2 keeps its place against the window,
    // its red at the same fraction of the width.
    const auto redFraction = [](const QImage& image) {
        int right = 0;
        for (int x = 0; x < image.width(); ++x)
            if (qRed(image.pixel(x, image.height() / 2)) > 200 &&
                qGreen(image.pixel(x, image.height() / 2)) < 90)
                right = x;
        return double(right) / image.width();
    };
    ASSERT_EQ(Cli({"render", dir.File("d.opd"), dir.File("w.png"), "--size", "200x100"}).code, 0);
    EXPECT_NEAR(redFraction(png), redFraction(QImage(QString::fromStdString(dir.File("w.png")))),
                0.01);
    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"--dpi", "0"},
                                               {"--dpi", "300x"},
                                               {"--dpi", "300", "--dpi", "200"},
                                               {"--dpi"},
                                               {"--size", "16000x16000", "--dpi", "200"},
                                               {"--zoom", "2"}}) {
        std::vector<std::string> words{"render", dir.File("d.opd"), dir.File("x.png")};
        words.insert(words.end(), bad.begin(), bad.end());
        EXPECT_EQ(Cli(words).code, 2) << bad.back();
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.png")));
}

TEST(Cli, NumbersOfTheOptionsAreCheckedAgainstTheirRangesAndNamed) {
    TempDir dir;
    dir.Write("d.opd", "[General]\r\nOPMVer=1\r\nC=1\r\n[0DATA]\r\nType=6\r\nSD1=0\r\n"
                       "SD2=0\r\nSD3=2\r\nLC=255\r\n");
    // Numbers that overflow an int were taken modulo 2^32: a 1 x 1 picture, 96 dpi.
    for (const auto& [option, value, says] :
         std::vector<std::tuple<std::string, std::string, std::string>>{
             {"--size", "4294967297x1", "--size takes WxH, each side 1 to 16384"},
             {"--size", "1x4294967297", "--size takes WxH"},
             {"--size", "-5x10", "--size takes WxH"},
             {"--size", "20000x10", "--size takes WxH"},
             {"--size", "10x 10", "--size takes WxH"},
             {"--dpi", "4294967392", "--dpi takes a whole number from 10 to 2400, not 4294967392"},
             {"--dpi", "9", "--dpi takes a whole number from 10 to 2400"},
             {"--dpi", "2401", "--dpi takes a whole number from 10 to 2400"},
             {"--dpi", "+96", "--dpi takes"},
             {"--view", "1,0,0,1", "--view takes XMIN,XMAX,YMIN,YMAX"},
             {"--view", "0,1,1,1", "--view takes"},
             {"--view", "0,1,0", "--view takes"},
             {"--view", "0,1,0,1,", "--view takes"},
             {"--view", "0,1,0,nan", "--view takes"},
             {"--view", "0,1e40,0,1", "--view takes"}}) {
        const CliRun r = Cli({"render", dir.File("d.opd"), dir.File("x.png"), option, value});
        EXPECT_EQ(r.code, 2) << option << " " << value;
        EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("usage: orbiplot-cli render"), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.png")));
    // 2400 dpi at the default size would be 16000 x 12000 pixels: said why, not just refused.
    const CliRun big = Cli({"render", dir.File("d.opd"), dir.File("x.png"), "--dpi", "2400"});
    EXPECT_EQ(big.code, 2);
    EXPECT_NE(big.err.find("at 2400 dpi the picture would have 16000x12000 pixels"),
              std::string::npos)
        << big.err;
    // A vector picture has no pixels to count; a small one at 2400 dpi is drawn.
    EXPECT_EQ(Cli({"render", dir.File("d.opd"), dir.File("x.svg"), "--dpi", "2400"}).code, 0);
    EXPECT_EQ(
        Cli({"render", dir.File("d.opd"), dir.File("s.png"), "--dpi", "2400", "--size", "64x48"})
            .code,
        0);
    EXPECT_EQ(QImage(QString::fromStdString(dir.File("s.png"))).size(), QSize(1600, 1200));
    // points takes --size and --view, not --dpi.
    EXPECT_EQ(Cli({"points", dir.File("d.opd"), "--dpi", "96"}).code, 2);
    EXPECT_EQ(Cli({"points", dir.File("d.opd"), "--size", "4294967297x1"}).code, 2);
}

TEST(Cli, RenderAndPointsShowTheWorldRectangleAskedFor) {
    TempDir dir;
    // A circle of radius 2 about (100, -50), far from the first view.
    dir.Write("c.opd", "[General]\r\nOPMVer=1\r\nC=1\r\n[0DATA]\r\nType=6\r\nSD1=100\r\n"
                       "SD2=-50\r\nSD3=2\r\nLC=255\r\nLW=3\r\n");
    ASSERT_EQ(Cli({"render", dir.File("c.opd"), dir.File("c.png"), "--size", "300x200", "--view",
                   "97,105,-53,-48"})
                  .code,
              0);
    const QImage image(QString::fromStdString(dir.File("c.png")));
    ASSERT_EQ(image.size(), QSize(300, 200));
    // x from 97 to 105 on 300 pixels, y from -48 down to -53 on 200: the circle's right end
    // (102, -50) at (187.5, 80), its top (100, -48) at the top edge.
    const auto red = [&](int x, int y) {
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                const QRgb p = image.pixel(std::clamp(x + dx, 0, 299), std::clamp(y + dy, 0, 199));
                if (qRed(p) > 200 && qGreen(p) < 90) return true;
            }
        return false;
    };
    EXPECT_TRUE(red(188, 80));
    EXPECT_TRUE(red(38, 80));   // the left end (98, -50)
    EXPECT_FALSE(red(142, 80)); // inside, off the centre (which has its dot)
    // A circle alone has no key points; a line crossing the x axis in the rectangle has its
    // zero there.
    EXPECT_EQ(Cli({"points", dir.File("c.opd"), "--view", "97,105,-53,-48"}).out, "");
    dir.Write("l.opd", "[General]\r\nOPMVer=1\r\nC=1\r\n[0DATA]\r\nType=13\r\nExp1=x-101\r\n");
    const CliRun line = Cli({"points", dir.File("l.opd"), "--view", "97,105,-3,2"});
    EXPECT_EQ(line.out, "zero 0 101 0\n");
    EXPECT_EQ(Cli({"points", dir.File("l.opd"), "--view", "-5,5,-105,-95"}).out,
              "y-intercept 0 0 -101\n");
    EXPECT_EQ(Cli({"points", dir.File("l.opd")}).out, ""); // the first view shows neither
}

TEST(Cli, PointsListsTheKeyPointsSortedWithSeventeenDigits) {
    TempDir dir;
    // x^3 - 2x, the unit circle and the line y = x.
    dir.Write("k.opd", "[General]\r\nOPMVer=1\r\nC=3\r\n[0DATA]\r\nType=13\r\nExp1=x^3-2*x\r\n"
                       "[1DATA]\r\nType=6\r\nSD1=0\r\nSD2=0\r\nSD3=1\r\n[2DATA]\r\nType=3\r\n"
                       "SD1=1\r\nSD2=0\r\n");
    const CliRun r = Cli({"points", dir.File("k.opd")});
    EXPECT_EQ(r.code, 0);
    std::vector<std::string> lines;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    // Each line's words, the numbers read back.
    const auto words = [](const std::string& line) {
        std::vector<std::string> w;
        std::istringstream split(line);
        for (std::string word; split >> word;)
            w.push_back(word);
        return w;
    };
    const auto near = [](const std::string& text, double truth) {
        return std::fabs(std::stod(text) - truth) <=
               4 * std::numeric_limits<double>::epsilon() * std::max(1.0, std::fabs(truth));
    };
    // The cubic's zeros first (-sqrt 2, 0, sqrt 2), each to the last bits.
    ASSERT_GE(lines.size(), 3u);
    EXPECT_TRUE(near(words(lines[0])[2], -std::sqrt(2.0))) << lines[0];
    EXPECT_EQ(lines[1], "zero 0 0 0");
    EXPECT_TRUE(near(words(lines[2])[2], std::sqrt(2.0))) << lines[2];
    // The cubic meets y = x where x^3 = 3x: -sqrt 3, 0 and sqrt 3; the circle meets it at
    // +-sqrt(1/2).
    std::vector<double> cubicLine, circleLine;
    for (const std::string& line : lines) {
        const auto w = words(line);
        if (w[0] == "intersection" && w[1] == "0" && w[2] == "2")
            cubicLine.push_back(std::stod(w[3]));
        if (w[0] == "intersection" && w[1] == "1" && w[2] == "2")
            circleLine.push_back(std::stod(w[3]));
    }
    ASSERT_EQ(cubicLine.size(), 3u);
    EXPECT_LE(std::fabs(cubicLine[0] + std::sqrt(3.0)), 1e-15);
    EXPECT_EQ(cubicLine[1], 0);
    ASSERT_EQ(circleLine.size(), 2u);
    EXPECT_LE(std::fabs(circleLine[1] - std::sqrt(0.5)), 4e-16);
    // Kinds in their order: zeros, intercepts, maxima, minima, intersections.
    const std::vector<std::string> order{"zero", "y-intercept", "max", "min", "intersection"};
    size_t last = 0;
    for (const std::string& line : lines) {
        const size_t kind = static_cast<size_t>(
            std::find(order.begin(), order.end(), line.substr(0, line.find(' '))) - order.begin());
        ASSERT_LT(kind, order.size()) << line;
        EXPECT_GE(kind, last) << line;
        last = kind;
    }
    // A smaller window shows less of the plane: the cubic's zeros at +-sqrt 2 stay, its
    // turning points too, but a window 60 pixels wide (x within +-0.8) has only the origin.
    const CliRun narrow = Cli({"points", dir.File("k.opd"), "--size", "60x480"});
    EXPECT_EQ(narrow.out.find("-1.414"), std::string::npos);
    EXPECT_NE(narrow.out.find("zero 0 0 0"), std::string::npos);
    EXPECT_EQ(Cli({"points", dir.File("none.opd")}).code, 1);
    EXPECT_NE(Cli({"points", dir.File("none.opd")}).err.find("文件未找到"), std::string::npos);
    EXPECT_EQ(Cli({"points", dir.File("k.opd"), "--size"}).code, 2);
    EXPECT_EQ(Cli({"points", dir.File("k.opd"), "--size", "0x9"}).code, 2);
}

TEST(Cli, LineCalculatorsAndConstants) {
    const CliRun degenerate = Cli({"ll", "0", "0", "5", "1", "1", "1"});
    EXPECT_EQ(degenerate.code, 0);
    EXPECT_EQ(degenerate.err, "Orbiplot\n注意：在直线方程 A*x+B*y+c=0 中 A，B不全为零。\n");

    TempDir dir;
    const auto consts = [&](std::vector<std::string> words) {
        words.insert(words.begin(), {"--app-dir", dir.Path(), "consts"});
        return Cli(words);
    };
    EXPECT_EQ(consts({"add", "g", "9.8"}).code, 0);
    EXPECT_EQ(consts({"add", "h", "-1e-3"}).code, 0);
    EXPECT_EQ(consts({"add", "G", "1"}).code, 1);
    EXPECT_EQ(consts({"list"}).out, "g - 9.8\nh - -0.001\n");
    EXPECT_EQ(consts({"remove", "1"}).code, 0);
    EXPECT_EQ(consts({"remove", "none"}).err, "Orbiplot 错误报告\n没有常数被选择\n");
    EXPECT_EQ(consts({"list"}).out, "h - -0.001\n");
}

// Runs under a time limit of its own: long texts cost no more than their own length.
TEST(CliScale, A254CurveDocumentWithAMegabyteTextRenders) {
    TempDir dir;
    std::string doc = "[General]\r\nOPMVer=1\r\nC=254\r\n";
    std::string sum = "0";
    for (int i = 0; i < 500000; ++i)
        sum += "+0";
    for (int i = 0; i < 254; ++i) {
        doc += "[" + std::to_string(i) + "DATA]\r\n";
        doc += i == 100 ? "Type=6\r\nSD1=" + sum + "\r\nSD2=0\r\nSD3=1\r\nLC=255\r\n"
                        : "Type=3\r\nSD1=" + std::to_string(i % 7) + "\r\nSD2=1\r\n";
    }
    dir.Write("big.opd", doc);
    const CliRun r = Cli({"render", dir.File("big.opd"), dir.File("big.png")});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(dir.Read("big.png").substr(1, 3), "PNG");
}

namespace {

struct Process {
    int status;
    std::string out;
};

// Runs the installed command in a child process with a file-size limit (0: none), the
// signals as a shell leaves them, and a time limit that kills it.
Process RunBinary(const std::vector<std::string>& words, rlim_t fileSizeLimit = 0) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {-1, ""};
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeFds[1], 1);
        dup2(pipeFds[1], 2);
        close(pipeFds[0]);
        std::signal(SIGXFSZ, SIG_DFL);
        if (fileSizeLimit) {
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        alarm(20); // a command that waits on a pipe is ended, and the test fails
        std::vector<char*> argv{const_cast<char*>(ORBIPLOT_CLI)};
        for (const std::string& w : words)
            argv.push_back(const_cast<char*>(w.c_str()));
        argv.push_back(nullptr);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execv(ORBIPLOT_CLI, argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    std::string out;
    char buffer[4096];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        out.append(buffer, static_cast<size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return {status, out};
}

int ExitCode(const Process& p) {
    return WIFEXITED(p.status) ? WEXITSTATUS(p.status) : -WTERMSIG(p.status);
}

} // namespace

TEST(CliBinary, PipesWhereFilesAreExpectedAreReportedNotWaitedOn) {
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.File("doc.opd").c_str(), 0600), 0);
    for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
             {"list", dir.File("doc.opd")},
             {"render", dir.File("doc.opd"), dir.File("p.png")},
             {"resave", dir.File("doc.opd"), dir.File("o.opd")}}) {
        const Process p = RunBinary(words);
        EXPECT_EQ(ExitCode(p), 1) << words[0];
        EXPECT_NE(p.out.find("不是普通文件"), std::string::npos) << words[0] << ": " << p.out;
    }
    for (const char* name : {"Orbiplot_Const.ini", "Orbiplot_Setting.ini"}) {
        TempDir app;
        ASSERT_EQ(mkfifo(app.File(name).c_str(), 0600), 0);
        const Process eval = RunBinary({"--app-dir", app.Path(), "eval", "1"});
        EXPECT_NE(eval.out.find("不是普通文件"), std::string::npos) << name << ": " << eval.out;
        const Process list = RunBinary({"--app-dir", app.Path(), "consts", "list"});
        EXPECT_GE(ExitCode(list), 0) << name; // ended by itself, not by the alarm
    }
}

TEST(CliBinary, AFileSizeLimitFailsTheSaveWithItsErrorAndLeavesNoTemporary) {
    TempDir dir;
    dir.Write("d.opd", "[General]\r\nOPMVer=1\r\nTitle=" + std::string(3000, 't') + "\r\nC=0\r\n");
    const std::string old = dir.Write("out.opd", "the old file");
    const Process p = RunBinary({"resave", dir.File("d.opd"), dir.File("out.opd")}, 1024);
    EXPECT_EQ(ExitCode(p), 1) << p.out;
    EXPECT_NE(p.out.find("Err.Description = 错误: 27(&H1B)"), std::string::npos) << p.out;
    EXPECT_EQ(dir.Read("out.opd"), "the old file");
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().filename().string().find(".orbiplot-"), std::string::npos);
}

TEST(Cli, CalculusCommandsPrintSeventeenDigitsOrSayWhy) {
    EXPECT_EQ(Cli({"derive", "sin(x)*x+2"}).out, "cos(x)*x+sin(x)\n");
    EXPECT_EQ(Cli({"derive", "y*y", "--var", "y"}).out, "2*y\n");
    const CliRun random = Cli({"derive", "rnd(1)*x"});
    EXPECT_EQ(random.code, 1);
    EXPECT_NE(random.err.find("RND"), std::string::npos);
    EXPECT_EQ(Cli({"derive", "x+"}).code, 1);
    EXPECT_EQ(Cli({"derive", "x", "--var", "t"}).code, 2);

    TempDir dir;
    // y = x^2 shifted by (1, -2), the parametric unit circle, and 1/x.
    dir.Write("c.opd", "[General]\r\nOPMVer=1\r\nC=3\r\n[0DATA]\r\nType=13\r\nExp1=x^2\r\n"
                       "CTh=1\r\nCTk=-2\r\n[1DATA]\r\nType=15\r\nExp1=cos(t)\r\nExp2=sin(t)\r\n"
                       "[2DATA]\r\nType=13\r\nExp1=1/x\r\n");
    // At x = 3 (u = 2): the point (3, 2), the slope 4; y = 4x - 10; the normal y = -x/4 + 2.75.
    EXPECT_EQ(Cli({"tangent", dir.File("c.opd"), "0", "2"}).out,
              "tangent 4 -10\nnormal -0.25 2.75\n");
    // The circle at t = 0: the tangent is upright through (1, 0), the normal the x axis.
    EXPECT_EQ(Cli({"tangent", dir.File("c.opd"), "1", "0"}).out,
              "tangent vertical 1\nnormal 0 0\n");
    EXPECT_EQ(Cli({"tangent", dir.File("c.opd"), "2", "0"}).code, 1);
    // (x-1)^2 - 2 from 1 to 4, u = x - 1 from 0 to 3: the integral 9 - 6 = 3; below the axis
    // up to u = sqrt 2, so the area is 3 + 2 (4 sqrt 2 / 3).
    const CliRun area = Cli({"area", dir.File("c.opd"), "0", "1", "4"});
    EXPECT_EQ(area.code, 0);
    double integral = 0, unsigned_ = 0;
    ASSERT_EQ(std::sscanf(area.out.c_str(), "integral %lf\narea %lf\n", &integral, &unsigned_), 2)
        << area.out;
    EXPECT_NEAR(integral, 3, 1e-14);
    EXPECT_NEAR(unsigned_, 3 + 8 * std::sqrt(2.0) / 3, 1e-14);
    const CliRun pole = Cli({"area", dir.File("c.opd"), "2", "-1", "1"});
    EXPECT_EQ(pole.code, 1);
    EXPECT_EQ(pole.out, "");
    EXPECT_NE(pole.err.find("发散"), std::string::npos) << pole.err;
    EXPECT_EQ(Cli({"length", dir.File("c.opd"), "1", "0", "3"}).out, "length 3\n");
    EXPECT_EQ(Cli({"area", dir.File("c.opd"), "0", "1"}).code, 2);
    EXPECT_EQ(Cli({"length", dir.File("c.opd"), "7", "0", "1"}).code, 1);
}

TEST(Cli, RenderShadesTheDocumentsAreas) {
    TempDir dir;
    // y = x^2 in green with y = 2 - x^2; the area between them from -1 to 1.
    dir.Write("a.opd", "[General]\r\nOPMVer=1\r\nC=2\r\n[0DATA]\r\nType=13\r\nExp1=x^2\r\n"
                       "LC=32768\r\n[1DATA]\r\nType=13\r\nExp1=2-x^2\r\nLC=16711680\r\n"
                       "[Areas]\r\nCount=1\r\n[Area0]\r\nKind=Area\r\nCurve=0\r\nOther=1\r\n"
                       "From=-1\r\nTo=1\r\nShown=True\r\n");
    ASSERT_EQ(Cli({"render", dir.File("a.opd"), dir.File("a.png"), "--size", "400x400", "--view",
                   "-2,2,-1,3"})
                  .code,
              0);
    const QImage image(QString::fromStdString(dir.File("a.png")));
    // (0.6, 1.0) lies inside, (0.6, 2.5) and (1.6, 1.0) outside; 100 pixels a unit.
    const auto tinted = [&](int x, int y) {
        const QRgb p = image.pixel(x, y);
        return qGreen(p) > qRed(p) + 20 && qGreen(p) > qBlue(p) + 20 && qRed(p) > 120;
    };
    EXPECT_TRUE(tinted(260, 200));
    EXPECT_FALSE(tinted(260, 50));
    EXPECT_FALSE(tinted(360, 200));
    // The label tells the value.
    ASSERT_EQ(Cli({"render", dir.File("a.opd"), dir.File("a.svg"), "--view", "-2,2,-1,3"}).code, 0);
    EXPECT_NE(dir.Read("a.svg").find("2.66667"), std::string::npos);
}

TEST(Cli, ImplicitCurvesListDrawAndHaveKeyPoints) {
    TempDir dir;
    // The circle x^2 + y^2 = 4 and the line y = x.
    dir.Write("c.opd", "[General]\r\nOPMVer=1\r\nC=2\r\n[0DATA]\r\nType=100\r\nExp1=x^2+y^2=4\r\n"
                       "LC=255\r\nLW=3\r\n[1DATA]\r\nType=3\r\nSD1=1\r\nSD2=0\r\n");
    EXPECT_NE(Cli({"list", dir.File("c.opd")}).out.find("curve 0 1 隐函数: x^2+y^2=4\n"),
              std::string::npos);
    const CliRun points = Cli({"points", dir.File("c.opd"), "--view", "-3,3,-3,3"});
    std::istringstream lines(points.out);
    std::string kind;
    int meets = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("intersection 0 1 ", 0) != 0) continue;
        double x = 0, y = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "intersection 0 1 %lf %lf", &x, &y), 2);
        EXPECT_NEAR(std::fabs(x), std::sqrt(2.0), 4e-16);
        EXPECT_EQ(x, y);
        ++meets;
    }
    EXPECT_EQ(meets, 2);
    EXPECT_NE(points.out.find("max 0 0 2\n"), std::string::npos) << points.out;
    EXPECT_NE(points.out.find("zero 0 -2 0\n"), std::string::npos) << points.out;
    ASSERT_EQ(Cli({"render", dir.File("c.opd"), dir.File("c.png"), "--size", "300x300", "--view",
                   "-3,3,-3,3"})
                  .code,
              0);
    const QImage image(QString::fromStdString(dir.File("c.png")));
    // 50 pixels a unit: (2, 0) at (250, 150), (0, -2) at (150, 250); the middle is clear.
    const auto red = [&](int x, int y) {
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                const QRgb p = image.pixel(x + dx, y + dy);
                if (qRed(p) > 200 && qGreen(p) < 90) return true;
            }
        return false;
    };
    EXPECT_TRUE(red(250, 150));
    EXPECT_TRUE(red(150, 250));
    EXPECT_FALSE(red(190, 110));
}

// points names on stderr the curves it could not search, and those it searched only in part,
// as the window's list does; the rest are listed as ever.
TEST(Cli, PointsNamesTheCurvesItCouldNotSearchOrOnlyInPart) {
    TempDir dir;
    dir.Write("w.opd",
              "[General]\r\nOPMVer=1\r\nC=3\r\n[0DATA]\r\nType=13\r\nExp1=rnd*x\r\nSH=True\r\n"
              "[1DATA]\r\nType=13\r\nExp1=x-1.5\r\nSH=True\r\n"
              "[2DATA]\r\nType=14\r\nExp1=sin(900000*y)\r\nSH=True\r\n");
    // The search takes most of a minute under the sanitizers: its time limit is not what is
    // tested here.
    const CliRun run =
        Cli({"points", dir.File("w.opd"), "--view", "-2,3,-1,1", "--seconds", "3600"});
    EXPECT_EQ(run.code, 0);
    EXPECT_NE(run.out.find("zero 1 1.5 0\n"), std::string::npos);
    EXPECT_EQ(run.err, "curve 0 普通方程: y=rnd*x: 表达式含 RND 或只能逐点代入求值，无法求关键点\n"
                       "curve 1 普通方程: y=x-1.5: 振荡过快, 只列出部分零点\n"
                       "curve 2 普通方程: x=sin(900000*y): 振荡过快, 只列出部分零点\n");
}

// Two hundred and fifty-four waves y = sin(x + i) meet pairwise where x = (pi - i - j) / 2 + k pi:
// every such meeting in view is listed, found in the time limit this test has.
TEST(CliPointsScale, EveryMeetingOf254WavesIsListed) {
    TempDir dir;
    std::string text = "[General]\r\nOPMVer=1\r\nC=254\r\n";
    for (int i = 0; i < 254; ++i)
        text += "[" + std::to_string(i) + "DATA]\r\nType=13\r\nExp1=sin(x+" + std::to_string(i) +
                ")\r\nSH=True\r\n";
    dir.Write("waves.opd", text);
    const double left = -7.5, right = 9;
    const CliRun run = Cli({"points", dir.File("waves.opd"), "--view", "-7.5,9,-3,2"});
    ASSERT_EQ(run.code, 0);
    EXPECT_EQ(run.err, "");
    size_t expected = 0;
    for (int i = 0; i < 254; ++i)
        for (int j = i + 1; j < 254; ++j) {
            const double base = (M_PI - i - j) / 2;
            expected += static_cast<size_t>(std::floor((right - base) / M_PI) -
                                            std::ceil((left - base) / M_PI) + 1);
        }
    std::istringstream lines(run.out);
    size_t meetings = 0;
    for (std::string line; std::getline(lines, line);) {
        int i = 0, j = 0;
        double x = 0, y = 0;
        if (std::sscanf(line.c_str(), "intersection %d %d %lf %lf", &i, &j, &x, &y) != 4) continue;
        ++meetings;
        const double base = (M_PI - i - j) / 2;
        EXPECT_NEAR(std::remainder(x - base, M_PI), 0, 1e-13) << line;
        EXPECT_NEAR(y, std::sin(x + i), 1e-13) << line;
    }
    EXPECT_EQ(meetings, expected);
}

// A search that cannot finish within --seconds stops with what it has, lists it, and says so
// with exit 1; the limit is range-checked like every number of the command line.
TEST(CliPointsScale, ASearchPastItsTimeLimitStopsAndSaysSo) {
    TempDir dir;
    std::string text = "[General]\r\nOPMVer=1\r\nC=254\r\n";
    for (int i = 0; i < 254; ++i)
        text += "[" + std::to_string(i) + "DATA]\r\nType=13\r\nExp1=sin(" + std::to_string(i + 1) +
                "*x)\r\nSH=True\r\n";
    dir.Write("waves.opd", text);
    const CliRun run =
        Cli({"points", dir.File("waves.opd"), "--size", "16384x4096", "--seconds", "1"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(
        run.err.find(
            "orbiplot-cli: 关键点太多, 1 秒内未能找完, 只列出已找到的点 (--seconds 可以延长)\n"),
        std::string::npos)
        << run.err;
    std::istringstream lines(run.out);
    size_t listed = 0;
    for (std::string line; std::getline(lines, line); ++listed) {
        char kind[16];
        ASSERT_EQ(std::sscanf(line.c_str(), "%15s", kind), 1);
        EXPECT_TRUE(std::string(kind) == "zero" || std::string(kind) == "y-intercept" ||
                    std::string(kind) == "max" || std::string(kind) == "min" ||
                    std::string(kind) == "intersection")
            << line;
    }
    EXPECT_GT(listed, 0u);
    for (const char* bad : {"0", "86401", "1.5", "x"}) {
        const CliRun refused = Cli({"points", dir.File("waves.opd"), "--seconds", bad});
        EXPECT_EQ(refused.code, 2) << bad;
        EXPECT_EQ(refused.err.rfind(
                      "orbiplot-cli: --seconds takes a whole number from 1 to 86400, not ", 0),
                  0u)
            << refused.err;
    }
}
