#pragma once

// Makes the allocator hand large freed blocks back to the system at once. By default glibc
// raises its threshold for mapping blocks of their own after every large free, so later
// blocks of up to 32 MiB (index bodies, decompressed texts, parsed lists) come from its
// arenas, which keep what was freed: a refresh that goes through hundreds of indexes would
// hold on to the peaks of all of them. Call first thing in main(), before any thread starts.
void returnLargeFreesToSystem();
