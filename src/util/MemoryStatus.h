#pragma once
// Total physical memory and memory load, as the About box shows them, from /proc/meminfo.

#include <QString>

#include <cstdint>

struct MemoryStatus {
    bool valid = false;
    int64_t totalKb = 0;   // MemTotal
    int loadPercent = 0;   // 100 - MemAvailable * 100 / MemTotal, within 0..100
};

// Parses the text of a meminfo file; invalid when MemTotal is missing or not positive.
// Without MemAvailable the load is computed from MemFree.
MemoryStatus ParseMemInfo(const QString &text);
// Reads and parses the file (at most 64 KiB of it).
MemoryStatus ReadMemoryStatus(const QString &file = QStringLiteral("/proc/meminfo"));
