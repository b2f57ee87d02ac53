#include "platform/memory_report.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace kestrave {
namespace {

TEST(MemoryReport, ReadsTheKernelCountersIntoFiveLines) {
    const char* meminfo =
        "MemTotal:        8388608 kB\nMemFree:          100000 kB\nMemAvailable:    2097152 kB\n"
        "Committed_AS:    1048576 kB\n";
    const char* self = "Name:\tkestrave\nVmPeak:\t  999999 kB\nVmSize:\t   51200 kB\n";
    const auto status = parseMemoryStatus(meminfo, self);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->loadPercent, 75);
    const std::vector<std::string> expected{
        "Current memory load: 75%", "Free physical memory: 2,048.0 Mbytes",
        "Used physical memory: 6,144.0 Mbytes", "Used paging file memory: 1,024.0 Mbytes",
        "Used virtual memory:   50.0 Mbytes"};
    EXPECT_EQ(memoryReport(*status), expected);
    // This machine's own counters give a report too.
    const auto here = readMemoryStatus();
    ASSERT_TRUE(here);
    EXPECT_GE(here->loadPercent, 0);
    EXPECT_LE(here->loadPercent, 100);
    EXPECT_GT(here->virtualSize, 0);
}

TEST(MemoryReport, RefusesCountersWithoutATotalAndFormatsSizes) {
    EXPECT_FALSE(parseMemoryStatus("", ""));
    EXPECT_FALSE(parseMemoryStatus("MemTotal: 0 kB\n", ""));
    EXPECT_FALSE(parseMemoryStatus("XMemTotal: 5 kB\n", ""));
    // Without MemAvailable the free memory stands for it; more available than total is capped.
    EXPECT_EQ(parseMemoryStatus("MemTotal: 1000 kB\nMemFree: 250 kB\n", "")->loadPercent, 75);
    EXPECT_EQ(parseMemoryStatus("MemTotal: 1000 kB\nMemAvailable: 5000 kB\n", "")->loadPercent, 0);
    const std::pair<double, const char*> sizes[] = {{0, "   0.0"},
                                                    {524288, "   0.5"},
                                                    {1048576.0 * 999.96, "1,000.0"},
                                                    {1048576.0 * 12345.67, "12,345.7"},
                                                    {1048576.0 * 1234567.0, "1,234,567.0"}};
    for (const auto& [bytes, text] : sizes) EXPECT_EQ(formatMegabytes(bytes), text) << bytes;
    // Under the user's number rules the separators are theirs.
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr) {
        EXPECT_EQ(formatMegabytes(1048576.0 * 1234567.0), "1.234.567,0");
        EXPECT_EQ(formatMegabytes(524288), "   0,5");
    }
    std::setlocale(LC_ALL, previous.c_str());
}

}  // namespace
}  // namespace kestrave
