#include "model/ParallelJobs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

TEST(ParallelJobs, AJobsFailureReachesTheCallerAndTheOthersStillRun) {
    std::atomic<int> ran{0};
    model::ParallelJobs jobs(9, [&ran](std::size_t i) {
        ++ran;
        if (i % 3 == 1)
            throw std::runtime_error("job " + std::to_string(i));
    });
    jobs.waitForAll();
    EXPECT_EQ(ran, 9);
    for (std::size_t i = 0; i < 9; ++i) {
        const std::exception_ptr error = jobs.error(i);
        EXPECT_EQ(bool(error), i % 3 == 1) << i;
        if (error) {
            EXPECT_THROW(std::rethrow_exception(error), std::runtime_error);
        }
    }
    EXPECT_FALSE(jobs.error(9)); // past the end
}
