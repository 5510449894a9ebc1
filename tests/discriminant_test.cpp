#include <gtest/gtest.h>

#include "classify/discriminant.h"

namespace qf {
namespace {

TEST(Discriminant, FitTermIsRoundedBeforeTheSmoothingErrorIsAdded) {
    const double term = fitTerm(0.5, 0.1);
    EXPECT_NEAR(term, 0.55, 1e-15);
    EXPECT_NEAR(seriesDiscriminant(term, 0.3, 2), 1.7, 1e-12);
    EXPECT_NEAR(seriesDiscriminant(0.1111, 0.0, 3), 0.333, 1e-12);
    // Single spectrum: no penalty, no separate rounding.
    EXPECT_NEAR(spectrumDiscriminant(0.3, 0.5, 2), 1.6, 1e-12);
    EXPECT_NEAR(spectrumDiscriminant(0.0, 0.1111, 3), 0.333, 1e-12);
}

TEST(Discriminant, Lines) {
    ReportWriter result;
    result.openInMemory("report file");
    writeGoodnessOfFit(result, 1.7);
    EXPECT_EQ(result.memory(), "\r\n\r\n  GOODNESS-of-FIT CRITERIA, DISCRIMINANT:  1.7 \r\n\r\n");
    ReportWriter graph;
    graph.openInMemory("graph file");
    writeGraphDiscriminant(graph, 0.333, 77);
    EXPECT_EQ(graph.memory(), "\r\nDISCRIMINANT =  .333 \r\n\r\n" + std::string(77, '-') + "\r\n");
}

}  // namespace
}  // namespace qf
