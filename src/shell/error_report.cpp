#include "shell/error_report.h"

#include <QByteArray>
#include <QString>
#include <QSysInfo>

#include <malloc.h>
#include <cmath>
#include <cstdio>

#include "platform/program_dir.h"
#include "shell/startup_rules.h"

namespace kestrave {

namespace {

// Readable characters stay; everything that a mail link treats as syntax is encoded.
std::string encoded(const std::string& value) {
    return QByteArray::fromStdString(value).toPercentEncoding(" /:.,()").toStdString();
}

std::string fixedNoDecimals(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.0f", std::fabs(value));
    return text;
}

}  // namespace

std::string errorReportLink(const ErrorReportFacts& facts) {
    const std::string version = encoded(facts.version);
    return "mailto:" + std::string(ErrorReportRecipient) + "?subject=Error-report: Kestrave " + version +
           " " + encoded(facts.fileDate) + "&body= Type your report below: %0D%0A %0D%0A %0D%0A " + version +
           " ========================= %0D%0A OS: " + encoded(facts.os) +
           "%0D%0A Memory: " + std::to_string(facts.physicalMemoryBytes / 1024) + " Kb" +
           "%0D%0A ID          : " + fixedNoDecimals(facts.volumeSerial) +
           "%0D%0A Imagesize   : " + std::to_string(facts.imageWidth) + " x " +
           std::to_string(facts.imageHeight) + "%0D%0A Formcaption :" + encoded(facts.formCaption) +
           "%0D%0A ProcArea    : " + std::to_string(facts.processArea) +
           "%0D%0A AlignBox    : " + std::to_string(facts.alignBox) +
           "%0D%0A Images%23     : " + std::to_string(facts.lastFrame) +
           "%0D%0A Screen      : " + std::to_string(facts.screenDepth) + " bits" +
           "%0D%0A Screen      : " + std::to_string(facts.screenWidth) + " x" +
           std::to_string(facts.screenHeight) + "%0D%0A Rootdir     : " + encoded(facts.programDir) +
           "%0D%0A Memory      : " + std::to_string(std::llrint(facts.heapBytes / 1048576.0)) + "MB";
}

std::string GetOSINFO() {
    const QString name = QSysInfo::prettyProductName();
    if (name.isEmpty() || name == "unknown") return {};
    return (name + " " + QSysInfo::kernelType() + " " + QSysInfo::kernelVersion()).toStdString();
}

ErrorReportFacts systemReportFacts(const MemoryFacts& memory) {
    ErrorReportFacts facts;
    facts.os = GetOSINFO();
    facts.physicalMemoryBytes = memory.totalPhysicalBytes;
    facts.volumeSerial = GetSystemVolumeSerial();
    facts.programDir = ProgramDir().string();
    const struct mallinfo2 heap = mallinfo2();
    facts.heapBytes = static_cast<std::int64_t>(heap.arena + heap.hblkhd + heap.uordblks + heap.hblkhd);
    return facts;
}

}  // namespace kestrave
