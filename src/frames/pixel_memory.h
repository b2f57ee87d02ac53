#pragma once
// The memory read-out: how much memory the program holds and how much the machine has. The
// window shows memoryUsageText() in its memory label; the error report lists the facts.

#include "frames/memory_facts.h"

namespace kestrave {

// The facts of this process and machine now.
MemoryFacts readMemoryFacts();

}  // namespace kestrave
