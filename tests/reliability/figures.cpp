/* Figures (see figures.h): failure counts from the running test's result. */
#include "figures.h"

namespace {
int FailuresSoFar() {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    return info ? info->result()->total_part_count() : 0;
}
}  // namespace

void Figures::StartCase() {
    EndCase();
    inCase_ = true;
    failuresAtStart_ = FailuresSoFar();
}

void Figures::EndCase() {
    if (!inCase_) return;
    ++cases_;
    passed_ += FailuresSoFar() == failuresAtStart_;
    inCase_ = false;
}

Figures::~Figures() {
    EndCase();
    testing::Test::RecordProperty(kind_ + "_cases", cases_);
    testing::Test::RecordProperty(kind_ + "_passed", passed_);
    testing::Test::RecordProperty("kept_checks", keptChecks_);
    testing::Test::RecordProperty("kept_passed", keptPassed_);
}
