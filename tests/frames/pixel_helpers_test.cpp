// The shared pixel helpers: clamping, power-of-two ceiling, luminance, byte swaps, the file-size
// probe and the memory read-out.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>

#include "frames/pixel_helpers.h"
#include "frames/pixel_memory.h"
#include "support/temp_dir.h"

using namespace kestrave;

TEST(PixelHelpers, ClampByteKeepsOneTo254AndSaturatesOutside) {
    const std::pair<int, int> cases[] = {{-5, 0},
                                         {0, 0},
                                         {1, 1},
                                         {128, 128},
                                         {254, 254},
                                         {255, 255},
                                         {300, 255},
                                         {std::numeric_limits<int>::min(), 0},
                                         {std::numeric_limits<int>::max(), 255}};
    for (const auto& [in, out] : cases) EXPECT_EQ(ClampByte(in), out) << in;
}

TEST(PixelHelpers, PowerOfTwoCeilKeepsTheSignAndNeverGoesBelowOne) {
    const std::pair<float, float> cases[] = {
        {0.3f, 1.0f},   {5.0f, 8.0f}, {8.0f, 8.0f},  {-5.0f, -8.0f},       {0.0f, 1.0f},
        {-0.3f, -1.0f}, {1.0f, 1.0f}, {8.5f, 16.0f}, {65535.0f, 65536.0f}, {-2147483648.0f, -2147483648.0f}};
    for (const auto& [in, out] : cases) EXPECT_EQ(PowerOfTwoCeil(in), out) << in;
    // An infinite value ends the doubling instead of looping for ever.
    EXPECT_EQ(PowerOfTwoCeil(std::numeric_limits<float>::infinity()), std::numeric_limits<float>::infinity());
}

TEST(PixelHelpers, Luma709WeighsTheChannelsAndKeepsWhiteWhite) {
    EXPECT_FLOAT_EQ(Luma709(255, 255, 255), 255.0f);
    EXPECT_FLOAT_EQ(Luma709(1, 0, 0), 0.2126f);
    EXPECT_FLOAT_EQ(Luma709(0, 1, 0), 0.7152f);
    EXPECT_FLOAT_EQ(Luma709(0, 0, 1), 0.0722f);
    EXPECT_EQ(AddInt(std::numeric_limits<std::int32_t>::max(), 1), std::numeric_limits<std::int32_t>::min());
}

TEST(PixelHelpers, SwapsReverseTheBytesOfBigEndianData) {
    EXPECT_EQ(SwapInt32(0x11223344), 0x44332211);
    EXPECT_EQ(SwapInt32(static_cast<std::int32_t>(0x80FF0001u)), static_cast<std::int32_t>(0x0100FF80u));
    EXPECT_EQ(SwapInt32(SwapInt32(-123456789)), -123456789);
    std::int32_t dest = 0;
    SwapInt32InPlace(0x01020304, dest);
    EXPECT_EQ(dest, 0x04030201);
    EXPECT_EQ(SwapWord(0x1234), 0x3412);
    EXPECT_EQ(SwapWord(0xFF00), 0x00FF);
    EXPECT_EQ(SwapWordB(0xABCD), 0xCDAB);

    // Big-endian bytes as a file holds them read back through a swap.
    const std::uint8_t bigEndian[4] = {0xFF, 0xFF, 0xFF, 0xFE};  // -2
    std::int32_t raw = 0;
    std::memcpy(&raw, bigEndian, 4);
    EXPECT_EQ(SwapInt32(raw), -2);
}

TEST(PixelHelpers, CopiesTakeSizeAndPixels) {
    Bitmap24 source(5, 3);
    SetRGBTriple(1, 2, 3, source.pixel(4, 2));
    Bitmap24 a(1, 1), b(9, 9);
    CopyBitmap(source, a);
    AssignBitmap24(b, source);
    for (const Bitmap24* copy : {&a, &b}) {
        ASSERT_EQ(copy->width(), 5);
        ASSERT_EQ(copy->height(), 3);
        EXPECT_EQ(copy->pixel(4, 2)[2], 1);
        EXPECT_EQ(copy->pixel(4, 2)[0], 3);
    }
}

TEST(PixelHelpers, FileSizeOfMeasuresFilesAbove4GiB) {
    test::TempDir dir;
    BatchMessagePresenter messages([](const std::string&) {});

    const auto sparse = dir / "capture.avi";
    const int fd = ::open(sparse.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, std::int64_t{5} << 30), 0);
    ::close(fd);
    EXPECT_EQ(FileSizeOf(sparse, messages), 5368709120);

    const auto small = dir / "jpegtest.jpg";
    std::ofstream(small) << "0123456789";
    EXPECT_EQ(FileSizeOf(small, messages), 10);
    std::ofstream(dir / "empty");
    EXPECT_EQ(FileSizeOf(dir / "empty", messages), 0);
    EXPECT_TRUE(messages.history().empty());
}

TEST(PixelHelpers, FileSizeOfReportsWhatItCannotOpen) {
    test::TempDir dir;
    BatchMessagePresenter messages([](const std::string&) {});

    const auto missing = dir / "missing.jpg";
    EXPECT_EQ(FileSizeOf(missing, messages), -1);
    ASSERT_EQ(messages.history().size(), 1u);
    const Message& shown = messages.history()[0];
    EXPECT_EQ(shown.caption, "Error");
    EXPECT_EQ(shown.text, "Fatal Error: Cannot open " + missing.string() + " (binary)");
    EXPECT_EQ(shown.dlgType, mtError);
    EXPECT_EQ(shown.buttons, mbOK);

    // A folder and a named pipe are not files with a size; the pipe must not stall the probe.
    EXPECT_EQ(FileSizeOf(dir.path(), messages), -1);
    const auto pipe = dir / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(FileSizeOf(pipe, messages), -1);
    EXPECT_EQ(messages.history().size(), 3u);
}

TEST(PixelHelpers, MemoryReadOutParsesProcFilesAndRoundsToMegabytes) {
    const std::string meminfo =
        "MemTotal:       24576000 kB\nMemFree:         1000 kB\nMemAvailable:   12288000 kB\nSwapTotal: 0 "
        "kB\n";
    const MemoryFacts facts = parseMemoryFacts("300000 768 120 5 0 2000 0\n", meminfo, 4096);
    EXPECT_EQ(facts.virtualBytes, 300000LL * 4096);
    EXPECT_EQ(facts.residentBytes, 768LL * 4096);  // exactly 3 MB
    EXPECT_EQ(facts.totalPhysicalBytes, 24576000LL * 1024);
    EXPECT_EQ(facts.availablePhysicalBytes, 12288000LL * 1024);
    EXPECT_EQ(memoryUsageText(facts), "Memory used :3MB");

    // Halves round to even; missing texts leave zeros.
    EXPECT_EQ(memoryUsageText(parseMemoryFacts("0 640", "", 4096)), "Memory used :2MB");  // 2.5 MB
    EXPECT_EQ(memoryUsageText(parseMemoryFacts("0 896", "", 4096)), "Memory used :4MB");  // 3.5 MB
    const MemoryFacts none = parseMemoryFacts("", "", 4096);
    EXPECT_EQ(none.residentBytes, 0);
    EXPECT_EQ(none.totalPhysicalBytes, 0);

    const MemoryFacts live = readMemoryFacts();
    EXPECT_GT(live.residentBytes, 0);
    EXPECT_GE(live.virtualBytes, live.residentBytes);
    EXPECT_GT(live.totalPhysicalBytes, live.availablePhysicalBytes);
}
