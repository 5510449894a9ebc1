#include <gtest/gtest.h>

#include <vector>

#include "quench/stern_volmer.h"
#include "quench/sv_report.h"
#include "textio/matrix.h"

namespace qf {
namespace {

TEST(SternVolmer, ExactLine) {
    const std::vector<double> x{0.0, 0.1, 0.2, 0.3};
    std::vector<double> y;
    for (double v : x) y.push_back(1.0 + 10.0 * v);
    const SternVolmerLine line = sternVolmerLine(x, y);
    EXPECT_EQ(line.ksv, 10.0);
    EXPECT_NEAR(line.intercept, 1.0, 1e-12);
    EXPECT_EQ(line.ksvSd, 0.0);
    EXPECT_EQ(line.r, 1.0);
    EXPECT_NEAR(relativeDeviation(line, x), 0.0, 1e-7);
}

TEST(SternVolmer, SlopeIsRoundedBeforeTheIntercept) {
    const std::vector<double> x{0.0, 0.1, 0.2, 0.3};
    std::vector<double> y;
    for (double v : x) y.push_back(1.0 + 10.006 * v);
    const SternVolmerLine line = sternVolmerLine(x, y);
    EXPECT_EQ(line.ksv, 0.01 * 1001.0);
    // Intercept from the rounded slope: (Sy - 10.01 Sx) / n.
    EXPECT_NEAR(line.intercept, 1.0 + (10.006 - 10.01) * 0.15, 1e-12);
}

TEST(SternVolmer, FallingLineHasNegativeSlopeAndPositiveR) {
    const std::vector<double> x{0.0, 0.1, 0.2, 0.3};
    const std::vector<double> y{1.0, 0.9, 0.81, 0.7};
    const SternVolmerLine line = sternVolmerLine(x, y);
    EXPECT_LT(line.ksv, 0.0);
    EXPECT_GT(line.r, 0.99);
}

TEST(SternVolmerReport, RelativeConstantAndTableRow) {
    EXPECT_EQ(ksvRelative(8.4, 16.8), 50.0);
    Matrix a(3, 3);
    a(0, 0) = 100.0;
    a(0, 1) = 80.0;
    a(0, 2) = 64.0;
    const double ksv[3] = {8.4, 0, 0}, sd[3] = {0.25, 0, 0}, b[3] = {1.004, 0, 0}, r[3] = {0.998, 0, 0};
    const SternVolmerBest best{1, 3, &a, ksv, sd, b, r};
    ReportWriter result;
    result.openInMemory("report file");
    writeTable3(result, best, 16.8);
    const std::string text = result.memory();
    const std::string row = "    " " 1 " "    " " 8.4 " + std::string(7, ' ') + " .25 " + std::string(7, ' ') +
                            " 50 " + std::string(12, ' ') + " 1.5 " + std::string(7, ' ') + " 1 " +
                            std::string(7, ' ') + " .998 \r\n";
    EXPECT_NE(text.find("\r\n N comp.    Ksv, 1/M"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - row.size()), row);

    ReportWriter graph;
    graph.openInMemory("graph file");
    writeSternVolmerPlot(graph, best, std::vector<double>{0.0, 0.05, 0.1});
    EXPECT_NE(graph.memory().find("0,.05,.1,\r\n1,1.25,1.563,\r\n1.004,1.424,1.844,\r\n"), std::string::npos)
        << graph.memory();
}

}  // namespace
}  // namespace qf
