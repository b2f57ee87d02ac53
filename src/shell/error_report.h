#pragma once
// The error report: a "mailto:" link whose subject names the program version and whose body
// holds the facts of this system and of the work in hand, under a line where the user writes
// what went wrong.

#include <cstdint>
#include <string>

#include "frames/memory_facts.h"

namespace kestrave {

// Where error reports go.
inline constexpr char ErrorReportRecipient[] = "errors@kestrave.invalid";

struct ErrorReportFacts {
    std::string version;   // the version label's text ("File Version: 4.0.0")
    std::string fileDate;  // the program file's date and time ("dd-MM-yyyy hh:mm")
    std::string os;        // the operating-system text
    std::int64_t physicalMemoryBytes = 0;
    double volumeSerial = 0;  // the identification number
    int imageWidth = 0;
    int imageHeight = 0;
    std::string formCaption;
    int processArea = 0;  // the processing-area side
    int alignBox = 0;     // the alignment box side N
    int lastFrame = 0;    // the frame slider's maximum
    int screenDepth = 0;  // bits per pixel
    int screenWidth = 0;
    int screenHeight = 0;
    std::string programDir;
    std::int64_t heapBytes = 0;  // the heap's address space plus the bytes allocated in it
};

// The link, its lines separated by "%0D%0A". Every value is percent-encoded, so a caption or a
// folder holding "&", "#" or "%" stays inside the body instead of cutting it short; so is the "#"
// of the line "Images#", which would otherwise end the body there.
std::string errorReportLink(const ErrorReportFacts& facts);

// The operating system: its name, then the kernel's name and version; empty when unknown.
std::string GetOSINFO();

// The facts of this process and machine that need no window: system, memory (of `memory`),
// identification number and program folder.
ErrorReportFacts systemReportFacts(const MemoryFacts& memory);

}  // namespace kestrave
