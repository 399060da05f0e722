#pragma once

#include <QtGlobal>

// The heap bytes the program holds now, in every thread's arena (mallinfo2
// counts only the main arena, and searches and table cells are allocated in
// threads of their own). Under AddressSanitizer, the sanitizer's own count.
qint64 heapBytesInUse();
