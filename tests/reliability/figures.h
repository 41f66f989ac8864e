/* Tallies for the reliability figures: table rows passed and "nothing lost"
 * checks passed per test, recorded as test properties (visible in the XML
 * report) when the test ends. Exports Figures, EXPECT_KEPT and EXPECT_KEPT_EQ. */
#ifndef ZAMO_TESTS_RELIABILITY_FIGURES_H
#define ZAMO_TESTS_RELIABILITY_FIGURES_H

#include <gtest/gtest.h>

#include <string>

class Figures {
public:
    /* `kind` names the rows: "catalogue" for bad inputs, "fault" for host faults. */
    explicit Figures(std::string kind) : kind_(std::move(kind)) {}
    /* Records <kind>_cases, <kind>_passed, kept_checks and kept_passed. */
    ~Figures();
    Figures(const Figures&) = delete;
    Figures& operator=(const Figures&) = delete;

    /* A table row begins (and the one before ends): a row passes when no failure
     * was recorded between its start and the next row or the end of the test. */
    void StartCase();
    /* Counts one check that data from before a fault or a bad spot is still there. */
    void CountKept(bool kept) {
        ++keptChecks_;
        keptPassed_ += kept;
    }

private:
    void EndCase();
    std::string kind_;
    bool inCase_ = false;
    int failuresAtStart_ = 0;
    int cases_ = 0, passed_ = 0, keptChecks_ = 0, keptPassed_ = 0;
};

/* EXPECT_TRUE / EXPECT_EQ that also count as a "nothing lost" check. */
#define EXPECT_KEPT(figures, condition)      \
    do {                                     \
        bool kept_ = (condition);            \
        (figures).CountKept(kept_);          \
        EXPECT_TRUE(kept_) << #condition;    \
    } while (0)
#define EXPECT_KEPT_EQ(figures, actual, expected) \
    do {                                          \
        auto actual_ = (actual);                  \
        auto expected_ = (expected);              \
        (figures).CountKept(actual_ == expected_); \
        EXPECT_EQ(actual_, expected_);            \
    } while (0)

#endif
